// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <cstddef>
#include <initializer_list>

// Calls run(y, count) for runs of pixels that start at column 0 of row y: one run of the whole
// picture when the rows of every map follow each other without a gap, else one run a row. A
// loop over one long run keeps its vectors going across the ends of rows.
template <typename Run>
void ForEachRun(std::initializer_list<const TBitmapData*> maps, int width, int height, Run run) {
    bool gapless = true;
    for (const TBitmapData* map : maps)
        gapless = gapless && map->Pitch == width * std::int32_t(sizeof(TAlphaColor));
    if (gapless) {
        run(0, std::size_t(width) * std::size_t(height));
        return;
    }
    for (int y = 0; y < height; ++y)
        run(y, std::size_t(width));
}

// The bytes of the pixels of a map.
inline std::size_t PictureBytes(const TBitmapData& map) {
    return std::size_t(map.FWidth) * std::size_t(map.FHeight) * sizeof(TAlphaColor);
}
