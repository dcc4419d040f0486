// SPDX-License-Identifier: MIT
#pragma once

#include "FakeDesktop.h"
#include "Startup.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

// The program as the benchmarks drive it: started as the program starts (its windows headless,
// never shown) with a desktop whose dialogs answer from scripts.
class Workbench {
public:
    explicit Workbench(QString photoPath);
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    TForm1& Form() { return program_.MainWindow(); }
    FakeDesktop& Desktop() { return desktop_; }
    const QString& PhotoPath() const { return photoPath_; }

    // "Open.." with the photo chosen in the dialog.
    void OpenPhoto();
    // Shows the photo posterized by the window's start settings (Method 2, 6 levels), opening
    // it first unless it is open.
    void ShowPosterizedPhoto();
    // Gives back every bitmap of the picture's size, as at the program's start, so that the
    // next open allocates them anew.
    void ReleasePictures();

    // Runs a benchmark's body; an error of the program, raised or shown in a message box,
    // skips the benchmark with its text.
    void RunGuarded(benchmark::State& state, const std::function<void()>& body);

private:
    FakeDesktop desktop_;
    StartedProgram program_;
    QString photoPath_;
};
