// SPDX-License-Identifier: MIT
#include "RecolourKernel.h"

void ReplaceColour(const TBitmapData& map, TAlphaColor from, TAlphaColor to) {
    for (int y = 0; y < map.FHeight; ++y) {
        TAlphaColor* row = RowStart(map, y);
        for (int x = 0; x < map.FWidth; ++x)
            if (row[x] == from)
                row[x] = to;
    }
}
