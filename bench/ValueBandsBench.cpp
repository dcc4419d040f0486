// SPDX-License-Identifier: MIT
// The value bands on the photo: the grey histogram the window shows, and the study posterized
// again as an edge is dragged; against the effects' memcpy of the bitmap.
#include "BenchFamily.h"
#include "Faqja0.h"
#include "StudyMenu.h"
#include "ValueBands.h"
#include "Workbench.h"

namespace {

void Histogram(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TBitmapData map;
        ScopedMap grey(GreyBitmap, TMapAccess::Read, map);
        for (auto _ : state)
            benchmark::DoNotOptimize(HistogramOf(map));
    });
}

// The window open, an edge dragged back and forth by one grey value: each step posterizes the
// study again at the new edges.
void EdgeDragged(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        StudyMenu& study = *bench.Form().Study;
        study.ValueBandsItemClick(study.ValueBandsItem);
        int step = 0;
        for (auto _ : state)
            study.EdgeMoved(2, 126 + (step++ % 2));
        bench.Form().Bands = BandChoice{};
    });
}

} // namespace

std::vector<TimedOperation> ValueBandsOperations(Workbench& bench) {
    return {
        {"ValueBandsHistogram", "value bands: the grey picture's histogram", 1,
         Driving(bench, Histogram)},
        {"ValueBandsEdgeDragged", "value bands: the study again as an edge moves", 2.5,
         Driving(bench, EdgeDragged)},
    };
}
