// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

class QWidget;

// The file dialogs as components: their settings are kept between runs, and Execute asks the
// desktop seam. The filter text is "label|patterns", patterns separated by ";".
class TFileDialog {
public:
    QString Filter;
    QString InitialDir;
    QString FileName;

protected:
    // Keeps a chosen path in FileName; true when the user chose one.
    bool Chosen(const std::optional<QString>& path);
};

class TOpenDialog : public TFileDialog {
public:
    // True when the user chose a file; FileName is then its full path.
    bool Execute(QWidget* owner);
};

class TSaveDialog : public TFileDialog {
public:
    // Proposes FileName; true when the user confirmed a name, then held in FileName.
    bool Execute(QWidget* owner);
};

// "label|patterns" in the form Qt's dialogs take: "label (patterns separated by spaces)".
QString QtFilterOf(const QString& filter);
