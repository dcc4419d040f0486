// SPDX-License-Identifier: MIT
// Simplify Shapes against a flood fill of its own here: no patch below the size afterwards, kept
// patches untouched, the count it promises, the tie rules on pictures built for them, and the
// same result every time.
#include "ShapeSimplify.h"
#include "KernelRun.h"

#include <algorithm>
#include <random>

namespace {

// Patches by flood fill, 4-connected: each pixel's patch number and each patch's size.
struct Flooded {
    std::vector<std::vector<int>> patchOf;
    std::vector<std::uint64_t> sizes;
};

Flooded FloodFill(const Rows& picture) {
    const int height = int(picture.size());
    const int width = height > 0 ? int(picture[0].size()) : 0;
    Flooded flooded{std::vector<std::vector<int>>(height, std::vector<int>(width, -1)), {}};
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (flooded.patchOf[y][x] >= 0)
                continue;
            const int patch = int(flooded.sizes.size());
            flooded.sizes.push_back(0);
            stack.push_back({x, y});
            flooded.patchOf[y][x] = patch;
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                ++flooded.sizes[patch];
                for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int nx = px + dx;
                    const int ny = py + dy;
                    if (nx >= 0 && ny >= 0 && nx < width && ny < height &&
                        flooded.patchOf[ny][nx] < 0 && picture[ny][nx] == picture[py][px]) {
                        flooded.patchOf[ny][nx] = patch;
                        stack.push_back({nx, ny});
                    }
                }
            }
        }
    return flooded;
}

struct Simplified {
    Rows picture;
    std::uint64_t patchesBefore = 0;
    std::uint64_t promised = 0;
};

Simplified Simplify(const Rows& picture, std::uint64_t minimum) {
    TBitmap bitmap;
    FillBitmap(bitmap, picture);
    TBitmap copy;
    copy.SetSize(bitmap.Width(), bitmap.Height());
    Simplified result;
    TBitmapData map;
    TBitmapData copyMap;
    EXPECT_TRUE(bitmap.Map(TMapAccess::Write, map));
    EXPECT_TRUE(copy.Map(TMapAccess::Write, copyMap));
    const ShapeMerger merger(map);
    result.patchesBefore = merger.Patches();
    result.promised = merger.PatchesAfter(minimum);
    merger.Merge(minimum, map, &copyMap);
    copy.Unmap(copyMap);
    bitmap.Unmap(map);
    result.picture = PixelsOf(bitmap);
    EXPECT_EQ(PixelsOf(copy), result.picture) << "the copy takes the same pixels";
    return result;
}

Rows RandomPicture(int width, int height, int colours, int patchiness, std::mt19937& random) {
    Rows picture(height, std::vector<TAlphaColor>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int roll = int(random() % 100);
            if (x > 0 && roll < patchiness / 2)
                picture[y][x] = picture[y][x - 1];
            else if (y > 0 && roll < patchiness)
                picture[y][x] = picture[y - 1][x];
            else
                picture[y][x] = OpaqueGrey(std::uint8_t(random() % colours * 40));
        }
    return picture;
}

Rows PictureOf(const std::vector<std::string>& rows) {
    Rows picture;
    for (const std::string& row : rows) {
        picture.emplace_back();
        for (char symbol : row)
            picture.back().push_back(OpaqueGrey(std::uint8_t(symbol)));
    }
    return picture;
}

// The checks every result must pass.
void ExpectSimplified(const Rows& before, const Simplified& after, std::uint64_t minimum) {
    const Flooded original = FloodFill(before);
    const Flooded result = FloodFill(after.picture);
    EXPECT_EQ(after.patchesBefore, original.sizes.size());
    EXPECT_EQ(after.promised, result.sizes.size()) << "as many patches as promised";
    const std::uint64_t total = before.size() * before[0].size();
    if (total < minimum) {
        EXPECT_EQ(result.sizes.size(), 1u) << "one tone for a picture below the size";
        return;
    }
    for (std::uint64_t size : result.sizes)
        ASSERT_GE(size, minimum) << "no patch below the size afterwards";
    for (std::size_t y = 0; y < before.size(); ++y)
        for (std::size_t x = 0; x < before[y].size(); ++x)
            if (original.sizes[original.patchOf[y][x]] >= minimum) {
                ASSERT_EQ(after.picture[y][x], before[y][x])
                    << "a kept patch's pixel changed at " << x << "," << y;
            }
}

