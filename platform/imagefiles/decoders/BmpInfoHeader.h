// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

// The bitmap info header that follows a BMP file's 14-byte file header, and that starts each
// bitmap image inside an icon: its fields as the file declares them, nothing checked but that
// they are there.
struct BmpInfoHeader {
    quint32 bytes = 0; // the header's own size, which tells its version
    qint64 width = 0;
    qint64 height = 0; // negative: rows stored top-down
    int bitCount = 0;
    quint32 compression = 0; // 0 when the header is too short to hold it
    quint32 colourCount = 0; // the palette's colours, 0: as many as the bit count allows
};

// The info header at the start of `bytes`: the OS/2 1.x layout of 12 bytes (unsigned 16-bit
// sides, never compressed), or the layout the Windows and OS/2 2.x headers of 16 bytes and more
// share. nullopt when `bytes` ends before the size the header declares, or that size is neither.
std::optional<BmpInfoHeader> ReadBmpInfoHeader(QByteArrayView bytes);
