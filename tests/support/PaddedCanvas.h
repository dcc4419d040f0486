// SPDX-License-Identifier: MIT
// A mapped picture in memory of its own, with padding after each row, for passes that take maps.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <vector>

// Pixels in memory of their own, `gap` pixels of padding after each row.
class Canvas {
public:
    static constexpr TAlphaColor Padding = 0xDEADBEEFu;

    Canvas(int width, int height, int gap)
        : pixels_(std::size_t(width + gap) * height + 1, Padding) {
        map_.FPixelFormat = TPixelFormat::BGRA;
        map_.FWidth = width;
        map_.FHeight = height;
        map_.Pitch = (width + gap) * std::int32_t(sizeof(TAlphaColor));
        map_.Data = pixels_.data();
    }
    // A moved vector keeps its pixels where they are, so the map stays right; a copy would not.
    Canvas(Canvas&&) = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    const TBitmapData& Map() const { return map_; }
    // Every pixel and the padding, so that a write past a row's end shows.
    const std::vector<TAlphaColor>& Memory() const { return pixels_; }

private:
    std::vector<TAlphaColor> pixels_;
    TBitmapData map_;
};
