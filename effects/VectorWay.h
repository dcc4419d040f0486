// SPDX-License-Identifier: MIT
// What a way of running the vector loops must provide: the operations, each a static function
// of a struct for one instruction set (Sse2 in VectorKernels.cpp, Avx2 in VectorKernelsAvx2.cpp).
// A vector holds V::Lanes pixels, one to a 32-bit lane, pixel i in lane i.
#pragma once

#include "AlphaColor.h"

#include <concepts>
#include <cstddef>
#include <cstdint>

// The operations on whole pixels, all that Oilify's votes use; two vectors taken as one
// (PairOf in OilifyVoteLoops.h) provide them too.
template <typename V>
concept PixelVectorWay = requires(typename V::Vec a, typename V::Vec b, typename V::Vec mask,
                                  const TAlphaColor* from, TAlphaColor* to, TAlphaColor colour) {
    // The number of pixels in a vector.
    { V::Lanes } -> std::convertible_to<std::size_t>;
    // The Lanes pixels from `from` on, at any alignment.
    { V::Load(from) } -> std::same_as<typename V::Vec>;
    // Writes the pixels of a from `to` on, at any alignment.
    { V::Store(to, a) } -> std::same_as<void>;
    // Writes the pixels of a from `to` on (aligned to a whole vector), bypassing the caches.
    { V::Stream(to, a) } -> std::same_as<void>;
    // Makes the streamed stores before it visible before any store after it.
    { V::Fence() } -> std::same_as<void>;
    // `colour` in every lane.
    { V::Splat32(colour) } -> std::same_as<typename V::Vec>;
    // The bits set in both a and b.
    { V::And(a, b) } -> std::same_as<typename V::Vec>;
    // The bits set in a or b.
    { V::Or(a, b) } -> std::same_as<typename V::Vec>;
    // Each lane all ones where a's pixel equals b's, all zeros elsewhere.
    { V::Equal32(a, b) } -> std::same_as<typename V::Vec>;
    // Bit i set where lane i's top bit is.
    { V::LaneBits32(a) } -> std::same_as<unsigned>;
    // a's lane where mask's lane is all ones, b's where it is all zeros.
    { V::Select(mask, a, b) } -> std::same_as<typename V::Vec>;
};

// Every operation the loops use: the pixel operations and those on bytes and 16-bit parts that
// the tone and count loops take. Packing and interleaving work within each 128-bit block.
template <typename V>
concept VectorWay = PixelVectorWay<V> &&
    requires(typename V::Vec a, typename V::Vec b, std::uint8_t byte, int bits) {
    // `byte` in every byte.
    { V::Splat8(byte) } -> std::same_as<typename V::Vec>;
    // Each lane shifted right by `bits`, zeros shifted in.
    { V::ShiftRight32(a, bits) } -> std::same_as<typename V::Vec>;
    // The bits set in exactly one of a and b.
    { V::Xor(a, b) } -> std::same_as<typename V::Vec>;
    // Byte by byte, a + b modulo 256.
    { V::Add8(a, b) } -> std::same_as<typename V::Vec>;
    // Byte by byte, a + b held at 255.
    { V::AddSaturated8(a, b) } -> std::same_as<typename V::Vec>;
    // Each byte all ones where a's is greater than b's as signed, else zeros.
    { V::Greater8(a, b) } -> std::same_as<typename V::Vec>;
    // a's lanes then b's, each held to a signed 16-bit part.
    { V::Pack32To16(a, b) } -> std::same_as<typename V::Vec>;
    // a's 16-bit parts then b's, each held to an unsigned byte.
    { V::Pack16To8(a, b) } -> std::same_as<typename V::Vec>;
    // The lower halves' bytes, a's and b's alternately.
    { V::InterleaveLow8(a, b) } -> std::same_as<typename V::Vec>;
    // The upper halves' bytes, a's and b's alternately.
    { V::InterleaveHigh8(a, b) } -> std::same_as<typename V::Vec>;
    // The lower halves' 16-bit parts, a's and b's alternately.
    { V::InterleaveLow16(a, b) } -> std::same_as<typename V::Vec>;
    // The upper halves' 16-bit parts, a's and b's alternately.
    { V::InterleaveHigh16(a, b) } -> std::same_as<typename V::Vec>;
    // Lane by lane, a - b modulo 2^32.
    { V::Sub32(a, b) } -> std::same_as<typename V::Vec>;
    // Whether any bit of a is set.
    { V::AnySet(a) } -> std::same_as<bool>;
};
