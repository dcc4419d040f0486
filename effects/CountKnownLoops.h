// SPDX-License-Identifier: MIT
// The value key's count of the pixels of each known tone.
// Included, through VectorLoops.h, only by the file of each path (see there).
#pragma once

#include "VectorKernels.h"
#include "VectorWay.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

// The known colours in registers, a counter per colour and lane: each equal lane subtracts -1.
// Branch-free, so a picture's short runs cost no more than its long ones.
template <VectorWay V, int K>
std::size_t CountKnownOf(const TAlphaColor* pixels, std::size_t count, const TAlphaColor* known,
                         std::uint64_t* counts) {
    using Vec = typename V::Vec;
    constexpr std::size_t L = V::Lanes;
    // A lane counter takes at most this many vectors before it is added up, far below 2^32.
    constexpr std::size_t block = std::size_t{1} << 24;
    Vec colours[K];
    for (int j = 0; j < K; ++j)
        colours[j] = V::Splat32(known[j]);
    std::size_t matched = 0;
    std::size_t i = 0;
    while (count - i >= L) {
        const std::size_t end = i + std::min((count - i) / L, block) * L;
        Vec lanes[K];
        for (int j = 0; j < K; ++j)
            lanes[j] = V::Splat32(0);
        for (; i < end; i += L) {
            const Vec v = V::Load(pixels + i);
            for (int j = 0; j < K; ++j)
                lanes[j] = V::Sub32(lanes[j], V::Equal32(v, colours[j]));
        }
        for (int j = 0; j < K; ++j) {
            TAlphaColor lane[L];
            V::Store(lane, lanes[j]);
            std::uint64_t sum = 0;
            for (std::size_t l = 0; l < L; ++l)
                sum += lane[l];
            counts[j] += sum;
            matched += sum;
        }
    }
    for (; i < count; ++i)
        for (int j = 0; j < K; ++j)
            if (pixels[i] == known[j]) {
                ++counts[j];
                ++matched;
                break;
            }
    return matched;
}

template <VectorWay V, int... K>
std::size_t CountKnownFor(const TAlphaColor* pixels, std::size_t count, const TAlphaColor* known,
                          int knownCount, std::uint64_t* counts, std::integer_sequence<int, K...>) {
    std::size_t matched = 0;
    ((knownCount == K + 1 ? (matched = CountKnownOf<V, K + 1>(pixels, count, known, counts), 0)
                          : 0),
     ...);
    return matched;
}

template <VectorWay V>
std::size_t CountKnown(const TAlphaColor* pixels, std::size_t count, const TAlphaColor* known,
                       int knownCount, std::uint64_t* counts) {
    return CountKnownFor<V>(pixels, count, known, knownCount, counts,
                            std::make_integer_sequence<int, VectorKernels::MaxKnownTones>{});
}

} // namespace
