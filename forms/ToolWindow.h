// SPDX-License-Identifier: MIT
// The program's tool windows (the value key, the value bands): where they open and how they come
// back on screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <optional>

class QWidget;

// Where a tool window of `frame` size goes beside `owner` (frames, title bars included) on the
// owner's `screen` (its available area): the first time (`remembered` none) just right of the
// owner where the screen has room, else over the owner's right edge; after that where it was,
// moved back wholly onto the screen where it has left it. Never above or left of the screen.
QPoint ToolWindowPlace(QSize frame, QRect owner, QRect screen, std::optional<QPoint> remembered);

// Shows `tool` at ToolWindowPlace on the screen that shows `owner`, brings it to the front and
// gives it the focus. `remembered` is the place it had, kept by the caller: set once shown.
void ShowToolWindow(QWidget& tool, const QWidget& owner, std::optional<QPoint>& remembered);
