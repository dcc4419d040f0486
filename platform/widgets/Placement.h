// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// Places a control at (x, y) in its window's client coordinates, whatever its parent, so that a
// window definition can give every control where it stands in the window.
template <typename Control> Control* Place(Control* control, int x, int y, int width, int height) {
    QWidget* parent = control->parentWidget();
    const QPoint inParent = parent->mapFrom(parent->window(), QPoint(x, y));
    control->setGeometry(inParent.x(), inParent.y(), width, height);
    return control;
}
