// SPDX-License-Identifier: MIT
#include "InterfaceFont.h"

#include <QStringList>

QFont InterfaceFont() {
    QFont font;
    // DejaVu Sans Condensed comes with Debian's fonts-dejavu-extra; the others stand in where it
    // is missing.
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}
