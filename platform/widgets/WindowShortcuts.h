// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QObject>
#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;

// Keys that run a window's commands whichever of its controls has the focus, ahead of the
// control's own use of them (a text field's Ctrl+Z included). While a modal dialog or message
// box is open the keys go to that box, so no command runs. Commands run behind the event
// boundary.
class WindowShortcuts : public QObject {
public:
    explicit WindowShortcuts(QWidget* window);
    ~WindowShortcuts() override;

    void Add(const QKeySequence& keys, std::function<void()> command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const std::function<void()>* CommandFor(QObject* receiver, const QKeyEvent& key) const;

    QWidget* window_;
    std::vector<std::pair<QKeyCombination, std::function<void()>>> commands_;
};
