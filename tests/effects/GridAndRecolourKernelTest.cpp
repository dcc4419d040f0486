// SPDX-License-Identifier: MIT
#include "GridKernel.h"
#include "ImageCompare.h"
#include "KernelRun.h"
#include "RecolourKernel.h"

#include <gtest/gtest.h>

namespace {

constexpr TAlphaColor O = 0xFF000000u;
constexpr TAlphaColor L = 0x80FF0000u;

Rows Drawn(int width, int height, int spacing) {
    return DrawnOver(Rows(height, std::vector<TAlphaColor>(width, O)),
                     [&](const TBitmapData& map) { DrawGrid(map, spacing, L); });
}

TEST(GridKernel, LinesLieAtMultiplesOfTheSpacingMinusOne) {
    EXPECT_EQ(Drawn(5, 4, 2),
              (Rows{{O, L, O, L, O}, {L, L, L, L, L}, {O, L, O, L, O}, {L, L, L, L, L}}));
    EXPECT_EQ(Drawn(3, 2, 1), Rows(2, std::vector<TAlphaColor>(3, L)));
    EXPECT_EQ(Drawn(3, 2, 3), (Rows{{O, O, L}, {O, O, L}}));
    EXPECT_EQ(Drawn(3, 2, 4), Rows(2, std::vector<TAlphaColor>(3, O)));
}

TEST(GridKernel, ASpacingBelowOneDrawsNothingAndEnds) {
    for (int spacing : {0, -1, -28})
        EXPECT_EQ(Drawn(4, 3, spacing), Rows(3, std::vector<TAlphaColor>(4, O))) << spacing;
}

TEST(RecolourKernel, OnlyExactMatchesInAll32BitsAreReplaced) {
    TBitmap bitmap;
    FillBitmap(bitmap, {{O, 0xFE000000u, O}, {0xFF000001u, O, L}});
    TBitmapData map;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Write, map));
    ReplaceColour(map, O, L);
    bitmap.Unmap(map);
    EXPECT_EQ(PixelsOf(bitmap), (Rows{{L, 0xFE000000u, L}, {0xFF000001u, L, L}}));
}

} // namespace
