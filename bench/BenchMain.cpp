// SPDX-License-Identifier: MIT
// The benchmarks of what a user waits for on a 24-megapixel photo, each family next to a
// yardstick timed in the same run, so that figures from different machines compare as ratios.
#include "BenchFamily.h"
#include "RatioReport.h"
#include "Workbench.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Headless, so that no figure depends on a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Workbench bench(QStringLiteral(HALVANE_BENCH_DIR "/photo-6000x4000.jpg"));
    BenchFamily effects = EffectsFamily(bench);
    for (TimedOperation& view : ViewOperations(bench))
        effects.operations.push_back(std::move(view));
    for (TimedOperation& key : ValueKeyOperations(bench))
        effects.operations.push_back(std::move(key));
    for (TimedOperation& bands : ValueBandsOperations(bench))
        effects.operations.push_back(std::move(bands));
    for (TimedOperation& simplify : SimplifyOperations(bench))
        effects.operations.push_back(std::move(simplify));
    for (TimedOperation& outline : OutlineTraceOperations(bench))
        effects.operations.push_back(std::move(outline));
    // The passes split over the cores, on one thread and on two; the goals on two threads.
    effects.operations = OnOneAndTwoThreads(effects.operations, {{"GreyPass", 1.5},
                                                                 {"PosterizePass", 1.5},
                                                                 {"Button2Click", 6},
                                                                 {"Image1Click", 1.5},
                                                                 {"Button6Click", 1.3},
                                                                 {"ReducedCopyAtFit", 1.0},
                                                                 {"ValueKeyTones", 1.5},
                                                                 {"ValueKeyPatches", 5},
                                                                 {"ValueBandsHistogram", 1},
                                                                 {"OutlineTrace", 30}});
    BenchFamily exports = ExportFamily(bench);
    for (TimedOperation& outline : OutlinePdfOperations(bench))
        exports.operations.push_back(std::move(outline));
    std::vector<BenchFamily> families = {effects, OpenFamily(bench), SaveFamily(bench), exports};
    for (BenchFamily& family : ConvertedPhotoFamilies(bench))
        families.push_back(std::move(family));
    for (BenchFamily& family : DecoderHelperFamilies(bench))
        families.push_back(std::move(family));
    for (const BenchFamily& family : families)
        RegisterFamily(family);
    RatioReport report(families);
    benchmark::RunSpecifiedBenchmarks(&report);
    benchmark::Shutdown();
    return 0;
}
