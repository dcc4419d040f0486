// SPDX-License-Identifier: MIT
#include "RecolourKernel.h"

void ReplaceColour(const TBitmapData& map, TAlphaColor from, TAlphaColor to) {
    // Locals, and a select instead of a conditional store, let the compiler vectorise the loop.
    const int width = map.FWidth;
    const int height = map.FHeight;
    for (int y = 0; y < height; ++y) {
        TAlphaColor* row = RowStart(map, y);
        for (int x = 0; x < width; ++x)
            row[x] = row[x] == from ? to : row[x];
    }
}
