// SPDX-License-Identifier: MIT
#include "CanvasPages.h"

#include <gtest/gtest.h>

namespace {

// A4 portrait with its 10 mm margins: 190 x 277 mm printable, 182 x 261 mm for the picture once
// the label band and the corner marks have their room.
const QSizeF A4Printable(190, 277);

TEST(PagePlan, PagesAcrossAndDownOverlapByOneCentimetre) {
    struct Case {
        double widthMm, heightMm;
        int columns, rows;
    };
    for (const Case& c : {Case{182, 261, 1, 1}, Case{182.5, 261, 2, 1}, Case{354, 261, 2, 1},
                          Case{354.1, 261, 3, 1}, Case{300, 400, 2, 2}, Case{10, 1000, 1, 4}}) {
        SCOPED_TRACE(testing::Message() << c.widthMm << " x " << c.heightMm);
        const PagePlan pages = PlanPages(QSizeF(c.widthMm, c.heightMm), A4Printable, false);
        EXPECT_EQ(pages.columns, c.columns);
        EXPECT_EQ(pages.rows, c.rows);
        ASSERT_EQ(int(pages.tiles.size()), c.columns * c.rows);
        EXPECT_DOUBLE_EQ(pages.scale, 1);
        // Neighbours share 10 mm, and the last page ends at the picture's edge.
        const PageTile& last = pages.tiles.back();
        EXPECT_DOUBLE_EQ(last.pictureMm.right(), c.widthMm);
        EXPECT_DOUBLE_EQ(last.pictureMm.bottom(), c.heightMm);
        if (c.columns > 1) {
            EXPECT_DOUBLE_EQ(pages.tiles[0].pictureMm.right() - pages.tiles[1].pictureMm.left(),
                             PageOverlapMm);
        }
    }
}

TEST(PagePlan, TheAreaLeavesRoomForTheLabelAndTheMarks) {
    const PagePlan pages = PlanPages(QSizeF(100, 100), A4Printable, false);
    EXPECT_EQ(pages.areaMm, QRectF(4, 12, 182, 261));
    EXPECT_EQ(pages.tiles.at(0).pictureMm, QRectF(0, 0, 100, 100));
}

TEST(PagePlan, FittedToOnePageKeepsTheProportions) {
    const PagePlan pages = PlanPages(QSizeF(300, 400), A4Printable, true);
    EXPECT_TRUE(pages.fitted);
    EXPECT_EQ(pages.tiles.size(), 1u);
    EXPECT_DOUBLE_EQ(pages.scale, 182.0 / 300);
    const PagePlan small = PlanPages(QSizeF(50, 20), A4Printable, true);
    EXPECT_DOUBLE_EQ(small.scale, 182.0 / 50) << "a small canvas is enlarged to the page";
}

TEST(PagePlan, NothingToPrintGivesNoPage) {
    EXPECT_TRUE(PlanPages(QSizeF(0, 0), A4Printable, false).tiles.empty());
    EXPECT_TRUE(PlanPages(QSizeF(100, 100), QSizeF(5, 5), false).tiles.empty());
}

TEST(PaperLayout, ChosenPaperTurnedTheWayThatNeedsFewerPagesWithMarginsForTape) {
    struct Case {
        const char* what;
        double canvasWidthMm, canvasHeightMm;
        QSizeF pictureMm;
        Paper paper;
        bool fit;
        QPageLayout::Orientation orientation;
        int pages;
    };
    constexpr auto Portrait = QPageLayout::Portrait;
    constexpr auto Landscape = QPageLayout::Landscape;
    const Case cases[] = {
        {"40 x 30 cm on A4: four landscape pages, not six portrait",
         400,
         300,
         {400, 300},
         Paper::A4,
         false,
         Landscape,
         4},
        {"30 x 40 cm on A4: four portrait pages",
         300,
         400,
         {300, 400},
         Paper::A4,
         false,
         Portrait,
         4},
        {"one page either way: the canvas's way",
         150,
         100,
         {150, 75},
         Paper::A4,
         false,
         Landscape,
         1},
        {"a square canvas on a tie: portrait", 100, 100, {100, 100}, Paper::A4, false, Portrait, 1},
        {"fitted to one page: the canvas's way",
         400,
         300,
         {400, 300},
         Paper::A3,
         true,
         Landscape,
         1},
        {"fitted, a portrait canvas", 300, 400, {300, 400}, Paper::A4, true, Portrait, 1},
        {"50 x 70 cm on Tabloid: six pages either way, the canvas's",
         500,
         700,
         {500, 700},
         Paper::Tabloid,
         false,
         Portrait,
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CanvasSettings settings;
        settings.canvasWidthMm = c.canvasWidthMm;
        settings.canvasHeightMm = c.canvasHeightMm;
        settings.paper = c.paper;
        settings.fitToOnePage = c.fit;
        const QPageLayout layout = PaperLayout(settings, c.pictureMm);
        EXPECT_EQ(layout.orientation(), c.orientation);
        EXPECT_EQ(layout.margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));
        EXPECT_EQ(
            int(PlanPages(c.pictureMm, layout.paintRect(QPageLayout::Millimeter).size(), c.fit)
                    .tiles.size()),
            c.pages);
    }
    CanvasSettings tabloid;
    tabloid.paper = Paper::Tabloid;
    EXPECT_EQ(PaperLayout(tabloid, QSizeF(300, 400)).pageSize().id(), QPageSize::Tabloid);
}

} // namespace
