// SPDX-License-Identifier: MIT
#include "CanvasPlan.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>

namespace {

struct PlanCase {
    const char* what;
    CanvasSettings settings;
    int pictureWidth, pictureHeight;
    FittingSide fits;
    int spacing, columns, rows;
    QString fitReadout, gridReadout;
};

CanvasSettings Canvas(LengthUnit unit, double widthMm, double heightMm, GridMeasure measure,
                      double cellSizeMm, int cellsAcross) {
    CanvasSettings settings;
    settings.unit = unit;
    settings.canvasWidthMm = widthMm;
    settings.canvasHeightMm = heightMm;
    settings.measure = measure;
    settings.cellSizeMm = cellSizeMm;
    settings.cellsAcrossShortSide = cellsAcross;
    return settings;
}

constexpr auto Cm = LengthUnit::Centimetres;
constexpr auto In = LengthUnit::Inches;
constexpr auto BySize = GridMeasure::CellSize;
constexpr auto ByCount = GridMeasure::CellsAcrossShortSide;

TEST(CanvasPlan, SpacingCellsAndReadouts) {
    const PlanCase cases[] = {
        {"same proportions: both sides fit", Canvas(Cm, 300, 400, ByCount, 0, 6), 600, 800,
         FittingSide::Both, 100, 6, 8, "Picture 30.00 cm x 40.00 cm. Both sides fit the canvas.",
         "Spacing 100 pixels, 6 x 8 cells of 5.00 cm."},
        {"landscape picture on a portrait canvas, 5 cm cells rounded to whole pixels",
         Canvas(Cm, 300, 400, BySize, 50, 0), 1000, 700, FittingSide::Width, 167, 6, 5,
         "Picture 30.00 cm x 21.00 cm. The width fits; 19.00 cm of the canvas height is left.",
         "Spacing 167 pixels, 6 x 5 cells of 5.01 cm."},
        {"inches; the height fits", Canvas(In, 16 * 25.4, 20 * 25.4, ByCount, 0, 5), 400, 600,
         FittingSide::Height, 80, 5, 8,
         "Picture 13.33 in x 20.00 in. The height fits; 2.67 in of the canvas width is left.",
         "Spacing 80 pixels, 5 x 8 cells of 2.67 in."},
        {"a count that does not divide the short side: the last cells are cut",
         Canvas(Cm, 100, 150, ByCount, 0, 7), 100, 150, FittingSide::Both, 14, 8, 11,
         "Picture 10.00 cm x 15.00 cm. Both sides fit the canvas.",
         "Spacing 14 pixels, 8 x 11 cells of 1.40 cm."},
        {"a cell larger than the picture is kept to its longer side",
         Canvas(Cm, 100, 60, BySize, 2000, 0), 100, 60, FittingSide::Both, 100, 1, 1,
         "Picture 10.00 cm x 6.00 cm. Both sides fit the canvas.",
         "Spacing 100 pixels, 1 x 1 cells of 10.00 cm. The cell size is held at 10.00 cm: a cell "
         "is no larger than the picture."},
        {"a cell below one pixel becomes one pixel", Canvas(Cm, 100, 60, BySize, 0.1, 0), 100, 60,
         FittingSide::Both, 1, 100, 60, "Picture 10.00 cm x 6.00 cm. Both sides fit the canvas.",
         "Spacing 1 pixels, 100 x 60 cells of 0.10 cm. The cell size is held at one pixel of "
         "the picture."},
        {"more cells than pixels across", Canvas(Cm, 100, 60, ByCount, 0, 500), 100, 60,
         FittingSide::Both, 1, 100, 60, "Picture 10.00 cm x 6.00 cm. Both sides fit the canvas.",
         "Spacing 1 pixels, 100 x 60 cells of 0.10 cm. Held at one pixel a cell: 500 cells across "
         "would be smaller than a pixel of the picture."},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CanvasPlan plan = PlanCanvas(c.settings, c.pictureWidth, c.pictureHeight);
        EXPECT_EQ(plan.fits, c.fits);
        EXPECT_EQ(plan.spacing, c.spacing);
        EXPECT_EQ(plan.columns, c.columns);
        EXPECT_EQ(plan.rows, c.rows);
        EXPECT_EQ(FitReadout(plan, c.settings.unit), c.fitReadout);
        EXPECT_EQ(GridReadout(plan, c.settings), c.gridReadout);
    }
}

// The line width is the canvas's in whole pixels, at least one and at most a quarter of a cell.
TEST(CanvasPlan, LineWidthOnTheCanvasInPixels) {
    struct Case {
        double lineWidthMm;
        int pixels;
        const char* readoutEnd;
    };
    // 600 x 400 pixels on 30 x 20 cm: half a millimetre a pixel, 4 cells of 100 pixels.
    for (const Case& c : {Case{0, 1, "of 5.00 cm."}, Case{0.2, 1, "Lines 0.20 mm: 1 pixels wide."},
                          Case{1.26, 3, "Lines 1.26 mm: 3 pixels wide."},
                          Case{5, 10, "Lines 5.00 mm: 10 pixels wide."}}) {
        SCOPED_TRACE(c.lineWidthMm);
        CanvasSettings settings = Canvas(Cm, 300, 200, ByCount, 0, 4);
        settings.lineWidthMm = c.lineWidthMm;
        const CanvasPlan plan = PlanCanvas(settings, 600, 400);
        EXPECT_EQ(plan.lineWidth, c.pixels);
        EXPECT_FALSE(plan.lineWidthHeld);
        EXPECT_TRUE(GridReadout(plan, settings).endsWith(c.readoutEnd))
            << GridReadout(plan, settings).toStdString();
    }
    CanvasSettings dense = Canvas(Cm, 300, 200, ByCount, 0, 40); // cells of 10 pixels
    dense.lineWidthMm = 5;
    const CanvasPlan held = PlanCanvas(dense, 600, 400);
    EXPECT_EQ(held.lineWidth, 2);
    EXPECT_TRUE(held.lineWidthHeld);
    EXPECT_TRUE(GridReadout(held, dense)
                    .endsWith("Lines 5.00 mm: 2 pixels wide. The line width is held at 2 pixels, a "
                              "quarter of a cell."));
}

TEST(CanvasPlan, AnUnchosenCanvasTurnsToThePicture) {
    struct Case {
        double width, height;
        int pictureWidth, pictureHeight;
        double turnedWidth, turnedHeight;
    };
    for (const Case& c : {Case{300, 400, 600, 400, 400, 300}, Case{300, 400, 400, 600, 300, 400},
                          Case{500, 300, 400, 600, 300, 500}, Case{500, 300, 600, 400, 500, 300},
                          Case{300, 400, 500, 500, 300, 400}, Case{300, 300, 600, 400, 300, 300}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " for " << c.pictureWidth
                                        << "x" << c.pictureHeight);
        const CanvasSettings turned = OrientedLike(Canvas(Cm, c.width, c.height, ByCount, 0, 6),
                                                   c.pictureWidth, c.pictureHeight);
        EXPECT_EQ(turned.canvasWidthMm, c.turnedWidth);
        EXPECT_EQ(turned.canvasHeightMm, c.turnedHeight);
    }
}

TEST(CanvasPlan, ThePictureKeepsItsProportionsInsideTheCanvas) {
    const CanvasPlan plan = PlanCanvas(Canvas(Cm, 500, 300, ByCount, 0, 4), 6000, 4000);
    EXPECT_DOUBLE_EQ(plan.pictureWidthMm, 450);
    EXPECT_DOUBLE_EQ(plan.pictureHeightMm, 300);
    EXPECT_DOUBLE_EQ(plan.canvasLeftMm, 50);
    EXPECT_DOUBLE_EQ(plan.cellMm, 75) << "1000 pixels at 0.075 mm each";
}

TEST(CanvasPlan, AnEmptyPictureOrCanvasHasNoGrid) {
    for (auto [width, height, canvasWidth] :
         {std::tuple{0, 0, 300.0}, std::tuple{10, 0, 300.0}, std::tuple{10, 10, 0.0}}) {
        const CanvasPlan plan =
            PlanCanvas(Canvas(Cm, canvasWidth, 400, ByCount, 0, 6), width, height);
        EXPECT_EQ(plan.spacing, 0);
        EXPECT_EQ(plan.columns, 0);
        EXPECT_EQ(plan.rows, 0);
    }
}

TEST(CellNaming, ColumnsCountLikeAChessBoardPastZ) {
    for (auto [column, name] :
         {std::pair{0, "A"}, std::pair{7, "H"}, std::pair{25, "Z"}, std::pair{26, "AA"},
          std::pair{27, "AB"}, std::pair{701, "ZZ"}, std::pair{702, "AAA"}})
        EXPECT_EQ(ColumnName(column), QString::fromLatin1(name)) << column;
    EXPECT_EQ(CellName(1, 2), "B3");
    EXPECT_EQ(CellName(0, 9), "A10");
}

} // namespace
