// SPDX-License-Identifier: MIT
#pragma once

#include "Desktop.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// A desktop seam for tests: dialogs answer from scripts, messages and addresses are recorded.
// It installs itself for its lifetime.
class FakeDesktop : public Desktop {
public:
    struct Message {
        QString text;
        QString caption;
    };
    struct FileDialogCall {
        QString filter;
        QString fileName;
        QString initialFolder;
    };

    FakeDesktop() { InstallDesktop(this); }
    ~FakeDesktop() override { InstallDesktop(nullptr); }

    // Answers for the next dialogs; nullopt cancels.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<TAlphaColor>> colourAnswers;
    // Each answers the next of the program's own dialogs (sets its fields, clicks its buttons)
    // and returns the code it closes with.
    std::deque<std::function<int(QDialog&)>> dialogAnswers;
    // Each answers the next print dialog: sets up the printer and returns whether to print.
    std::deque<std::function<bool(QPrinter&)>> printAnswers;
    // Runs while a message box is open, before it is closed.
    std::function<void(const Message&)> whileMessageShown;

    std::vector<Message> messages;
    std::vector<FileDialogCall> openCalls;
    std::vector<FileDialogCall> saveCalls;
    std::vector<QString> openedUrls;

    std::optional<QString> OpenFileName(QWidget*, const QString& filter,
                                        const QString& initialFolder) override;
    std::optional<QString> SaveFileName(QWidget*, const QString& filter, const QString& fileName,
                                        const QString& initialFolder) override;
    void ShowError(const QString& text, const QString& caption) override;
    std::optional<TAlphaColor> PickColour(QWidget*, TAlphaColor initial, bool withAlpha) override;
    void OpenUrl(const QString& address) override { openedUrls.push_back(address); }
    int RunDialog(QDialog& dialog) override;
    bool SetUpPrinter(QWidget*, QPrinter& printer) override;

    QStringList MessageTexts() const;
};
