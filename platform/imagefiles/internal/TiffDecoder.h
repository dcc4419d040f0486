// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"

#include <QByteArrayView>

// TIFF through libtiff's RGBA interface: the first page of any layout (strips or tiles, samples
// interleaved or in separate planes), 1 to 16 bits a sample, palette, grey, RGB, CMYK, YCbCr
// and CIELab, every compression the library has; turned upright as the Orientation tag says,
// alpha premultiplied. Floating-point samples are left to Qt's plug-in; signed integer samples
// are refused.
DecoderOpening OpenTiff(QByteArrayView file);
