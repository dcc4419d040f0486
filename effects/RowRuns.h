// SPDX-License-Identifier: MIT
#pragma once

#include "AlphaColor.h"

#include <algorithm>
#include <cstdint>

// Writes the end (one past the last column) of each run of equal pixels of a row to `ends`, left
// to right, the row's width last; returns how many. `ends` has room for width + 4. The value
// key's counts and the shape simplification find a picture's runs this way.
int RunEndsOf(const TAlphaColor* pixels, int width, std::int32_t* ends);

// The label of a run that no run of its colour above it has labelled yet.
constexpr std::uint32_t NoRunLabel = ~std::uint32_t{0};

// Labels a row's runs from the row above's, their ends as RunEndsOf gives them (`aboveCount` 0
// where there is no row above): a run takes the label of the first run of its colour above it,
// NoRunLabel where there is none, and join(up, label) is called for each later one of its colour
// whose label differs. Both labellings of a picture's patches, the value key's count and
// PatchRuns, go through here.
//
// The walk is their inner loop. It keeps the current ends and label in registers and loads the
// next ends ahead, so that a step waits on a compare rather than on a load; and it chooses with
// masks, not branches, as which way a step goes depends on the picture and is not foreseeable.
// Both rows end at the width, so the walk ends on both at once.
template <typename Join>
void LabelFromRowAbove(const TAlphaColor* above, const std::int32_t* aboveEnds,
                       const std::uint32_t* aboveLabels, int aboveCount, const TAlphaColor* pixels,
                       const std::int32_t* ends, int count, std::uint32_t* labels, Join join) {
    if (aboveCount == 0) {
        std::fill_n(labels, count, NoRunLabel);
        return;
    }
    const int lastAbove = aboveCount - 1;
    const int lastRun = count - 1;
    int a = 0;
    int r = 0;
    std::int32_t aboveEnd = aboveEnds[0];
    std::int32_t rowEnd = ends[0];
    std::uint32_t label = NoRunLabel;
    while (r <= lastRun) {
        const std::int32_t nextAboveEnd = aboveEnds[std::min(a + 1, lastAbove)];
        const std::int32_t nextRowEnd = ends[std::min(r + 1, lastRun)];
        const std::uint32_t up = aboveLabels[a];
        const std::uint32_t same = above[aboveEnd - 1] == pixels[rowEnd - 1];
        const std::uint32_t fresh = label == NoRunLabel;
        // Rare: a run's later neighbours above mostly carry its own label already. One test of
        // a mask, where separate conditions would each be a branch to foresee.
        const std::uint32_t differs = label ^ up;
        if (__builtin_expect(((0u - same) & (fresh - 1u) & differs) != 0, 0))
            join(up, label);
        label ^= differs & (0u - (same & fresh));
        labels[r] = label;
        // All ones where a run ends here and the walk moves past it; a new run starts with no
        // label, which is all ones.
        const std::int32_t aboveDone = -std::int32_t(aboveEnd <= rowEnd);
        const std::int32_t rowDone = -std::int32_t(rowEnd <= aboveEnd);
        aboveEnd ^= (aboveEnd ^ nextAboveEnd) & aboveDone;
        rowEnd ^= (rowEnd ^ nextRowEnd) & rowDone;
        label |= std::uint32_t(rowDone);
        a -= aboveDone;
        r -= rowDone;
    }
}
