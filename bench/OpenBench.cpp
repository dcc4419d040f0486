// SPDX-License-Identifier: MIT
// Opening the photo through "Open..", against one plain decode of it.
#include "BenchFamily.h"
#include "CanvasCommands.h"
#include "CropFrame.h"
#include "Faqja0.h"
#include "ImageFile.h"
#include "ProcessMemory.h"
#include "Workbench.h"
#include "Yardsticks.h"

#include <QImage>
#include <QImageReader>
#include <algorithm>

namespace {

// The memory an open may hold at its peak: six bitmaps of the picture and 100 MB.
constexpr int PeakBitmaps = 6;
constexpr double PeakAllowanceBytes = 100e6;
constexpr double BytesPerMB = 1e6;

void PlainDecode(benchmark::State& state, Workbench& bench) {
    TimePlainDecode(state, bench, bench.PhotoPath());
}

// Every open after the first reuses the bitmaps of the same size.
void OpenAgain(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.OpenPhoto();
        for (auto _ : state)
            bench.OpenPhoto();
    });
}

// The first open of a picture this size: every bitmap is allocated anew. The peak resident
// memory of each open is measured from its own start.
void FirstOpen(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bool peakMeasured = true;
        std::uint64_t highestPeak = 0;
        std::uint64_t residentBefore = 0;
        for (auto _ : state) {
            state.PauseTiming();
            bench.ReleasePictures();
            peakMeasured = ResetPeakResident() && peakMeasured;
            residentBefore = ResidentBytes().value_or(0);
            state.ResumeTiming();
            bench.OpenPhoto();
            state.PauseTiming();
            highestPeak = std::max(highestPeak, PeakResidentBytes().value_or(0));
            state.ResumeTiming();
        }
        if (!peakMeasured)
            return;
        state.counters["before_MB"] = double(residentBefore) / BytesPerMB;
        state.counters["peak_MB"] = double(highestPeak) / BytesPerMB;
        state.counters["limit_MB"] =
            (PeakBitmaps * double(SourceBitmap.ByteCount()) + PeakAllowanceBytes) / BytesPerMB;
    });
}

// The open's own decode, into a bitmap of the picture's size kept from load to load as
// SourceBitmap is: what a steady open spends before its study.
void SteadyLoad(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        TBitmap bitmap;
        for (auto _ : state)
            LoadBitmapFromFile(bitmap, bench.PhotoPath());
    });
}

// "Crop to Canvas..." at 4:3 on the opened photo, then studied as after "Open..": the steps of a
// steady open but the decode. The whole photo is brought back outside the timing.
void CropToCanvas(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.OpenPhoto();
        CanvasCommands& canvas = *bench.Form().CanvasMenu;
        const QRect frame = LargestCentredFrame(QSize(SourceBitmap.Width(), SourceBitmap.Height()),
                                                FrameProportions{4, 3});
        for (auto _ : state) {
            state.PauseTiming();
            canvas.FullPhotoItemClick(canvas.FullPhotoItem);
            state.ResumeTiming();
            canvas.CropTo(frame);
        }
    });
}

} // namespace

BenchFamily OpenFamily(Workbench& bench) {
    return {
        "Open",
        {"decode", "plain decode into a new 32-bit image", 0, Driving(bench, PlainDecode)},
        {
            {"Button4Click", "Button4Click to the shown posterized picture (steady)", 2.5,
             Driving(bench, OpenAgain)},
            {"Button4Click_fresh", "Button4Click to the shown posterized picture (first open)", 1.3,
             Driving(bench, FirstOpen)},
            {"LoadBitmapFromFile", "the open's own decode (steady)", 1, Driving(bench, SteadyLoad)},
            {"CropToCanvas", "Crop to Canvas at 4:3, studied again", 1,
             Driving(bench, CropToCanvas)},
        },
    };
}
