// SPDX-License-Identifier: MIT
// Counting the tones of a picture and its same-colour patches, and the key's rows made of them.
#include "ToneCensus.h"
#include "Cores.h"
#include "ImageCompare.h"
#include "ValueKeyTable.h"

#include <QFont>
#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <random>

void PrintTo(const ToneCount& t, std::ostream* out) {
    *out << std::hex << "0x" << t.colour << std::dec << ": " << t.pixels;
}
void PrintTo(const PatchCensus& c, std::ostream* out) {
    *out << c.patches << " patches, smallest " << c.smallest << ", " << c.small << " small";
}
void PrintTo(const KeyRow& r, std::ostream* out) {
    *out << r.number << ": 0x" << std::hex << r.colour << std::dec << " " << r.pixels;
}

namespace {

using Rows = std::vector<std::vector<TAlphaColor>>;
constexpr TAlphaColor A = 0xFF2A2A2Au;
constexpr TAlphaColor B = 0xFF7E7E7Eu;
constexpr TAlphaColor C = 0xFFD4D4D4u;

// The rows as a map whose lines are `gap` pixels longer than the picture, as a part of a larger
// picture would be: the kernels must follow the pitch.
class PaddedMap {
public:
    explicit PaddedMap(const Rows& rows, int gap = 3)
        : width_(rows.empty() ? 0 : int(rows[0].size())), pitch_(width_ + gap),
          pixels_(rows.size() * std::size_t(pitch_), 0xDEADBEEFu) {
        for (std::size_t y = 0; y < rows.size(); ++y)
            std::copy(rows[y].begin(), rows[y].end(), pixels_.begin() + std::ptrdiff_t(y * pitch_));
        map_ = {TPixelFormat::BGRA, width_, int(rows.size()), pixels_.data(),
                pitch_ * int(sizeof(TAlphaColor))};
    }
    const TBitmapData& Map() const { return map_; }

private:
    int width_;
    int pitch_;
    std::vector<TAlphaColor> pixels_;
    TBitmapData map_;
};

std::vector<ToneCount> Sorted(std::vector<ToneCount> counts) {
    std::sort(counts.begin(), counts.end(),
              [](const ToneCount& a, const ToneCount& b) { return a.colour < b.colour; });
    return counts;
}

// Both the gapless map of a bitmap and a padded one.
template <typename Count> void ForBothLayouts(const Rows& rows, Count check) {
    TBitmap bitmap;
    FillBitmap(bitmap, rows);
    TBitmapData map;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Read, map));
    {
        SCOPED_TRACE("gapless");
        check(map);
    }
    bitmap.Unmap(map);
    SCOPED_TRACE("padded rows");
    check(PaddedMap(rows).Map());
}

TEST(CountTones, EveryColourWithItsPixelsAllBitsCounted) {
    const Rows rows{{A, A, B, 0xFE2A2A2Au}, {A, C, C, C}, {B, B, A, A}};
    ForBothLayouts(rows, [](const TBitmapData& map) {
        EXPECT_EQ(Sorted(CountTones(map)), Sorted({{A, 5}, {B, 3}, {C, 3}, {0xFE2A2A2Au, 1}}))
            << "a colour differing in alpha only is a tone of its own";
    });
}

TEST(CountTones, ManyColoursGrowTheTableAndKeepEveryCount) {
    Rows rows(50, std::vector<TAlphaColor>(40));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 40; ++x)
            rows[y][x] = 0xFF000000u | TAlphaColor((x * 50 + y) % 1000 * 4099);
    std::vector<ToneCount> expected;
    for (int c = 0; c < 1000; ++c)
        expected.push_back({0xFF000000u | TAlphaColor(c * 4099), 2});
    ForBothLayouts(rows, [&](const TBitmapData& map) {
        EXPECT_EQ(Sorted(CountTones(map)), Sorted(expected));
    });
}

TEST(CountTones, AnEmptyMapHasNoTones) {
    EXPECT_TRUE(CountTones(TBitmapData{}).empty());
}

