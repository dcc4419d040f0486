// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// A colour as 0xAARRGGBB. In memory (little-endian) its bytes are blue, green, red, alpha,
// which is the layout of QImage::Format_ARGB32_Premultiplied on x86.
using TAlphaColor = std::uint32_t;

constexpr TAlphaColor claBlack = 0xFF000000u;
constexpr TAlphaColor claWhite = 0xFFFFFFFFu;
constexpr TAlphaColor claBlue = 0xFF0000FFu;
constexpr TAlphaColor claPalegreen = 0xFF98FB98u;

constexpr std::uint8_t AlphaOf(TAlphaColor c) {
    return static_cast<std::uint8_t>(c >> 24);
}
constexpr std::uint8_t RedOf(TAlphaColor c) {
    return static_cast<std::uint8_t>(c >> 16);
}
constexpr std::uint8_t GreenOf(TAlphaColor c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t BlueOf(TAlphaColor c) {
    return static_cast<std::uint8_t>(c);
}

// An opaque grey: red, green and blue all v, alpha 255.
constexpr TAlphaColor OpaqueGrey(std::uint8_t v) {
    return 0xFF000000u | (v * 0x010101u);
}
