// SPDX-License-Identifier: MIT
#include "BmpDecoder.h"

#include "BmpInfoHeader.h"

#include <QRgb>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr quint32 Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6;
constexpr qsizetype FileHeaderBytes = 14;
constexpr QRgb MissingColour = 0xFF000000; // palette indices the file does not define

quint32 U32(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

// One colour channel of a pixel value: its bits found by a mask, widened or narrowed to 8 bits.
class Channel {
public:
    Channel() = default;
    explicit Channel(quint32 mask) : mask_(mask) {
        if (mask == 0) { // a channel the file leaves out reads as 0
            table_.assign(1, 0);
            return;
        }
        shift_ = std::countr_zero(mask);
        max_ = mask >> shift_;
        if (max_ <= 0xFFFF) {
            table_.resize(max_ + 1);
            for (quint32 value = 0; value <= max_; ++value)
                table_[value] = Scale(value);
        }
    }

    bool Present() const { return mask_ != 0; }

    quint8 operator()(quint32 pixel) const {
        const quint32 value = (pixel & mask_) >> shift_;
        return table_.empty() ? Scale(value) : table_[value];
    }

private:
    // Rounded to the nearest 8-bit level, full scale to 255. For 5 and 6 bits this differs from
    // repeating the top bits by one level at a few values; bmpsuite's references round.
    quint8 Scale(quint32 value) const { return quint8((quint64(value) * 255 + max_ / 2) / max_); }

    quint32 mask_ = 0;
    int shift_ = 0;
    quint32 max_ = 0;
    std::vector<quint8> table_;
};

struct Masks {
    quint32 red = 0;
    quint32 green = 0;
    quint32 blue = 0;
    quint32 alpha = 0;
};

struct BmpLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = Rgb;
    Masks masks;
    std::array<QRgb, 256> palette{};
    qsizetype pixelOffset = 0;
    qsizetype stride = 0;
};

bool IsOs2Version2(quint32 headerBytes) {
    return headerBytes == 64 || (headerBytes >= 16 && headerBytes < 64 && headerBytes != 40 &&
                                 headerBytes != 52 && headerBytes != 56);
}

bool ValidHeaderSize(quint32 headerBytes) {
    return headerBytes == 12 || (headerBytes >= 16 && headerBytes <= 64) || headerBytes == 108 ||
           headerBytes == 124;
}

bool ValidEncoding(int bitCount, quint32 compression) {
    switch (compression) {
    case Rgb:
        return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
               bitCount == 24 || bitCount == 32;
    case Rle8:
        return bitCount == 8;
    case Rle4:
        return bitCount == 4;
    case BitFields:
    case AlphaBitFields:
        return bitCount == 16 || bitCount == 32;
    default:
        return false; // embedded JPEG or PNG, OS/2 Huffman and 24-bit run-length data
    }
}

Masks DefaultMasks(int bitCount) {
    if (bitCount == 16)
        return {0x7C00, 0x03E0, 0x001F, 0};
    return {0xFF0000, 0x00FF00, 0x0000FF, 0};
}

// The palette: three bytes a colour after an OS/2 1.x header, four otherwise; as many colours
// as the header says, but never past the pixel data or the file.
void ReadPalette(QByteArrayView file, qsizetype start, int entryBytes, quint32 colourCount,
                 BmpLayout& layout) {
    layout.palette.fill(MissingColour);
    const qsizetype end = std::min<qsizetype>(file.size(), std::max(layout.pixelOffset, start));
    const qsizetype available = std::max<qsizetype>(0, (end - start) / entryBytes);
    const qsizetype count = std::min<qsizetype>({qsizetype(colourCount), available, 256});
    for (qsizetype i = 0; i < count; ++i) {
        const auto* entry = reinterpret_cast<const uchar*>(file.data() + start + i * entryBytes);
        layout.palette[i] = qRgb(entry[2], entry[1], entry[0]);
    }
}

