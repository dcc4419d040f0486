// SPDX-License-Identifier: MIT
#include "ShapeSimplify.h"

#include "PatchRuns.h"
#include "ValueKeyTable.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <queue>
#include <utility>

namespace {

constexpr std::uint32_t NoPatch = ~std::uint32_t{0};

std::uint32_t RootOf(std::vector<std::uint32_t>& parent, std::uint32_t id) {
    while (parent[id] != id) {
        parent[id] = parent[parent[id]];
        id = parent[id];
    }
    return id;
}

} // namespace

std::optional<ShapeSize> ShapeSize::Parse(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)(%|px)$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const bool percent = match.captured(2) == QStringLiteral("%");
    if (percent && value > 100)
        return std::nullopt;
    return ShapeSize{percent ? Unit::Percent : Unit::Pixels, value};
}

std::uint64_t ShapeSize::MinimumPixels(std::uint64_t total) const {
    if (unit == Unit::Pixels)
        return std::uint64_t(std::ceil(value));
    // The tolerance keeps a share that is a whole number of pixels from rounding up past it.
    return std::uint64_t(std::max(0.0, std::ceil(value * double(total) / 100.0 - 1e-6)));
}

// The picture's patches, and each patch's runs in the picture's order.
struct ShapeMerger::Runs : PatchRuns {
    std::vector<std::uint32_t> patchRunStart; // runs of patch p: order[patchRunStart[p] ...]
    std::vector<std::uint32_t> order;
};

// The merging's outcome: which patch each patch went into, and the sizes.
struct ShapeMerger::State {
    std::vector<std::uint32_t> parent;
    std::vector<std::uint64_t> sizes;
    std::uint64_t remaining = 0;
    std::optional<TAlphaColor> everywhere; // the whole picture in one colour
};

ShapeMerger::ShapeMerger(const TBitmapData& picture) : runs_(std::make_unique<Runs>()) {
    Runs& r = *runs_;
    static_cast<PatchRuns&>(r) = FindPatchRuns(picture);
    const std::uint32_t patches = r.PatchCount();
    const std::size_t runCount = r.ends.size();
    r.patchRunStart.assign(std::size_t(patches) + 1, 0);
    for (std::uint32_t i = 0; i < runCount; ++i)
        ++r.patchRunStart[std::size_t(r.patches[i]) + 1];
    for (std::size_t p = 0; p < patches; ++p)
        r.patchRunStart[p + 1] += r.patchRunStart[p];
    r.order.resize(runCount);
    std::vector<std::uint32_t> next(r.patchRunStart.begin(), r.patchRunStart.end() - 1);
    for (std::uint32_t i = 0; i < runCount; ++i)
        r.order[next[r.patches[i]]++] = i;
}

ShapeMerger::~ShapeMerger() = default;

std::uint64_t ShapeMerger::Patches() const {
    return runs_->sizes.size();
}

namespace {

// Which of two candidates a merge prefers: the larger, then the darker, then the lower colour
// value, then the first.
bool Preferred(std::uint64_t sizeA, TAlphaColor colourA, std::uint32_t a, std::uint64_t sizeB,
               TAlphaColor colourB, std::uint32_t b) {
    if (sizeA != sizeB)
        return sizeA > sizeB;
    const int lightA = LuminanceOf(colourA);
    const int lightB = LuminanceOf(colourB);
    if (lightA != lightB)
        return lightA < lightB;
    if (colourA != colourB)
        return colourA < colourB;
    return a < b;
}

} // namespace

