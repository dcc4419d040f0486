// SPDX-License-Identifier: MIT
// Program entry: the state is ready before main runs; create the application, the main window,
// the hidden About window, and run the event loop.
#include "AppError.h"
#include "Application.h"
#include "Desktop.h"
#include "Faqja0.h"
#include "Izoti.h"
#include "Logos.h"

#include <QIcon>
#include <memory>

int main(int argc, char** argv) {
    std::unique_ptr<Application> application;
    std::unique_ptr<TForm1> mainWindow;
    std::unique_ptr<TForm2> aboutWindow;
    try {
        application = std::make_unique<Application>(argc, argv);
        QIcon icon;
        for (const QString& logo : {Logos::Product128, Logos::Product256})
            icon.addFile(logo);
        application->setWindowIcon(icon);
        mainWindow = std::make_unique<TForm1>();
        Form1 = mainWindow.get();
        aboutWindow = std::make_unique<TForm2>();
        Form2 = aboutWindow.get();
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
