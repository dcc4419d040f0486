// SPDX-License-Identifier: MIT
// Bringing the program up: the one way the program, its tests, benchmarks and screenshot tool
// start it.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class TForm1;
class TForm2;

// The program up to where its event loop starts: the program-wide state at its start values, the
// window icon, the main window Form1 and then the hidden About window Form2. Needs the
// application object; the windows live as long as this object, and Form1 and Form2 point at them
// meanwhile.
class StartedProgram {
public:
    StartedProgram();
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    TForm1& MainWindow() const { return *mainWindow_; }
    TForm2& AboutWindow() const { return *aboutWindow_; }

private:
    std::unique_ptr<TForm1> mainWindow_;
    std::unique_ptr<TForm2> aboutWindow_;
};

// What the command line asks for: nothing, or one picture to open once the window is shown (as a
// file manager's "Open with" passes it).
struct ProgramArguments {
    std::optional<QString> picture;
    bool help = false; // --help alone: the usage on standard output, and nothing else
    QString error;     // not empty: the arguments are not the program's, and nothing is opened
};

// The arguments after the program's name, Qt's own options already taken out.
ProgramArguments ReadProgramArguments(const QStringList& arguments);

inline const char ProgramUsage[] = "Usage: halvane [FILE]";
// What --help prints: the usage and what it does.
inline const char ProgramHelp[] =
    "Usage: halvane [FILE]\n"
    "Turns a photograph into a value study for painters. FILE, a picture (BMP, JPEG, PNG, GIF,\n"
    "TIFF, ICO or JPEG XR), is opened as \"Open..\" opens it once the window is shown.\n"
    "  --help  this text\n"
    "Many files at once, without a window: halvane-batch --help.\n";
