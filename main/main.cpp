// SPDX-License-Identifier: MIT
// Program entry: the state is ready before main runs; create the application, the main window,
// the hidden About window, and run the event loop. A file named on the command line opens once
// the window is shown.
#include "AppError.h"
#include "Application.h"
#include "Desktop.h"
#include "EventBoundary.h"
#include "Faqja0.h"
#include "ImageFile.h"
#include "Startup.h"

#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    // --help needs no display: it is answered before the application looks for one.
    if (ReadProgramArguments(ArgumentsOf(argc, argv)).help) {
        std::fputs(ProgramHelp, stdout);
        return 0;
    }
    std::unique_ptr<Application> application;
    std::unique_ptr<StartedProgram> program;
    try {
        application = std::make_unique<Application>(argc, argv);
        const ProgramArguments asked = ReadProgramArguments(ArgumentsOf(argc, argv));
        if (!asked.error.isEmpty()) {
            std::fprintf(stderr, "halvane: %s\n%s\n", qPrintable(asked.error), ProgramUsage);
            return 2;
        }
        program = std::make_unique<StartedProgram>();
        // Readies itself while the painter chooses a file.
        StartSpareDecoderHelper();
        Form1->showMaximized();
        if (asked.picture)
            QTimer::singleShot(
                0, Form1, [path = *asked.picture] { RunHandler([&] { Form1->OpenFile(path); }); });
        application->exec();
    } catch (const AppError&) {
        if (application)
            CurrentDesktop().ShowError(ErrorDisplayText(std::current_exception()),
                                       QStringLiteral("Halvane"));
    } catch (...) {
        // Anything that is not the program's own error kind is shown without a message.
        if (application)
            CurrentDesktop().ShowError(QString(), QStringLiteral("Halvane"));
    }
    return 0;
}
