// SPDX-License-Identifier: MIT
// Program entry: the state is ready before main runs; create the application, the main window,
// the hidden About window, and run the event loop.
#include "AppError.h"
#include "Application.h"
#include "Desktop.h"
#include "Faqja0.h"
#include "Startup.h"

#include <memory>

int main(int argc, char** argv) {
    std::unique_ptr<Application> application;
    std::unique_ptr<StartedProgram> program;
    try {
        application = std::make_unique<Application>(argc, argv);
        program = std::make_unique<StartedProgram>();
        Form1->showMaximized();
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
