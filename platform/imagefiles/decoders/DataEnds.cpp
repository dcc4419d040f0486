// SPDX-License-Identifier: MIT
#include "DataEnds.h"

#include <cstdint>
#include <cstring>

namespace {

std::uint8_t ByteAt(QByteArrayView file, qsizetype at) {
    return std::uint8_t(file[at]);
}

// The offset just past a chain of GIF data sub-blocks starting at `at` (each a length byte and
// that many bytes, ended by a length of 0), or -1 where the file ends first.
qsizetype PastSubBlocks(QByteArrayView file, qsizetype at) {
    while (at < file.size()) {
        const int length = ByteAt(file, at);
        at += 1 + length;
        if (length == 0)
            return at;
    }
    return -1;
}

// The offset past a GIF colour table whose presence and size a packed flags byte gives.
qsizetype PastColourTable(std::uint8_t flags, qsizetype at) {
    return (flags & 0x80) != 0 ? at + 3 * (qsizetype(1) << ((flags & 0x07) + 1)) : at;
}

} // namespace

bool JpegReachesItsEnd(QByteArrayView file) {
    constexpr std::uint8_t StartOfScan = 0xDA;
    constexpr std::uint8_t EndOfImage = 0xD9;
    const qsizetype size = file.size();
    if (size < 4 || ByteAt(file, 0) != 0xFF || ByteAt(file, 1) != 0xD8)
        return false;
    qsizetype at = 2;
    while (at + 1 < size) {
        if (ByteAt(file, at) != 0xFF)
            return false; // a marker was due here
        // Any number of fill bytes may stand before a marker.
        while (at + 1 < size && ByteAt(file, at + 1) == 0xFF)
            ++at;
        if (at + 1 >= size)
            return false;
        const std::uint8_t marker = ByteAt(file, at + 1);
        at += 2;
        if (marker == EndOfImage)
            return true;
        const bool standsAlone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
        if (standsAlone)
            continue;
        if (at + 2 > size)
            return false;
        at += (qsizetype(ByteAt(file, at)) << 8) | ByteAt(file, at + 1);
        if (marker != StartOfScan)
            continue;
        if (at >= size)
            return false; // the scan's header runs past the end
        // The scan's coded data runs to the next marker: 0xFF before a byte that is neither a
        // stuffed 0, a restart marker nor another fill byte.
        for (;;) {
            // memchr, many bytes at a time: the coded data is nearly all of a photo's file.
            const void* marker = std::memchr(file.data() + at, 0xFF, std::size_t(size - at));
            at = marker ? static_cast<const char*>(marker) - file.data() : size;
            if (at + 1 >= size)
                return false;
            const std::uint8_t next = ByteAt(file, at + 1);
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                at += 2;
                continue;
            }
            if (next == 0xFF) {
                ++at;
                continue;
            }
            break;
        }
    }
    return false;
}

bool GifReachesItsEnd(QByteArrayView file) {
    constexpr qsizetype HeaderAndScreen = 13;
    if (file.size() < HeaderAndScreen)
        return false;
    qsizetype at = PastColourTable(ByteAt(file, 10), HeaderAndScreen);
    while (at < file.size()) {
        const std::uint8_t block = ByteAt(file, at);
        if (block == 0x21) { // an extension: its label, then its sub-blocks
            at = PastSubBlocks(file, at + 2);
            if (at < 0)
                return false;
            continue;
        }
        if (block != 0x2C) // the trailer, or anything else, before any picture
            return false;
        constexpr qsizetype Descriptor = 10;
        if (at + Descriptor > file.size())
            return false;
        // The descriptor, its colour table, the coding's code size, then the coded data.
        at = PastColourTable(ByteAt(file, at + 9), at + Descriptor) + 1;
        return at < file.size() && PastSubBlocks(file, at) >= 0;
    }
    return false;
}
