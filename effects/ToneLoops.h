// SPDX-License-Identifier: MIT
// The tone loop of grey and posterize: a channel of each pixel through a ToneRule, as grey.
// Included, through VectorLoops.h, only by the file of each path (see there).
#pragma once

#include "VectorKernels.h"
#include "VectorStores.h"
#include "VectorWay.h"

#include <cstddef>
#include <cstdint>

namespace {

template <VectorWay V> TAlphaColor ToneScalar(const ToneRule& rule, TAlphaColor pixel) {
    return OpaqueGrey(ToneOf(rule, std::uint8_t(pixel >> rule.shift)));
}

// The channel bytes of four vectors of pixels, lifted and stepped, as bytes in pack order.
template <VectorWay V, bool Stepped>
typename V::Vec ToneBytes(const TAlphaColor* in, const ToneRule& rule, typename V::Vec lift,
                          typename V::Vec base, const typename V::Vec* thresholds,
                          const typename V::Vec* rises) {
    using Vec = typename V::Vec;
    constexpr std::size_t L = V::Lanes;
    const Vec low = V::Splat32(0xFF);
    const Vec a = V::And(V::ShiftRight32(V::Load(in), rule.shift), low);
    const Vec b = V::And(V::ShiftRight32(V::Load(in + L), rule.shift), low);
    const Vec c = V::And(V::ShiftRight32(V::Load(in + 2 * L), rule.shift), low);
    const Vec d = V::And(V::ShiftRight32(V::Load(in + 3 * L), rule.shift), low);
    Vec bytes = V::AddSaturated8(V::Pack16To8(V::Pack32To16(a, b), V::Pack32To16(c, d)), lift);
    if constexpr (Stepped) {
        // A signed compare of bytes with their top bit flipped orders them as unsigned.
        const Vec biased = V::Xor(bytes, V::Splat8(0x80));
        Vec level = base;
        for (int i = 0; i < rule.stepCount; ++i)
            level = V::Add8(level, V::And(V::Greater8(biased, thresholds[i]), rises[i]));
        bytes = level;
    }
    return bytes;
}

template <VectorWay V, bool Stepped>
void ToneVectors(const TAlphaColor* in, TAlphaColor* out, TAlphaColor* copy, std::size_t& done,
                 std::size_t count, const ToneRule& rule, Storer<V> store, Storer<V> storeCopy) {
    using Vec = typename V::Vec;
    constexpr std::size_t L = V::Lanes;
    const Vec lift = V::Splat8(rule.lift);
    const Vec base = V::Splat8(rule.base);
    Vec thresholds[ToneRule::MaxSteps];
    Vec rises[ToneRule::MaxSteps];
    for (int i = 0; i < rule.stepCount; ++i) {
        thresholds[i] = V::Splat8(std::uint8_t((rule.thresholds[i] - 1) ^ 0x80));
        rises[i] = V::Splat8(rule.rises[i]);
    }
    const Vec opaque = V::Splat8(0xFF);
    for (; done + 4 * L <= count; done += 4 * L) {
        const Vec bytes = ToneBytes<V, Stepped>(in + done, rule, lift, base, thresholds, rises);
        // Unpacking in the pack's order puts every grey back at its pixel: b, b, b, 255.
        const Vec low = V::InterleaveLow8(bytes, bytes);
        const Vec high = V::InterleaveHigh8(bytes, bytes);
        const Vec lowAlpha = V::InterleaveLow8(bytes, opaque);
        const Vec highAlpha = V::InterleaveHigh8(bytes, opaque);
        const Vec pixels[4] = {
            V::InterleaveLow16(low, lowAlpha), V::InterleaveHigh16(low, lowAlpha),
            V::InterleaveLow16(high, highAlpha), V::InterleaveHigh16(high, highAlpha)};
        for (std::size_t k = 0; k < 4; ++k) {
            store(out + done + k * L, pixels[k]);
            if (copy != nullptr)
                storeCopy(copy + done + k * L, pixels[k]);
        }
    }
}

template <VectorWay V>
void Tone(const TAlphaColor* in, TAlphaColor* out, TAlphaColor* copy, std::size_t count,
          const ToneRule& rule, bool stream) {
    std::size_t done = 0;
    // Whole vectors start where the output is aligned, so that they may bypass the caches.
    for (; done < count && !Aligned<V>(out + done); ++done) {
        out[done] = ToneScalar<V>(rule, in[done]);
        if (copy != nullptr)
            copy[done] = out[done];
    }
    const Storer<V> store{stream};
    const Storer<V> storeCopy{stream && (copy == nullptr || Aligned<V>(copy + done))};
    if (rule.stepCount > 0)
        ToneVectors<V, true>(in, out, copy, done, count, rule, store, storeCopy);
    else
        ToneVectors<V, false>(in, out, copy, done, count, rule, store, storeCopy);
    for (; done < count; ++done) {
        out[done] = ToneScalar<V>(rule, in[done]);
        if (copy != nullptr)
            copy[done] = out[done];
    }
    if (stream)
        V::Fence();
}

} // namespace