// Patches by flood fill, pixel by pixel: what the run-based count must agree with.
// Overlapping areas count their pixels once, areas reaching past the picture only inside it, and
// a pixel of an overlay colour inside an area once; the tones keep what nothing covers.
TEST(CountStudyTones, AreasAndOverlayColoursAreCountedApartOnce) {
    constexpr TAlphaColor G = 0xFF98FB98u; // a grid's colour
    const Rows rows{{A, A, B, G}, {A, C, B, G}, {C, C, C, G}};
    const std::vector<QRect> areas{QRect(0, 0, 2, 2), QRect(1, 0, 2, 1), QRect(3, 2, 5, 5)};
    ForBothLayouts(rows, [&](const TBitmapData& map) {
        const StudyTones study = CountStudyTones(map, {G}, areas);
        EXPECT_EQ(Sorted(study.tones), Sorted({{B, 1}, {C, 3}})) << "A covered whole is gone";
        EXPECT_EQ(study.overlayPixels, 8u);
        const StudyTones plain = CountStudyTones(map, {}, {});
        EXPECT_EQ(Sorted(plain.tones), Sorted(CountTones(map)));
        EXPECT_EQ(plain.overlayPixels, 0u);
    });
}

PatchCensus PatchesByFloodFill(const Rows& rows) {
    const int height = int(rows.size());
    const int width = int(rows[0].size());
    std::vector<std::vector<bool>> seen(height, std::vector<bool>(width, false));
    std::vector<std::uint64_t> sizes;
    for (int y0 = 0; y0 < height; ++y0)
        for (int x0 = 0; x0 < width; ++x0) {
            if (seen[y0][x0])
                continue;
            std::uint64_t size = 0;
            std::vector<std::pair<int, int>> stack{{x0, y0}};
            seen[y0][x0] = true;
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                ++size;
                for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < width && ny < height && !seen[ny][nx] &&
                        rows[ny][nx] == rows[y0][x0]) {
                        seen[ny][nx] = true;
                        stack.push_back({nx, ny});
                    }
                }
            }
            sizes.push_back(size);
        }
    const std::uint64_t total = std::uint64_t(width) * std::uint64_t(height);
    PatchCensus census{sizes.size(), *std::min_element(sizes.begin(), sizes.end()), 0};
    for (std::uint64_t size : sizes)
        census.small += size * 1000 < total;
    return census;
}

