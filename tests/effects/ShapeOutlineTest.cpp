// SPDX-License-Identifier: MIT
// The outline's trace against brute force here: each pixel's depth, each patch's pole, the
// boundary pieces; the labels inside their patches, clear of the lines and of each other; the
// outline picture's lines exactly where the boundaries are.
#include "ShapeOutline.h"
#include "Cores.h"
#include "KernelRun.h"

#include <QSet>
#include <algorithm>
#include <map>
#include <random>
#include <set>

namespace {

OutlineTrace Trace(const Rows& picture, const StudyOverlay& overlay = {}) {
    TBitmap bitmap;
    FillBitmap(bitmap, picture);
    TBitmapData map;
    OutlineTrace trace;
    if (bitmap.Map(TMapAccess::Read, map)) {
        trace = TraceOutline(map, overlay);
        bitmap.Unmap(map);
    }
    return trace;
}

int WidthOf(const Rows& picture) {
    return picture.empty() ? 0 : int(picture[0].size());
}

// The chessboard distance to the nearest pixel of another colour or to the outside, the long
// way.
int BruteDepth(const Rows& picture, int x, int y) {
    const int height = int(picture.size());
    const int width = WidthOf(picture);
    int best = std::min({x + 1, y + 1, width - x, height - y});
    for (int v = 0; v < height; ++v)
        for (int u = 0; u < width; ++u)
            if (picture[v][u] != picture[y][x])
                best = std::min(best, std::max(std::abs(u - x), std::abs(v - y)));
    return best;
}

// 4-connected patches by flood fill: each pixel's patch, patches numbered by first pixel.
std::vector<std::vector<int>> PatchesOf(const Rows& picture, int& count) {
    const int height = int(picture.size());
    const int width = WidthOf(picture);
    std::vector<std::vector<int>> patch(height, std::vector<int>(width, -1));
    count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (patch[y][x] >= 0)
                continue;
            std::vector<std::pair<int, int>> stack{{x, y}};
            patch[y][x] = count;
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int nx = px + dx;
                    const int ny = py + dy;
                    if (nx >= 0 && ny >= 0 && nx < width && ny < height && patch[ny][nx] < 0 &&
                        picture[ny][nx] == picture[py][px]) {
                        patch[ny][nx] = count;
                        stack.push_back({nx, ny});
                    }
                }
            }
            ++count;
        }
    return patch;
}

// The pixels a box reaches into.
QRect PixelsReached(const QRectF& box) {
    return QRect(QPoint(int(std::floor(box.left())), int(std::floor(box.top()))),
                 QPoint(int(std::ceil(box.right())) - 1, int(std::ceil(box.bottom())) - 1));
}

// Blocks of random sizes in a few colours, with a sprinkle of single pixels: patches of many
// sizes and shapes, some touching only at corners.
Rows BlockPicture(std::mt19937& random, int width, int height, int colours) {
    const TAlphaColor palette[] = {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF, 0xFF2040C0};
    Rows picture(height, std::vector<TAlphaColor>(width));
    std::uniform_int_distribution<int> colour(0, colours - 1);
    const int block = std::uniform_int_distribution<int>(1, 9)(random);
    std::vector<TAlphaColor> cells(std::size_t((width / block + 1) * (height / block + 1)));
    for (TAlphaColor& cell : cells)
        cell = palette[colour(random)];
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture[y][x] = cells[std::size_t((y / block) * (width / block + 1) + x / block)];
    for (int speck = 0; speck < width * height / 40; ++speck)
        picture[std::uniform_int_distribution<int>(0, height - 1)(random)]
               [std::uniform_int_distribution<int>(0, width - 1)(random)] = palette[colour(random)];
    return picture;
}

