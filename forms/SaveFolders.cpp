// SPDX-License-Identifier: MIT
#include "SaveFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString SaveFolders::StartFor(const QString& extension) const {
    const QString last = last_.value(extension);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

void SaveFolders::Used(const QString& extension, const QString& path) {
    last_.insert(extension, QFileInfo(path).absolutePath());
}
