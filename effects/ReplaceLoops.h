// SPDX-License-Identifier: MIT
// The replace loop of recolour: one colour for another, optionally copying the pixels first.
// Included, through VectorLoops.h, only by the file of each path (see there).
#pragma once

#include "VectorStores.h"
#include "VectorWay.h"

#include <cstddef>

namespace {

template <VectorWay V>
void Replace(TAlphaColor* pixels, TAlphaColor* copy, std::size_t count, TAlphaColor from,
             TAlphaColor to, bool stream) {
    using Vec = typename V::Vec;
    constexpr std::size_t L = V::Lanes;
    std::size_t done = 0;
    const auto replaceOne = [&](std::size_t i) {
        if (copy != nullptr)
            copy[i] = pixels[i];
        if (pixels[i] == from)
            pixels[i] = to;
    };
    for (; done < count && copy != nullptr && !Aligned<V>(copy + done); ++done)
        replaceOne(done);
    const Storer<V> storeCopy{stream};
    const Vec fromVector = V::Splat32(from);
    const Vec toVector = V::Splat32(to);
    for (; done + L <= count; done += L) {
        const Vec value = V::Load(pixels + done);
        if (copy != nullptr)
            storeCopy(copy + done, value);
        const Vec match = V::Equal32(value, fromVector);
        if (V::AnySet(match))
            V::Store(pixels + done, V::Select(match, toVector, value));
    }
    for (; done < count; ++done)
        replaceOne(done);
    if (stream)
        V::Fence();
}

} // namespace
