// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Where the logo pictures sit in the program's resources. Linking halvane_resources is all it
// takes: Qt's CMake adds the resource initialiser as an object file to every program that links
// it, so no Q_INIT_RESOURCE call is needed.
namespace Logos {
inline const QString Product128 = QStringLiteral(":/logo/product-128.png");
inline const QString Product256 = QStringLiteral(":/logo/product-256.png");
inline const QString Maker = QStringLiteral(":/logo/maker.png");
} // namespace Logos
