// SPDX-License-Identifier: MIT
#include "WindowShortcuts.h"

#include "EventBoundary.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

WindowShortcuts::WindowShortcuts(QWidget* window) : QObject(window), window_(window) {
    // The focused control sees a key before its window does; only a filter on the application
    // comes first.
    QCoreApplication::instance()->installEventFilter(this);
}

WindowShortcuts::~WindowShortcuts() {
    QCoreApplication::instance()->removeEventFilter(this);
}

void WindowShortcuts::Add(const QKeySequence& keys, std::function<void()> command) {
    commands_.emplace_back(keys[0], std::move(command));
}

const std::function<void()>* WindowShortcuts::CommandFor(QObject* receiver,
                                                         const QKeyEvent& key) const {
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget || widget->window() != window_)
        return nullptr;
    const QKeyCombination pressed(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    for (const auto& [keys, command] : commands_)
        if (keys == pressed)
            return &command;
    return nullptr;
}

bool WindowShortcuts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const std::function<void()>* command = CommandFor(watched, *static_cast<QKeyEvent*>(event));
    if (!command)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claims the key as an ordinary key press, which comes here next.
        event->accept();
        return true;
    }
    RunHandler(*command);
    return true;
}
