// SPDX-License-Identifier: MIT
#include "ToneCensus.h"

#include "Cores.h"
#include "RowRuns.h"
#include "VectorKernels.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <unordered_map>
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
    // Room for `more` nodes beyond the used ones, so that Label can write without checks.
    void Reserve(std::size_t more) {
        if (nodes_.size() < used_ + more)
            nodes_.resize(std::max(nodes_.size() * 2, used_ + more));
    }

    // The node of a run of `pixels` pixels labelled `label` so far: a new node for NoPatch, else
    // the label's, which need not be a root (Join and the final sums find the roots). Without
    // branches on the label, whose value the picture decides.
    std::uint32_t Label(std::uint32_t label, std::uint32_t pixels);

    // Joins two patches; the older root stays, so a node's parent is always older than it.
    void Join(std::uint32_t a, std::uint32_t b) {
        a = Root(a);
        b = Root(b);
        if (a != b)
            nodes_[std::max(a, b)].parent = std::min(a, b);
    }

    std::size_t Size() const { return used_; }

    // Takes in `other`'s nodes after its own; gives the number added to other's node ids.
    std::uint32_t Append(const RunForest& other) {
        const auto offset = std::uint32_t(used_);
        Reserve(other.used_);
        for (std::size_t i = 0; i < other.used_; ++i)
            nodes_[used_ + i] = {other.nodes_[i].parent + offset, other.nodes_[i].pixels};
        used_ += other.used_;
        return offset;
    }

    std::uint32_t Root(std::uint32_t id) {
        while (nodes_[id].parent != id) {
            nodes_[id].parent = nodes_[nodes_[id].parent].parent; // path halving
            id = nodes_[id].parent;
        }
        return id;
    }

    // Calls visit(pixels) once per patch.
    template <typename Visit> void ForEachPatch(Visit visit) {
        // Newest first: every node's pixels reach its parent before the parent's go on.
        for (std::size_t i = used_; i-- > 0;)
            if (nodes_[i].parent != i)
                nodes_[nodes_[i].parent].pixels += nodes_[i].pixels;
        for (std::size_t i = 0; i < used_; ++i)
            if (nodes_[i].parent == i)
                visit(nodes_[i].pixels);
    }

private:
    struct Node {
        std::uint32_t parent;
        std::uint32_t pixels; // a patch has at most 65535 * 65535 pixels, which fits
    };
    std::vector<Node> nodes_;
    std::size_t used_ = 0;
};

constexpr std::uint32_t NoPatch = ~std::uint32_t{0};

std::uint32_t RunForest::Label(std::uint32_t label, std::uint32_t pixels) {
    const bool fresh = label == NoPatch;
    const auto next = std::uint32_t(used_);
    nodes_[next] = {next, 0}; // taken only when fresh; written either way
    const std::uint32_t node = fresh ? next : label;
    nodes_[node].pixels += pixels;
    used_ += fresh;
    return node;
}

// Pixels not of the first `before` known colours, which the vector pass has counted, go to the
// known colours (taken on while there is room) or to the table.
void CountUnmatched(const TAlphaColor* pixels, int width, int before, KnownTones& known,
                    ToneTable& others, std::vector<std::int32_t>& ends) {
    ends.resize(std::size_t(width) + 4);
    const int count = RunEndsOf(pixels, width, ends.data());
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const int end = ends[i];
        const TAlphaColor colour = pixels[start];
        const std::uint64_t length = std::uint64_t(end - start);
        start = end;
        if (known.IndexOf(colour, 0, before) >= 0)
            continue;
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
    }
}

// The tones of some rows: the first colours met counted by the vector loops, the rest in a table.
class ToneTally {
public:
    void CountRows(const TBitmapData& map, int first, int end) {
        const VectorKernels& kernels = ChosenKernels();
        for (int y = first; y < end; ++y) {
            const TAlphaColor* pixels = RowStart(map, y);
            const int before = known_.count;
            const std::size_t matched =
                before == 0 ? 0
                            : kernels.countKnown(pixels, std::size_t(map.FWidth), known_.colours,
                                                 before, known_.pixels);
            // Rare once the first rows have shown the picture's few tones.
            if (matched != std::size_t(map.FWidth))
                CountUnmatched(pixels, map.FWidth, before, known_, others_, ends_);
        }
    }

