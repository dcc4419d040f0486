// SPDX-License-Identifier: MIT
// The bodies of the vector loops, written once over a set of vector operations `V` (SSE2 or
// AVX2) and included by the file of each path only, which compiles it for its instruction set.
// Everything here is a template or lives in that file's unnamed namespace, so no function
// compiled for AVX2 can be shared with the baseline code.
#pragma once

#include "VectorKernels.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

template <typename V> bool Aligned(const void* address) {
    return (reinterpret_cast<std::uintptr_t>(address) % sizeof(typename V::Vec)) == 0;
}

// Stores whole vectors at `out`, bypassing the caches when asked and `out` is aligned for it.
template <typename V> struct Storer {
    bool stream;
    void operator()(TAlphaColor* out, typename V::Vec value) const {
        if (stream)
            V::Stream(out, value);
        else
            V::Store(out, value);
    }
};

template <typename V> TAlphaColor ToneScalar(const ToneRule& rule, TAlphaColor pixel) {
    return OpaqueGrey(ToneOf(rule, std::uint8_t(pixel >> rule.shift)));
}

// The channel bytes of four vectors of pixels, lifted and stepped, as bytes in pack order.
template <typename V, bool Stepped>
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

template <typename V, bool Stepped>
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

template <typename V>
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

template <typename V>
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

template <typename V>
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

// Two vectors taken as one of twice the lanes. Oilify's votes branch on how the pixels of a
// vector vote; over twice as many pixels the branches go the wrong way less often.
template <typename V> struct PairOf {
    struct Vec {
        typename V::Vec low, high;
    };
    static constexpr std::size_t Lanes = 2 * V::Lanes;

    static Vec Load(const TAlphaColor* p) { return {V::Load(p), V::Load(p + V::Lanes)}; }
    static void Store(TAlphaColor* p, Vec v) {
        V::Store(p, v.low);
        V::Store(p + V::Lanes, v.high);
    }
    static void Stream(TAlphaColor* p, Vec v) {
        V::Stream(p, v.low);
        V::Stream(p + V::Lanes, v.high);
    }
    static void Fence() { V::Fence(); }
    static Vec Splat32(TAlphaColor v) { return {V::Splat32(v), V::Splat32(v)}; }
    static Vec And(Vec a, Vec b) { return {V::And(a.low, b.low), V::And(a.high, b.high)}; }
    static Vec Or(Vec a, Vec b) { return {V::Or(a.low, b.low), V::Or(a.high, b.high)}; }
    static Vec Equal32(Vec a, Vec b) {
        return {V::Equal32(a.low, b.low), V::Equal32(a.high, b.high)};
    }
    static unsigned LaneBits32(Vec v) {
        return V::LaneBits32(v.low) | V::LaneBits32(v.high) << V::Lanes;
    }
    static Vec Select(Vec mask, Vec ifSet, Vec ifClear) {
        return {V::Select(mask.low, ifSet.low, ifClear.low),
                V::Select(mask.high, ifSet.high, ifClear.high)};
    }
};

// The first candidate whose colour another slot has, for pixel i; false where there is none.
inline bool OilifyWinner(const TAlphaColor* const* slotRuns, std::size_t i, TAlphaColor& winner) {
    for (int candidate : OilifyWinnersFirst)
        for (int other = 0; other < OilifySlotCount; ++other)
            if (other != candidate && slotRuns[other][i] == slotRuns[candidate][i]) {
                winner = slotRuns[candidate][i];
                return true;
            }
    return false;
}

