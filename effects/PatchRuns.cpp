// SPDX-License-Identifier: MIT
#include "PatchRuns.h"

#include "RowRuns.h"

#include <algorithm>

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
    r.patches.resize(runCount);
    PictureVector<std::uint32_t> parent;
    PictureVector<TAlphaColor> labelColours;
    for (int y = 0; y < r.height && r.width > 0; ++y) {
        const TAlphaColor* pixels = RowStart(picture, y);
        const std::uint32_t first = r.rowStart[std::size_t(y)];
        const std::uint32_t last = r.rowStart[std::size_t(y) + 1];
        // The finder may write past a row's last run: it writes into room of the row's width.
        RunEndsOf(pixels, r.width, rowEnds.data());
        std::copy_n(rowEnds.begin(), last - first, r.ends.begin() + first);
        // A run joins the patches of the runs of its colour above it, and takes the first one's
        // label.
        const std::uint32_t aboveFirst = y > 0 ? r.rowStart[std::size_t(y) - 1] : first;
        LabelFromRowAbove(y > 0 ? RowStart(picture, y - 1) : nullptr, r.ends.data() + aboveFirst,
                          r.patches.data() + aboveFirst, int(first - aboveFirst), pixels,
                          r.ends.data() + first, int(last - first), r.patches.data() + first,
                          [&](std::uint32_t up, std::uint32_t label) {
                              const std::uint32_t x = RootOf(parent, label);
                              const std::uint32_t z = RootOf(parent, up);
                              if (x != z)
                                  parent[std::max(x, z)] = std::min(x, z);
                          });
        for (std::uint32_t i = first; i < last; ++i)
            if (r.patches[i] == NoRunLabel) {
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
