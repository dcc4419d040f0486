// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QImage>
#include <QSize>

// The decoder of one file of one format, reading the whole file held in memory. It is used in
// three steps, so that nothing large is allocated before the file has earned it: the header gives
// the size, DataComplete checks cheaply that the pixel data is all there, DecodeInto writes it.
// ImageDecoder.h chooses the decoder for each format.
class FormatDecoder {
public:
    virtual ~FormatDecoder() = default;

    // The picture's size as its header declares it, read before any pixel: what the working set
    // is judged by. Both sides at least 1.
    virtual QSize Size() const = 0;
    // False when the file cannot hold the pixels its header declares.
    virtual bool DataComplete() { return true; }
    // Decodes into `into`, which it resizes: upright as the orientation tag says, premultiplied,
    // a side above TBitmap::MaxSide reduced to fit. False when the data turns out damaged, with
    // `into` then holding nothing of use.
    virtual bool DecodeInto(TBitmap& into) = 0;
};

// A decoder that paints every pixel itself, at the size it declares (orientation applied), on a
// QImage::Format_ARGB32_Premultiplied canvas: the bitmap's own storage when the picture fits
// TBitmap::MaxSide, so that no second full-size buffer is made, a canvas then reduced otherwise.
class CanvasDecoder : public FormatDecoder {
public:
    bool DecodeInto(TBitmap& into) final;

protected:
    // Writes every pixel of `canvas`; false when the data turns out damaged.
    virtual bool Paint(QImage& canvas) = 0;
};

// Both sides within TBitmap::MaxSide.
bool FitsMaxSide(QSize size);

// Converts a decoded image into `into` (which it resizes), reducing it to TBitmap::MaxSide if
// needed. False for a null image, and when Qt runs out of memory on the way.
bool StoreImage(QImage image, TBitmap& into);
