// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QAbstractButton;
class QWidget;

// Gives a plain window a default button: Enter or Return pressed anywhere in the window clicks
// the button while it is enabled and goes no further. While it is disabled the key reaches the
// focused control, and a focused push button clicks itself.
class DefaultButton : public QObject {
public:
    DefaultButton(QWidget* window, QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QAbstractButton* button_;
};
