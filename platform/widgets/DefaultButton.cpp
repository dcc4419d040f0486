// SPDX-License-Identifier: MIT
#include "DefaultButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

DefaultButton::DefaultButton(QWidget* window, QAbstractButton* button)
    : QObject(window), window_(window), button_(button) {
    // Key events reach the focused child first; only an application-wide filter sees them all.
    qApp->installEventFilter(this);
}

bool DefaultButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* target = static_cast<QWidget*>(watched);
    if (target->window() != window_)
        return false;
    if (button_->isEnabled()) {
        button_->click();
        return true;
    }
    if (auto* focused = qobject_cast<QPushButton*>(target); focused && focused->isEnabled()) {
        focused->click();
        return true;
    }
    return false;
}
