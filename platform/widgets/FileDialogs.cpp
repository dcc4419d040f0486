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

bool TFileDialog::Chosen(const std::optional<QString>& path) {
    if (!path)
        return false;
    FileName = *path;
    return true;
}

bool TOpenDialog::Execute(QWidget* owner) {
    return Chosen(CurrentDesktop().OpenFileName(owner, Filter, InitialDir));
}

bool TSaveDialog::Execute(QWidget* owner) {
    return Chosen(CurrentDesktop().SaveFileName(owner, Filter, FileName, InitialDir));
}
