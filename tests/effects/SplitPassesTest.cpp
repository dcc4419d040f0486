// SPDX-License-Identifier: MIT
// The passes split over row blocks give what they give on one thread, where a pass is one block
// of every row and runs its sequential code, whatever the thread count: widths around the vector
// lengths, single rows and columns, rows with and without a gap after them, and rows wide enough
// that a block holds fewer rows than the thread count alone would give it.
#include "Cores.h"
#include "CropFrame.h"
#include "GreyKernel.h"
#include "GridKernel.h"
#include "ImageCompare.h"
#include "OilifyKernel.h"
#include "PaddedCanvas.h"
#include "PosterizeKernel.h"
#include "RecolourKernel.h"
#include "ShapeOutline.h"
#include "ToneCensus.h"
#include "ViewScale.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

struct Layout {
    int width, height, gap;
};
const Layout Layouts[] = {{1, 1, 0},   {1, 37, 0},  {37, 1, 0},  {7, 23, 0},  {8, 23, 2},
                          {9, 23, 0},  {15, 19, 0}, {16, 19, 1}, {17, 19, 0}, {31, 12, 3},
                          {33, 12, 0}, {70, 41, 0}, {70, 41, 5}, {5, 90, 1},  {16400, 40, 0}};

const int ThreadCounts[] = {2, 3, 8};

// Runs of a few colours, or scattered pixels of many, where most Oilify votes have no winner.
Canvas RandomCanvas(const Layout& layout, int colours, std::mt19937& random) {
    Canvas canvas(layout.width, layout.height, layout.gap);
    TAlphaColor colour = 0;
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x) {
            if (random() % 3 == 0)
                colour = OpaqueGrey(std::uint8_t(random() % colours * (255 / colours)));
            SetPixel(canvas.Map(), x, y, colour);
        }
    return canvas;
}

// Everything a pass gives: the memory of its output and copy (padding included) and its carried
// colours, or its counts.
using Outcome = std::vector<std::uint64_t>;

struct Outputs {
    Canvas output;
    Canvas copy;
    TAlphaColor current = 0;
    TAlphaColor carried = 0xFF123456u;

    explicit Outputs(const Layout& layout)
        : output(layout.width, layout.height, layout.gap),
          copy(layout.width, layout.height, layout.gap) {}

    Outcome Given() const {
        Outcome outcome(output.Memory().begin(), output.Memory().end());
        outcome.insert(outcome.end(), copy.Memory().begin(), copy.Memory().end());
        outcome.insert(outcome.end(), {current, carried});
        return outcome;
    }
};

// Copies every pixel of `from` into `to`, both of one layout.
void CopyPixels(const Canvas& from, const Canvas& to) {
    for (int y = 0; y < from.Map().FHeight; ++y)
        for (int x = 0; x < from.Map().FWidth; ++x)
            SetPixel(to.Map(), x, y, GetPixel(from.Map(), x, y));
}

struct SplitPass {
    const char* name;
    std::function<Outcome(const Canvas& input, const Layout& layout)> run;
};

Outcome OilifyOutcome(const Canvas& input, const Layout& layout, OilifyDirection direction) {
    Outputs outputs(layout);
    OilifyPassWithCopy(input.Map(), outputs.output.Map(), outputs.copy.Map(), direction,
                       outputs.current, outputs.carried);
    return outputs.Given();
}

const SplitPass Passes[] = {
    {"grey",
     [](const Canvas& input, const Layout& layout) {
         Outputs outputs(layout);
         GreyPass(input.Map(), outputs.output.Map(), GreyMethod::GreenLightened, outputs.current,
                  outputs.carried);
         return outputs.Given();
     }},
    {"posterize with a copy",
     [](const Canvas& input, const Layout& layout) {
         Outputs outputs(layout);
         PosterizePassWithCopy(input.Map(), outputs.output.Map(), outputs.copy.Map(), 5,
                               outputs.current, outputs.carried);
         return outputs.Given();
     }},
    {"recolour after a copy",
     [](const Canvas& input, const Layout& layout) {
         Outputs outputs(layout);
         CopyPixels(input, outputs.output);
         ReplaceColourAfterCopy(outputs.output.Map(), outputs.copy.Map(),
                                GetPixel(input.Map(), 0, 0), 0x80FF0000u);
         return outputs.Given();
     }},
    {"grid after a copy",
     [](const Canvas& input, const Layout& layout) {
         Outputs outputs(layout);
         CopyPixels(input, outputs.output);
         DrawGridAfterCopy(outputs.output.Map(), outputs.copy.Map(), 3, 0xFF00FF00u);
         return outputs.Given();
     }},
    {"Oilify along the rows",
     [](const Canvas& input, const Layout& layout) {
         return OilifyOutcome(input, layout, OilifyDirection::Rows);
     }},
    {"Oilify down the columns",
     [](const Canvas& input, const Layout& layout) {
         return OilifyOutcome(input, layout, OilifyDirection::Columns);
     }},
    {"reduced copy",
     [](const Canvas& input, const Layout& layout) {
         Outcome outcome;
         for (const ViewScale scale : {ViewScale{1, 3}, ViewScale{2, 5}}) {
             const QSize shown = scale.ShownSize({layout.width, layout.height});
             if (shown.isEmpty())
                 continue;
             const Canvas target(shown.width(), shown.height(), layout.gap);
             ReduceByAreaAverage(input.Map(), target.Map(), scale);
             outcome.insert(outcome.end(), target.Memory().begin(), target.Memory().end());
         }
         return outcome;
     }},
    {"tone count",
     [](const Canvas& input, const Layout&) {
         // In no particular order: compared by colour.
         std::vector<ToneCount> tones = CountTones(input.Map());
         std::sort(tones.begin(), tones.end(),
                   [](const ToneCount& a, const ToneCount& b) { return a.colour < b.colour; });
         Outcome outcome;
         for (const ToneCount& tone : tones)
             outcome.insert(outcome.end(), {tone.colour, tone.pixels});
         return outcome;
     }},
    {"patch count",
     [](const Canvas& input, const Layout&) {
         const PatchCensus census = CountPatches(input.Map());
         return Outcome{census.patches, census.smallest, census.small};
     }},
    {"outline depths and poles",
     [](const Canvas& input, const Layout&) {
         const OutlineTrace trace = TraceOutline(input.Map(), {});
         Outcome outcome(trace.depths.data(), trace.depths.data() + trace.depths.size());
         for (const PatchPole& pole : trace.poles)
             outcome.insert(outcome.end(), {std::uint64_t(pole.x), std::uint64_t(pole.y),
                                            std::uint64_t(pole.depth)});
         return outcome;
     }},
};

