// SPDX-License-Identifier: MIT
#include "JxrHeader.h"

#include <QtEndian>
#include <climits>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// Directory entries read here; every other entry is left to the decoder.
constexpr quint16 TagOrientation = 0xBC02;
constexpr quint16 TagImageOffset = 0xBCC0;
constexpr quint16 TagImageWidth = 0xBC80;
constexpr quint16 TagImageHeight = 0xBC81;
constexpr quint16 TypeShort = 3;
constexpr qsizetype EntryBytes = 12;
// Orientations 4 to 7 turn the picture a quarter, so its width and height trade places; the
// decoder refuses 8 and above.
constexpr quint32 FirstQuarterTurn = 4;
constexpr quint32 OrientationCount = 8;

constexpr char Signature[8] = {'W', 'M', 'P', 'H', 'O', 'T', 'O', '\0'};
// Signature, version byte and three bytes of flags; the sizes follow.
constexpr qsizetype FixedHeaderBytes = 12;
constexpr int TileCountBits = 12;
constexpr int WindowEdgeBits = 6;
constexpr quint64 MacroblockMask = 15;

struct DirectoryEntries {
    quint32 imageOffset = 0;
    quint32 orientation = 0;
    std::optional<quint32> width;
    std::optional<quint32> height;
};

struct PictureSize {
    quint64 width = 0;
    quint64 height = 0;
};

// Reads bit fields, most significant bit first, refusing to run past the end of the bytes.
class BitReader {
public:
    BitReader(const QByteArray& bytes, quint64 startByte)
        : bytes_(bytes), end_(quint64(bytes.size()) * 8), next_(startByte * 8) {}

    // Up to 32 bits.
    std::optional<quint32> Read(int count) {
        if (next_ > end_ || end_ - next_ < quint64(count))
            return std::nullopt;
        quint32 value = 0;
        for (int i = 0; i < count; ++i, ++next_) {
            const auto byte = static_cast<unsigned char>(bytes_[qsizetype(next_ / 8)]);
            value = value << 1 | ((byte >> (7 - next_ % 8)) & 1u);
        }
        return value;
    }

    bool Skip(quint64 count) {
        next_ += count;
        return next_ <= end_;
    }

private:
    const QByteArray& bytes_;
    quint64 end_;
    quint64 next_;
};

std::optional<DirectoryEntries> ReadDirectory(const QByteArray& bytes) {
    const quint64 size = quint64(bytes.size());
    if (size < 8)
        return std::nullopt;
    const quint64 directory = qFromLittleEndian<quint32>(bytes.constData() + 4);
    if (directory + 2 > size)
        return std::nullopt;
    const quint64 count = qFromLittleEndian<quint16>(bytes.constData() + directory);
    if (count == 0 || count == 0xFFFF || directory + 2 + count * EntryBytes > size)
        return std::nullopt;
    std::optional<quint32> imageOffset;
    DirectoryEntries entries;
    for (quint64 i = 0; i < count; ++i) {
        const char* entry = bytes.constData() + directory + 2 + i * EntryBytes;
        const quint16 tag = qFromLittleEndian<quint16>(entry);
        const quint16 type = qFromLittleEndian<quint16>(entry + 2);
        const quint32 valueCount = qFromLittleEndian<quint32>(entry + 4);
        const quint32 value = type == TypeShort ? qFromLittleEndian<quint16>(entry + 8)
                                                : qFromLittleEndian<quint32>(entry + 8);
        if (tag != TagImageOffset && tag != TagOrientation && tag != TagImageWidth &&
            tag != TagImageHeight)
            continue;
        if (valueCount != 1)
            return std::nullopt;
        // A repeated entry overrides the earlier one, as in the decoder.
        if (tag == TagImageOffset)
            imageOffset = value;
        else if (tag == TagImageWidth)
            entries.width = value;
        else if (tag == TagImageHeight)
            entries.height = value;
        else if (value < OrientationCount)
            entries.orientation = value;
        else
            return std::nullopt;
    }
    if (!imageOffset)
        return std::nullopt;
    entries.imageOffset = *imageOffset;
    return entries;
}

