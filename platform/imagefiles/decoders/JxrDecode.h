// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QSize>

// JPEG XR decoding with the library. The library is fragile on damaged files (it crashes, aborts
// on assertions and allocates without bounds); like every decoder, it runs in the confined
// helper process, where that ends the helper, never the program.

// Decodes the first image of the file into `pixels`: size.width() * size.height() premultiplied
// 0xAARRGGBB values, rows top to bottom without padding. False, with `pixels` partly written,
// when the bytes cannot be decoded, hold a pixel format we do not convert (n-channel, YCC, RGBE,
// 10-bit, CMYK with alpha, palettes) or decode to another size than `size`.
bool DecodeJxrInto(const QByteArray& fileBytes, QSize size, unsigned char* pixels);
