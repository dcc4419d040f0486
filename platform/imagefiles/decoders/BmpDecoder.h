// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"

#include <QByteArrayView>
#include <memory>

// Windows and OS/2 bitmaps: 1, 2, 4 and 8 bits a pixel with a palette, 16, 24 and 32 bits plain
// or with channel masks of any width and position, 4- and 8-bit run-length data; headers of 12
// (OS/2 1.x), 16 to 64 (OS/2 2.x), 40, 52, 56, 108 and 124 bytes. Channels become 8 bits by
// rounding, so that full scale stays full scale whatever their width (31 of 5 bits is 255).
// Pixels that run-length data skips are transparent; data that ends before its end-of-bitmap
// marker, and rows missing from the file, make the file damaged. Null when the header is not one
// of these or contradicts itself.
std::unique_ptr<FormatDecoder> OpenBmp(QByteArrayView file);
