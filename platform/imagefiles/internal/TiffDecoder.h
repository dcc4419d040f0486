// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"

#include <QByteArrayView>
#include <memory>

// TIFF through libtiff's RGBA interface: the first page of any layout (strips or tiles, samples
// interleaved or in separate planes), 1 to 16 bits a sample, palette, grey, RGB, CMYK, YCbCr
// and CIELab, every compression the library has; turned upright as the Orientation tag says,
// alpha premultiplied. Floating-point samples are not read here (Qt's plug-in reads them);
// signed integer samples are refused.
struct TiffOpening {
    // Null when the header is damaged, the samples are signed or floating point.
    std::unique_ptr<FormatDecoder> decoder;
    // The header is valid, but the samples are floating point.
    bool floatSamples = false;
};
TiffOpening OpenTiff(QByteArrayView file);
