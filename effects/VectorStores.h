// SPDX-License-Identifier: MIT
// Where whole vectors of pixels may be stored bypassing the caches, and storing them so.
// Included, through VectorLoops.h, only by the file of each path (see there).
#pragma once

#include "VectorWay.h"

#include <cstdint>

namespace {

template <PixelVectorWay V> bool Aligned(const void* address) {
    return (reinterpret_cast<std::uintptr_t>(address) % sizeof(typename V::Vec)) == 0;
}

// Stores whole vectors at `out`, bypassing the caches when asked and `out` is aligned for it.
template <PixelVectorWay V> struct Storer {
    bool stream;
    void operator()(TAlphaColor* out, typename V::Vec value) const {
        if (stream)
            V::Stream(out, value);
        else
            V::Store(out, value);
    }
};

} // namespace
