// SPDX-License-Identifier: MIT
#include "CanvasGridKernel.h"
#include "GridKernel.h"
#include "ImageCompare.h"
#include "KernelRun.h"

#include <gtest/gtest.h>
#include <set>

namespace {

constexpr TAlphaColor O = 0xFF000000u;
constexpr TAlphaColor L = 0xFF98FB98u;
constexpr TAlphaColor White = 0xFFFFFFFFu;

Rows Plain(int width, int height, TAlphaColor colour = O) {
    return Rows(height, std::vector<TAlphaColor>(width, colour));
}

Rows Canvas(const Rows& picture, int spacing, TAlphaColor colour, GridStyle style) {
    return DrawnOver(picture,
                     [&](const TBitmapData& map) { DrawCanvasGrid(map, spacing, colour, style); });
}

TEST(CanvasGridKernel, WithTheDefaultStyleItDrawsExactlyTheGridOfInsertGrid) {
    for (auto [width, height, spacing] :
         {std::tuple{5, 4, 2}, std::tuple{100, 60, 28}, std::tuple{3, 2, 1}, std::tuple{3, 2, 4},
          std::tuple{7, 9, 7}, std::tuple{4, 3, 0}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << " by " << spacing);
        const Rows grid = DrawnOver(Plain(width, height),
                                    [&](const TBitmapData& map) { DrawGrid(map, spacing, L); });
        EXPECT_EQ(Canvas(Plain(width, height), spacing, L, {}), grid);
    }
}

TEST(CanvasGridKernel, CellsTooSmallForANameGetNone) {
    const Rows grid = Canvas(Plain(24, 24), 8, L, {});
    EXPECT_EQ(Canvas(Plain(24, 24), 8, L, {1, false, true}), grid);
    EXPECT_NE(Canvas(Plain(40, 40), 20, L, {1, false, true}), Canvas(Plain(40, 40), 20, L, {}))
        << "20 pixels hold one";
}

TEST(CanvasGridKernel, WideLinesAreCentredOnTheOnePixelLines) {
    // Lines of Insert Grid at columns and rows 3 and 7.
    const std::vector<TAlphaColor> wide3 = {O, O, L, L, L, O, L, L, L};
    const std::vector<TAlphaColor> wide2 = {O, O, O, L, L, O, O, L, L};
    const Rows three = Canvas(Plain(9, 9), 4, L, {3, false, false});
    const Rows two = Canvas(Plain(9, 9), 4, L, {2, false, false});
    for (int y = 0; y < 9; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(three[y], wide3[y] == L ? std::vector<TAlphaColor>(9, L) : wide3);
        EXPECT_EQ(two[y], wide2[y] == L ? std::vector<TAlphaColor>(9, L) : wide2);
    }
}

TEST(CanvasGridKernel, DiagonalsRunCornerToCornerInEveryCellTheCutOnesIncluded) {
    constexpr TAlphaColor D = L;
    EXPECT_EQ(Canvas(Plain(7, 7), 4, L, {1, true, false}), (Rows{
                                                               {D, O, D, L, D, O, D},
                                                               {O, D, O, L, O, D, O},
                                                               {D, O, D, L, D, O, D},
                                                               {L, L, L, L, L, L, L},
                                                               {D, O, D, L, D, O, D},
                                                               {O, D, O, L, O, D, O},
                                                               {D, O, D, L, D, O, D},
                                                           }));
}

TEST(CanvasGridKernel, WideDiagonalsKeepTheirWidthAlongEachRow) {
    const Rows drawn = Canvas(Plain(11, 11), 12, L, {3, true, false});
    // One cell whose corners lie outside the picture at -1 and 11: the diagonals cross at 5.
    EXPECT_EQ(drawn[5], (std::vector<TAlphaColor>{O, O, O, O, L, L, L, O, O, O, O}));
    EXPECT_EQ(drawn[0], (std::vector<TAlphaColor>{L, L, O, O, O, O, O, O, O, L, L}));
}

// Where the name and outline pixels of a 3 x 2 cell grid fall, 40 pixels apart, on a picture
// half black and half white.
class CellNames : public testing::Test {
protected:
    static constexpr int Spacing = 40;
    void SetUp() override {
        picture = Plain(120, 80, O);
        for (auto& row : picture)
            std::fill(row.begin() + 60, row.end(), White);
        drawn = Canvas(picture, Spacing, L, {1, false, true});
    }
    bool OnLine(int x, int y) const { return x % Spacing == Spacing - 1 || y % Spacing == 39; }
    Rows picture, drawn;
};

TEST_F(CellNames, NamesLieInTheirCellsTopLeftCornerInTheGridColourOutlinedInGrey) {
    const TAlphaColor outline = OutlineGreyFor(L);
    std::set<std::pair<int, int>> cellsWithName;
    std::set<std::pair<int, int>> cellsWithOutline;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) {
            if (OnLine(x, y) || drawn[y][x] == picture[y][x])
                continue;
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const int inCellX = x % Spacing;
            const int inCellY = y % Spacing;
            EXPECT_GE(inCellX, 1);
            EXPECT_GE(inCellY, 1);
            EXPECT_LT(inCellX, Spacing / 2) << "names are small, in the top-left corner";
            EXPECT_LT(inCellY, Spacing / 2);
            ASSERT_TRUE(drawn[y][x] == L || drawn[y][x] == outline);
            (drawn[y][x] == L ? cellsWithName : cellsWithOutline).insert({x / 40, y / 40});
        }
    const std::set<std::pair<int, int>> everyCell = {{0, 0}, {1, 0}, {2, 0},
                                                     {0, 1}, {1, 1}, {2, 1}};
    EXPECT_EQ(cellsWithName, everyCell);
    EXPECT_EQ(cellsWithOutline, everyCell);
}

TEST_F(CellNames, EveryNamePixelIsEnclosedByNameOrOutline) {
    // Readable on any tone: no name pixel touches the picture itself.
    for (int y = 1; y < 79; ++y)
        for (int x = 1; x < 119; ++x) {
            if (OnLine(x, y) || drawn[y][x] != L)
                continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const TAlphaColor next = drawn[y + dy][x + dx];
                    EXPECT_TRUE(next == L || next == OutlineGreyFor(L))
                        << x + dx << "," << y + dy << " next to a name pixel";
                }
        }
}

TEST_F(CellNames, EachCellCarriesItsOwnName) {
    // The corner 18 x 14 pixels of each cell: the names A1, B1, C1, A2 all differ.
    const auto corner = [&](int column, int row) {
        Rows pixels;
        for (int y = row * Spacing; y < row * Spacing + 14; ++y)
            pixels.emplace_back(drawn[y].begin() + column * Spacing,
                                drawn[y].begin() + column * Spacing + 18);
        for (auto& line : pixels)
            for (auto& pixel : line)
                pixel = pixel == L;
        return pixels;
    };
    EXPECT_NE(corner(0, 0), corner(1, 0));
    EXPECT_NE(corner(1, 0), corner(2, 0));
    EXPECT_NE(corner(0, 0), corner(0, 1));
}

TEST(OutlineGrey, ContrastsWithTheGridColour) {
    EXPECT_EQ(OutlineGreyFor(White), 0xFF333333u);
    EXPECT_EQ(OutlineGreyFor(L), 0xFF333333u);
    EXPECT_EQ(OutlineGreyFor(O), 0xFFCCCCCCu);
    EXPECT_EQ(OutlineGreyFor(0xFF0000FFu), 0xFFCCCCCCu);
}

} // namespace
