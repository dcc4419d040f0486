// SPDX-License-Identifier: MIT
#include "ToneCensus.h"

#include "Cores.h"
#include "PictureMemory.h"
#include "RowRuns.h"
#include "VectorKernels.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <tuple>
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

// Union-find over the patches of a strip of rows as the rows find them. Pixels are added to
// whichever node a run was labelled with, and summed into the roots once at the end, so that
// labelling a run costs one store and no walk to its root.
class RunForest {
public:
    // Room for `more` nodes beyond the used ones, so that Label can write without checks. The
    // nodes lie in picture memory, left uninitialised, and their room doubles as it fills.
    void Reserve(std::size_t more) {
        if (nodes_.size() >= used_ + more)
            return;
        PictureArray<Node> grown(std::max(nodes_.size() * 2, used_ + more));
        std::copy_n(nodes_.data(), used_, grown.data());
        nodes_ = std::move(grown);
    }

    // The node of a run of `pixels` pixels labelled `label` so far: a new node for NoRunLabel, else
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

    // Before any patch is taken out.
    std::uint32_t Root(std::uint32_t id) {
        while (nodes_[id].parent != id) {
            assert(nodes_[id].parent != Taken);
            nodes_[id].parent = nodes_[nodes_[id].parent].parent; // path halving
            id = nodes_[id].parent;
        }
        return id;
    }

    // Adds every node's pixels into its root's.
    void SumIntoRoots() {
        // Newest first: every node's pixels reach its parent before the parent's go on.
        for (std::size_t i = used_; i-- > 0;) {
            const Node node = nodes_[i];
            // Most nodes are roots, but not foreseeably which: a root adds nothing to itself.
            nodes_[node.parent].pixels += node.pixels & (0u - std::uint32_t(node.parent != i));
        }
    }

    // After SumIntoRoots: takes the patch of `root` out of the forest, its pixels appended to
    // `taken`, unless it is out already; gives its index there. ForEachPatch passes over it.
    std::uint32_t TakeOut(std::uint32_t root, std::vector<std::uint32_t>& taken) {
        Node& node = nodes_[root];
        if (node.parent != Taken) {
            node.parent = Taken;
            taken.push_back(node.pixels);
            node.pixels = std::uint32_t(taken.size() - 1); // a taken node keeps its index
        }
        return node.pixels;
    }

    // After SumIntoRoots: calls visit(pixels) once per patch not taken out.
    template <typename Visit> void ForEachPatch(Visit visit) const {
        for (std::size_t i = 0; i < used_; ++i) {
            const Node& node = nodes_[i];
            if (node.parent == i)
                visit(node.pixels);
        }
    }

private:
    static constexpr std::uint32_t Taken = ~std::uint32_t{0};
    struct Node {
        std::uint32_t parent;
        std::uint32_t pixels; // a patch has at most 65535 * 65535 pixels, which fits
    };
    PictureArray<Node> nodes_;
    std::size_t used_ = 0;
};

