// SPDX-License-Identifier: MIT
// The outline sheet of the photo posterized to 6 levels and simplified to 0.1 %: tracing it and
// placing its numbers (against the effects' memcpy), and writing its PDF (against the clock).
#include "BenchFamily.h"
#include "Faqja0.h"
#include "OutlinePages.h"
#include "PictureBox.h"
#include "StudyMenu.h"
#include "StudySteps.h"
#include "Workbench.h"
#include "Yardsticks.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// The study a painter takes to the canvas: the photo posterized, then Simplify Shapes at 0.1 %.
TBitmap& ShowSimplifiedPhoto(Workbench& bench) {
    bench.ShowPosterizedPhoto();
    bench.Form().Study->SimplifyShapes(std::uint64_t(SourceBitmap.Width()) *
                                       std::uint64_t(SourceBitmap.Height()) / 1000);
    return bench.Form().Image1->Bitmap();
}

void TraceAndPlace(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        TBitmap& study = ShowSimplifiedPhoto(bench);
        for (auto _ : state) {
            const OutlineSheet sheet = OutlineStep(study, {}, CanvasSettings{}, OutlineSettings{});
            benchmark::DoNotOptimize(sheet.Labels().labels.size());
        }
    });
}

// Each PDF a new file, removed again outside the timing.
void WritePdf(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        QTemporaryDir folder;
        if (!UsableFolder(state, folder))
            return;
        const OutlineSheet sheet =
            OutlineStep(ShowSimplifiedPhoto(bench), {}, CanvasSettings{}, OutlineSettings{});
        int written = 0;
        for (auto _ : state) {
            const QString path = folder.filePath(QStringLiteral("outline-%1.pdf").arg(++written));
            WriteOutlinePdf(sheet, path);
            state.PauseTiming();
            QFile::remove(path);
            state.ResumeTiming();
        }
    });
}

} // namespace

std::vector<TimedOperation> OutlineTraceOperations(Workbench& bench) {
    return {{"OutlineTrace", "Outline: tracing and placing the numbers after Simplify Shapes", 30,
             Driving(bench, TraceAndPlace)}};
}

std::vector<TimedOperation> OutlinePdfOperations(Workbench& bench) {
    return {{"OutlinePdf", "Outline: its PDF, 30 x 40 cm on 4 A4 pages", 0,
             Driving(bench, WritePdf), 2000}};
}
