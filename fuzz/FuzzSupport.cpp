// SPDX-License-Identifier: MIT
#include "FuzzSupport.h"

#include "AppError.h"
#include "Bitmap.h"
#include "ImageDecoder.h"

#include <QByteArray>
#include <QCoreApplication>

namespace {

// The program's working set of nine bitmaps within 256 MB: pictures up to about 7 megapixels.
constexpr std::uint64_t WorkingSetLimit = std::uint64_t(256) << 20;
constexpr int WorkingSetBitmaps = 9;

void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

void StartFuzzing(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv);
    qInstallMessageHandler(&DropMessage);
}

void DecodeAsTheHelperDoes(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    TBitmap bitmap;
    try {
        DecodeImage(bytes, QStringLiteral("fuzz input"), WorkingSetBitmaps, WorkingSetLimit,
                    bitmap);
    } catch (const AppError&) {
    }
}