TEST(CountPatches, KnownPictures) {
    Rows checkerboard(4, std::vector<TAlphaColor>(5));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            checkerboard[y][x] = (x + y) % 2 ? A : B;
    // Two arms of A that only meet at the bottom row, around a B block: one patch, found late.
    const Rows cup{{A, B, B, A}, {A, B, B, A}, {A, A, A, A}};
    // A on both ends of one row and a B band between: still two A patches.
    const Rows split{{A, B, A}, {A, B, A}};
    struct Case {
        const char* name;
        Rows rows;
        PatchCensus expected;
    };
    const Case cases[] = {
        {"checkerboard: every pixel its own patch", checkerboard, {20, 1, 0}},
        {"cells touching at corners only are separate", {{A, B}, {B, A}}, {4, 1, 0}},
        {"one colour", Rows(3, std::vector<TAlphaColor>(7, C)), {1, 21, 0}},
        {"arms joined below", cup, {2, 4, 0}},
        {"a band between", split, {3, 2, 0}},
        {"one pixel", {{A}}, {1, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForBothLayouts(c.rows,
                       [&](const TBitmapData& map) { EXPECT_EQ(CountPatches(map), c.expected); });
    }
}

TEST(CountPatches, OnePixelIslandsAreSmallerThanATenthOfAPercent) {
    // 100 x 30 = 3000 pixels: a patch below 3 pixels is small.
    Rows rows(30, std::vector<TAlphaColor>(100, A));
    rows[3][4] = B;                                 // an island of one pixel
    rows[10][50] = B;                               // another, same colour, far away
    rows[20][20] = rows[20][21] = C;                // two pixels: still small
    rows[25][70] = rows[25][71] = rows[26][70] = B; // three: not small
    rows[0][99] = C;                                // in a corner
    ForBothLayouts(rows, [](const TBitmapData& map) {
        EXPECT_EQ(CountPatches(map), (PatchCensus{6, 1, 4}));
    });
}

TEST(CountPatches, AgreesWithAFloodFillOnRandomPictures) {
    std::mt19937 random(17);
    for (int round = 0; round < 200; ++round) {
        const int width = 1 + int(random() % 23);
        const int height = 1 + int(random() % 61);
        const int colours = 1 + int(random() % 4);
        Rows rows(height, std::vector<TAlphaColor>(width));
        for (auto& row : rows)
            for (TAlphaColor& pixel : row)
                pixel = 0xFF000000u + TAlphaColor(random() % colours);
        SCOPED_TRACE(round);
        // On more threads the rows are counted in strips of a row to several, each with patches
        // inside it and patches winding across several seams, which are joined there.
        for (const int threads : {1, 2, 3, 8})
            WithThreads(threads, [&] {
                ForBothLayouts(rows, [&](const TBitmapData& map) {
                    ASSERT_EQ(CountPatches(map), PatchesByFloodFill(rows)) << threads << " threads";
                });
            });
    }
}

TEST(CountPatches, AnEmptyMapHasNoPatches) {
    EXPECT_EQ(CountPatches(TBitmapData{}), PatchCensus{});
}

std::vector<ToneCount> Greys(std::initializer_list<std::pair<int, std::uint64_t>> greys) {
    std::vector<ToneCount> tones;
    for (const auto& [grey, pixels] : greys)
        tones.push_back({OpaqueGrey(std::uint8_t(grey)), pixels});
    return tones;
}

TEST(KeyRows, DarkToLightByLuminanceThenByColourValue) {
    std::vector<ToneCount> tones = Greys({{200, 5}, {0, 1}, {85, 7}});
    tones.push_back({0xFF0000FFu, 2}); // blue: luminance 29.07, between 0 and 85
    tones.push_back({0xFF1D1D1Du, 3}); // grey 29: 29.0, darker than the blue
    tones.push_back({0xFF00FF00u, 4}); // green: 149.7
    const std::vector<KeyRow> rows = KeyRowsOf(tones);
    EXPECT_EQ(rows, (std::vector<KeyRow>{{1, OpaqueGrey(0), 1},
                                         {2, 0xFF1D1D1Du, 3},
                                         {3, 0xFF0000FFu, 2},
                                         {4, OpaqueGrey(85), 7},
                                         {5, 0xFF00FF00u, 4},
                                         {6, OpaqueGrey(200), 5}}));
    // Equal luminance: the smaller colour value first.
    const std::vector<KeyRow> tied =
        KeyRowsOf({{0xFF000000u, 1}, {0x80000000u, 1}, {0x00000000u, 1}});
    EXPECT_EQ(tied,
              (std::vector<KeyRow>{{1, 0x00000000u, 1}, {2, 0x80000000u, 1}, {3, 0xFF000000u, 1}}));
}

TEST(KeyRows, FortyColoursBecomeTheThirtyOneLargestAndOther) {
    std::vector<ToneCount> tones;
    for (int i = 0; i < 40; ++i) // grey 5 * i with i + 1 pixels: the 31 largest are greys 45..195
        tones.push_back({OpaqueGrey(std::uint8_t(5 * i)), std::uint64_t(i + 1)});
    const std::vector<KeyRow> rows = KeyRowsOf(tones);
    ASSERT_EQ(rows.size(), 32u);
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(rows[i].number, i + 1);
        EXPECT_EQ(rows[i].colour, OpaqueGrey(std::uint8_t(5 * (i + 9))));
    }
    EXPECT_TRUE(rows[31].IsOther());
    EXPECT_EQ(rows[31].pixels, 45u) << "1 + 2 + ... + 9 pixels of the nine smallest";
    EXPECT_EQ(KeyRowsOf(std::vector<ToneCount>(tones.begin(), tones.begin() + 32)).size(), 32u)
        << "32 tones need no other row";
}

TEST(KeyRows, Texts) {
    struct Case {
        KeyRow row;
        const char* name;
    };
    for (const Case& c :
         {Case{{1, OpaqueGrey(0), 1}, "0"}, Case{{1, OpaqueGrey(128), 1}, "128"},
          Case{{1, 0xFF0000FFu, 1}, "#0000FF"}, Case{{1, 0xFF98FB98u, 1}, "#98FB98"},
          Case{{1, 0x40400000u, 1}, "#40FF0000"}, Case{{0, 0, 1}, "other"}})
        EXPECT_EQ(ToneNameOf(c.row), c.name);
    EXPECT_EQ(ShareTextOf({1, A, 1}, 8), "12.5 %");
    EXPECT_EQ(ShareTextOf({1, A, 1}, 3), "33.3 %");
    EXPECT_EQ(ShareTextOf({1, A, 2}, 3), "66.7 %");
    EXPECT_EQ(ShareTextOf({1, A, 5}, 5), "100.0 %");
}

TEST(KeyStamp, TakesAtMostAQuarterOfTheShorterSideOrIsRefused) {
    const QFont font(QStringLiteral("DejaVu Sans"));
    std::vector<KeyRow> key;
    for (int n = 1; n <= 7; ++n)
        key.push_back({n, OpaqueGrey(std::uint8_t(n * 30)), 100});
    struct Case {
        int width, height;
        bool fits;
    };
    for (const Case& c : {Case{6000, 4000, true}, Case{1200, 800, true}, Case{800, 1200, true},
                          Case{800, 600, true}, Case{400, 300, false}, Case{40, 30, false}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(KeyStampFits(c.width, c.height, key.size(), font), c.fits);
        TBitmap bitmap;
        FillBitmap(bitmap, Rows(c.height, std::vector<TAlphaColor>(c.width, A)));
        TBitmapData map;
        ASSERT_TRUE(bitmap.Map(TMapAccess::Write, map));
        const QRect panel = DrawKeyStamp(map, key, 700, font);
        bitmap.Unmap(map);
        // The stamp's extent: every pixel it changed lies in the top-left quarter square.
        const Rows stamped = PixelsOf(bitmap);
        int right = -1;
        int bottom = -1;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                if (stamped[y][x] != A) {
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
        const int room = std::min(c.width, c.height) / 4;
        if (c.fits) {
            EXPECT_GT(right, 0) << "drawn";
            EXPECT_LT(right, room);
            EXPECT_LT(bottom, room);
            EXPECT_EQ(panel, QRect(0, 0, right + 1, bottom + 1)) << "the area it reports";
        } else {
            EXPECT_EQ(right, -1) << "nothing drawn where it does not fit";
            EXPECT_TRUE(panel.isEmpty());
        }
    }
}

TEST(KeyStamp, DrawsSwatchesInTheTopLeftCornerAndLeavesTheRestAlone) {
    const int width = 1200;
    const int height = 800;
    Rows rows(height, std::vector<TAlphaColor>(width, A));
    for (int y = 400; y < height; ++y)
        std::fill(rows[y].begin(), rows[y].end(), C);
    TBitmap bitmap;
    FillBitmap(bitmap, rows);
    const std::vector<KeyRow> key{{1, A, 600000}, {2, C, 360000}};
    TBitmapData map;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Write, map));
    DrawKeyStamp(map, key, std::uint64_t(width) * height, QFont(QStringLiteral("DejaVu Sans")));
    bitmap.Unmap(map);
    const Rows stamped = PixelsOf(bitmap);
    // The panel: white from the corner's inside, a black frame at the corner.
    EXPECT_EQ(stamped[0][0], claBlack);
    EXPECT_EQ(stamped[5][5], claWhite);
    EXPECT_EQ(stamped[height - 1][width - 1], C) << "far from the corner nothing changes";
    EXPECT_EQ(stamped[0][width / 2], A);
    // The panel's right edge and the rows below: the panel is small beside the picture.
    int panelWidth = 0;
    while (stamped[0][panelWidth] == claBlack)
        ++panelWidth;
    EXPECT_GT(panelWidth, 100) << "text sized for a 1200 pixel wide picture";
    EXPECT_LT(panelWidth, width / 3);
    // Each swatch is a square of its tone inside a black frame: the second swatch's tone C shows
    // inside the panel's white, the first swatch's A too.
    int swatchPixelsA = 0;
    int swatchPixelsC = 0;
    std::size_t otherColours = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < panelWidth; ++x) {
            const TAlphaColor p = stamped[y][x];
            swatchPixelsA += p == A;
            swatchPixelsC += p == C;
            otherColours += p != A && p != C && p != claBlack && p != claWhite;
        }
    EXPECT_GT(swatchPixelsA, 100);
    EXPECT_GT(swatchPixelsC, 100);
    EXPECT_EQ(otherColours, 0u) << "text without smoothing adds no tones";
}

} // namespace