std::vector<Rows> Pictures() {
    std::mt19937 random(20261211);
    std::vector<Rows> pictures{
        {{0xFF000000}},                                       // one pixel
        {{0xFF000000, 0xFFFFFFFF, 0xFF000000}},               // one row
        {{0xFF000000}, {0xFF000000}, {0xFFFFFFFF}},           // one column
        {{0xFF000000, 0xFFFFFFFF}, {0xFFFFFFFF, 0xFF000000}}, // a checkerboard
    };
    // Nested rings: the depth grows towards the middle.
    Rows rings(21, std::vector<TAlphaColor>(17));
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 17; ++x)
            rings[y][x] = std::min({x, y, 16 - x, 20 - y}) / 3 % 2 ? 0xFF000000 : 0xFFFFFFFF;
    pictures.push_back(rings);
    // Shapes taller than the blocks of rows the depths are split into on many threads: wide
    // diagonal bands, and a large square holding a speck.
    Rows bands(96, std::vector<TAlphaColor>(29));
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 29; ++x)
            bands[y][x] = 0xFF000000u + TAlphaColor((x + 2 * y) / 11 % 3 * 0x404040);
    pictures.push_back(bands);
    Rows square(80, std::vector<TAlphaColor>(40, 0xFFFFFFFF));
    for (int y = 10; y < 70; ++y)
        std::fill(square[y].begin() + 5, square[y].begin() + 35, 0xFF000000);
    square[40][20] = 0xFFFFFFFF;
    pictures.push_back(square);
    // Squares whose deepest pixel lies in each lane of the eight-at-a-time sweeps or in their
    // scalar ends; a wide bar, whose equal deepest pixels span several eights; a staircase
    // crossing the blocks' seams, where a row's depths come down only from a diagonal neighbour.
    for (int side = 3; side <= 25; side += 2) {
        Rows framed(std::size_t(side + 2),
                    std::vector<TAlphaColor>(std::size_t(side + 2), 0xFF000000));
        for (int y = 1; y <= side; ++y)
            std::fill(framed[y].begin() + 1, framed[y].begin() + 1 + side, 0xFFFFFFFF);
        pictures.push_back(framed);
    }
    Rows bar(9, std::vector<TAlphaColor>(40, 0xFF000000));
    for (int y = 1; y < 8; ++y)
        std::fill(bar[y].begin() + 1, bar[y].end() - 1, 0xFFAAAAAA);
    pictures.push_back(bar);
    Rows stairs(40, std::vector<TAlphaColor>(40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            stairs[y][x] = x > y ? 0xFF000000 : 0xFFFFFFFF;
    pictures.push_back(stairs);
    // Widths around the eights of the sweeps.
    for (const int width : {8, 9, 15, 16, 17, 24})
        pictures.push_back(BlockPicture(random, width, 6, 2));
    for (int i = 0; i < 12; ++i)
        pictures.push_back(BlockPicture(random, std::uniform_int_distribution<int>(1, 40)(random),
                                        std::uniform_int_distribution<int>(1, 30)(random),
                                        std::uniform_int_distribution<int>(1, 5)(random)));
    return pictures;
}

// On every thread count: with more threads the depths are made in blocks of rows that meet.
TEST(ShapeOutline, DepthsAndPolesAreTheBruteForceOnes) {
    for (const int threads : {1, 2, 3, 8})
        for (const Rows& picture : Pictures()) {
            SCOPED_TRACE(testing::Message()
                         << threads << " threads, " << WidthOf(picture) << "x" << picture.size());
            OutlineTrace trace;
            WithThreads(threads, [&] { trace = Trace(picture); });
            const int width = WidthOf(picture);
            int patches = 0;
            const auto patchOf = PatchesOf(picture, patches);
            ASSERT_EQ(trace.poles.size(), std::size_t(patches));
            std::vector<PatchPole> poles(static_cast<std::size_t>(patches));
            for (int y = 0; y < int(picture.size()); ++y)
                for (int x = 0; x < width; ++x) {
                    const int depth = BruteDepth(picture, x, y);
                    ASSERT_EQ(trace.depths[std::size_t(y * width + x)], depth) << x << "," << y;
                    PatchPole& pole = poles[std::size_t(patchOf[y][x])];
                    if (depth > pole.depth)
                        pole = {x, y, std::uint16_t(depth)};
                }
            for (int p = 0; p < patches; ++p) {
                const PatchPole& pole = trace.poles[std::size_t(p)];
                EXPECT_EQ(pole.x, poles[std::size_t(p)].x) << p;
                EXPECT_EQ(pole.y, poles[std::size_t(p)].y) << p;
                EXPECT_EQ(pole.depth, poles[std::size_t(p)].depth) << p;
                EXPECT_EQ(trace.colours[std::size_t(p)], picture[pole.y][pole.x]);
            }
        }
}

TEST(ShapeOutline, SegmentsCoverEveryBoundaryEdgeOnceAndNothingElse) {
    for (const Rows& picture : Pictures()) {
        const OutlineTrace trace = Trace(picture);
        const int height = int(picture.size());
        const int width = WidthOf(picture);
        // Unit edges as (x, y, vertical): a vertical one left of pixel (x, y), a horizontal one
        // above it.
        const auto colourAt = [&](int x, int y) -> std::int64_t {
            return x < 0 || y < 0 || x >= width || y >= height ? -1 : std::int64_t(picture[y][x]);
        };
        std::multiset<std::tuple<int, int, bool>> drawn;
        for (const OutlineSegment& s : trace.segments) {
            ASSERT_TRUE(s.x0 == s.x1 || s.y0 == s.y1);
            ASSERT_TRUE(s.x0 <= s.x1 && s.y0 <= s.y1);
            ASSERT_TRUE(s.x0 != s.x1 || s.y0 != s.y1) << "an empty segment";
            for (int x = s.x0; x < s.x1; ++x)
                drawn.insert({x, s.y0, false});
            for (int y = s.y0; y < s.y1; ++y)
                drawn.insert({s.x0, y, true});
        }
        std::multiset<std::tuple<int, int, bool>> boundary;
        for (int y = 0; y <= height; ++y)
            for (int x = 0; x <= width; ++x) {
                if (x < width && colourAt(x, y - 1) != colourAt(x, y))
                    boundary.insert({x, y, false});
                if (y < height && colourAt(x - 1, y) != colourAt(x, y))
                    boundary.insert({x, y, true});
            }
        EXPECT_EQ(drawn, boundary);
    }
}

// Several numbers: more than nine tones, so that labels of two digits are placed too.
Rows ManyTones() {
    Rows picture(60, std::vector<TAlphaColor>(90));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x)
            picture[y][x] = 0xFF000000 + 0x00101010 * TAlphaColor((x / 18 + y / 20 * 5) % 15);
    return picture;
}

