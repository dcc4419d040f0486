// SPDX-License-Identifier: MIT
// The passes that also write a copy: the same result as the pass alone, and the copy as a
// separate copy would make it. Maps with and without a gap after each row: the rows are then
// one run or a run each.
#include "GridKernel.h"
#include "OilifyKernel.h"
#include "PaddedCanvas.h"
#include "PosterizeKernel.h"
#include "RecolourKernel.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <vector>

namespace {

struct Layout {
    int width, height, gap;
};
const Layout Layouts[] = {{1, 1, 0}, {37, 5, 0}, {37, 5, 3}, {64, 9, 0}, {5, 40, 1}};

Canvas RandomCanvas(const Layout& layout, std::mt19937& random, int colours) {
    Canvas canvas(layout.width, layout.height, layout.gap);
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x)
            SetPixel(canvas.Map(), x, y, OpaqueGrey(std::uint8_t(random() % colours * 37)));
    return canvas;
}

Canvas CopyOf(const Canvas& canvas, const Layout& layout) {
    Canvas copy(layout.width, layout.height, layout.gap);
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x)
            SetPixel(copy.Map(), x, y, GetPixel(canvas.Map(), x, y));
    return copy;
}

TEST(CopyInPass, PosterizeWritesTheSamePixelsToTargetAndCopy) {
    std::mt19937 random(5);
    for (const Layout& layout : Layouts)
        for (int levels : {2, 6, 13}) {
            SCOPED_TRACE(testing::Message() << layout.width << "x" << layout.height << " gap "
                                            << layout.gap << ", " << levels << " levels");
            const Canvas grey = RandomCanvas(layout, random, 7);
            Canvas alone(layout.width, layout.height, layout.gap);
            Canvas target(layout.width, layout.height, layout.gap);
            Canvas copy(layout.width, layout.height, layout.gap);
            TAlphaColor current[2] = {};
            TAlphaColor output[2] = {};
            PosterizePass(grey.Map(), alone.Map(), levels, current[0], output[0]);
            PosterizePassWithCopy(grey.Map(), target.Map(), copy.Map(), levels, current[1],
                                  output[1]);
            EXPECT_EQ(target.Memory(), alone.Memory());
            EXPECT_EQ(copy.Memory(), alone.Memory());
            EXPECT_EQ(current[1], current[0]);
            EXPECT_EQ(output[1], output[0]);
        }
}

TEST(CopyInPass, OilifyWritesTheSamePixelsToOutputAndCopy) {
    std::mt19937 random(11);
    // Rows and columns long enough for whole vectors of votes, with and without a gap.
    std::vector<Layout> layouts(std::begin(Layouts), std::end(Layouts));
    layouts.insert(layouts.end(), {{70, 20, 0}, {70, 20, 5}});
    for (const Layout& layout : layouts)
        for (OilifyDirection direction : {OilifyDirection::Rows, OilifyDirection::Columns}) {
            SCOPED_TRACE(testing::Message()
                         << layout.width << "x" << layout.height << " gap " << layout.gap
                         << (direction == OilifyDirection::Rows ? ", rows" : ", columns"));
            const Canvas input = RandomCanvas(layout, random, 3);
            Canvas alone(layout.width, layout.height, layout.gap);
            Canvas output(layout.width, layout.height, layout.gap);
            Canvas copy(layout.width, layout.height, layout.gap);
            TAlphaColor current[2] = {};
            TAlphaColor carried[2] = {0xFF123456u, 0xFF123456u};
            OilifyPass(input.Map(), alone.Map(), direction, current[0], carried[0]);
            OilifyPassWithCopy(input.Map(), output.Map(), copy.Map(), direction, current[1],
                               carried[1]);
            EXPECT_EQ(output.Memory(), alone.Memory());
            EXPECT_EQ(copy.Memory(), alone.Memory());
            EXPECT_EQ(current[1], current[0]);
            EXPECT_EQ(carried[1], carried[0]);
        }
}

TEST(CopyInPass, RecolourCopiesThePictureAsItWasBefore) {
    std::mt19937 random(6);
    for (const Layout& layout : Layouts) {
        SCOPED_TRACE(testing::Message()
                     << layout.width << "x" << layout.height << " gap " << layout.gap);
        const Canvas before = RandomCanvas(layout, random, 3);
        const TAlphaColor from = GetPixel(before.Map(), 0, layout.height - 1);
        const TAlphaColor to = 0x80FF0000u;
        Canvas alone = CopyOf(before, layout);
        Canvas picture = CopyOf(before, layout);
        Canvas copy(layout.width, layout.height, layout.gap);
        ReplaceColour(alone.Map(), from, to);
        ReplaceColourAfterCopy(picture.Map(), copy.Map(), from, to);
        EXPECT_EQ(picture.Memory(), alone.Memory());
        EXPECT_EQ(copy.Memory(), before.Memory());
    }
}

TEST(CopyInPass, GridCopiesThePictureAsItWasBeforeWhateverTheSpacing) {
    std::mt19937 random(7);
    for (const Layout& layout : Layouts)
        for (int spacing : {1, 3, 28, 0, -2}) {
            SCOPED_TRACE(testing::Message() << layout.width << "x" << layout.height << " gap "
                                            << layout.gap << ", spacing " << spacing);
            const Canvas before = RandomCanvas(layout, random, 5);
            Canvas alone = CopyOf(before, layout);
            Canvas picture = CopyOf(before, layout);
            Canvas copy(layout.width, layout.height, layout.gap);
            DrawGrid(alone.Map(), spacing, 0x80FF0000u);
            DrawGridAfterCopy(picture.Map(), copy.Map(), spacing, 0x80FF0000u);
            EXPECT_EQ(picture.Memory(), alone.Memory());
            EXPECT_EQ(copy.Memory(), before.Memory());
        }
}

} // namespace
