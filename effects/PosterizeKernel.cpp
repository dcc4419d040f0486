// SPDX-License-Identifier: MIT
#include "PosterizeKernel.h"

#include "PixelRuns.h"
#include "VectorKernels.h"

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

ToneRule BandRule(const ValueBands& bands) {
    ToneRule rule;
    rule.shift = 16;
    rule.base = bands.tones.front();
    for (std::size_t k = 0; k < bands.edges.size(); ++k) {
        rule.thresholds[rule.stepCount] = bands.edges[k];
        rule.rises[rule.stepCount] = std::uint8_t(bands.tones[k + 1] - bands.tones[k]);
        ++rule.stepCount;
    }
    return rule;
}

ToneRule PosterizeRule(int n) {
    return BandRule(BandsFor(BandPreset::EqualSteps, n, GreyHistogram{}));
}

namespace {

void Posterize(const TBitmapData& grey, const TBitmapData& target, const TBitmapData* copy,
               const ToneRule& rule, TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    const int width = grey.FWidth;
    const int height = grey.FHeight;
    if (width <= 0 || height <= 0)
        return;
    const VectorKernels& kernels = ChosenKernels();
    const bool stream = StreamsPictureOf(PictureBytes(target));
    ForEachRunInBlocks({&grey, &target, copy != nullptr ? copy : &target}, width, height,
                       [&](int y, std::size_t count) {
                           kernels.tone(RowStart(grey, y), RowStart(target, y),
                                        copy != nullptr ? RowStart(*copy, y) : nullptr, count, rule,
                                        stream);
                       });
    currentPixel = GetPixel(grey, width - 1, height - 1);
    outputColour = GetPixel(target, width - 1, height - 1);
}

} // namespace

void PosterizePass(const TBitmapData& grey, const TBitmapData& target, int levels,
                   TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    Posterize(grey, target, nullptr, PosterizeRule(HeldLevelCount(levels)), currentPixel,
              outputColour);
}

void PosterizePassWithCopy(const TBitmapData& grey, const TBitmapData& target,
                           const TBitmapData& copy, int levels, TAlphaColor& currentPixel,
                           TAlphaColor& outputColour) {
    Posterize(grey, target, &copy, PosterizeRule(HeldLevelCount(levels)), currentPixel,
              outputColour);
}

void PosterizePass(const TBitmapData& grey, const TBitmapData& target, const ValueBands& bands,
                   TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    Posterize(grey, target, nullptr, BandRule(bands), currentPixel, outputColour);
}

void PosterizePassWithCopy(const TBitmapData& grey, const TBitmapData& target,
                           const TBitmapData& copy, const ValueBands& bands,
                           TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    Posterize(grey, target, &copy, BandRule(bands), currentPixel, outputColour);
}