TEST(ShapeOutline, LabelsCarryTheirTonesNumberInsideTheirPatchClearOfLinesAndEachOther) {
    std::vector<Rows> pictures = Pictures();
    pictures.push_back(ManyTones());
    const LabelRule rules[] = {{1, 3, 1}, {2, 8, 1}, {1, 100, 3.2}, {0.5, 2, 0.4}};
    for (const Rows& picture : pictures)
        for (const LabelRule& rule : rules) {
            const OutlineTrace trace = Trace(picture);
            const OutlineLabels placed = PlaceLabels(trace, rule);
            EXPECT_EQ(placed.labels.size() + placed.tooSmall + placed.unkeyed, trace.poles.size());
            int patches = 0;
            const auto patchOf = PatchesOf(picture, patches);
            const int band = LineBandOf(rule.lineWidth);
            std::map<TAlphaColor, int> numberOf;
            for (const KeyRow& row : trace.key)
                numberOf[row.colour] = row.number;
            for (std::size_t i = 0; i < placed.labels.size(); ++i) {
                const OutlineLabel& label = placed.labels[i];
                const PatchPole& pole = trace.poles[label.patch];
                EXPECT_EQ(label.number, numberOf.at(picture[pole.y][pole.x]));
                EXPECT_GE(label.box.height(), rule.smallest);
                EXPECT_LE(label.box.height(), rule.largest + 1e-9);
                // Every pixel the box reaches into is the pole's patch's, and no line's.
                const QRect reached = PixelsReached(label.box);
                for (int y = reached.top(); y <= reached.bottom(); ++y)
                    for (int x = reached.left(); x <= reached.right(); ++x) {
                        ASSERT_TRUE(y >= 0 && x >= 0 && y < int(picture.size()) &&
                                    x < WidthOf(picture));
                        EXPECT_EQ(patchOf[y][x], patchOf[pole.y][pole.x]);
                        EXPECT_GT(BruteDepth(picture, x, y), band);
                    }
                // Clear of the vector lines too: the box keeps half a line's width from every
                // boundary, the pixels' edges of another colour.
                const double reach = double(pole.depth) - 0.5 - rule.lineWidth / 2;
                EXPECT_LE(std::max(label.box.width(), label.box.height()) / 2, reach + 1e-9);
                for (std::size_t j = i + 1; j < placed.labels.size(); ++j)
                    EXPECT_FALSE(label.box.intersects(placed.labels[j].box));
            }
        }
}