std::optional<BmpLayout> ParseLayout(QByteArrayView file) {
    if (file.size() < FileHeaderBytes + 16 || file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    const std::optional<BmpInfoHeader> info = ReadBmpInfoHeader(file.sliced(FileHeaderBytes));
    if (!info || !ValidHeaderSize(info->bytes))
        return std::nullopt;
    const quint32 headerBytes = info->bytes;
    BmpLayout layout;
    const quint32 offset = U32(file, 10);
    if (offset > quint32(file.size()))
        return std::nullopt;
    layout.pixelOffset = offset;
    layout.width = int(info->width);
    const qint64 height = info->height;
    layout.bitCount = info->bitCount;
    layout.compression = info->compression;
    const quint32 colourCount = info->colourCount;
    if (IsOs2Version2(headerBytes) && layout.compression >= BitFields)
        return std::nullopt; // there 3 and 4 mean Huffman and 24-bit run-length coding
    if (layout.width <= 0 || height == 0 || height == INT_MIN ||
        !ValidEncoding(layout.bitCount, layout.compression))
        return std::nullopt;
    layout.topDown = height < 0;
    layout.height = int(std::abs(height));
    const bool runLength = layout.compression == Rle8 || layout.compression == Rle4;
    if (runLength && layout.topDown)
        return std::nullopt;

    qsizetype paletteStart = FileHeaderBytes + headerBytes;
    if (layout.compression == BitFields || layout.compression == AlphaBitFields) {
        // The masks sit in headers of 52 bytes and more, after the 40-byte one otherwise.
        const qsizetype masksAt = FileHeaderBytes + 40;
        const bool inHeader = headerBytes >= 52;
        const qsizetype maskCount =
            inHeader ? (headerBytes >= 56 ? 4 : 3) : (layout.compression == AlphaBitFields ? 4 : 3);
        if (file.size() < masksAt + maskCount * 4)
            return std::nullopt;
        layout.masks = {U32(file, masksAt), U32(file, masksAt + 4), U32(file, masksAt + 8),
                        maskCount == 4 ? U32(file, masksAt + 12) : 0};
        if (!inHeader)
            paletteStart += maskCount * 4;
    } else {
        layout.masks = DefaultMasks(layout.bitCount);
    }
    if (layout.bitCount <= 8) {
        const quint32 full = 1u << layout.bitCount;
        // More colours than the bits can index: the header contradicts itself.
        if (colourCount > full)
            return std::nullopt;
        const quint32 colours = colourCount == 0 ? full : colourCount;
        const int entryBytes = headerBytes == 12 ? 3 : 4;
        const qsizetype paletteEnd = paletteStart + qsizetype(colours) * entryBytes;
        // A pixel offset that leaves no room for a palette (inside the headers, or at the
        // palette's start): the palette follows the headers and the pixels follow the palette,
        // as the reference decoders read such a file. An offset further on marks where a
        // palette shorter than its count ends.
        if (layout.pixelOffset <= paletteStart && paletteEnd <= file.size())
            layout.pixelOffset = paletteEnd;
        else if (layout.pixelOffset < paletteStart)
            return std::nullopt; // inside the headers, and no room for the palette after them
        ReadPalette(file, paletteStart, entryBytes, colours, layout);
    } else if (layout.pixelOffset < paletteStart) {
        // Inside the headers: the pixels follow them.
        layout.pixelOffset = std::min<qsizetype>(paletteStart, file.size());
    }
    layout.stride = (qsizetype(layout.width) * layout.bitCount + 31) / 32 * 4;
    return layout;
}

// Walks 4- or 8-bit run-length data, telling `sink` about every run: sink(x, y, count, index),
// where index(i) is the palette index of the run's i-th pixel. Coordinates count rows from the
// bottom and may lie outside the picture. True when the data reaches its end-of-bitmap marker.
template <typename Sink> bool WalkRunLengthData(QByteArrayView data, int bitCount, Sink&& sink) {
    qsizetype at = 0;
    qint64 x = 0;
    qint64 y = 0;
    const auto byte = [&data](qsizetype i) { return quint8(data[i]); };
    while (at + 2 <= data.size()) {
        const quint8 count = byte(at);
        const quint8 value = byte(at + 1);
        at += 2;
        if (count > 0) {
            if (bitCount == 8)
                sink(x, y, count, [value](int) { return value; });
            else
                sink(x, y, count, [value](int i) { return i % 2 ? value & 0x0F : value >> 4; });
            x += count;
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta: the pixels jumped over stay transparent
            if (at + 2 > data.size())
                return false;
            x += byte(at);
            y += byte(at + 1);
            at += 2;
            break;
        default: { // a literal run of `value` indices, padded to a 16-bit boundary
            const qsizetype bytes = bitCount == 8 ? value : (value + 1) / 2;
            if (at + bytes > data.size())
                return false;
            const qsizetype start = at;
            if (bitCount == 8)
                sink(x, y, value, [&byte, start](int i) { return byte(start + i); });
            else
                sink(x, y, value, [&byte, start](int i) {
                    const quint8 pair = byte(start + i / 2);
                    return i % 2 ? pair & 0x0F : pair >> 4;
                });
            x += value;
            at += (bytes + 1) & ~qsizetype(1);
            break;
        }
        }
    }
    return false;
}

class BmpDecoder final : public CanvasDecoder {
public:
    BmpDecoder(QByteArrayView file, const BmpLayout& layout) : file_(file), layout_(layout) {}

    QSize Size() const override { return QSize(layout_.width, layout_.height); }

    bool DataComplete() override {
        const QByteArrayView data = file_.sliced(layout_.pixelOffset);
        if (IsRunLength())
            return WalkRunLengthData(data, layout_.bitCount, [](qint64, qint64, int, auto) {});
        // The last row may lack its padding.
        const qint64 lastRow = (qint64(layout_.width) * layout_.bitCount + 7) / 8;
        return layout_.stride * qint64(layout_.height - 1) + lastRow <= data.size();
    }

private:
    bool Paint(QImage& canvas) override {
        if (IsRunLength())
            return DecodeRunLength(canvas);
        for (int y = 0; y < layout_.height; ++y) {
            const int stored = layout_.topDown ? y : layout_.height - 1 - y;
            const auto* source = reinterpret_cast<const uchar*>(file_.data() + layout_.pixelOffset +
                                                                qsizetype(stored) * layout_.stride);
            ConvertRow(source, reinterpret_cast<QRgb*>(canvas.scanLine(y)));
        }
        return true;
    }

    bool IsRunLength() const { return layout_.compression == Rle8 || layout_.compression == Rle4; }

    bool DecodeRunLength(QImage& canvas) {
        canvas.fill(Qt::transparent);
        const int width = layout_.width;
        const int height = layout_.height;
        const auto put = [&](qint64 x, qint64 y, int count, auto index) {
            if (y >= height)
                return;
            auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(height - 1 - int(y)));
            for (int i = 0; i < count && x + i < width; ++i)
                row[x + i] = layout_.palette[index(i)];
        };
        return WalkRunLengthData(file_.sliced(layout_.pixelOffset), layout_.bitCount, put);
    }

    void ConvertRow(const uchar* source, QRgb* target) const {
        const int width = layout_.width;
        switch (layout_.bitCount) {
        case 1:
        case 2:
        case 4: {
            const int bits = layout_.bitCount;
            const int perByte = 8 / bits;
            const int mask = (1 << bits) - 1;
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                target[x] = layout_.palette[(source[x / perByte] >> shift) & mask];
            }
            return;
        }
        case 8:
            for (int x = 0; x < width; ++x)
                target[x] = layout_.palette[source[x]];
            return;
        case 24:
            for (int x = 0; x < width; ++x, source += 3)
                target[x] = qRgb(source[2], source[1], source[0]);
            return;
        default:
            ConvertMaskedRow(source, target);
        }
    }

    void ConvertMaskedRow(const uchar* source, QRgb* target) const {
        const int width = layout_.width;
        const int bytes = layout_.bitCount / 8;
        const auto pixelAt = [source, bytes](int x) {
            return bytes == 2 ? quint32(qFromLittleEndian<quint16>(source + 2 * x))
                              : qFromLittleEndian<quint32>(source + 4 * x);
        };
        if (!alpha_.Present()) {
            for (int x = 0; x < width; ++x) {
                const quint32 pixel = pixelAt(x);
                target[x] = qRgb(red_(pixel), green_(pixel), blue_(pixel));
            }
            return;
        }
        for (int x = 0; x < width; ++x) {
            const quint32 pixel = pixelAt(x);
            target[x] =
                qPremultiply(qRgba(red_(pixel), green_(pixel), blue_(pixel), alpha_(pixel)));
        }
    }

    QByteArrayView file_;
    BmpLayout layout_;
    Channel red_{layout_.masks.red};
    Channel green_{layout_.masks.green};
    Channel blue_{layout_.masks.blue};
    Channel alpha_{layout_.masks.alpha};
};

} // namespace

std::unique_ptr<FormatDecoder> OpenBmp(QByteArrayView file) {
    const std::optional<BmpLayout> layout = ParseLayout(file);
    if (!layout)
        return nullptr;
    return std::make_unique<BmpDecoder>(file, *layout);
}
