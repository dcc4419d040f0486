// SPDX-License-Identifier: MIT
// Bringing the program up: the one way the program, its tests, benchmarks and screenshot tool
// start it.
#pragma once

#include <memory>

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
