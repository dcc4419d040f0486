// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QString>

// Writes the bitmap as a baseline JPEG with the encoder's defaults (no quality or other option
// set), at its full size. The alpha channel is not stored: the colour channels are taken as the
// bitmap holds them, premultiplied, so a semi-transparent pixel comes out as it looks over black.
//
// The file is created anew and never replaces an existing one: the JPEG goes to a hidden
// temporary file in the target's folder and is published under `path` only when complete and
// flushed to disk, by an operation that fails if the name exists. Throws AppError:
//   "Cannot create file "%s". %s" (the path, the system's description of the failure) when the
//       temporary file cannot be created, or when publishing fails (the name exists meanwhile,
//       the name is invalid);
//   "Saving bitmap failed." when `path` does not end in .jpg or .jpeg (any letter case), or
//       when encoding or writing fails, an empty bitmap included; no file is left then.
void SaveBitmapAsJpeg(const TBitmap& source, const QString& path);

enum class SavedFormat { Jpeg, Png };

// SaveBitmapAsJpeg in either format, by the same rules: PNG with the encoder's defaults, the
// colour channels as the bitmap holds them and no alpha channel, so that both formats store the
// same picture. A PNG's `path` must end in .png (any letter case).
void SaveBitmap(const TBitmap& source, const QString& path, SavedFormat format);