// The window's edges sit after the tile layout, which is only skipped.
bool SkipTiling(BitReader& bits, bool shortHeader, bool tileStretch) {
    const std::optional<quint32> columns = bits.Read(TileCountBits);
    const std::optional<quint32> rows = bits.Read(TileCountBits);
    if (!columns || !rows)
        return false;
    const quint64 sizeBits = shortHeader ? 8 : 16;
    if (!bits.Skip((quint64(*columns) + *rows) * sizeBits))
        return false;
    return !tileStretch || bits.Skip((quint64(*columns) + 1) * (quint64(*rows) + 1) * 8);
}

// The decoder's arithmetic: a window that does not complete whole macroblocks is only allowed
// on the right and bottom edges of a picture of whole macroblocks, and is cut off there.
std::optional<PictureSize> ApplyWindow(PictureSize size, BitReader& bits) {
    quint64 edges[4] = {}; // top, left, bottom, right
    for (quint64& edge : edges) {
        const std::optional<quint32> value = bits.Read(WindowEdgeBits);
        if (!value)
            return std::nullopt;
        edge = *value;
    }
    const auto [top, left, bottom, right] = edges;
    if (((size.width + left + right) & MacroblockMask) +
            ((size.height + top + bottom) & MacroblockMask) ==
        0)
        return size;
    if ((size.width & MacroblockMask) + (size.height & MacroblockMask) + left + top != 0 ||
        size.width <= right || size.height <= bottom)
        return std::nullopt;
    return PictureSize{size.width - right, size.height - bottom};
}

std::optional<PictureSize> ReadCodestreamSize(const QByteArray& bytes, quint64 offset) {
    if (offset > quint64(bytes.size()) || quint64(bytes.size()) - offset < FixedHeaderBytes)
        return std::nullopt;
    const char* header = bytes.constData() + offset;
    if (std::memcmp(header, Signature, sizeof Signature) != 0)
        return std::nullopt;
    const auto layout = static_cast<unsigned char>(header[9]);
    const auto fields = static_cast<unsigned char>(header[10]);
    const bool tiling = layout & 0x80;
    const bool shortHeader = fields & 0x80;
    const bool windowing = fields & 0x20;
    const bool tileStretch = fields & 0x08;

    BitReader bits(bytes, offset + FixedHeaderBytes);
    const int sizeBits = shortHeader ? 16 : 32;
    const std::optional<quint32> widthMinus1 = bits.Read(sizeBits);
    const std::optional<quint32> heightMinus1 = bits.Read(sizeBits);
    if (!widthMinus1 || !heightMinus1)
        return std::nullopt;
    // The decoder adds the one in 32 bits: the largest field wraps to an empty picture.
    const PictureSize size{quint32(*widthMinus1 + 1), quint32(*heightMinus1 + 1)};
    if (size.width == 0 || size.height == 0)
        return std::nullopt;
    if (!windowing)
        return size;
    if (tiling && !SkipTiling(bits, shortHeader, tileStretch))
        return std::nullopt;
    return ApplyWindow(size, bits);
}

} // namespace

std::optional<QSize> JxrImageSize(const QByteArray& fileBytes) {
    if (!IsJxrContent(fileBytes))
        return std::nullopt;
    const std::optional<DirectoryEntries> entries = ReadDirectory(fileBytes);
    if (!entries)
        return std::nullopt;
    std::optional<PictureSize> size = ReadCodestreamSize(fileBytes, entries->imageOffset);
    if (!size)
        return std::nullopt;
    // The container's own sizes must agree with the codestream's, in either order: a file that
    // says two things is damaged.
    if (entries->width && entries->height &&
        !(*entries->width == size->width && *entries->height == size->height) &&
        !(*entries->width == size->height && *entries->height == size->width))
        return std::nullopt;
    if (entries->orientation >= FirstQuarterTurn)
        std::swap(size->width, size->height);
    if (size->width > quint64(INT_MAX) || size->height > quint64(INT_MAX))
        return std::nullopt;
    return QSize(int(size->width), int(size->height));
}
