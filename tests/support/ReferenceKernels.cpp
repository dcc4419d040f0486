// SPDX-License-Identifier: MIT
#include "ReferenceKernels.h"

#include "OilifyKernel.h"

#include <algorithm>
#include <tuple>

TAlphaColor GreyOf(TAlphaColor source, GreyMethod method) {
    const int channel = method == GreyMethod::Red              ? RedOf(source)
                        : method == GreyMethod::GreenLightened ? GreenOf(source)
                                                               : BlueOf(source);
    const int lightening = method == GreyMethod::Red ? 0 : 50;
    return OpaqueGrey(std::uint8_t(std::min(channel + lightening, 255)));
}

int PosterizeLevel(int d, int n) {
    const bool edgeBelongsAbove = n == 2 || n == 6;
    const int step = 256 / n;
    int edge = step;
    bool stopped = false;
    for (int band = 0; band < n; ++band) {
        if (edgeBelongsAbove ? d < edge : d <= edge) {
            edge -= step;
            stopped = true;
            break;
        }
        edge += step;
    }
    if (!stopped && edge > 255)
        edge = 255;
    const int whiteAbove[] = {127, 169, 191, 203};
    if (n >= 2 && n <= 5 && edge > whiteAbove[n - 2])
        edge = 255;
    return edge;
}

void OilifyCycleByPasses(TBitmap& picture, TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    TBitmap rows;
    rows.SetSize(picture.Width(), picture.Height());
    TBitmap columns;
    columns.SetSize(picture.Width(), picture.Height());
    for (auto [from, to, direction] : {std::tuple{&picture, &rows, OilifyDirection::Rows},
                                       std::tuple{&rows, &columns, OilifyDirection::Columns}}) {
        TBitmapData in;
        TBitmapData out;
        ScopedMap input(*from, TMapAccess::Read, in);
        ScopedMap output(*to, TMapAccess::Write, out);
        if (input.Mapped() && output.Mapped())
            OilifyPass(in, out, direction, currentPixel, outputColour);
    }
    picture.Assign(columns);
}
