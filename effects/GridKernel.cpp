// SPDX-License-Identifier: MIT
#include "GridKernel.h"

#include <algorithm>

void DrawGrid(const TBitmapData& map, int spacing, TAlphaColor colour) {
    if (spacing < 1)
        return;
    const int width = map.FWidth;
    const int height = map.FHeight;
    for (int y = spacing - 1; y < height; y += spacing)
        std::fill_n(RowStart(map, y), width, colour);
    for (int y = 0; y < height; ++y) {
        TAlphaColor* row = RowStart(map, y);
        for (int x = spacing - 1; x < width; x += spacing)
            row[x] = colour;
    }
}
