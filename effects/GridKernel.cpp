// SPDX-License-Identifier: MIT
#include "GridKernel.h"

#include "PixelRuns.h"
#include "VectorKernels.h"

#include <algorithm>

namespace {

// Copies each row into `copy` first, if there is one, while the row is in the cache anyway.
void Draw(const TBitmapData& map, const TBitmapData* copy, int spacing, TAlphaColor colour) {
    const int width = map.FWidth;
    const int height = map.FHeight;
    const VectorKernels& kernels = ChosenKernels();
    const bool stream = StreamsPictureOf(PictureBytes(map));
    ForEachRowBlock(height, std::size_t(width) * sizeof(TAlphaColor), [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            TAlphaColor* row = RowStart(map, y);
            if (copy != nullptr)
                kernels.copy(row, RowStart(*copy, y), std::size_t(width), stream);
            if (spacing < 1)
                continue;
            if ((y + 1) % spacing == 0) {
                std::fill_n(row, width, colour);
                continue;
            }
            for (int x = spacing - 1; x < width; x += spacing)
                row[x] = colour;
        }
    });
}

} // namespace

void DrawGrid(const TBitmapData& map, int spacing, TAlphaColor colour) {
    if (spacing >= 1)
        Draw(map, nullptr, spacing, colour);
}

void DrawGridAfterCopy(const TBitmapData& map, const TBitmapData& copy, int spacing,
                       TAlphaColor colour) {
    Draw(map, &copy, spacing, colour);
}
