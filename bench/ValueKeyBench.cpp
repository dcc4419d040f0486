// SPDX-License-Identifier: MIT
// The value key's counts on the posterized photo, made once per change of the shown picture:
// its tones with their pixels, and its same-colour patches; against the effects' memcpy of the
// bitmap.
#include "BenchFamily.h"
#include "Faqja0.h"
#include "PictureBox.h"
#include "ToneCensus.h"
#include "Workbench.h"

namespace {

template <typename Count>
void CountOnShownPicture(benchmark::State& state, Workbench& bench, Count count) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TBitmapData map;
        ScopedMap shown(bench.Form().Image1->Bitmap(), TMapAccess::Read, map);
        for (auto _ : state)
            benchmark::DoNotOptimize(count(map));
    });
}

void ToneCounts(benchmark::State& state, Workbench& bench) {
    CountOnShownPicture(state, bench, CountTones);
}

void PatchCounts(benchmark::State& state, Workbench& bench) {
    CountOnShownPicture(state, bench, CountPatches);
}

} // namespace

std::vector<TimedOperation> ValueKeyOperations(Workbench& bench) {
    return {
        {"ValueKeyTones", "value key: distinct colours with their pixels", 1.5,
         Driving(bench, ToneCounts)},
        {"ValueKeyPatches", "value key: 4-connected same-colour patches", 6,
         Driving(bench, PatchCounts)},
    };
}
