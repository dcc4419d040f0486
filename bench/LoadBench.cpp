// SPDX-License-Identifier: MIT
// Loading the photo stored as TIFF and as PNG, against Qt's plain decode of the same file.
#include "BenchFamily.h"
#include "Bitmap.h"
#include "ImageFile.h"
#include "Workbench.h"
#include "Yardsticks.h"

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

namespace {

// The photo converted once per run, uncompressed TIFF and default-compressed PNG.
class ConvertedPhotos {
public:
    explicit ConvertedPhotos(const QString& photoPath) {
        const QImage photo(photoPath);
        photo.save(Path("tif"), "TIFF");
        photo.save(Path("png"), "PNG");
    }
    QString Path(const char* extension) const {
        return folder_.filePath(QStringLiteral("photo.") + QLatin1String(extension));
    }

private:
    QTemporaryDir folder_;
};

const ConvertedPhotos& Photos(Workbench& bench) {
    static const ConvertedPhotos photos(bench.PhotoPath());
    return photos;
}

template <const char* Extension> void PlainDecode(benchmark::State& state, Workbench& bench) {
    TimePlainDecode(state, bench, Photos(bench).Path(Extension));
}

template <const char* Extension> void Load(benchmark::State& state, Workbench& bench) {
    const QString path = Photos(bench).Path(Extension);
    bench.RunGuarded(state, [&] {
        for (auto _ : state) {
            TBitmap bitmap;
            LoadBitmapFromFile(bitmap, path);
            state.PauseTiming();
            bitmap.SetSize(0, 0);
            state.ResumeTiming();
        }
    });
}

constexpr char Tiff[] = "tif";
constexpr char Png[] = "png";

} // namespace

std::vector<BenchFamily> ConvertedPhotoFamilies(Workbench& bench) {
    return {
        {"LoadTiff",
         {"decode", "Qt's plain decode of the photo as TIFF", 0, Driving(bench, PlainDecode<Tiff>)},
         {{"LoadBitmapFromFile", "the program's load of the photo as TIFF", 1.3,
           Driving(bench, Load<Tiff>)}}},
        {"LoadPng",
         {"decode", "Qt's plain decode of the photo as PNG", 0, Driving(bench, PlainDecode<Png>)},
         {{"LoadBitmapFromFile", "the program's load of the photo as PNG", 1.3,
           Driving(bench, Load<Png>)}}},
    };
}
