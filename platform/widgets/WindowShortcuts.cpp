// SPDX-License-Identifier: MIT
#include "WindowShortcuts.h"

#include "EventBoundary.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
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

void WindowShortcuts::AddHeld(QKeyCombination key, std::function<void(bool held)> held) {
    heldKeys_.emplace_back(key, std::move(held));
}

namespace {

QKeyCombination Pressed(const QKeyEvent& key) {
    return QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
}

template <typename Entries> auto FindKey(const Entries& entries, QKeyCombination pressed) {
    for (const auto& [keys, action] : entries)
        if (keys == pressed)
            return &action;
    return static_cast<decltype(&entries.front().second)>(nullptr);
}

} // namespace

bool WindowShortcuts::InWindow(QObject* receiver) const {
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget)
        return false;
    const QWidget* window = widget->window();
    if (window == window_)
        return true;
    // The window's tool windows (the value key, the value bands) take its keys too; its dialogs
    // and message boxes do not.
    const QWidget* owner = window->parentWidget();
    return window->windowType() == Qt::Tool && owner && owner->window() == window_;
}

const std::function<void()>* WindowShortcuts::CommandFor(const QKeyEvent& key) const {
    return FindKey(commands_, Pressed(key));
}

const std::function<void(bool)>* WindowShortcuts::HeldFor(QObject* receiver,
                                                          const QKeyEvent& key) const {
    if (key.isAutoRepeat() || qobject_cast<QLineEdit*>(receiver))
        return nullptr;
    return FindKey(heldKeys_, Pressed(key));
}

bool WindowShortcuts::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress &&
         type != QEvent::KeyRelease) ||
        !InWindow(watched))
        return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (const std::function<void(bool)>* held = HeldFor(watched, key)) {
        if (type != QEvent::ShortcutOverride)
            RunHandler([&] { (*held)(type == QEvent::KeyPress); });
        return type != QEvent::ShortcutOverride;
    }
    const std::function<void()>* command = CommandFor(key);
    if (!command || type == QEvent::KeyRelease)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claims the key as an ordinary key press, which comes here next.
        event->accept();
        return true;
    }
    RunHandler(*command);
    return true;
}
