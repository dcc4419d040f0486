// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "PictureMemory.h"

#include <cstdint>
#include <vector>

// A picture's runs of equal pixels row by row, each with its patch: pixels of one colour joined
// across edges (4-connected). Patches are numbered by their first pixel, row by row. A run is its
// end and its patch: its start is the end of the run before it in the row, and its neighbours in
// the rows above and below are found by their ends, which rise along each row.
struct PatchRuns {
    int width = 0;
    int height = 0;
    PictureVector<std::int32_t> ends;      // one past each run's last column
    PictureVector<std::uint32_t> patches;  // each run's patch
    PictureVector<std::uint32_t> rowStart; // runs of row y: [rowStart[y], rowStart[y + 1])
    PictureVector<std::uint64_t> sizes;    // each patch's pixels
    PictureVector<TAlphaColor> colours;    // each patch's colour

    std::uint32_t PatchCount() const { return std::uint32_t(sizes.size()); }
    int RowOf(std::uint32_t run) const;
    std::int32_t StartOf(std::uint32_t run, int row) const {
        return run == rowStart[std::size_t(row)] ? 0 : ends[run - 1];
    }
    // The first run of `row` that reaches past column `start`.
    std::uint32_t FirstPast(int row, std::int32_t start) const;
};

// The root of `id` in a forest where each node's parent is given, the path halved on the way.
std::uint32_t RootOf(PictureVector<std::uint32_t>& parent, std::uint32_t id);

// Finds the runs and labels them, walking each row's runs alongside the row above's.
PatchRuns FindPatchRuns(const TBitmapData& picture);