ShapeMerger::State ShapeMerger::Simulate(std::uint64_t minimumPixels) const {
    const Runs& r = *runs_;
    const auto patches = std::uint32_t(r.sizes.size());
    State state;
    state.sizes = r.sizes;
    state.parent.resize(patches);
    for (std::uint32_t p = 0; p < patches; ++p)
        state.parent[p] = p;
    state.remaining = patches;
    const std::uint64_t total = std::uint64_t(r.width) * std::uint64_t(r.height);
    if (patches == 0)
        return state;
    if (total < minimumPixels) {
        std::uint32_t largest = 0;
        for (std::uint32_t p = 1; p < patches; ++p)
            if (Preferred(r.sizes[p], r.colours[p], p, r.sizes[largest], r.colours[largest],
                          largest))
                largest = p;
        state.everywhere = r.colours[largest];
        state.remaining = 1;
        return state;
    }
    // Each region's patches as a list: the first, and each patch's next.
    std::vector<std::uint32_t> next(patches, NoPatch);
    std::vector<std::uint32_t> last(patches);
    for (std::uint32_t p = 0; p < patches; ++p)
        last[p] = p;

    using Entry = std::pair<std::uint64_t, std::uint32_t>; // size, region
    std::vector<Entry> small;
    for (std::uint32_t p = 0; p < patches; ++p)
        if (r.sizes[p] < minimumPixels)
            small.emplace_back(r.sizes[p], p);
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> smallest(std::greater<>(),
                                                                            std::move(small));

    std::vector<std::pair<std::uint32_t, std::uint64_t>> borders;
    while (!smallest.empty()) {
        // Named apart, not bound as a pair: lambdas below capture them.
        const std::uint64_t size = smallest.top().first;
        const std::uint32_t region = smallest.top().second;
        smallest.pop();
        if (state.parent[region] != region || state.sizes[region] != size)
            continue; // merged away, or grown since
        // The borders with every neighbour, pixel pair by pixel pair, from the region's runs.
        borders.clear();
        const auto border = [&](std::uint32_t otherPatch, std::uint64_t length) {
            const std::uint32_t neighbour = RootOf(state.parent, otherPatch);
            if (neighbour != region)
                borders.emplace_back(neighbour, length);
        };
        for (std::uint32_t p = region; p != NoPatch; p = next[p]) {
            // A patch's runs come in the order of the picture: their rows only go down.
            int row = r.patchRunStart[p] < r.patchRunStart[p + 1]
                          ? r.RowOf(r.order[r.patchRunStart[p]])
                          : 0;
            for (std::uint32_t k = r.patchRunStart[p]; k < r.patchRunStart[p + 1]; ++k) {
                const std::uint32_t index = r.order[k];
                while (index >= r.rowStart[std::size_t(row) + 1])
                    ++row;
                const std::int32_t start = r.StartOf(index, row);
                const std::int32_t end = r.ends[index];
                if (start > 0)
                    border(r.patches[index - 1], 1);
                if (end < r.width)
                    border(r.patches[index + 1], 1);
                const auto overlaps = [&](int other) {
                    if (other < 0 || other >= r.height)
                        return;
                    const std::uint32_t rowEnd = r.rowStart[std::size_t(other) + 1];
                    for (std::uint32_t o = r.FirstPast(other, start); o < rowEnd; ++o) {
                        const std::int32_t otherStart = r.StartOf(o, other);
                        if (otherStart >= end)
                            break;
                        border(r.patches[o], std::uint64_t(std::min(end, r.ends[o]) -
                                                           std::max(start, otherStart)));
                    }
                };
                overlaps(row - 1);
                overlaps(row + 1);
            }
        }
        if (borders.empty())
            continue; // the whole picture
        std::sort(borders.begin(), borders.end());
        std::uint32_t best = NoPatch;
        std::uint64_t bestLength = 0;
        for (std::size_t i = 0; i < borders.size();) {
            const std::uint32_t neighbour = borders[i].first;
            std::uint64_t length = 0;
            for (; i < borders.size() && borders[i].first == neighbour; ++i)
                length += borders[i].second;
            if (best == NoPatch || length > bestLength ||
                (length == bestLength &&
                 Preferred(state.sizes[neighbour], r.colours[neighbour], neighbour,
                           state.sizes[best], r.colours[best], best))) {
                best = neighbour;
                bestLength = length;
            }
        }
        const auto join = [&](std::uint32_t merged) {
            state.parent[merged] = best;
            state.sizes[best] += state.sizes[merged];
            next[last[best]] = merged;
            last[best] = last[merged];
            --state.remaining;
        };
        join(region);
        // The region's pixels now join `best` to every other neighbour of its colour: one patch.
        for (std::size_t i = 0; i < borders.size(); ++i) {
            const std::uint32_t neighbour = borders[i].first;
            if ((i == 0 || borders[i - 1].first != neighbour) && neighbour != best &&
                r.colours[neighbour] == r.colours[best])
                join(neighbour);
        }
        if (state.sizes[best] < minimumPixels)
            smallest.push({state.sizes[best], best});
    }
    return state;
}

std::uint64_t ShapeMerger::PatchesAfter(std::uint64_t minimumPixels) const {
    return Simulate(minimumPixels).remaining;
}

void ShapeMerger::Merge(std::uint64_t minimumPixels, const TBitmapData& output,
                        const TBitmapData* copy) const {
    const Runs& r = *runs_;
    State state = Simulate(minimumPixels);
    for (int y = 0; y < r.height; ++y) {
        TAlphaColor* out = RowStart(output, y);
        TAlphaColor* copied = copy != nullptr ? RowStart(*copy, y) : nullptr;
        for (std::uint32_t i = r.rowStart[std::size_t(y)]; i < r.rowStart[std::size_t(y) + 1];
             ++i) {
            const TAlphaColor colour = state.everywhere
                                           ? *state.everywhere
                                           : r.colours[RootOf(state.parent, r.patches[i])];
            const std::int32_t start = r.StartOf(i, y);
            std::fill(out + start, out + r.ends[i], colour);
            if (copied != nullptr)
                std::fill(copied + start, copied + r.ends[i], colour);
        }
    }
}