TEST(ShapeOutline, ToneLeftOutOfTheKeyIsNotNumbered) {
    // 40 tones in stripes: the key keeps 31 and sums the rest as "other".
    Rows picture(40, std::vector<TAlphaColor>(40 * 6));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40 * 6; ++x)
            picture[y][x] = 0xFF000000 + TAlphaColor(x / 6) * 0x00050505;
    const OutlineTrace trace = Trace(picture);
    const OutlineLabels placed = PlaceLabels(trace, {1, 4, 1});
    EXPECT_EQ(placed.unkeyed, 40u - 31u);
    EXPECT_EQ(placed.labels.size(), 31u);
    EXPECT_EQ(LabelReadout(placed),
              QStringLiteral("31 shapes numbered, 0 too small, 9 without a number in the key"));
}

TEST(ShapeOutline, WhatWasDrawnOverTheStudyMakesNoShapesAndIsNotInTheKey) {
    // Four tones in quarters; over them a grid's lines and a stamp inside one quarter, of the
    // darkest tone and white, and a second stamp over the whole top-left quarter.
    const TAlphaColor grid = 0xFF98FB98;
    const TAlphaColor tones[] = {0xFF202020, 0xFF606060, 0xFFA0A0A0, 0xFFE0E0E0};
    Rows plain(40, std::vector<TAlphaColor>(40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            plain[y][x] = tones[(y / 18) % 2 * 2 + (x / 18) % 2];
    Rows drawn = plain;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            if (x % 7 == 6 || y % 7 == 6)
                drawn[y][x] = grid;
            if (x >= 22 && x <= 26 && y >= 22 && y <= 26)
                drawn[y][x] = (x + y) % 2 ? tones[0] : 0xFFFFFFFF;
        }
    const OutlineTrace uncovered = Trace(drawn, {{grid}, {QRect(22, 22, 5, 5)}});
    const OutlineTrace expected = Trace(plain);
    EXPECT_EQ(uncovered.segments, expected.segments);
    ASSERT_EQ(uncovered.poles.size(), expected.poles.size());
    for (std::size_t p = 0; p < expected.poles.size(); ++p) {
        EXPECT_EQ(uncovered.poles[p].x, expected.poles[p].x);
        EXPECT_EQ(uncovered.poles[p].y, expected.poles[p].y);
    }
    std::vector<TAlphaColor> keyed;
    for (const KeyRow& row : uncovered.key)
        keyed.push_back(row.colour);
    EXPECT_EQ(keyed, std::vector<TAlphaColor>(std::begin(tones), std::end(tones)))
        << "the grid's colour and the stamp's white are left out of the key";

    // A quarter covered whole takes its neighbours' tones, the nearest of them.
    const OutlineTrace stamped = Trace(plain, {{}, {QRect(0, 0, 18, 18)}});
    EXPECT_EQ(stamped.colours.at(0), tones[1]) << "the patch from the corner: from the right";
    EXPECT_EQ(PlaceLabels(stamped, {1, 4, 1}).unkeyed, 0u);
}

TEST(ShapeOutline, PictureHasLinesExactlyNearBoundariesAndNumbersOnlyInTheirBoxes) {
    std::vector<Rows> pictures = Pictures();
    pictures.push_back(ManyTones());
    for (const Rows& picture : pictures)
        for (const double lineWidth : {1.0, 4.4}) {
            const OutlineTrace trace = Trace(picture);
            const OutlineLabels placed = PlaceLabels(trace, {2, 12, lineWidth});
            TBitmap outline;
            outline.SetSize(trace.width, trace.height);
            TBitmapData map;
            ASSERT_TRUE(outline.Map(TMapAccess::Write, map));
            DrawOutline(trace, placed, lineWidth, {}, map);
            outline.Unmap(map);
            const Rows drawn = PixelsOf(outline);
            const int band = LineBandOf(lineWidth);
            QSet<QPair<int, int>> inBoxes;
            for (const OutlineLabel& label : placed.labels) {
                const QRect reached = PixelsReached(label.box);
                for (int y = reached.top(); y <= reached.bottom(); ++y)
                    for (int x = reached.left(); x <= reached.right(); ++x)
                        inBoxes.insert({x, y});
            }
            int inked = 0;
            for (int y = 0; y < trace.height; ++y)
                for (int x = 0; x < trace.width; ++x) {
                    const bool line = BruteDepth(picture, x, y) <= band;
                    if (inBoxes.contains({x, y})) {
                        EXPECT_FALSE(line) << x << "," << y;
                        inked += drawn[y][x] != PaperColour;
                    } else {
                        EXPECT_EQ(drawn[y][x], line ? LineColour : PaperColour) << x << "," << y;
                    }
                }
            EXPECT_EQ(inked > 0, !placed.labels.empty());
        }
}

} // namespace
