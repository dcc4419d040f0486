// SPDX-License-Identifier: MIT
#include "Yardsticks.h"

#include "Faqja0.h"
#include "PictureBox.h"
#include "Workbench.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

void TimePlainDecode(benchmark::State& state, Workbench& bench, const QString& path) {
    bench.RunGuarded(state, [&] {
        for (auto _ : state) {
            QImageReader reader(path);
            reader.setAllocationLimit(0);
            QImage image = reader.read();
            image.convertTo(QImage::Format_ARGB32_Premultiplied);
            if (image.isNull()) {
                state.SkipWithError(reader.errorString().toStdString().c_str());
                break;
            }
            state.PauseTiming();
            image = QImage();
            state.ResumeTiming();
        }
    });
}

void TimePlainEncode(benchmark::State& state, Workbench& bench, const char* format) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        const QImage picture = bench.Form().Image1->Bitmap().ImageView().copy();
        for (auto _ : state) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, format);
            if (!writer.write(picture)) {
                state.SkipWithError(writer.errorString().toStdString().c_str());
                break;
            }
        }
    });
}

bool UsableFolder(benchmark::State& state, const QTemporaryDir& folder) {
    if (!folder.isValid())
        state.SkipWithError(folder.errorString().toStdString().c_str());
    return folder.isValid();
}
