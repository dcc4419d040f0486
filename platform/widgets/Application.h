// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

// The application object. Handlers already run behind the event boundary; this catches what
// escapes anywhere else while Qt delivers an event (running out of memory while painting, say),
// shows it the same way, and keeps the event loop going.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
