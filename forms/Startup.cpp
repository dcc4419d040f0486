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

ProgramArguments ReadProgramArguments(const QStringList& arguments) {
    if (arguments.isEmpty())
        return {};
    if (arguments.size() > 1)
        return {std::nullopt, false,
                QStringLiteral("one file at most, %1 given").arg(arguments.size())};
    const QString& argument = arguments.front();
    if (argument == QStringLiteral("--help"))
        return {std::nullopt, true, QString()};
    // A file whose name starts with "-" can be named as "./-name".
    if (argument.startsWith(u'-'))
        return {std::nullopt, false, QStringLiteral("unknown option \"%1\"").arg(argument)};
    return {argument, false, QString()};
}
