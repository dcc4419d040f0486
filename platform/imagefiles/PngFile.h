// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QString>

// Writes the bitmap losslessly as PNG at its full size, each pixel's four bytes as they are held:
// reading the file back gives every pixel's 32 bits again. A picture whose pixels are all opaque
// is stored without an alpha channel.
//
// The file is created anew and never replaces an existing one, as SaveBitmapAsJpeg's. Throws
// AppError: "Cannot create file "%s". %s" as SaveBitmapAsJpeg; "Saving bitmap failed." when
// `path` does not end in .png (any letter case), or when encoding or writing fails, an empty
// bitmap included; no file is left then.
void SaveBitmapAsPng(const TBitmap& source, const QString& path);
