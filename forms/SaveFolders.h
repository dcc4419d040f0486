// SPDX-License-Identifier: MIT
// Where a dialog for a new file starts: the folder the last file of that kind went to in this
// run, else the desktop's pictures folder where it exists, else the home folder. A folder that
// does not exist would show its name in the dialog's name box instead.
#pragma once

#include <QHash>
#include <QString>

class SaveFolders {
public:
    // `extension` names the kind: "jpg", "png", "pdf".
    QString StartFor(const QString& extension) const;
    // A file of that kind was written at `path`.
    void Used(const QString& extension, const QString& path);

private:
    QHash<QString, QString> last_;
};
