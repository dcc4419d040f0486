// SPDX-License-Identifier: MIT
// The copy loop: the grid's copy of each row before it draws, Oilify's last row.
// Included, through VectorLoops.h, only by the file of each path (see there).
#pragma once

#include "VectorStores.h"
#include "VectorWay.h"

#include <cstddef>

namespace {

template <PixelVectorWay V>
void Copy(const TAlphaColor* in, TAlphaColor* out, std::size_t count, bool stream) {
    constexpr std::size_t L = V::Lanes;
    std::size_t done = 0;
    for (; done < count && !Aligned<V>(out + done); ++done)
        out[done] = in[done];
    const Storer<V> store{stream};
    for (; done + 4 * L <= count; done += 4 * L)
        for (std::size_t k = 0; k < 4; ++k)
            store(out + done + k * L, V::Load(in + done + k * L));
    for (; done < count; ++done)
        out[done] = in[done];
    if (stream)
        V::Fence();
}

} // namespace
