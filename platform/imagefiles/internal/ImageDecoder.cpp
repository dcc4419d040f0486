// SPDX-License-Identifier: MIT
#include "ImageDecoder.h"

#include "AppError.h"
#include "AvailableMemory.h"
#include "BmpDecoder.h"
#include "JxrDecoder.h"
#include "PngDecoder.h"
#include "QtDecoder.h"
#include "TiffDecoder.h"

std::unique_ptr<FormatDecoder> OpenDecoder(const QByteArray& bytes, ImageKind kind,
                                           const ImageLoadOptions& options) {
    switch (kind) {
    case ImageKind::Bmp:
        return OpenBmp(bytes);
    case ImageKind::Png:
        return OpenPng(bytes);
    case ImageKind::Tiff:
        return OpenTiff(bytes);
    case ImageKind::Jxr:
        return OpenJxr(bytes, options);
    case ImageKind::Jpeg:
    case ImageKind::Gif:
    case ImageKind::Ico:
        break;
    }
    return OpenWithQt(bytes, kind);
}

void ThrowLoadFailed(const QString& path) {
    throw AppError(QStringLiteral("Loading bitmap failed (%1).").arg(path));
}

void DecodeImage(const QByteArray& bytes, ImageKind kind, const QString& path,
                 const ImageLoadOptions& options, TBitmap& into) {
    const std::unique_ptr<FormatDecoder> decoder = OpenDecoder(bytes, kind, options);
    if (!decoder)
        ThrowLoadFailed(path);
    RequireWorkingSetFits(decoder->Size(), options.workingSetBitmaps,
                          options.memoryLimit.value_or(AvailableMemoryBytes()));
    if (!decoder->DataComplete() || !decoder->DecodeInto(into))
        ThrowLoadFailed(path);
}
