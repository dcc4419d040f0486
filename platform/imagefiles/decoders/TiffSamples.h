// SPDX-License-Identifier: MIT
// TIFF samples of the layouts libtiff's RGBA interface leaves out, converted by us to 8-bit
// premultiplied BGRA: grey, RGB, palette and CMYK pictures of 1 to 64 bits a sample, unsigned,
// signed, untyped or floating point (16, 24, 32 or 64 bits), in strips or tiles, interleaved or
// in separate planes, with or without alpha.
//
// How a sample becomes 0-255, as ImageMagick reads these files:
// - unsigned and untyped n bits: value * 255 / (2^n - 1), rounded;
// - signed n bits: offset by 2^(n - 1) to unsigned, then as unsigned (the most negative value is
//   black, 0 is middle grey);
// - floating point: SMinSampleValue..SMaxSampleValue where the file gives them, else 0..1,
//   clamped, then scaled and rounded; not-a-number is 0;
// - CMYK: each ink to 8 bits first, then as libtiff turns 8-bit CMYK into RGB; three inks are
//   CMY, without black;
// - palette: the index's colour map entry, 16-bit entries to 8 bits.
#pragma once

#include <QImage>
#include <QPoint>
#include <memory>
#include <tiffio.h>

// Where stored pixel (x, y) of a `width` x `height` picture shows once turned as the TIFF
// Orientation value says: rows stored as columns for 5 to 8.
QPoint TiffPlace(quint16 orientation, quint32 x, quint32 y, quint32 width, quint32 height);

class TiffSampleReader {
public:
    // A reader for the current directory of `tiff`, whose picture is `width` x `height` as
    // stored; null when its layout is not one of the above, or its header contradicts itself.
    static std::unique_ptr<TiffSampleReader> For(TIFF* tiff, quint32 width, quint32 height);
    virtual ~TiffSampleReader() = default;

    // Writes every pixel into `canvas`, which holds the picture turned as `orientation` (a TIFF
    // Orientation value) says. False when the data turns out damaged.
    virtual bool Paint(QImage& canvas, quint16 orientation) = 0;
};
