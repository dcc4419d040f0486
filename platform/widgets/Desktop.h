// SPDX-License-Identifier: MIT
#pragma once

#include "AlphaColor.h"

#include <QString>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

// Everything that waits for the user outside the windows (file dialogs, message boxes, the colour
// picker, the program's own dialogs, the print dialog) or hands work to the desktop (opening a web
// address) goes through this one seam, so that tests can answer it.
class Desktop {
public:
    virtual ~Desktop() = default;

    // A modal open-file dialog; the chosen full path, or nothing when cancelled. The filter is
    // "label|patterns" with patterns separated by ";".
    virtual std::optional<QString> OpenFileName(QWidget* owner, const QString& filter,
                                                const QString& initialFolder) = 0;
    // A modal save-file dialog with a preset file name; the chosen full path, or nothing. A name
    // too long for the filesystem comes back too, for the caller's create to report.
    virtual std::optional<QString> SaveFileName(QWidget* owner, const QString& filter,
                                                const QString& fileName,
                                                const QString& initialFolder) = 0;
    // A message box with an error icon and one OK button, owned by no window and modal to the
    // whole program. Returns when the user closes it.
    virtual void ShowError(const QString& text, const QString& caption) = 0;
    // A colour picker; the chosen colour, or nothing when cancelled.
    virtual std::optional<TAlphaColor> PickColour(QWidget* owner, TAlphaColor initial,
                                                  bool withAlpha) = 0;
    // The desktop's "open" action on a web address; its result is not reported.
    virtual void OpenUrl(const QString& address) = 0;
    // One of the program's own dialogs, run modally until closed; the code it closed with.
    virtual int RunDialog(QDialog& dialog) = 0;
    // The system's print dialog over `printer`, which keeps what the user chose; true when the
    // user chose to print.
    virtual bool SetUpPrinter(QWidget* owner, QPrinter& printer) = 0;
};

// The seam in use: the real desktop unless a test installed another. Installing nullptr restores
// the real one.
Desktop& CurrentDesktop();
void InstallDesktop(Desktop* desktop);
