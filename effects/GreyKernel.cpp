// SPDX-License-Identifier: MIT
#include "GreyKernel.h"

#include "PixelRuns.h"

#include <algorithm>

namespace {

int ChannelShift(GreyMethod method) {
    switch (method) {
    case GreyMethod::Red:
        return 16;
    case GreyMethod::GreenLightened:
        return 8;
    case GreyMethod::BlueLightened:
        return 0;
    }
    return 16;
}

int Lightening(GreyMethod method) {
    return method == GreyMethod::Red ? 0 : 50;
}

} // namespace

ToneRule GreyRule(GreyMethod method) {
    ToneRule rule;
    rule.shift = ChannelShift(method);
    rule.lift = std::uint8_t(Lightening(method));
    return rule;
}

void GreyPass(const TBitmapData& source, const TBitmapData& target, GreyMethod method,
              TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    const int width = source.FWidth;
    const int height = source.FHeight;
    if (width <= 0 || height <= 0)
        return;
    const ToneRule rule = GreyRule(method);
    const VectorKernels& kernels = ChosenKernels();
    const bool stream = StreamsPictureOf(PictureBytes(target));
    ForEachRunInBlocks({&source, &target}, width, height, [&](int y, std::size_t count) {
        kernels.tone(RowStart(source, y), RowStart(target, y), nullptr, count, rule, stream);
    });
    currentPixel = GetPixel(source, width - 1, height - 1);
    outputColour = GetPixel(target, width - 1, height - 1);
}
