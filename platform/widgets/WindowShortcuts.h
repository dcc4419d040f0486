// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QObject>
#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;

// Keys that run a window's commands whichever of its controls has the focus, in the window or
// in one of its tool windows, ahead of the control's own use of them (a text field's Ctrl+Z
// included). While a modal dialog or message
// box is open the keys go to that box, so no command runs. Commands run behind the event
// boundary.
class WindowShortcuts : public QObject {
public:
    explicit WindowShortcuts(QWidget* window);
    ~WindowShortcuts() override;

    void Add(const QKeySequence& keys, std::function<void()> command);
    // A key whose holding matters: `held` runs with true when it goes down and false when it
    // comes up. It is a character a text field takes, so not while a text field has the focus.
    void AddHeld(QKeyCombination key, std::function<void(bool held)> held);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool InWindow(QObject* receiver) const;
    const std::function<void()>* CommandFor(const QKeyEvent& key) const;
    const std::function<void(bool)>* HeldFor(QObject* receiver, const QKeyEvent& key) const;

    QWidget* window_;
    std::vector<std::pair<QKeyCombination, std::function<void()>>> commands_;
    std::vector<std::pair<QKeyCombination, std::function<void(bool)>>> heldKeys_;
};
