// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include "NewFile.h"

#include <QString>

// Writes the bitmap as a baseline JPEG with the encoder's defaults (no quality or other option
// set), at its full size. The alpha channel is not stored: the colour channels are taken as the
// bitmap holds them, premultiplied, so a semi-transparent pixel comes out as it looks over black.
//
// The file is created anew and never replaces an existing one: the JPEG is written into an
// unnamed file in the target's folder and linked under `path` only when complete and flushed to
// disk, by an operation that fails if the name exists. Whatever stops the program meanwhile, a
// kill or a power loss, leaves the folder as it was. Where the filesystem has no unnamed files,
// a hidden temporary file beside the target takes its place. Throws AppError:
//   "Cannot create file "%s". %s" (the path, the system's description of the failure) when the
//       file cannot be created, written or flushed (a missing or read-only folder, a full disk,
//       an I/O error), or when publishing fails (the name exists meanwhile, the name is invalid
//       or too long);
//   "Saving bitmap failed." when `path` does not end in .jpg or .jpeg (any letter case), or
//       when encoding fails, an empty bitmap included.
// No file is left behind by a failure. An empty `write` is write(2).
void SaveBitmapAsJpeg(const TBitmap& source, const QString& path, const WriteCall& write = {});
