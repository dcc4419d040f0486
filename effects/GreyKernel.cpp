// SPDX-License-Identifier: MIT
#include "GreyKernel.h"

#include <algorithm>
#include <array>

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

// The output colour for every value of the method's channel.
std::array<TAlphaColor, 256> GreyTable(GreyMethod method) {
    std::array<TAlphaColor, 256> table{};
    for (int channel = 0; channel < 256; ++channel)
        table[channel] = OpaqueGrey(std::uint8_t(std::min(channel + Lightening(method), 255)));
    return table;
}

} // namespace

TAlphaColor GreyOf(TAlphaColor source, GreyMethod method) {
    const int channel = (source >> ChannelShift(method)) & 0xFF;
    return OpaqueGrey(std::uint8_t(std::min(channel + Lightening(method), 255)));
}

void GreyPass(const TBitmapData& source, const TBitmapData& target, GreyMethod method,
              TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    const int width = source.FWidth;
    const int height = source.FHeight;
    if (width <= 0 || height <= 0)
        return;
    const std::array<TAlphaColor, 256> table = GreyTable(method);
    const int shift = ChannelShift(method);
    for (int y = 0; y < height; ++y) {
        const TAlphaColor* in = RowStart(source, y);
        TAlphaColor* out = RowStart(target, y);
        for (int x = 0; x < width; ++x)
            out[x] = table[(in[x] >> shift) & 0xFF];
    }
    currentPixel = GetPixel(source, width - 1, height - 1);
    outputColour = GetPixel(target, width - 1, height - 1);
}
