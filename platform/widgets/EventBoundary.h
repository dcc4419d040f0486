// SPDX-License-Identifier: MIT
#pragma once

#include <QAction>
#include <exception>
#include <utility>

// Shows an error that escaped a handler: its display text in a message box with one OK button.
void ShowHandlerError(std::exception_ptr error);

// Runs a handler for an event that came from the user or the system. Errors stop the handler at
// the failing step, are shown, and the event loop goes on. Changes that code makes to a control
// call its handler directly instead, so an error there unwinds through the code that made the
// change, as far as this boundary.
template <typename Handler> void RunHandler(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ShowHandlerError(std::current_exception());
    }
}

// A menu item whose handler runs behind the boundary, as the window's own controls' handlers do:
// `owner`'s `handler`, with the item as its sender, each time the item is triggered while
// `context` lives.
template <typename Owner>
void OnTriggered(QAction* item, QObject* context, Owner& owner, void (Owner::*handler)(QObject*)) {
    QObject::connect(item, &QAction::triggered, context,
                     [item, &owner, handler] { RunHandler([&] { (owner.*handler)(item); }); });
}
