// SPDX-License-Identifier: MIT
#include "FileDialogs.h"

#include "Desktop.h"

QString QtFilterOf(const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    QString patterns = filter.mid(bar + 1).trimmed();
    patterns.replace(u';', u' ');
    return filter.left(bar).trimmed() + QStringLiteral(" (") + patterns + u')';
}

bool TOpenDialog::Execute(QWidget* owner) {
    const auto chosen = CurrentDesktop().OpenFileName(owner, Filter, InitialDir);
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}

bool TSaveDialog::Execute(QWidget* owner) {
    const auto chosen = CurrentDesktop().SaveFileName(owner, Filter, FileName, InitialDir);
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}
