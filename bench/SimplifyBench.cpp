// SPDX-License-Identifier: MIT
// Simplify Shapes on the photo posterized to 6 levels: the dialog's count of the patches that
// remain as it opens and again for a new size, and the merge itself, all to 0.1 % of the
// picture; against the effects' memcpy.
#include "BenchFamily.h"
#include "Faqja0.h"
#include "PictureBox.h"
#include "ShapeSimplify.h"
#include "StudyMenu.h"
#include "Workbench.h"

#include <memory>

namespace {

std::uint64_t PointOnePercent(const TBitmapData& map) {
    return ShapeSize{ShapeSize::Unit::Percent, 0.1}.MinimumPixels(std::uint64_t(map.FWidth) *
                                                                  std::uint64_t(map.FHeight));
}

// As the dialog opens: the patches found, then counted after merging.
void CountAfter(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TBitmapData map;
        ScopedMap shown(bench.Form().Image1->Bitmap(), TMapAccess::Read, map);
        for (auto _ : state) {
            const ShapeMerger merger(map);
            benchmark::DoNotOptimize(merger.PatchesAfter(PointOnePercent(map)));
        }
    });
}

// A new size in the open dialog: the patches found already, counted after merging to it.
void RecountAfter(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TBitmapData map;
        ScopedMap shown(bench.Form().Image1->Bitmap(), TMapAccess::Read, map);
        for (auto _ : state) {
            state.PauseTiming();
            auto merger = std::make_unique<ShapeMerger>(map);
            state.ResumeTiming();
            benchmark::DoNotOptimize(merger->PatchesAfter(PointOnePercent(map)));
            state.PauseTiming();
            merger.reset();
            state.ResumeTiming();
        }
    });
}

// OK in the dialog after it counted the size: its patches, merged that far, written into the
// study.
void SimplifyAfterCount(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        for (auto _ : state) {
            state.PauseTiming();
            bench.ShowPosterizedPhoto();
            std::unique_ptr<ShapeMerger> patches;
            std::uint64_t minimum = 0;
            {
                TBitmapData map;
                ScopedMap shown(bench.Form().Image1->Bitmap(), TMapAccess::Read, map);
                patches = std::make_unique<ShapeMerger>(map);
                minimum = PointOnePercent(map);
                benchmark::DoNotOptimize(patches->PatchesAfter(minimum));
            }
            state.ResumeTiming();
            bench.Form().Study->SimplifyShapes(minimum, patches.get());
        }
    });
}

// The same from the study alone, as the batch makes it: the patches found, then merged.
void Simplify(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        for (auto _ : state) {
            state.PauseTiming();
            bench.ShowPosterizedPhoto();
            const std::uint64_t minimum =
                std::uint64_t(SourceBitmap.Width()) * SourceBitmap.Height() / 1000;
            state.ResumeTiming();
            bench.Form().Study->SimplifyShapes(minimum);
        }
    });
}

} // namespace

std::vector<TimedOperation> SimplifyOperations(Workbench& bench) {
    return {
        {"SimplifyCount", "Simplify Shapes: patches after merging to 0.1 % (the dialog)", 6,
         Driving(bench, CountAfter)},
        // At most the value key's patch count on one thread, as measured: 84 ms, 17.4x.
        {"SimplifyRecount", "Simplify Shapes: the dialog's count again for a new size", 17.4,
         Driving(bench, RecountAfter)},
        {"SimplifyShapes", "Simplify Shapes: finding and merging to 0.1 % (the batch)", 40,
         Driving(bench, Simplify)},
        {"SimplifyAfterCount", "Simplify Shapes: OK after the dialog counted 0.1 %", 40,
         Driving(bench, SimplifyAfterCount)},
    };
}
