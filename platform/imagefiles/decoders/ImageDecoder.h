// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "FormatDecoder.h"
#include "ImageHeader.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

// The decoders of every format, as the decoder helper process runs them; the program itself
// never calls them (ImageFile.h loads through the helper).

// The decoder for a file of the recognised kind: ours for BMP, PNG and TIFF, the library's for
// JPEG XR, Qt's plug-in for the rest. Null when the chosen decoder finds the header damaged.
// `bytes` must outlive the decoder.
std::unique_ptr<FormatDecoder> OpenDecoder(const QByteArray& bytes, ImageKind kind);

// Loads what decoding needs from files (Qt's image plug-ins), so that decoding afterwards opens
// none, and runs each decoder once on a tiny picture, so that its first file finds it ready.
void PrepareDecoders();

// The helper's whole decode in this process, for the fuzzers and the decoders' own tests: the
// format recognised from the content, the declared size checked against `workingSetBitmaps`
// bitmaps within `memoryLimit` before any pixel is decoded, then the pixels into `into` (which it
// resizes). Throws AppError: "Bitmap size too big." from the size policy, "Loading bitmap failed
// (<path>)." for whatever cannot be decoded.
void DecodeImage(const QByteArray& bytes, const QString& path, int workingSetBitmaps,
                 std::uint64_t memoryLimit, TBitmap& into);
