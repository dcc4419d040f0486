// SPDX-License-Identifier: MIT
#include "ImageFile.h"

#include "AppError.h"
#include "AvailableMemory.h"
#include "DecoderProcess.h"
#include "ImageHeader.h"
#include "RegularFileReader.h"

void LoadBitmapFromFile(TBitmap& target, const QString& path, const ImageLoadOptions& options) {
    if (!HasImageExtension(path))
        ThrowLoadFailed(path);
    RegularFileReader file(path, options.read);
    if (file.Size() > options.memoryLimit.value_or(AvailableMemoryBytes()))
        throw AppError(QStringLiteral("Bitmap size too big."));
    const QByteArray bytes = file.ReadAll();
    if (!RecogniseContent(bytes.left(ImageHeadBytes)))
        ThrowLoadFailed(path);
    DecodeInHelper(bytes, path, options, target);
}
