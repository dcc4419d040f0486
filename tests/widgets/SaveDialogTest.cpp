// SPDX-License-Identifier: MIT
// The real save dialog, typed into as a user would: every name comes back to the caller, a name
// too long for the filesystem included, so that the reason can be told.
#include "Desktop.h"
#include "ImageCompare.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

QFileDialog* ShownFileDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

// Runs the desktop's save dialog, types `name` into its name box and presses Enter. A dialog
// that stays open after Enter is cancelled, so a refusal shows as no answer instead of a hang.
std::optional<QString> SaveDialogAnswer(const QString& folder, const QString& name) {
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        QFileDialog* dialog = ShownFileDialog();
        if (!dialog)
            return;
        auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (nameBox) {
            QTest::keyClicks(nameBox, name);
            QTest::keyClick(nameBox, Qt::Key_Return);
        }
        stayedOpen = dialog->isVisible();
        if (stayedOpen)
            dialog->reject();
    });
    const std::optional<QString> answer =
        CurrentDesktop().SaveFileName(nullptr, QStringLiteral("*.Jpg | *.Jpg"), QString(), folder);
    EXPECT_EQ(answer.has_value(), !stayedOpen);
    return answer;
}

TEST(SaveDialog, EveryTypedNameComesBackTheTooLongOneIncluded) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // 255 bytes is the longest name ext4 and tmpfs take; 256 is one too many.
    for (const int length : {8, 255, 256, 300}) {
        SCOPED_TRACE(length);
        const QString name = QString(length, u'n');
        EXPECT_EQ(SaveDialogAnswer(folder.path(), name), folder.filePath(name));
    }
}

} // namespace