// The whole vote, a vector of pixels at a time: whether each candidate's colour is repeated,
// from each pair of slots compared once. Unrolled whole, so the slots stay in registers.
template <typename V>
[[gnu::always_inline]] inline typename V::Vec
OilifyWinners(const TAlphaColor* const* slotRuns, std::size_t i, typename V::Vec& decided) {
    using Vec = typename V::Vec;
    Vec slot[OilifySlotCount];
#pragma GCC unroll 9
    for (int k = 0; k < OilifySlotCount; ++k)
        slot[k] = V::Load(slotRuns[k] + i);
    Vec repeated[OilifySlotCount];
#pragma GCC unroll 9
    for (int k = 0; k < OilifySlotCount; ++k) {
        repeated[k] = V::Splat32(0);
    }
    // The pairs among slots 0, 1 and 8, no candidates, go unused and are dropped.
#pragma GCC unroll 9
    for (int a = 0; a < OilifySlotCount; ++a)
#pragma GCC unroll 9
        for (int b = a + 1; b < OilifySlotCount; ++b) {
            const Vec same = V::Equal32(slot[a], slot[b]);
            repeated[a] = V::Or(repeated[a], same);
            repeated[b] = V::Or(repeated[b], same);
        }
    Vec winner = V::Splat32(0);
    decided = V::Splat32(0);
    // Taken from the last in precedence to the first, so the first repeated one stays.
#pragma GCC unroll 6
    for (int n = int(OilifyWinnersFirst.size()) - 1; n >= 0; --n) {
        const int candidate = OilifyWinnersFirst[n];
        winner = V::Select(repeated[candidate], slot[candidate], winner);
        decided = V::Or(decided, repeated[candidate]);
    }
    return winner;
}

// The colours of the lanes of the vector that voted last, kept as a vector until a vote with no
// winner needs the last one.
template <typename V> struct LastVotes {
    typename V::Vec colours = V::Splat32(0);
    unsigned lanes = 0;

    // Brings `previous` up to the last vote.
    void Settle(TAlphaColor& previous) {
        if (lanes == 0)
            return;
        TAlphaColor lane[V::Lanes];
        V::Store(lane, colours);
        previous = lane[31 - std::countl_zero(lanes)];
        lanes = 0;
    }
};

// Written out for each way of storing, so that the loop tests neither.
template <typename V, bool Stream, bool WithCopy>
std::ptrdiff_t OilifyVotesStoring(const TAlphaColor* const* slotRuns, const TAlphaColor* below,
                                  std::size_t count, TAlphaColor* out, TAlphaColor* copy,
                                  TAlphaColor& previous) {
    using Vec = typename V::Vec;
    constexpr std::size_t L = V::Lanes;
    constexpr unsigned AllLanes = (1u << L) - 1;
    const TAlphaColor* centres = slotRuns[OilifyCentreSlot];
    std::ptrdiff_t lastVoter = -1;
    LastVotes<V> last;
    const auto onePixel = [&](std::size_t i) {
        const TAlphaColor centre = centres[i];
        TAlphaColor colour = centre;
        if (centre != below[i - 1] || centre != below[i] || centre != below[i + 1]) {
            last.Settle(previous);
            OilifyWinner(slotRuns, i, previous);
            colour = previous;
            lastVoter = std::ptrdiff_t(i);
        }
        out[i] = colour;
        if constexpr (WithCopy)
            copy[i] = colour;
    };
    std::size_t i = 0;
    // Whole vectors start where the output is aligned, so that they may bypass the caches.
    for (; i < count && !Aligned<V>(out + i); ++i)
        onePixel(i);
    const Storer<V> store{Stream};
    // A copy is written with the same stores where it is aligned as the output is.
    const bool copyStreams = WithCopy && Aligned<V>(copy + i);
    const auto storeBoth = [&](Vec votes) {
        store(out + i, votes);
        if constexpr (WithCopy) {
            if (copyStreams)
                store(copy + i, votes);
            else
                V::Store(copy + i, votes);
        }
    };
    // The rest: every candidate against every slot.
    const auto voteWhole = [&](Vec same, unsigned voting) {
        Vec decided;
        Vec votes = V::Select(same, V::Load(centres + i), OilifyWinners<V>(slotRuns, i, decided));
        const unsigned undecided = voting & ~V::LaneBits32(decided);
        if (undecided != 0) {
            // In pixel order, each vote without a winner takes the colour of the one before.
            last.Settle(previous);
            TAlphaColor lane[L];
            V::Store(lane, votes);
            for (std::size_t j = 0; j < L; ++j)
                if ((voting >> j) & 1) {
                    if ((undecided >> j) & 1)
                        lane[j] = previous;
                    previous = lane[j];
                }
            votes = V::Load(lane);
        }
        return votes;
    };
    for (; i + L <= count; i += L) {
        const Vec centre = V::Load(centres + i);
        const Vec same = V::And(V::And(V::Equal32(centre, V::Load(below + i - 1)),
                                       V::Equal32(centre, V::Load(below + i))),
                                V::Equal32(centre, V::Load(below + i + 1)));
        const unsigned voting = ~V::LaneBits32(same) & AllLanes;
        if (voting == 0) {
            storeBoth(centre);
            continue;
        }
        // Most votes go to slot 2, first in precedence, repeated in a slot behind it or at the
        // centre; most others to slot 2 repeated ahead, or to slot 3.
        const Vec behind4 = V::Load(slotRuns[0] + i);
        const Vec behind3 = V::Load(slotRuns[1] + i);
        const Vec behind2 = V::Load(slotRuns[2] + i);
        const Vec behind1 = V::Load(slotRuns[3] + i);
        const Vec behindWins =
            V::Or(V::Or(V::Equal32(behind2, behind4), V::Equal32(behind2, behind3)),
                  V::Or(V::Equal32(behind2, behind1), V::Equal32(behind2, centre)));
        Vec votes = V::Select(same, centre, behind2);
        if ((voting & ~V::LaneBits32(behindWins)) != 0) {
            const Vec ahead1 = V::Load(slotRuns[5] + i);
            const Vec ahead2 = V::Load(slotRuns[6] + i);
            const Vec ahead3 = V::Load(slotRuns[7] + i);
            const Vec ahead4 = V::Load(slotRuns[8] + i);
            const auto equalToAhead = [&](Vec v) {
                return V::Or(V::Or(V::Equal32(v, ahead1), V::Equal32(v, ahead2)),
                             V::Or(V::Equal32(v, ahead3), V::Equal32(v, ahead4)));
            };
            const Vec twoWins = V::Or(behindWins, equalToAhead(behind2));
            const Vec oneWins =
                V::Or(V::Or(V::Or(V::Equal32(behind1, behind4), V::Equal32(behind1, behind3)),
                            V::Or(V::Equal32(behind1, behind2), V::Equal32(behind1, centre))),
                      equalToAhead(behind1));
            if ((voting & ~V::LaneBits32(V::Or(twoWins, oneWins))) == 0)
                votes = V::Select(same, centre, V::Select(twoWins, behind2, behind1));
            else
                votes = voteWhole(same, voting);
        }
        storeBoth(votes);
        last.colours = votes;
        last.lanes = voting;
        lastVoter = std::ptrdiff_t(i) + 31 - std::countl_zero(voting);
    }
    last.Settle(previous);
    for (; i < count; ++i)
        onePixel(i);
    if constexpr (Stream)
        V::Fence();
    return lastVoter;
}

