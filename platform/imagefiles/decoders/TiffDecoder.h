// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"

#include <QByteArrayView>
#include <memory>

// TIFF: the first page of any layout (strips or tiles, samples interleaved or in separate
// planes), every compression libtiff has; turned upright as the Orientation tag says, alpha
// premultiplied. libtiff's RGBA interface reads palette, grey, RGB, 8-bit CMYK, YCbCr, LogL and
// LogLuv of 1 to 16 unsigned bits a sample, with CIELab converted by us; TiffSampleReader reads
// the other sample layouts (1 to 64 bits, signed, floating point, 16-bit CMYK). Null when the
// header is damaged or the layout is neither's.
std::unique_ptr<FormatDecoder> OpenTiff(QByteArrayView file);
