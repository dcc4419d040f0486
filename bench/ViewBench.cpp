// SPDX-License-Identifier: MIT
// Showing the posterized photo at another scale: the reduced copy made once per change, and
// repainting the view area from it, against the effects' memcpy of the bitmap.
#include "BenchFamily.h"
#include "Faqja0.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "ViewScale.h"
#include "Workbench.h"

#include <QAction>
#include <QImage>

namespace {

QSize ViewArea() {
    return {ViewWidth, ViewHeight};
}

void ReducedCopyAtFit(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        form.View->FitToWindowItemClick(form.View->FitToWindowItem);
        const ViewScale scale = form.Image1->Scale();
        TBitmap& shown = form.Image1->Bitmap();
        const QSize reducedSize = scale.ShownSize({shown.Width(), shown.Height()});
        QImage reduced(reducedSize, QImage::Format_ARGB32_Premultiplied);
        reduced.fill(0);
        TBitmapData from;
        ScopedMap map(shown, TMapAccess::Read, from);
        const TBitmapData to{TPixelFormat::BGRA, reduced.width(), reduced.height(), reduced.bits(),
                             int(reduced.bytesPerLine())};
        for (auto _ : state) {
            ReduceByAreaAverage(from, to, scale);
            benchmark::ClobberMemory();
        }
        form.View->ActualPixelsItemClick(form.View->ActualPixelsItem);
    });
}

// Paints the part of the picture the view area shows, as a repaint of the window does.
void RepaintViewArea(benchmark::State& state, Workbench& bench, bool fit) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        if (fit)
            form.View->FitToWindowItemClick(form.View->FitToWindowItem);
        QImage screen(ViewArea(), QImage::Format_ARGB32_Premultiplied);
        const QRect shownPart = QRect(QPoint(0, 0), ViewArea()).intersected(form.Image1->rect());
        form.Image1->render(&screen, QPoint(), shownPart); // the reduced copy is made here
        for (auto _ : state) {
            form.Image1->render(&screen, QPoint(), shownPart);
            benchmark::ClobberMemory();
        }
        form.View->ActualPixelsItemClick(form.View->ActualPixelsItem);
    });
}

void RepaintAtFit(benchmark::State& state, Workbench& bench) {
    RepaintViewArea(state, bench, true);
}

void RepaintActualPixels(benchmark::State& state, Workbench& bench) {
    RepaintViewArea(state, bench, false);
}

} // namespace

std::vector<TimedOperation> ViewOperations(Workbench& bench) {
    return {
        {"ReducedCopyAtFit", "reduced copy of the shown picture at Fit (once per change)", 1.5,
         Driving(bench, ReducedCopyAtFit)},
        {"RepaintAtFit", "repaint of the view area at Fit", 0.5, Driving(bench, RepaintAtFit)},
        {"RepaintActualPixels", "repaint of the view area at 1:1", 0.5,
         Driving(bench, RepaintActualPixels)},
    };
}
