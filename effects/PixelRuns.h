// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "Cores.h"

#include <cstddef>
#include <initializer_list>

// Calls run(y, count) for runs of pixels that start at column 0 of row y, over rows
// [first, end): one run of all of them when the rows of every map follow each other without a
// gap, else one run a row. A loop over one long run keeps its vectors going across the ends of
// rows.
template <typename Run>
void ForEachRun(std::initializer_list<const TBitmapData*> maps, int width, int first, int end,
                Run run) {
    bool gapless = true;
    for (const TBitmapData* map : maps)
        gapless = gapless && map->Pitch == width * std::int32_t(sizeof(TAlphaColor));
    if (gapless) {
        run(first, std::size_t(width) * std::size_t(end - first));
        return;
    }
    for (int y = first; y < end; ++y)
        run(y, std::size_t(width));
}

// ForEachRun over every row of the picture, its row blocks split over the pass's threads.
template <typename Run>
void ForEachRunInBlocks(std::initializer_list<const TBitmapData*> maps, int width, int height,
                        Run run) {
    ForEachRowBlock(height, std::size_t(width) * sizeof(TAlphaColor),
                    [&](int first, int end) { ForEachRun(maps, width, first, end, run); });
}

// The bytes of the pixels of a map.
inline std::size_t PictureBytes(const TBitmapData& map) {
    return std::size_t(map.FWidth) * std::size_t(map.FHeight) * sizeof(TAlphaColor);
}
