// SPDX-License-Identifier: MIT
#include "SaveFileDialog.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

bool NameTooLongForItsFolder(const QString& path) {
    const QFileInfo info(path);
    const long limit = ::pathconf(QFile::encodeName(info.path()).constData(), _PC_NAME_MAX);
    return limit >= 0 && QFile::encodeName(info.fileName()).size() > limit;
}

} // namespace

SaveFileDialog::SaveFileDialog(QWidget* owner, const QString& filter, const QString& initialFolder)
    : QFileDialog(owner, QString(), initialFolder, filter) {
    setAcceptMode(QFileDialog::AcceptSave);
    setOption(QFileDialog::DontConfirmOverwrite);
}

void SaveFileDialog::accept() {
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && NameTooLongForItsFolder(chosen.first())) {
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
}
