// SPDX-License-Identifier: MIT
#include "ImageDecoder.h"

#include "BmpDecoder.h"
#include "JxrDecoder.h"
#include "PngDecoder.h"
#include "QtDecoder.h"
#include "TiffDecoder.h"

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