std::uint32_t RunForest::Label(std::uint32_t label, std::uint32_t pixels) {
    const std::uint32_t fresh = 0u - std::uint32_t(label == NoRunLabel);
    const auto next = std::uint32_t(used_);
    nodes_[next] = {next, 0}; // taken only when fresh; written either way
    const std::uint32_t node = label ^ ((label ^ next) & fresh);
    nodes_[node].pixels += pixels;
    used_ += fresh & 1u;
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

// What a strip of rows tells of its patches: those wholly inside it, counted; and those that
// reach its first or last row, where a strip above or below may join them, by their pixels.
struct PatchStrip {
    PatchCensus inside;
    std::vector<std::uint32_t> edgePatchPixels;
    // The runs of its first and last rows, each labelled with its patch's index among the edge
    // patches.
    LabelledRow top;
    LabelledRow bottom;
};

void AddPatch(PatchCensus& census, std::uint64_t pixels, std::uint64_t total) {
    ++census.patches;
    census.smallest = std::min(census.smallest, pixels);
    census.small += pixels * 1000 < total;
}

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

// Labels the runs of rows [first, end) into `forest`; gives the first and last rows' runs.
std::pair<LabelledRow, LabelledRow> LabelRows(const TBitmapData& map, int first, int end,
                                              RunForest& forest) {
    const int width = map.FWidth;
    // Per row: where its runs end and their patch labels; the row above's alongside.
    const auto columns = static_cast<std::size_t>(width);
    std::vector<std::int32_t> aboveEnds(columns + 4);
    std::vector<std::int32_t> rowEnds(columns + 4);
    std::vector<std::uint32_t> aboveLabels(columns);
    std::vector<std::uint32_t> rowLabels(columns);
    LabelledRow top;
    const TAlphaColor* above = nullptr;
    int aboveCount = 0;
    for (int y = first; y < end; ++y) {
        const TAlphaColor* pixels = RowStart(map, y);
        const int count = RunEndsOf(pixels, width, rowEnds.data());
        LabelFromRowAbove(above, aboveEnds.data(), aboveLabels.data(), aboveCount, pixels,
                          rowEnds.data(), count, rowLabels.data(),
                          [&](std::uint32_t up, std::uint32_t label) { forest.Join(up, label); });
        forest.Reserve(std::size_t(count));
        std::int32_t start = 0;
        for (int i = 0; i < count; ++i) {
            rowLabels[i] = forest.Label(rowLabels[i], std::uint32_t(rowEnds[i] - start));
            start = rowEnds[i];
        }
        if (y == first)
            top = {pixels, rowEnds, rowLabels, count};
        std::swap(aboveEnds, rowEnds);
        std::swap(aboveLabels, rowLabels);
        above = pixels;
        aboveCount = count;
    }
    return {std::move(top), {above, std::move(aboveEnds), std::move(aboveLabels), aboveCount}};
}

PatchStrip CountStripPatches(const TBitmapData& map, int first, int end, std::uint64_t total) {
    RunForest forest;
    PatchStrip strip;
    std::tie(strip.top, strip.bottom) = LabelRows(map, first, end, forest);
    forest.SumIntoRoots();
    // Every root of the edge rows is found before any patch is taken out of the forest.
    for (LabelledRow* row : {&strip.top, &strip.bottom})
        for (int i = 0; i < row->count; ++i)
            row->labels[i] = forest.Root(row->labels[i]);
    for (LabelledRow* row : {&strip.top, &strip.bottom})
        for (int i = 0; i < row->count; ++i)
            row->labels[i] = forest.TakeOut(row->labels[i], strip.edgePatchPixels);
    strip.inside.smallest = total;
    forest.ForEachPatch([&](std::uint64_t pixels) { AddPatch(strip.inside, pixels, total); });
    return strip;
}

} // namespace

PatchCensus CountPatches(const TBitmapData& map) {
    const int width = map.FWidth;
    const int height = map.FHeight;
    if (width <= 0 || height <= 0)
        return {};
    const std::uint64_t total = std::uint64_t(width) * std::uint64_t(height);
    // Strips of rows count the patches inside them apart. The patches at their edges are then
    // joined across each seam, as the row below a seam would have joined them, in a forest of
    // their own: a few per column and strip.
    const RowBlocks blocks(height, 0);
    std::vector<PatchStrip> strips(std::size_t(blocks.Count()));
    blocks.ForEach([&](int block) {
        strips[block] = CountStripPatches(map, blocks.First(block), blocks.End(block), total);
    });
    std::size_t edgePatches = 0;
    for (const PatchStrip& strip : strips)
        edgePatches += strip.edgePatchPixels.size();
    RunForest seams;
    seams.Reserve(edgePatches);
    std::vector<std::uint32_t> firstEdgePatch;
    for (const PatchStrip& strip : strips) {
        firstEdgePatch.push_back(seams.Label(NoRunLabel, strip.edgePatchPixels.front()));
        for (std::size_t i = 1; i < strip.edgePatchPixels.size(); ++i)
            seams.Label(NoRunLabel, strip.edgePatchPixels[i]);
    }
    for (std::size_t k = 1; k < strips.size(); ++k)
        ForEachSameColourPair(strips[k - 1].bottom, strips[k].top, [&](int a, int r) {
            seams.Join(strips[k - 1].bottom.labels[a] + firstEdgePatch[k - 1],
                       strips[k].top.labels[r] + firstEdgePatch[k]);
        });
    seams.SumIntoRoots();
    PatchCensus census{0, total, 0};
    for (const PatchStrip& strip : strips) {
        census.patches += strip.inside.patches;
        census.smallest = std::min(census.smallest, strip.inside.smallest);
        census.small += strip.inside.small;
    }
    seams.ForEachPatch([&](std::uint64_t pixels) { AddPatch(census, pixels, total); });
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
