// SPDX-License-Identifier: MIT
#include "Startup.h"

#include "Faqja0.h"
#include "Izoti.h"
#include "Logos.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScopeGuard>

StartedProgram::StartedProgram() {
    InitialiseProgramState();
    QIcon icon;
    for (const QString& logo : {Logos::Product128, Logos::Product256})
        icon.addFile(logo);
    QGuiApplication::setWindowIcon(icon);

    mainWindow_ = std::make_unique<TForm1>();
    Form1 = mainWindow_.get();
    auto forgetMainWindow = qScopeGuard([] { Form1 = nullptr; });
    aboutWindow_ = std::make_unique<TForm2>();
    Form2 = aboutWindow_.get();
    forgetMainWindow.dismiss();
}

StartedProgram::~StartedProgram() {
    Form2 = nullptr;
    Form1 = nullptr;
}
