// SPDX-License-Identifier: MIT
#pragma once

#include <QFileDialog>

// Qt's save-file dialog, with existing names left to the caller (no overwrite question), and one
// difference: a typed name too long for its folder's filesystem is handed back like any other, so
// that creating the file tells the user the system's reason. Qt's own dialog stays open on such a
// name without a word.
class SaveFileDialog : public QFileDialog {
public:
    SaveFileDialog(QWidget* owner, const QString& filter, const QString& initialFolder);

    void accept() override;
};