template <typename V>
std::ptrdiff_t OilifyVotes(const TAlphaColor* const* slotRuns, const TAlphaColor* below,
                           std::size_t count, TAlphaColor* out, TAlphaColor* copy,
                           TAlphaColor& previous, bool stream) {
    const auto votes =
        stream ? (copy ? OilifyVotesStoring<V, true, true> : OilifyVotesStoring<V, true, false>)
               : (copy ? OilifyVotesStoring<V, false, true> : OilifyVotesStoring<V, false, false>);
    return votes(slotRuns, below, count, out, copy, previous);
}

// The known colours in registers, a counter per colour and lane: each equal lane subtracts -1.
// Branch-free, so a picture's short runs cost no more than its long ones.
template <typename V, int K>
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

template <typename V, int... K>
std::size_t CountKnownFor(const TAlphaColor* pixels, std::size_t count, const TAlphaColor* known,
                          int knownCount, std::uint64_t* counts, std::integer_sequence<int, K...>) {
    std::size_t matched = 0;
    ((knownCount == K + 1 ? (matched = CountKnownOf<V, K + 1>(pixels, count, known, counts), 0)
                          : 0),
     ...);
    return matched;
}

template <typename V>
std::size_t CountKnown(const TAlphaColor* pixels, std::size_t count, const TAlphaColor* known,
                       int knownCount, std::uint64_t* counts) {
    return CountKnownFor<V>(pixels, count, known, knownCount, counts,
                            std::make_integer_sequence<int, VectorKernels::MaxKnownTones>{});
}

template <typename V> constexpr VectorKernels KernelsOver() {
    return {Tone<V>, Replace<V>, Copy<V>, OilifyVotes<PairOf<V>>, CountKnown<V>};
}

} // namespace