    std::vector<ToneCount> Counts() const {
        std::vector<ToneCount> counts = others_.Counts();
        for (int j = 0; j < known_.count; ++j)
            if (known_.pixels[j] != 0)
                counts.push_back({known_.colours[j], known_.pixels[j]});
        return counts;
    }

private:
    KnownTones known_;
    ToneTable others_;
    std::vector<std::int32_t> ends_;
};

} // namespace

std::vector<ToneCount> CountTones(const TBitmapData& map) {
    const RowBlocks blocks(map.FHeight, std::size_t(std::max(map.FWidth, 0)) * sizeof(TAlphaColor));
    std::vector<ToneTally> tallies(std::size_t(blocks.Count()));
    blocks.ForEach(
        [&](int block) { tallies[block].CountRows(map, blocks.First(block), blocks.End(block)); });
    if (tallies.size() == 1)
        return tallies.front().Counts();
    ToneTable all;
    for (const ToneTally& tally : tallies)
        for (const ToneCount& tone : tally.Counts())
            all.Add(tone.colour, tone.pixels);
    return all.Counts();
}

namespace {

// A row's runs: where each ends and the node of its patch.
struct LabelledRow {
    const TAlphaColor* pixels = nullptr;
    std::vector<std::int32_t> ends;
    std::vector<std::uint32_t> labels;
    int count = 0;
};

// The patches of a strip of rows, and its first and last rows' runs, where a strip below or
// above joins it.
struct PatchStrip {
    RunForest forest;
    LabelledRow top;
    LabelledRow bottom;
};

// Calls visit(a, b) for each pair of runs of two neighbouring rows that share a column and a
// colour. Both rows cover every column, so walking them together visits each pair of runs that
// share a column, and only those; a run's colour is its last pixel's.
template <typename Visit>
void ForEachSameColourPair(const LabelledRow& above, const LabelledRow& row, Visit visit) {
    int a = 0;
    int r = 0;
    while (a < above.count && r < row.count) {
        const std::int32_t aboveEnd = above.ends[a];
        const std::int32_t rowEnd = row.ends[r];
        if (above.pixels[aboveEnd - 1] == row.pixels[rowEnd - 1])
            visit(a, r);
        a += aboveEnd <= rowEnd;
        r += rowEnd <= aboveEnd;
    }
}

PatchStrip LabelStrip(const TBitmapData& map, int first, int end) {
    const int width = map.FWidth;
    PatchStrip strip;
    RunForest& forest = strip.forest;
    // Per row: where its runs end and their patch labels; the row above's alongside.
    const auto columns = static_cast<std::size_t>(width);
    std::vector<std::int32_t> aboveEnds(columns + 4);
    std::vector<std::int32_t> rowEnds(columns + 4);
    std::vector<std::uint32_t> aboveLabels(columns);
    std::vector<std::uint32_t> rowLabels(columns);
    const TAlphaColor* above = nullptr;
    int aboveCount = 0;
    for (int y = first; y < end; ++y) {
        const TAlphaColor* pixels = RowStart(map, y);
        const int count = RunEndsOf(pixels, width, rowEnds.data());
        std::fill_n(rowLabels.begin(), count, NoPatch);
        // As ForEachSameColourPair walks them: a run takes the label of the first run of its
        // colour above it and joins the others' to it.
        int a = 0;
        int r = 0;
        while (a < aboveCount && r < count) {
            const std::int32_t aboveEnd = aboveEnds[a];
            const std::int32_t rowEnd = rowEnds[r];
            const std::uint32_t same = above[aboveEnd - 1] == pixels[rowEnd - 1];
            const std::uint32_t label = rowLabels[r];
            const std::uint32_t up = aboveLabels[a];
            // Masks rather than conditions: which way they go depends on the picture and is
            // not foreseeable, and the compiler keeps masks free of branches.
            const std::uint32_t fresh = label == NoPatch;
            rowLabels[r] = label ^ ((label ^ up) & (0u - (same & fresh)));
            // Rare: a run's later neighbours above mostly carry its own label already.
            if ((same & (fresh ^ 1u) & std::uint32_t(label != up)) != 0)
                forest.Join(up, label);
            a += aboveEnd <= rowEnd;
            r += rowEnd <= aboveEnd;
        }
        forest.Reserve(std::size_t(count));
        std::int32_t start = 0;
        for (int i = 0; i < count; ++i) {
            rowLabels[i] = forest.Label(rowLabels[i], std::uint32_t(rowEnds[i] - start));
            start = rowEnds[i];
        }
        if (y == first)
            strip.top = {pixels, rowEnds, rowLabels, count};
        std::swap(aboveEnds, rowEnds);
        std::swap(aboveLabels, rowLabels);
        above = pixels;
        aboveCount = count;
    }
    strip.bottom = {above, std::move(aboveEnds), std::move(aboveLabels), aboveCount};
    return strip;
}

} // namespace

