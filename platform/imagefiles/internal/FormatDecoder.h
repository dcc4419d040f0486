// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <memory>

// A decoder of ours for one format, reading a whole file held in memory. It is used in three
// steps, so that nothing large is allocated before the file has earned it: the header gives the
// size, DataComplete checks cheaply that the pixel data is all there, DecodeInto writes it.
class FormatDecoder {
public:
    virtual ~FormatDecoder() = default;

    // The picture's size as shown (orientation applied); both sides at least 1.
    virtual QSize Size() const = 0;
    // False when the file cannot hold the pixels its header declares.
    virtual bool DataComplete() { return true; }
    // Writes every pixel of `canvas` (Size(), QImage::Format_ARGB32_Premultiplied); false when
    // the data turns out damaged, with `canvas` then holding nothing of use.
    virtual bool DecodeInto(QImage& canvas) = 0;
};

// What a decoder of ours makes of a file's header.
struct DecoderOpening {
    // Null when the header is damaged or the file is left to Qt's plug-in.
    std::unique_ptr<FormatDecoder> decoder;
    // The file is valid as far as the header shows, but a kind ours does not read.
    bool leaveToQt = false;
};