Outcome OnThreads(int threads, const std::function<Outcome()>& run) {
    Outcome outcome;
    WithThreads(threads, [&] { outcome = run(); });
    return outcome;
}

TEST(SplitPasses, GiveTheOneThreadResultOnEveryThreadCount) {
    std::mt19937 random(20261211);
    for (const Layout& layout : Layouts)
        for (int colours : {3, 200}) {
            const Canvas input = RandomCanvas(layout, colours, random);
            for (const SplitPass& pass : Passes) {
                SCOPED_TRACE(testing::Message()
                             << pass.name << ", " << layout.width << "x" << layout.height << " gap "
                             << layout.gap << ", " << colours << " colours");
                const auto run = [&] { return pass.run(input, layout); };
                const Outcome sequential = OnThreads(1, run);
                for (int threads : ThreadCounts)
                    EXPECT_EQ(OnThreads(threads, run), sequential) << threads << " threads";
            }
        }
}

TEST(SplitPasses, CropGivesTheOneThreadResultOnEveryThreadCount) {
    std::mt19937 random(7);
    for (const Layout& layout : Layouts) {
        SCOPED_TRACE(testing::Message() << layout.width << "x" << layout.height);
        std::vector<std::vector<TAlphaColor>> rows(layout.height,
                                                   std::vector<TAlphaColor>(layout.width));
        for (auto& row : rows)
            for (TAlphaColor& pixel : row)
                pixel = TAlphaColor(random());
        TBitmap picture;
        FillBitmap(picture, rows);
        const QRect frame(layout.width / 3, layout.height / 4, std::max(1, layout.width / 2),
                          std::max(1, layout.height / 2));
        const auto cropped = [&](int threads) {
            TBitmap into;
            WithThreads(threads, [&] { CropStep(picture, frame, into); });
            return PixelsOf(into);
        };
        const auto sequential = cropped(1);
        for (int threads : ThreadCounts)
            EXPECT_EQ(cropped(threads), sequential) << threads << " threads";
    }
}

TEST(SplitPasses, BlocksCoverEveryRowOnceAndOneThreadKeepsThemInOne) {
    WithThreads(1, [] {
        EXPECT_EQ(PassThreads(), 1);
        EXPECT_EQ(RowBlocks(5000, 4).Count(), 1);
    });
    WithThreads(3, [] {
        EXPECT_EQ(PassThreads(), 3);
        // Rows of a mebibyte each: a row a block; sized by the threads alone: four a thread.
        EXPECT_EQ(RowBlocks(1200, std::size_t(1) << 20).Count(), 1200);
        EXPECT_EQ(RowBlocks(1200, 0).Count(), 12);
        const RowBlocks blocks(100, 4);
        EXPECT_GT(blocks.Count(), 3);
        EXPECT_EQ(blocks.First(0), 0);
        EXPECT_EQ(blocks.End(blocks.Count() - 1), 100);
        for (int block = 1; block < blocks.Count(); ++block)
            EXPECT_EQ(blocks.First(block), blocks.End(block - 1));
    });
}

// Run with HALVANE_THREADS set (see tests/CMakeLists.txt): no arena runs a pass on more threads.
TEST(SplitPasses, HalvaneThreadsLimitsThePassesOfEveryArena) {
    const char* setting = std::getenv("HALVANE_THREADS");
    if (setting == nullptr)
        GTEST_SKIP() << "HALVANE_THREADS is not set";
    const int limit = std::atoi(setting);
    for (int threads : {1, 2, 8})
        WithThreads(threads, [&] { EXPECT_EQ(PassThreads(), std::min(threads, limit)); });
    EXPECT_LE(PassThreads(), limit);
}

} // namespace