PatchCensus CountPatches(const TBitmapData& map) {
    const int width = map.FWidth;
    const int height = map.FHeight;
    if (width <= 0 || height <= 0)
        return {};
    // Strips of rows are labelled apart, then their forests are put together and the runs on
    // each seam joined, as the row below a seam would have joined them.
    // Few strips: each has a forest to be copied into the first.
    const RowBlocks blocks(height, 0);
    std::vector<PatchStrip> strips(std::size_t(blocks.Count()));
    blocks.ForEach([&](int block) {
        strips[block] = LabelStrip(map, blocks.First(block), blocks.End(block));
    });
    RunForest& forest = strips.front().forest;
    std::size_t nodes = 0;
    for (const PatchStrip& strip : strips)
        nodes += strip.forest.Size();
    forest.Reserve(nodes - forest.Size());
    std::uint32_t aboveOffset = 0;
    for (std::size_t k = 1; k < strips.size(); ++k) {
        const std::uint32_t offset = forest.Append(strips[k].forest);
        const LabelledRow& above = strips[k - 1].bottom;
        const LabelledRow& row = strips[k].top;
        ForEachSameColourPair(above, row, [&](int a, int r) {
            forest.Join(above.labels[a] + aboveOffset, row.labels[r] + offset);
        });
        aboveOffset = offset;
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

namespace {

// The columns of row `y` inside any of `areas`, as sorted runs that do not overlap.
std::vector<std::pair<int, int>> AreaRunsOfRow(const std::vector<QRect>& areas, int y, int width) {
    std::vector<std::pair<int, int>> runs;
    for (const QRect& area : areas)
        if (y >= area.top() && y <= area.bottom()) {
            const int first = std::max(area.left(), 0);
            const int last = std::min(area.right(), width - 1);
            if (first <= last)
                runs.emplace_back(first, last);
        }
    std::sort(runs.begin(), runs.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& run : runs)
        if (!merged.empty() && run.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, run.second);
        else
            merged.push_back(run);
    return merged;
}

} // namespace

StudyTones CountStudyTones(const TBitmapData& map, const std::vector<TAlphaColor>& overlayColours,
                           const std::vector<QRect>& overlayAreas) {
    StudyTones study{CountTones(map), 0};
    std::unordered_map<TAlphaColor, std::size_t> indexOf;
    for (std::size_t i = 0; i < study.tones.size(); ++i)
        indexOf.emplace(study.tones[i].colour, i);
    for (int y = 0; y < map.FHeight && !overlayAreas.empty(); ++y) {
        const TAlphaColor* pixels = RowStart(map, y);
        for (const auto& [first, last] : AreaRunsOfRow(overlayAreas, y, map.FWidth)) {
            for (int x = first; x <= last; ++x)
                --study.tones[indexOf.at(pixels[x])].pixels;
            study.overlayPixels += std::uint64_t(last - first + 1);
        }
    }
    for (ToneCount& tone : study.tones)
        if (std::find(overlayColours.begin(), overlayColours.end(), tone.colour) !=
            overlayColours.end()) {
            study.overlayPixels += tone.pixels;
            tone.pixels = 0;
        }
    std::erase_if(study.tones, [](const ToneCount& tone) { return tone.pixels == 0; });
    return study;
}
