// SPDX-License-Identifier: MIT
#include "ToneCensus.h"

#include "VectorKernels.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <utility>

namespace {

// Counts per colour in an open-addressing table: a posterized picture has a handful of colours,
// so the table stays in the first level of the cache. A count of 0 marks an empty slot.
class ToneTable {
public:
    void Add(TAlphaColor colour, std::uint64_t pixels) {
        std::size_t slot = SlotOf(colour);
        while (slots_[slot].pixels != 0 && slots_[slot].colour != colour)
            slot = (slot + 1) & (slots_.size() - 1);
        if (slots_[slot].pixels == 0) {
            slots_[slot].colour = colour;
            if (++used_ * 2 > slots_.size()) {
                slots_[slot].pixels = pixels;
                Grow();
                return;
            }
        }
        slots_[slot].pixels += pixels;
    }

    std::vector<ToneCount> Counts() const {
        std::vector<ToneCount> counts;
        counts.reserve(used_);
        for (const ToneCount& slot : slots_)
            if (slot.pixels != 0)
                counts.push_back(slot);
        return counts;
    }

private:
    std::size_t SlotOf(TAlphaColor colour) const {
        // Fibonacci hashing: the top bits of the product, as many as the table needs.
        return std::size_t((std::uint64_t(colour) * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
    }

    void Grow() {
        const std::vector<ToneCount> old = std::exchange(slots_, {});
        ++bits_;
        slots_.assign(std::size_t{1} << bits_, ToneCount{});
        used_ = 0;
        for (const ToneCount& slot : old)
            if (slot.pixels != 0)
                Add(slot.colour, slot.pixels);
    }

    int bits_ = 6;
    std::vector<ToneCount> slots_ = std::vector<ToneCount>(std::size_t{1} << 6);
    std::size_t used_ = 0;
};

// The first colours met, counted by the vector loops while the picture has no more than these.
struct KnownTones {
    TAlphaColor colours[VectorKernels::MaxKnownTones] = {};
    std::uint64_t pixels[VectorKernels::MaxKnownTones] = {};
    int count = 0;
    int IndexOf(TAlphaColor colour, int from, int to) const {
        for (int j = from; j < to; ++j)
            if (colours[j] == colour)
                return j;
        return -1;
    }
};

// Union-find over the patches as the rows find them. Pixels are added to whichever node a run
// was labelled with, and summed into the roots once at the end, so that labelling a run costs
// one store and no walk to its root.
class RunForest {
public:
    std::uint32_t Add(std::uint32_t pixels) {
        const auto id = std::uint32_t(parent_.size());
        parent_.push_back(id);
        size_.push_back(pixels);
        return id;
    }

    void Grow(std::uint32_t node, std::uint32_t pixels) { size_[node] += pixels; }

    // Joins two patches; the root of the older one stays, so labels found early stay roots.
    void Join(std::uint32_t a, std::uint32_t b) {
        a = Root(a);
        b = Root(b);
        if (a != b)
            parent_[std::max(a, b)] = std::min(a, b);
    }

    std::uint32_t Root(std::uint32_t id) {
        while (parent_[id] != id) {
            parent_[id] = parent_[parent_[id]]; // path halving
            id = parent_[id];
        }
        return id;
    }

    // Calls visit(pixels) once per patch.
    template <typename Visit> void ForEachPatch(Visit visit) {
        // A node's parent is older than it, so going from the newest down, every node's pixels
        // reach its parent before the parent's own are passed on.
        for (std::size_t i = parent_.size(); i-- > 0;)
            if (parent_[i] != i)
                size_[parent_[i]] += size_[i];
        for (std::size_t i = 0; i < parent_.size(); ++i)
            if (parent_[i] == i)
                visit(size_[i]);
    }

private:
    std::vector<std::uint32_t> parent_;
    // A patch has at most 65535 * 65535 pixels, which fits.
    std::vector<std::uint32_t> size_;
};

constexpr std::uint32_t NoPatch = ~std::uint32_t{0};

struct Run {
    int end; // one past its last column
    TAlphaColor colour;
    std::uint32_t patch; // NoPatch until it joins a patch
};

// Calls end(x) for the end (one past the last column) of each run of equal pixels of a row, left
// to right, the row's width last. Four neighbours are compared at once, so a long run costs a
// compare per four pixels.
template <typename End> void ForEachRunEnd(const TAlphaColor* pixels, int width, End end) {
    int x = 0;
    for (; x + 8 < width; x += 8) {
        const auto* p = reinterpret_cast<const __m128i*>(pixels + x);
        const auto* next = reinterpret_cast<const __m128i*>(pixels + x + 1);
        const __m128i low = _mm_cmpeq_epi32(_mm_loadu_si128(p), _mm_loadu_si128(next));
        const __m128i high = _mm_cmpeq_epi32(_mm_loadu_si128(p + 1), _mm_loadu_si128(next + 1));
        unsigned differs = ~unsigned(_mm_movemask_ps(_mm_castsi128_ps(low)) |
                                     _mm_movemask_ps(_mm_castsi128_ps(high)) << 4) &
                           0xFFu;
        while (differs != 0) {
            end(x + std::countr_zero(differs) + 1);
            differs &= differs - 1;
        }
    }
    for (; x + 1 < width; ++x)
        if (pixels[x] != pixels[x + 1])
            end(x + 1);
    end(width);
}

// Pixels not of the first `before` known colours, which the vector pass has counted, go to the
// known colours (taken on while there is room) or to the table.
void CountUnmatched(const TAlphaColor* pixels, int width, int before, KnownTones& known,
                    ToneTable& others) {
    int start = 0;
    ForEachRunEnd(pixels, width, [&](int end) {
        const TAlphaColor colour = pixels[start];
        const std::uint64_t length = std::uint64_t(end - start);
        start = end;
        if (known.IndexOf(colour, 0, before) >= 0)
            return;
        int j = known.IndexOf(colour, before, known.count);
        if (j < 0 && known.count < VectorKernels::MaxKnownTones) {
            j = known.count++;
            known.colours[j] = colour;
            known.pixels[j] = 0;
        }
        if (j >= 0)
            known.pixels[j] += length;
        else
            others.Add(colour, length);
    });
}

} // namespace

std::vector<ToneCount> CountTones(const TBitmapData& map) {
    const VectorKernels& kernels = ChosenKernels();
    KnownTones known;
    ToneTable others;
    for (int y = 0; y < map.FHeight; ++y) {
        const TAlphaColor* pixels = RowStart(map, y);
        const int before = known.count;
        const std::size_t matched = before == 0
                                        ? 0
                                        : kernels.countKnown(pixels, std::size_t(map.FWidth),
                                                             known.colours, before, known.pixels);
        // Rare once the first rows have shown the picture's few tones.
        if (matched != std::size_t(map.FWidth))
            CountUnmatched(pixels, map.FWidth, before, known, others);
    }
    std::vector<ToneCount> counts = others.Counts();
    for (int j = 0; j < known.count; ++j)
        if (known.pixels[j] != 0)
            counts.push_back({known.colours[j], known.pixels[j]});
    return counts;
}

PatchCensus CountPatches(const TBitmapData& map) {
    const int width = map.FWidth;
    const int height = map.FHeight;
    if (width <= 0 || height <= 0)
        return {};
    RunForest forest;
    std::vector<Run> above;
    std::vector<Run> row;
    above.reserve(std::size_t(width));
    row.reserve(std::size_t(width));
    for (int y = 0; y < height; ++y) {
        row.clear();
        const TAlphaColor* pixels = RowStart(map, y);
        int start = 0;
        ForEachRunEnd(pixels, width, [&](int end) {
            row.push_back({end, pixels[start], NoPatch});
            start = end;
        });
        // Both rows cover every column, so walking them together visits each pair of runs that
        // share a column, and only those: edge neighbours. A run takes the patch of the first
        // run of its colour above it and joins the others' to it.
        std::size_t a = 0;
        std::size_t r = 0;
        while (a < above.size() && r < row.size()) {
            // Written without branches where it can be: which way they go depends on the picture
            // and is not foreseeable. A run's later neighbours above mostly carry its own label.
            const bool same = above[a].colour == row[r].colour;
            const std::uint32_t label = row[r].patch;
            row[r].patch = same && label == NoPatch ? above[a].patch : label;
            if (same & (label != NoPatch) & (label != above[a].patch))
                forest.Join(above[a].patch, label);
            const int aboveEnd = above[a].end;
            const int rowEnd = row[r].end;
            a += aboveEnd <= rowEnd;
            r += rowEnd <= aboveEnd;
        }
        start = 0;
        for (Run& run : row) {
            const auto length = std::uint32_t(run.end - start);
            start = run.end;
            if (run.patch == NoPatch) {
                run.patch = forest.Add(length);
            } else {
                forest.Grow(run.patch, length);
                // The next row inherits the root, which joins reach in one step.
                run.patch = forest.Root(run.patch);
            }
        }
        std::swap(above, row);
    }
    const std::uint64_t total = std::uint64_t(width) * std::uint64_t(height);
    PatchCensus census{0, total, 0};
    forest.ForEachPatch([&](std::uint64_t pixels) {
        ++census.patches;
        census.smallest = std::min(census.smallest, pixels);
        census.small += pixels * 1000 < total;
    });
    return census;
}
