// SPDX-License-Identifier: MIT
// The pixel operations on the posterized photo, against a memcpy of its bitmap.
#include "BenchFamily.h"
#include "Faqja0.h"
#include "GreyKernel.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PosterizeKernel.h"
#include "ToggleButton.h"
#include "Workbench.h"

#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cstring>

namespace {

constexpr int ShownLevels = 6; // the level box's start value
constexpr int GridSpacing = 28;

// A bitmap the size of `like` with every page touched, so that no page fault is timed.
void PrepareTarget(TBitmap& target, const TBitmap& like) {
    target.SetSize(like.Width(), like.Height());
    target.Clear(claBlack);
}

void MemcpyBitmap(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TBitmap target;
        PrepareTarget(target, SourceBitmap);
        for (auto _ : state) {
            std::memcpy(target.Bits(), SourceBitmap.Bits(), SourceBitmap.ByteCount());
            benchmark::ClobberMemory();
        }
    });
}

// A kernel from one program bitmap into a bitmap of its own, both mapped once.
template <typename Kernel>
void KernelAlone(benchmark::State& state, Workbench& bench, TBitmap& input, Kernel kernel) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TBitmap target;
        PrepareTarget(target, input);
        TBitmapData from;
        TBitmapData to;
        ScopedMap inputMap(input, TMapAccess::Read, from);
        ScopedMap targetMap(target, TMapAccess::Write, to);
        TAlphaColor current = 0;
        TAlphaColor output = 0;
        for (auto _ : state) {
            kernel(from, to, current, output);
            benchmark::ClobberMemory();
        }
    });
}

void PosterizePassAlone(benchmark::State& state, Workbench& bench) {
    KernelAlone(state, bench, GreyBitmap,
                [](const TBitmapData& from, const TBitmapData& to, TAlphaColor& current,
                   TAlphaColor& output) { PosterizePass(from, to, ShownLevels, current, output); });
}

void GreyPassAlone(benchmark::State& state, Workbench& bench) {
    KernelAlone(state, bench, SourceBitmap,
                [](const TBitmapData& from, const TBitmapData& to, TAlphaColor& current,
                   TAlphaColor& output) {
                    GreyPass(from, to, GreyMethod::GreenLightened, current, output);
                });
}

void PosterizeButton(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        for (auto _ : state)
            form.Button1Click(form.Button1);
    });
}

// The handler of the checked method converts once; a user's change of method runs two handlers.
void MethodChange(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        if (!form.RadioButton2->isChecked()) {
            state.SkipWithError("Method 2 is not the start method");
            return;
        }
        for (auto _ : state)
            form.RadioButton2Change(form.RadioButton2);
    });
}

// Each click starts from the posterized photo; with `freshBuffers` Oilify's own bitmaps are
// given back before it, as before the first click after an open.
void OilifyButton(benchmark::State& state, Workbench& bench, bool freshBuffers) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        for (auto _ : state) {
            state.PauseTiming();
            form.Button1Click(form.Button1);
            if (freshBuffers) {
                OilRowsBitmap.SetSize(0, 0);
                OilBitmap.SetSize(0, 0);
            }
            state.ResumeTiming();
            form.Button2Click(form.Button2);
        }
    });
}

void OilifyAgain(benchmark::State& state, Workbench& bench) {
    OilifyButton(state, bench, false);
}

void OilifyFresh(benchmark::State& state, Workbench& bench) {
    OilifyButton(state, bench, true);
}

// The shown picture back to the posterized photo, outside the timing.
void RestoreShown(benchmark::State& state, TForm1& form) {
    state.PauseTiming();
    form.Image1->Bitmap().Assign(PosterBitmap);
    state.ResumeTiming();
}

double PercentOfPixelsEqualTo(TBitmap& bitmap, TAlphaColor colour) {
    const auto* first = reinterpret_cast<const TAlphaColor*>(bitmap.Bits());
    const std::size_t count = bitmap.ByteCount() / sizeof(TAlphaColor);
    return 100.0 * double(std::count(first, first + count, colour)) / double(count);
}

// A click in the middle of the picture while Colorize is pressed.
void RecolourClick(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        TBitmap& shown = form.Image1->Bitmap();
        form.Button3->SetPressed(true);
        const int x = shown.Width() / 2;
        const int y = shown.Height() / 2;
        form.Image1MouseMove(form.Image1, Qt::NoModifier, QPointF(x, y));
        const TAlphaColor picked = shown.ImageView().pixel(x, y);
        state.counters["recoloured_%"] = PercentOfPixelsEqualTo(shown, picked);
        for (auto _ : state) {
            RestoreShown(state, form);
            form.Image1Click(form.Image1);
        }
    });
}

void GridButton(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        form.NumberBox1->SetText(QString::number(GridSpacing));
        for (auto _ : state) {
            RestoreShown(state, form);
            form.Button6Click(form.Button6);
        }
    });
}

// 40 cells across the photo's short side: 100 pixels, 60 x 40 cells, each named.
void CanvasGridInsert(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        TForm1& form = bench.Form();
        form.Canvas = CanvasSettings{};
        form.Canvas.cellsAcrossShortSide = 40;
        form.Canvas.cellNames = true;
        form.Canvas.diagonals = true;
        form.Canvas.lineWidthMm = 0.15; // 3 pixels at 0.05 mm a pixel
        for (auto _ : state) {
            RestoreShown(state, form);
            form.InsertCanvasGrid();
        }
    });
}

} // namespace

BenchFamily EffectsFamily(Workbench& bench) {
    return {
        "Effects",
        {"memcpy", "memcpy of the bitmap", 0, Driving(bench, MemcpyBitmap)},
        {
            {"PosterizePass", "posterize pass alone (6 levels)", 1.5,
             Driving(bench, PosterizePassAlone)},
            {"Button1Click", "Button1Click: posterize + copy to the shown picture", 2.5,
             Driving(bench, PosterizeButton)},
            {"GreyPass", "grey pass alone (Method 2)", 1.5, Driving(bench, GreyPassAlone)},
            {"RadioButton2Change", "RadioButton2Change: one grey conversion + posterize", 4,
             Driving(bench, MethodChange)},
            {"Button2Click", "Button2Click: Oilify, two cycles (steady)", 12,
             Driving(bench, OilifyAgain)},
            {"Button2Click_fresh", "Button2Click: Oilify, two cycles (fresh buffers)", 25,
             Driving(bench, OilifyFresh)},
            {"Image1Click", "Image1Click: recolour while Colorize is pressed", 1.5,
             Driving(bench, RecolourClick)},
            {"Button6Click", "Button6Click: grid, spacing 28", 1.3, Driving(bench, GridButton)},
            {"InsertCanvasGrid", "Canvas Insert: 2400 named cells, diagonals, 3 px", 10,
             Driving(bench, CanvasGridInsert)},
        },
    };
}
