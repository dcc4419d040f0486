// SPDX-License-Identifier: MIT
#include "ToneCensus.h"

#include "PixelRuns.h"

#include <algorithm>
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

// Union-find over the runs of equal pixels; each root keeps its patch's size.
class RunForest {
public:
    std::uint32_t Add(std::uint32_t pixels) {
        const auto id = std::uint32_t(parent_.size());
        parent_.push_back(id);
        size_.push_back(pixels);
        return id;
    }

    void Join(std::uint32_t a, std::uint32_t b) {
        a = Root(a);
        b = Root(b);
        if (a == b)
            return;
        if (size_[a] < size_[b])
            std::swap(a, b);
        parent_[b] = a;
        size_[a] += size_[b];
    }

    template <typename Visit> void ForEachPatch(Visit visit) const {
        for (std::size_t i = 0; i < parent_.size(); ++i)
            if (parent_[i] == i)
                visit(size_[i]);
    }

private:
    std::uint32_t Root(std::uint32_t id) {
        while (parent_[id] != id) {
            parent_[id] = parent_[parent_[id]]; // path halving
            id = parent_[id];
        }
        return id;
    }

    std::vector<std::uint32_t> parent_;
    // A patch has at most 65535 * 65535 pixels, which fits.
    std::vector<std::uint32_t> size_;
};

struct Run {
    int end; // one past its last column
    TAlphaColor colour;
    std::uint32_t id;
};

} // namespace

std::vector<ToneCount> CountTones(const TBitmapData& map) {
    ToneTable table;
    // Runs of one colour go into the table at once: most pixels cost one comparison.
    ForEachRun({&map}, map.FWidth, map.FHeight, [&](int y, std::size_t count) {
        const TAlphaColor* pixels = RowStart(map, y);
        std::size_t i = 0;
        while (i < count) {
            const TAlphaColor colour = pixels[i];
            const std::size_t start = i;
            while (++i < count && pixels[i] == colour) {
            }
            table.Add(colour, i - start);
        }
    });
    return table.Counts();
}

PatchCensus CountPatches(const TBitmapData& map) {
    const int width = map.FWidth;
    const int height = map.FHeight;
    if (width <= 0 || height <= 0)
        return {};
    RunForest forest;
    std::vector<Run> above;
    std::vector<Run> row;
    for (int y = 0; y < height; ++y) {
        row.clear();
        const TAlphaColor* pixels = RowStart(map, y);
        int x = 0;
        while (x < width) {
            const TAlphaColor colour = pixels[x];
            const int start = x;
            while (++x < width && pixels[x] == colour) {
            }
            row.push_back({x, colour, forest.Add(std::uint32_t(x - start))});
        }
        // Both rows cover every column, so walking them together visits each pair of runs that
        // share a column, and only those: edge neighbours.
        std::size_t a = 0;
        std::size_t r = 0;
        while (a < above.size() && r < row.size()) {
            if (above[a].colour == row[r].colour)
                forest.Join(above[a].id, row[r].id);
            const int aboveEnd = above[a].end;
            const int rowEnd = row[r].end;
            a += aboveEnd <= rowEnd;
            r += rowEnd <= aboveEnd;
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
