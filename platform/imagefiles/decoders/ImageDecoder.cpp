// SPDX-License-Identifier: MIT
#include "ImageDecoder.h"

#include "BmpDecoder.h"
#include "JxrDecoder.h"
#include "PngDecoder.h"
#include "QtDecoder.h"
#include "TiffDecoder.h"

#include <QBuffer>
#include <QImage>
#include <utility>

std::unique_ptr<FormatDecoder> OpenDecoder(const QByteArray& bytes, ImageKind kind) {
    switch (kind) {
    case ImageKind::Bmp:
        return OpenBmp(bytes);
    case ImageKind::Png:
        return OpenPng(bytes);
    case ImageKind::Tiff:
        return OpenTiff(bytes);
    case ImageKind::Jxr:
        return OpenJxr(bytes);
    case ImageKind::Jpeg:
    case ImageKind::Gif:
    case ImageKind::Ico:
        break;
    }
    return OpenWithQt(bytes, kind);
}

void PrepareDecoders() {
    PrepareQtDecoders();
    // One tiny picture through each decoder Qt can write a file for: the libraries' one-time set
    // up (symbols bound, tables made, first allocations) is then done before a file waits on it.
    QImage tiny(2, 2, QImage::Format_RGB32);
    tiny.fill(Qt::gray);
    const std::pair<ImageKind, const char*> formats[] = {{ImageKind::Png, "PNG"},
                                                         {ImageKind::Bmp, "BMP"},
                                                         {ImageKind::Jpeg, "JPEG"},
                                                         {ImageKind::Ico, "ICO"}};
    for (const auto& [kind, format] : formats) {
        QByteArray bytes;
        QBuffer file(&bytes);
        file.open(QIODevice::WriteOnly);
        tiny.save(&file, format);
        TBitmap decoded;
        if (const std::unique_ptr<FormatDecoder> decoder = OpenDecoder(bytes, kind))
            decoder->DecodeInto(decoded);
    }
}

void DecodeImage(const QByteArray& bytes, const QString& path, int workingSetBitmaps,
                 std::uint64_t memoryLimit, TBitmap& into) {
    const std::optional<ImageKind> kind = RecogniseContent(bytes.left(ImageHeadBytes));
    const std::unique_ptr<FormatDecoder> decoder = kind ? OpenDecoder(bytes, *kind) : nullptr;
    if (!decoder)
        ThrowLoadFailed(path);
    RequireWorkingSetFits(decoder->Size(), workingSetBitmaps, memoryLimit);
    if (!decoder->DataComplete() || !decoder->DecodeInto(into))
        ThrowLoadFailed(path);
}
