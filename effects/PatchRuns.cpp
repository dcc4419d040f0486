// SPDX-License-Identifier: MIT
#include "PatchRuns.h"

#include "RowRuns.h"

#include <algorithm>

namespace {

constexpr std::uint32_t NoPatch = ~std::uint32_t{0};

} // namespace

std::uint32_t RootOf(PictureVector<std::uint32_t>& parent, std::uint32_t id) {
    while (parent[id] != id) {
        parent[id] = parent[parent[id]];
        id = parent[id];
    }
    return id;
}

int PatchRuns::RowOf(std::uint32_t run) const {
    return int(std::upper_bound(rowStart.begin(), rowStart.end(), run) - rowStart.begin()) - 1;
}

std::uint32_t PatchRuns::FirstPast(int row, std::int32_t start) const {
    const auto first = ends.begin() + rowStart[std::size_t(row)];
    const auto last = ends.begin() + rowStart[std::size_t(row) + 1];
    return std::uint32_t(std::upper_bound(first, last, start) - ends.begin());
}

PatchRuns FindPatchRuns(const TBitmapData& picture) {
    PatchRuns r;
    r.width = std::max(picture.FWidth, 0);
    r.height = std::max(picture.FHeight, 0);
    r.rowStart.assign(std::size_t(r.height) + 1, 0);
    std::vector<std::int32_t> rowEnds(std::size_t(r.width) + 4);
    // The runs counted first, so that every list is allocated once at its size.
    for (int y = 0; y < r.height && r.width > 0; ++y)
        r.rowStart[std::size_t(y) + 1] =
            r.rowStart[std::size_t(y)] +
            std::uint32_t(RunEndsOf(RowStart(picture, y), r.width, rowEnds.data()));
    const std::size_t runCount = r.rowStart.back();
    r.ends.resize(runCount);
    r.patches.assign(runCount, NoPatch);
    PictureVector<std::uint32_t> parent;
    PictureVector<TAlphaColor> labelColours;
    for (int y = 0; y < r.height && r.width > 0; ++y) {
        const TAlphaColor* pixels = RowStart(picture, y);
        const std::uint32_t first = r.rowStart[std::size_t(y)];
        const std::uint32_t last = r.rowStart[std::size_t(y) + 1];
        // The finder may write past a row's last run: it writes into room of the row's width.
        RunEndsOf(pixels, r.width, rowEnds.data());
        std::copy_n(rowEnds.begin(), last - first, r.ends.begin() + first);
        // Walking the row above alongside: a run joins the patches of the runs of its colour
        // above it, and takes the first one's label. As in the value key's patch count, the
        // walk keeps the current ends and label in registers, loads the next ends ahead and
        // chooses with masks, as which way a step goes depends on the picture. Both rows end at
        // the width, so the walk ends on both at once.
        if (y > 0) {
            const TAlphaColor* above = RowStart(picture, y - 1);
            const std::uint32_t aboveFirst = r.rowStart[std::size_t(y) - 1];
            const std::int32_t* const upEnds = r.ends.data() + aboveFirst;
            const std::uint32_t* const upLabels = r.patches.data() + aboveFirst;
            const std::int32_t* const ends = r.ends.data() + first;
            std::uint32_t* const labels = r.patches.data() + first;
            const auto lastRun = std::int32_t(last - first) - 1;
            std::int32_t a = 0;
            std::int32_t b = 0;
            std::int32_t upEnd = upEnds[0];
            std::int32_t runEnd = ends[0];
            std::uint32_t label = NoPatch;
            while (b <= lastRun) {
                // The row above's runs are followed by this row's, so its next end is always
                // there; this row's last run has none, and reads its own.
                const std::int32_t nextUpEnd = upEnds[a + 1];
                const std::int32_t nextRunEnd = ends[std::min(b + 1, lastRun)];
                const std::uint32_t up = upLabels[a];
                const std::uint32_t same = above[upEnd - 1] == pixels[runEnd - 1];
                const std::uint32_t fresh = label == NoPatch;
                const std::uint32_t differs = label ^ up;
                if (__builtin_expect(((0u - same) & (fresh - 1u) & differs) != 0, 0)) {
                    const std::uint32_t x = RootOf(parent, label);
                    const std::uint32_t z = RootOf(parent, up);
                    if (x != z)
                        parent[std::max(x, z)] = std::min(x, z);
                }
                label ^= differs & (0u - (same & fresh));
                labels[b] = label;
                // All ones where a run ends here and the walk moves past it; a new run starts
                // with no label, which is all ones.
                const std::int32_t upDone = -std::int32_t(upEnd <= runEnd);
                const std::int32_t runDone = -std::int32_t(runEnd <= upEnd);
                upEnd ^= (upEnd ^ nextUpEnd) & upDone;
                runEnd ^= (runEnd ^ nextRunEnd) & runDone;
                label |= std::uint32_t(runDone);
                a -= upDone;
                b -= runDone;
            }
        }
        for (std::uint32_t i = first; i < last; ++i)
            if (r.patches[i] == NoPatch) {
                r.patches[i] = std::uint32_t(parent.size());
                parent.push_back(r.patches[i]);
                labelColours.push_back(pixels[r.StartOf(i, y)]);
            }
    }
    // Patches numbered by their first pixel, row by row: a root is its patch's oldest label.
    // A label's parent is never younger than it, so one pass in order numbers each root as it
    // meets it and gives every other label its parent's number, which is its root's. In place:
    // each label's parent becomes its patch's number.
    PictureVector<std::uint32_t>& number = parent;
    std::uint32_t patches = 0;
    r.colours.reserve(parent.size());
    for (std::uint32_t label = 0; label < parent.size(); ++label)
        if (parent[label] == label) {
            number[label] = patches++;
            r.colours.push_back(labelColours[label]);
        } else {
            number[label] = number[parent[label]];
        }
    r.sizes.assign(patches, 0);
    for (int y = 0; y < r.height && r.width > 0; ++y)
        for (std::uint32_t i = r.rowStart[std::size_t(y)]; i < r.rowStart[std::size_t(y) + 1];
             ++i) {
            const std::uint32_t patch = number[r.patches[i]];
            r.patches[i] = patch;
            r.sizes[patch] += std::uint64_t(r.ends[i] - r.StartOf(i, y));
        }
    return r;
}
