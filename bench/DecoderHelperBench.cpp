// SPDX-License-Identifier: MIT
// Loading through the decoder helper process, against the same decode in this process (what the
// program did before its decoders were walled off): the cost of the process, the wall and the
// shared memory.
#include "BenchFamily.h"
#include "Bitmap.h"
#include "ImageDecoder.h"
#include "ImageFile.h"
#include "Workbench.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

namespace {

// As the program's "Open..": one bitmap of the picture kept from load to load.
constexpr int WorkingSetBitmaps = 1;

// The photo reduced to 640 x 480 and stored as PNG, once per run.
class SmallPng {
public:
    explicit SmallPng(const QString& photoPath) {
        QImage(photoPath)
            .scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .save(Path(), "PNG");
    }
    QString Path() const { return folder_.filePath(QStringLiteral("small.png")); }

private:
    QTemporaryDir folder_;
};

const QString& SmallPngPath(Workbench& bench) {
    static const SmallPng png(bench.PhotoPath());
    static const QString path = png.Path();
    return path;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Reads the file and decodes it here; `fresh`: into a new bitmap each time, as a first open.
void InProcess(benchmark::State& state, Workbench& bench, const QString& path, bool fresh) {
    bench.RunGuarded(state, [&] {
        TBitmap kept;
        for (auto _ : state) {
            TBitmap bitmap;
            DecodeImage(FileBytes(path), path, WorkingSetBitmaps, UINT64_MAX,
                        fresh ? bitmap : kept);
            state.PauseTiming();
            bitmap.SetSize(0, 0);
            state.ResumeTiming();
        }
    });
}

// How long a helper started ahead takes to ready itself here, with room to spare: between two
// opens a painter takes far longer.
constexpr auto HelperReadies = std::chrono::milliseconds(100);

// As the program loads: a helper started ahead and ready, a new one started for the next load.
void ThroughHelper(benchmark::State& state, Workbench& bench, const QString& path, bool fresh) {
    ImageLoadOptions options;
    options.spareHelper = true;
    bench.RunGuarded(state, [&] {
        TBitmap kept;
        for (auto _ : state) {
            TBitmap bitmap;
            LoadBitmapFromFile(fresh ? bitmap : kept, path, options);
            state.PauseTiming();
            bitmap.SetSize(0, 0);
            std::this_thread::sleep_for(HelperReadies);
            state.ResumeTiming();
        }
    });
}

void PhotoFirstInProcess(benchmark::State& state, Workbench& bench) {
    InProcess(state, bench, bench.PhotoPath(), true);
}
void PhotoFirstThroughHelper(benchmark::State& state, Workbench& bench) {
    ThroughHelper(state, bench, bench.PhotoPath(), true);
}
void PhotoSteadyInProcess(benchmark::State& state, Workbench& bench) {
    InProcess(state, bench, bench.PhotoPath(), false);
}
void PhotoSteadyThroughHelper(benchmark::State& state, Workbench& bench) {
    ThroughHelper(state, bench, bench.PhotoPath(), false);
}
void SmallPngInProcess(benchmark::State& state, Workbench& bench) {
    InProcess(state, bench, SmallPngPath(bench), false);
}
void SmallPngThroughHelper(benchmark::State& state, Workbench& bench) {
    ThroughHelper(state, bench, SmallPngPath(bench), false);
}

} // namespace

std::vector<BenchFamily> DecoderHelperFamilies(Workbench& bench) {
    return {
        {"HelperFirstOpen",
         {"in_process", "the photo decoded in this process into a new bitmap", 0,
          Driving(bench, PhotoFirstInProcess)},
         {{"helper", "the photo through a ready helper into a new bitmap", 1.1,
           Driving(bench, PhotoFirstThroughHelper)}}},
        {"HelperSteadyOpen",
         {"in_process", "the photo decoded in this process into a kept bitmap", 0,
          Driving(bench, PhotoSteadyInProcess)},
         {{"helper", "the photo through a ready helper into a kept bitmap", 1.1,
           Driving(bench, PhotoSteadyThroughHelper)}}},
        {"HelperSmallPng",
         {"in_process", "a 640 x 480 PNG decoded in this process", 0,
          Driving(bench, SmallPngInProcess)},
         {{"helper", "a 640 x 480 PNG through a ready helper", 0,
           Driving(bench, SmallPngThroughHelper), 0, 10}}},
    };
}
