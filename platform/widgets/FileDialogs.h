// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// The open-file dialog as a component: its settings are kept between runs, and Execute asks the
// desktop seam. The filter text is "label|patterns", patterns separated by ";".
class TOpenDialog {
public:
    QString Filter;
    QString InitialDir;
    QString FileName;

    // True when the user chose a file; FileName is then its full path.
    bool Execute(QWidget* owner);
};

class TSaveDialog {
public:
    QString Filter;
    QString InitialDir;
    QString FileName;

    bool Execute(QWidget* owner);
};

// "label|patterns" in the form Qt's dialogs take: "label (patterns separated by spaces)".
QString QtFilterOf(const QString& filter);
