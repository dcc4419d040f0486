// SPDX-License-Identifier: MIT
#include "Application.h"

#include "EventBoundary.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Halvane"));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowHandlerError(std::current_exception());
        return false;
    }
}
