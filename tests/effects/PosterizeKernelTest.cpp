// SPDX-License-Identifier: MIT
#include "PosterizeKernel.h"
#include "ImageCompare.h"
#include "KernelRun.h"
#include "ReferenceKernels.h"

#include <gtest/gtest.h>
#include <set>

namespace {

TEST(PosterizeKernel, ClosedFormAgreesWithTheBandWalkForEveryGrey) {
    for (int n = MinLevels; n <= MaxLevels; ++n) {
        const auto table = PosterizeTable(n);
        for (int d = 0; d < 256; ++d)
            ASSERT_EQ(table[d], PosterizeLevel(d, n)) << "n=" << n << " d=" << d;
    }
}

// Each row lists, for one n, the first grey of every band and the level it maps to.
TEST(PosterizeKernel, BandsForEveryLevelCount) {
    struct Band {
        int from, level;
    };
    const std::vector<std::pair<int, std::vector<Band>>> table = {
        {2, {{0, 0}, {128, 255}}},
        {3, {{0, 0}, {86, 85}, {171, 255}}},
        {4, {{0, 0}, {65, 64}, {129, 128}, {193, 255}}},
        {5, {{0, 0}, {52, 51}, {103, 102}, {154, 153}, {205, 255}}},
        {6, {{0, 0}, {42, 42}, {84, 84}, {126, 126}, {168, 168}, {210, 210}, {252, 255}}},
        {7,
         {{0, 0}, {37, 36}, {73, 72}, {109, 108}, {145, 144}, {181, 180}, {217, 216}, {253, 255}}},
        {8, {{0, 0}, {33, 32}, {65, 64}, {97, 96}, {129, 128}, {161, 160}, {193, 192}, {225, 224}}},
        {9,
         {{0, 0},
          {29, 28},
          {57, 56},
          {85, 84},
          {113, 112},
          {141, 140},
          {169, 168},
          {197, 196},
          {225, 224},
          {253, 255}}},
        {10,
         {{0, 0},
          {26, 25},
          {51, 50},
          {76, 75},
          {101, 100},
          {126, 125},
          {151, 150},
          {176, 175},
          {201, 200},
          {226, 225},
          {251, 255}}},
        {11,
         {{0, 0},
          {24, 23},
          {47, 46},
          {70, 69},
          {93, 92},
          {116, 115},
          {139, 138},
          {162, 161},
          {185, 184},
          {208, 207},
          {231, 230},
          {254, 255}}},
        {12,
         {{0, 0},
          {22, 21},
          {43, 42},
          {64, 63},
          {85, 84},
          {106, 105},
          {127, 126},
          {148, 147},
          {169, 168},
          {190, 189},
          {211, 210},
          {232, 231},
          {253, 255}}},
        {13,
         {{0, 0},
          {20, 19},
          {39, 38},
          {58, 57},
          {77, 76},
          {96, 95},
          {115, 114},
          {134, 133},
          {153, 152},
          {172, 171},
          {191, 190},
          {210, 209},
          {229, 228},
          {248, 255}}},
    };
    for (const auto& [n, bands] : table) {
        for (std::size_t b = 0; b < bands.size(); ++b) {
            const int to = b + 1 < bands.size() ? bands[b + 1].from - 1 : 255;
            for (int d = bands[b].from; d <= to; ++d)
                ASSERT_EQ(PosterizeLevel(d, n), bands[b].level) << "n=" << n << " d=" << d;
        }
    }
}

TEST(PosterizeKernel, DistinctLevelsAndNoWhiteForEight) {
    const int distinct[] = {2, 3, 4, 5, 7, 8, 8, 10, 11, 12, 13, 14};
    for (int n = MinLevels; n <= MaxLevels; ++n) {
        const auto table = PosterizeTable(n);
        EXPECT_EQ(std::set<int>(table.begin(), table.end()).size(), std::size_t(distinct[n - 2]))
            << n;
    }
    EXPECT_EQ(PosterizeLevel(255, 8), 224);
}

TEST(PosterizeKernel, LevelCountsOutsideTheRangeAreHeld) {
    struct Case {
        int n, held;
    };
    for (const Case c :
         {Case{0, 2}, Case{1, 2}, Case{-7, 2}, Case{2, 2}, Case{13, 13}, Case{20, 13}}) {
        EXPECT_EQ(HeldLevelCount(c.n), c.held) << c.n;
    }
}

TEST(PosterizeKernel, PassWritesOpaqueGreyFromTheRedByte) {
    TBitmap grey;
    TBitmap poster;
    // Only the red byte counts; the other channels of these pixels disagree on purpose.
    FillBitmap(grey,
               {{0xFF2A0000u, 0xFF29FFFFu, 0x00FC0000u}, {0xFFFB0000u, 0xFF000000u, 0xFFFF0000u}});
    poster.SetSize(3, 2);
    for (int n : {6, 0, 20}) {
        const auto [current, output] = RunPass(
            grey, poster, TMapAccess::Write, [&](auto& in, auto& out, auto& current, auto& output) {
                PosterizePass(in, out, n, current, output);
            });
        const int held = HeldLevelCount(n);
        const auto result = PixelsOf(poster);
        const int reds[2][3] = {{42, 41, 252}, {251, 0, 255}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(result[y][x], OpaqueGrey(std::uint8_t(PosterizeLevel(reds[y][x], held))))
                    << "n=" << n << " at " << x << "," << y;
        EXPECT_EQ(current, 0xFFFF0000u);
        EXPECT_EQ(output, result[1][2]);
    }
}

} // namespace
