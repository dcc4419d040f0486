// SPDX-License-Identifier: MIT
#include "RecolourKernel.h"

#include "PixelRuns.h"
#include "VectorKernels.h"

namespace {

void Replace(const TBitmapData& map, const TBitmapData* copy, TAlphaColor from, TAlphaColor to) {
    const VectorKernels& kernels = ChosenKernels();
    const bool stream = StreamsPictureOf(PictureBytes(map));
    ForEachRunInBlocks({&map, copy != nullptr ? copy : &map}, map.FWidth, map.FHeight,
                       [&](int y, std::size_t count) {
                           kernels.replace(RowStart(map, y),
                                           copy != nullptr ? RowStart(*copy, y) : nullptr, count,
                                           from, to, stream);
                       });
}

} // namespace

void ReplaceColour(const TBitmapData& map, TAlphaColor from, TAlphaColor to) {
    Replace(map, nullptr, from, to);
}

void ReplaceColourAfterCopy(const TBitmapData& map, const TBitmapData& copy, TAlphaColor from,
                            TAlphaColor to) {
    Replace(map, &copy, from, to);
}
