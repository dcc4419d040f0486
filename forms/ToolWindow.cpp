// SPDX-License-Identifier: MIT
#include "ToolWindow.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// The gap between the owner's edge and a tool window opened beside it.
constexpr int Gap = 8;

QPoint OnScreen(QPoint place, QSize frame, QRect screen) {
    const int x = std::max(screen.left(), std::min(place.x(), screen.right() + 1 - frame.width()));
    const int y = std::max(screen.top(), std::min(place.y(), screen.bottom() + 1 - frame.height()));
    return {x, y};
}

} // namespace

QPoint ToolWindowPlace(QSize frame, QRect owner, QRect screen, std::optional<QPoint> remembered) {
    if (remembered)
        return OnScreen(*remembered, frame, screen);
    const QPoint beside(owner.right() + Gap, owner.top());
    // Over the owner's right edge, inside it, where the screen has no room beside it.
    const QPoint over(owner.right() + 1 - frame.width() - Gap, owner.top() + Gap);
    const bool room = beside.x() + frame.width() <= screen.right() + 1;
    return OnScreen(room ? beside : over, frame, screen);
}

void ShowToolWindow(QWidget& tool, const QWidget& owner, std::optional<QPoint>& remembered) {
    if (remembered)
        remembered = tool.pos();
    const QScreen* screen = owner.screen();
    const QRect available = screen ? screen->availableGeometry() : owner.frameGeometry();
    tool.move(
        ToolWindowPlace(tool.frameGeometry().size(), owner.frameGeometry(), available, remembered));
    remembered = tool.pos();
    tool.show();
    tool.raise();
    tool.activateWindow();
}
