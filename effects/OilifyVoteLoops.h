// SPDX-License-Identifier: MIT
// Oilify's uniform check and vote over a span of a line, a vector of pixels at a time.
// Included, through VectorLoops.h, only by the file of each path (see there).
#pragma once

#include "OilifySlots.h"
#include "VectorStores.h"
#include "VectorWay.h"

#include <bit>
#include <cstddef>

namespace {

// Two vectors taken as one of twice the lanes. Oilify's votes branch on how the pixels of a
// vector vote; over twice as many pixels the branches go the wrong way less often.
template <PixelVectorWay V> struct PairOf {
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
    for (int candidate : OilifySlot::WinnersFirst)
        for (int other = 0; other < OilifySlot::Count; ++other)
            if (other != candidate && slotRuns[other][i] == slotRuns[candidate][i]) {
                winner = slotRuns[candidate][i];
                return true;
            }
    return false;
}

// The whole vote, a vector of pixels at a time: whether each candidate's colour is repeated,
// from each pair of slots compared once. Unrolled whole, so the slots stay in registers.
template <PixelVectorWay V>
[[gnu::always_inline]] inline typename V::Vec
OilifyWinners(const TAlphaColor* const* slotRuns, std::size_t i, typename V::Vec& decided) {
    using Vec = typename V::Vec;
    Vec slot[OilifySlot::Count];
#pragma GCC unroll 9
    for (int k = 0; k < OilifySlot::Count; ++k)
        slot[k] = V::Load(slotRuns[k] + i);
    Vec repeated[OilifySlot::Count];
#pragma GCC unroll 9
    for (int k = 0; k < OilifySlot::Count; ++k) {
        repeated[k] = V::Splat32(0);
    }
    // The pairs among Behind4, Behind3 and Ahead4, no candidates, go unused and are dropped.
#pragma GCC unroll 9
    for (int a = 0; a < OilifySlot::Count; ++a)
#pragma GCC unroll 9
        for (int b = a + 1; b < OilifySlot::Count; ++b) {
            const Vec same = V::Equal32(slot[a], slot[b]);
            repeated[a] = V::Or(repeated[a], same);
            repeated[b] = V::Or(repeated[b], same);
        }
    Vec winner = V::Splat32(0);
    decided = V::Splat32(0);
    // Taken from the last in precedence to the first, so the first repeated one stays.
#pragma GCC unroll 6
    for (int n = int(OilifySlot::WinnersFirst.size()) - 1; n >= 0; --n) {
        const int candidate = OilifySlot::WinnersFirst[n];
        winner = V::Select(repeated[candidate], slot[candidate], winner);
        decided = V::Or(decided, repeated[candidate]);
    }
    return winner;
}

// The colours of the lanes of the vector that voted last, kept as a vector until a vote with no
// winner needs the last one.
template <PixelVectorWay V> struct LastVotes {
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
template <PixelVectorWay V, bool Stream, bool WithCopy>
std::ptrdiff_t OilifyVotesStoring(const TAlphaColor* const* slotRuns, const TAlphaColor* below,
                                  std::size_t count, TAlphaColor* out, TAlphaColor* copy,
                                  TAlphaColor& previous) {
    using Vec = typename V::Vec;
    constexpr std::size_t L = V::Lanes;
    constexpr unsigned AllLanes = (1u << L) - 1;
    const TAlphaColor* centres = slotRuns[OilifySlot::Centre];
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
        // Most votes go to Behind2, first in precedence, repeated in a slot behind it or at the
        // centre; most others to Behind2 repeated ahead, or to Behind1.
        const Vec behind4 = V::Load(slotRuns[OilifySlot::Behind4] + i);
        const Vec behind3 = V::Load(slotRuns[OilifySlot::Behind3] + i);
        const Vec behind2 = V::Load(slotRuns[OilifySlot::Behind2] + i);
        const Vec behind1 = V::Load(slotRuns[OilifySlot::Behind1] + i);
        const Vec behindWins =
            V::Or(V::Or(V::Equal32(behind2, behind4), V::Equal32(behind2, behind3)),
                  V::Or(V::Equal32(behind2, behind1), V::Equal32(behind2, centre)));
        Vec votes = V::Select(same, centre, behind2);
        if ((voting & ~V::LaneBits32(behindWins)) != 0) {
            const Vec ahead1 = V::Load(slotRuns[OilifySlot::Ahead1] + i);
            const Vec ahead2 = V::Load(slotRuns[OilifySlot::Ahead2] + i);
            const Vec ahead3 = V::Load(slotRuns[OilifySlot::Ahead3] + i);
            const Vec ahead4 = V::Load(slotRuns[OilifySlot::Ahead4] + i);
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

template <PixelVectorWay V>
std::ptrdiff_t OilifyVotes(const TAlphaColor* const* slotRuns, const TAlphaColor* below,
                           std::size_t count, TAlphaColor* out, TAlphaColor* copy,
                           TAlphaColor& previous, bool stream) {
    const auto votes =
        stream ? (copy ? OilifyVotesStoring<V, true, true> : OilifyVotesStoring<V, true, false>)
               : (copy ? OilifyVotesStoring<V, false, true> : OilifyVotesStoring<V, false, false>);
    return votes(slotRuns, below, count, out, copy, previous);
}

} // namespace
