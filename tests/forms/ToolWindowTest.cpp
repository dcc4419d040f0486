// SPDX-License-Identifier: MIT
// Where a tool window opens beside the main window, and how it comes back onto the screen.
#include "ToolWindow.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolWindowPlace, BesideTheOwnerWhereThereIsRoomElseOverItsEdgeAlwaysOnScreen) {
    const QRect screen(0, 0, 1600, 900);
    const QSize tool(300, 480);
    struct Case {
        const char* name;
        QRect owner;
        std::optional<QPoint> remembered;
        QPoint expected;
    };
    const Case cases[] = {
        {"room to the right", QRect(100, 50, 1000, 700), {}, QPoint(1107, 50)},
        {"maximised: over its right edge", QRect(0, 0, 1600, 900), {}, QPoint(1292, 8)},
        {"just too little room", QRect(0, 0, 1300, 700), {}, QPoint(992, 8)},
        {"owner low on the screen", QRect(100, 600, 800, 300), {}, QPoint(907, 420)},
        {"owner partly off the left", QRect(-500, 0, 800, 600), {}, QPoint(307, 0)},
        {"remembered, on screen", QRect(0, 0, 800, 600), QPoint(40, 50), QPoint(40, 50)},
        {"remembered, off the right", QRect(0, 0, 800, 600), QPoint(1570, 100), QPoint(1300, 100)},
        {"remembered, off the top left", QRect(0, 0, 800, 600), QPoint(-90, -20), QPoint(0, 0)},
        {"remembered, below", QRect(0, 0, 800, 600), QPoint(200, 800), QPoint(200, 420)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QPoint place = ToolWindowPlace(tool, c.owner, screen, c.remembered);
        EXPECT_EQ(place, c.expected);
        EXPECT_TRUE(screen.contains(QRect(place, tool))) << "wholly on the screen";
    }

    // A second screen to the right of the first: the owner's screen is the one used.
    const QRect second(1600, 0, 1280, 1024);
    EXPECT_EQ(ToolWindowPlace(tool, QRect(1700, 100, 800, 600), second, std::nullopt),
              QPoint(2507, 100));
}

} // namespace