TEST(ShapeSimplify, NoPatchBelowTheSizeAndKeptPatchesUntouchedOnRandomPictures) {
    std::mt19937 random(20261210);
    for (const auto& [width, height] :
         {std::pair{1, 1}, {1, 9}, {9, 1}, {7, 5}, {31, 17}, {64, 48}, {100, 3}}) {
        for (const auto& [colours, patchiness] : {std::pair{2, 30}, {3, 70}, {6, 50}, {5, 0}}) {
            const Rows picture = RandomPicture(width, height, colours, patchiness, random);
            for (std::uint64_t minimum : {1, 2, 5, 20, 200, 5000}) {
                SCOPED_TRACE(testing::Message()
                             << width << "x" << height << ", " << colours << " colours, "
                             << patchiness << " patchiness, at least " << minimum);
                const Simplified once = Simplify(picture, minimum);
                ExpectSimplified(picture, once, minimum);
                EXPECT_EQ(Simplify(picture, minimum).picture, once.picture) << "deterministic";
            }
        }
    }
}

// The merger keeps its merges for the next size asked: one merger asked sizes in any order
// counts and merges as a fresh one does for each.
TEST(ShapeSimplify, OneMergerAskedSizesInAnyOrderAsFreshOnes) {
    std::mt19937 random(20261211);
    for (const auto& [width, height] : {std::pair{9, 7}, {31, 17}, {64, 48}}) {
        const Rows picture = RandomPicture(width, height, 4, 60, random);
        std::vector<std::uint64_t> minimums;
        for (std::uint64_t minimum = 0; minimum <= std::uint64_t(width * height) + 1; ++minimum)
            minimums.push_back(minimum);
        std::shuffle(minimums.begin(), minimums.end(), random);
        TBitmap bitmap;
        FillBitmap(bitmap, picture);
        TBitmapData map;
        ASSERT_TRUE(bitmap.Map(TMapAccess::Read, map));
        const ShapeMerger kept(map);
        for (std::uint64_t minimum : minimums) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << ", at least " << minimum);
            TBitmap merged;
            FillBitmap(merged, picture);
            TBitmapData mergedMap;
            ASSERT_TRUE(merged.Map(TMapAccess::Write, mergedMap));
            const std::uint64_t promised = kept.PatchesAfter(minimum);
            kept.Merge(minimum, mergedMap);
            merged.Unmap(mergedMap);
            const Simplified fresh = Simplify(picture, minimum);
            EXPECT_EQ(promised, fresh.promised);
            EXPECT_EQ(PixelsOf(merged), fresh.picture);
        }
        bitmap.Unmap(map);
    }
}

TEST(ShapeSimplify, TheRulesOnPicturesBuiltForThem) {
    struct Case {
        const char* what;
        std::vector<std::string> before;
        std::uint64_t minimum;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"the longest border wins", {"aaaa", "aXbb", "aXbb"}, 3, {"aaaa", "aabb", "aabb"}},
        {"equal borders: the larger neighbour",
         {"aaab", "aXbb", "aaab"},
         2,
         {"aaab", "aabb", "aaab"}},
        {"equal borders and sizes: the darker tone", {"aaXbb", "aaXbb"}, 3, {"aaabb", "aaabb"}},
        {"smallest first, then grown patches go on",
         {"aaaaaa", "aYZZba", "aaaaaa"},
         3,
         {"aaaaaa", "aaaaaa", "aaaaaa"}},
        {"a patch on the border only", {"Xaaa", "aaaa"}, 2, {"aaaa", "aaaa"}},
        {"nested rings",
         {"aaaaa", "abbba", "abXba", "abbba", "aaaaa"},
         2,
         {"aaaaa", "abbba", "abbba", "abbba", "aaaaa"}},
        {"a checkerboard, every patch one pixel: ties go to the first neighbour",
         {"ab", "ba"},
         2,
         {"bb", "bb"}},
        {"a merge joins two of its neighbour's colour into one",
         {"aaXaa", "aaXaa", "bbbbb"},
         3,
         {"aaaaa", "aaaaa", "bbbbb"}},
        {"all below the size: the largest patch's tone", {"aab", "aac"}, 100, {"aaa", "aaa"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rows before = PictureOf(c.before);
        const Simplified after = Simplify(before, c.minimum);
        EXPECT_EQ(after.picture, PictureOf(c.after));
        ExpectSimplified(before, after, c.minimum);
    }
}

TEST(ShapeSize, SharesAndPixelsOfThePicture) {
    EXPECT_EQ(ShapeSize::Parse("0.1%")->MinimumPixels(24000000), 24000u);
    EXPECT_EQ(ShapeSize::Parse("0.1%")->MinimumPixels(1000), 1u);
    EXPECT_EQ(ShapeSize::Parse("0.15%")->MinimumPixels(1000), 2u) << "1.5 pixels: 2 are not fewer";
    EXPECT_EQ(ShapeSize::Parse("500px")->MinimumPixels(10), 500u);
    EXPECT_EQ(ShapeSize::Parse("100%")->MinimumPixels(7), 7u);
    for (const char* wrong : {"", "5", "px", "-1%", "1e3px", "0.1 %x", "101%", "%", "1.px"})
        EXPECT_FALSE(ShapeSize::Parse(wrong)) << wrong;
}

} // namespace
