// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "FormatDecoder.h"
#include "ImageFile.h"
#include "ImageHeader.h"

#include <QByteArray>
#include <QString>
#include <memory>

// The decoder for a file of the recognised kind: ours for BMP, PNG and TIFF, the helper process
// for JPEG XR, Qt's plug-in for the rest. Null when the
// chosen decoder finds the header damaged. `bytes` must outlive the decoder.
std::unique_ptr<FormatDecoder> OpenDecoder(const QByteArray& bytes, ImageKind kind,
                                           const ImageLoadOptions& options);

// Decodes a whole file's bytes, of the recognised kind, into `into` (which it resizes): upright
// as the orientation tag says, premultiplied, a side above TBitmap::MaxSide reduced to fit. The
// declared size is checked against the options' working set before any pixel is decoded. Throws
// AppError: "Bitmap size too big." from the size policy, "Loading bitmap failed (<path>)." for
// whatever cannot be decoded.
void DecodeImage(const QByteArray& bytes, ImageKind kind, const QString& path,
                 const ImageLoadOptions& options, TBitmap& into);

// The message of a file that is none of ours or that no decoder can read.
[[noreturn]] void ThrowLoadFailed(const QString& path);
