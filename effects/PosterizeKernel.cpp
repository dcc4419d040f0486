// SPDX-License-Identifier: MIT
#include "PosterizeKernel.h"

#include <algorithm>

namespace {

bool EdgeBelongsAbove(int n) {
    return n == 2 || n == 6;
}

bool PassesBandTest(int d, int edge, int n) {
    return EdgeBelongsAbove(n) ? d < edge : d <= edge;
}

// Levels above this threshold become white for n = 2..5.
int TopRuleThreshold(int n) {
    switch (n) {
    case 2:
        return 127;
    case 3:
        return 169;
    case 4:
        return 191;
    case 5:
        return 203;
    default:
        return 255;
    }
}

} // namespace

int HeldLevelCount(int n) {
    return std::clamp(n, MinLevels, MaxLevels);
}

int PosterizeLevel(int d, int n) {
    const int step = 256 / n;
    int edge = step;
    bool stopped = false;
    for (int band = 0; band < n; ++band) {
        if (PassesBandTest(d, edge, n)) {
            edge -= step;
            stopped = true;
            break;
        }
        edge += step;
    }
    if (!stopped && edge > 255)
        edge = 255;
    if (edge > TopRuleThreshold(n))
        edge = 255;
    return edge;
}

std::array<std::uint8_t, 256> PosterizeTable(int n) {
    const int step = 256 / n;
    std::array<std::uint8_t, 256> table{};
    for (int d = 0; d < 256; ++d) {
        int level = 255;
        for (int k = 0; k < n; ++k)
            if (PassesBandTest(d, step * (k + 1), n)) {
                level = step * k;
                break;
            }
        if (level > TopRuleThreshold(n))
            level = 255;
        table[d] = std::uint8_t(level);
    }
    return table;
}

void PosterizePass(const TBitmapData& grey, const TBitmapData& target, int levels,
                   TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    const int width = grey.FWidth;
    const int height = grey.FHeight;
    if (width <= 0 || height <= 0)
        return;
    const std::array<std::uint8_t, 256> levelOf = PosterizeTable(HeldLevelCount(levels));
    std::array<TAlphaColor, 256> colourOf{};
    for (int d = 0; d < 256; ++d)
        colourOf[d] = OpaqueGrey(levelOf[d]);
    for (int y = 0; y < height; ++y) {
        const TAlphaColor* in = RowStart(grey, y);
        TAlphaColor* out = RowStart(target, y);
        for (int x = 0; x < width; ++x)
            out[x] = colourOf[RedOf(in[x])];
    }
    currentPixel = GetPixel(grey, width - 1, height - 1);
    outputColour = GetPixel(target, width - 1, height - 1);
}
