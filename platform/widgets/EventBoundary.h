// SPDX-License-Identifier: MIT
#pragma once

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
