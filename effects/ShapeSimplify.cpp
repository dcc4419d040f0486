// SPDX-License-Identifier: MIT
#include "ShapeSimplify.h"

#include "PatchRuns.h"
#include "ValueKeyTable.h"

#include <QRegularExpression>
#include <algorithm>
#include <cassert>
#include <cmath>
#include <functional>
#include <mutex>
#include <queue>
#include <utility>

namespace {

constexpr std::uint32_t NoRun = ~std::uint32_t{0};

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

// The picture's patches, and for the borders each run's neighbours in the rows above and below
// and each patch's runs.
struct ShapeMerger::Runs : PatchRuns {
    // The first run of the row above and of the row below that shares a column with each run,
    // counted from the start of that row (a row has at most TBitmap::MaxSide runs).
    PictureVector<std::uint16_t> firstAbove;
    PictureVector<std::uint16_t> firstBelow;
    // Each patch's runs down the picture: its first and that one's row, and after each the next.
    PictureVector<std::uint32_t> firstRun;
    PictureVector<std::uint16_t> firstRow; // a side has TBitmap::MaxSide pixels at most
    PictureVector<std::uint32_t> nextRun;

    std::uint64_t Pixels() const { return std::uint64_t(width) * std::uint64_t(height); }
    void FindNeighbourRuns();
    void LinkPatchRuns();
    // Calls visit(neighbour, length) for each place where `patch` meets another patch: beside
    // each of its runs, and the columns each run shares with a run of another patch above or
    // below it.
    template <typename Visit> void ForEachBorder(std::uint32_t patch, Visit visit) const;
};

template <typename Visit>
void ShapeMerger::Runs::ForEachBorder(std::uint32_t patch, Visit visit) const {
    std::uint32_t run = firstRun[patch];
    // Its runs go down the picture: the row only grows.
    for (int row = firstRow[patch]; run != NoRun; run = nextRun[run]) {
        while (run >= rowStart[std::size_t(row) + 1])
            ++row;
        const std::int32_t start = StartOf(run, row);
        const std::int32_t end = ends[run];
        if (start > 0)
            visit(patches[run - 1], 1u);
        if (end < width)
            visit(patches[run + 1], 1u);
        for (const int other : {row - 1, row + 1}) {
            if (other < 0 || other >= height)
                continue;
            const std::uint32_t rowEnd = rowStart[std::size_t(other) + 1];
            const std::uint32_t firstShared =
                rowStart[std::size_t(other)] + (other < row ? firstAbove[run] : firstBelow[run]);
            for (std::uint32_t o = firstShared; o < rowEnd; ++o) {
                const std::int32_t otherStart = StartOf(o, other);
                if (otherStart >= end)
                    break;
                if (patches[o] != patch)
                    visit(patches[o], std::uint32_t(std::min<std::int32_t>(end, ends[o]) -
                                                    std::max(start, otherStart)));
            }
        }
    }
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

// A region's place in the order of merging, smallest first, ties by number: its size above
// its number.
using QueueKey = std::uint64_t;
QueueKey KeyOf(std::uint64_t size, std::uint32_t region) {
    return size << 32 | region;
}
std::uint32_t SizeInKey(QueueKey key) {
    return std::uint32_t(key >> 32);
}
std::uint32_t RegionInKey(QueueKey key) {
    return std::uint32_t(key);
}

// The patches in the order of merging while none has grown: by size, ties by number. Counted
// into place by size below 2^16, where nearly all are; the larger sorted after them.
PictureVector<std::uint32_t> PatchesBySize(const PictureVector<std::uint64_t>& sizes) {
    constexpr std::uint64_t Counted = 1u << 16;
    std::vector<std::uint32_t> start(Counted + 1, 0);
    for (const std::uint64_t size : sizes)
        ++start[std::min(size, Counted)];
    std::uint32_t before = 0;
    for (std::uint32_t& place : start)
        before += std::exchange(place, before);
    PictureVector<std::uint32_t> order(sizes.size());
    for (std::uint32_t p = 0; p < sizes.size(); ++p)
        order[start[std::min(sizes[p], Counted)]++] = p;
    std::sort(
        order.begin() + start[Counted - 1], order.end(),
        [&](std::uint32_t a, std::uint32_t b) { return KeyOf(sizes[a], a) < KeyOf(sizes[b], b); });
    return order;
}

} // namespace

// The merging, made as far as asked and kept. Regions merge smallest first and a merged region
// only grows, so the regions taken go on in order of size, and those taken for a size are the
// first of those taken for any larger one.
//
// A region's borders are a ring of blocks: each patch's own, found from its runs, and the
// borders summed when a region was merged, kept where the region it joined is to be merged too.
// Two rings become one in O(1). A neighbour in a block is any patch of the region it is now
// part of.
class ShapeMerger::Merging {
public:
    explicit Merging(const Runs& runs);

    // Makes every merge of a region smaller than `minimumPixels`.
    void MergeBelow(std::uint64_t minimumPixels);
    // How many patches joined others when merging to `minimumPixels` (merged as far already).
    std::uint64_t JoinsBelow(std::uint64_t minimumPixels) const;
    // Each patch's colour after merging to `minimumPixels` (merged as far already).
    std::vector<TAlphaColor> ColoursAfter(std::uint64_t minimumPixels) const;

    std::mutex lock;

private:
    // A region's border with a neighbour: how many pairs of edge-neighbouring pixels they share.
    struct Border {
        std::uint32_t patch;
        std::uint32_t length;
    };
    // Blocks numbered past the patches: their borders in `summed_`.
    struct SummedBlock {
        std::size_t begin;
        std::size_t count;
        std::uint32_t next;
    };
    // A region that joined another.
    struct Joined {
        std::uint32_t region;
        std::uint32_t into;
    };
    // How many regions had joined others once those of `size` had merged.
    struct Step {
        std::uint32_t size;
        std::size_t joins;
    };
    struct RegionBorder {
        std::uint32_t region;
        std::uint64_t length;
    };

    std::uint32_t RegionOf(std::uint32_t patch) { return RootOf(parent_, patch); }
    std::uint32_t& NextBlock(std::uint32_t block);
    void QueueGrownRegions();
    std::optional<QueueKey> TakeSmallest(std::uint64_t below);
    void MergeRegion(std::uint32_t region, std::uint32_t size);
    void GatherBorders(std::uint32_t region);
    void AddBorder(std::uint32_t region, std::uint32_t patch, std::uint64_t length);
    std::uint32_t BestNeighbour() const;
    std::uint32_t SumBorders(std::uint32_t best);
    void Join(std::uint32_t region, std::uint32_t ring, std::uint32_t into, std::uint32_t size);

    const Runs& runs_;
    const std::uint32_t patches_;
    PictureVector<std::uint32_t> parent_; // the region a patch went into, to its root
    PictureVector<std::uint32_t> sizes_;  // of the regions, at their roots: fewer than 2^32 pixels
    // The rings: the block after each patch's own, and the summed blocks; a region's ring holds
    // its root's own block.
    PictureVector<std::uint32_t> nextBlock_;
    PictureVector<SummedBlock> summedBlocks_;
    PictureVector<Border> summed_;
    // The regions to merge in order: the patches as found, then those grown by merging (only
    // while below the size merged to).
    PictureVector<std::uint32_t> patchesBySize_;
    std::size_t nextPatch_ = 0;
    std::priority_queue<QueueKey, std::vector<QueueKey>, std::greater<>> grown_;
    std::uint64_t mergedBelow_ = 0;
    PictureVector<Joined> joins_; // in the order made
    PictureVector<Step> steps_;   // by size
    // The borders of the region being merged, summed per neighbour region.
    std::vector<RegionBorder> gathered_;
};

ShapeMerger::Merging::Merging(const Runs& runs)
    : runs_(runs), patches_(std::uint32_t(runs.sizes.size())), parent_(patches_),
      sizes_(runs.sizes.begin(), runs.sizes.end()), nextBlock_(patches_),
      patchesBySize_(PatchesBySize(runs.sizes)) {
    for (std::uint32_t p = 0; p < patches_; ++p) {
        parent_[p] = p;
        nextBlock_[p] = p;
    }
    // At most every patch but one joins another.
    joins_.reserve(patches_);
}

std::uint32_t& ShapeMerger::Merging::NextBlock(std::uint32_t block) {
    return block < patches_ ? nextBlock_[block] : summedBlocks_[block - patches_].next;
}

void ShapeMerger::Merging::MergeBelow(std::uint64_t minimumPixels) {
    if (minimumPixels <= mergedBelow_)
        return;
    QueueGrownRegions();
    mergedBelow_ = minimumPixels;
    while (const std::optional<QueueKey> key = TakeSmallest(minimumPixels)) {
        const std::uint32_t region = RegionInKey(*key);
        // A key stays behind when its region merges away or grows.
        if (parent_[region] == region && sizes_[region] == SizeInKey(*key))
            MergeRegion(region, SizeInKey(*key));
    }
}

// The regions grown past the size merged to before wait for a larger one.
void ShapeMerger::Merging::QueueGrownRegions() {
    if (joins_.empty())
        return;
    for (std::uint32_t p = 0; p < patches_; ++p)
        if (parent_[p] == p && sizes_[p] != runs_.sizes[p])
            grown_.push(KeyOf(sizes_[p], p));
}

std::optional<QueueKey> ShapeMerger::Merging::TakeSmallest(std::uint64_t below) {
    std::optional<QueueKey> key;
    if (nextPatch_ < patchesBySize_.size()) {
        const std::uint32_t patch = patchesBySize_[nextPatch_];
        key = KeyOf(runs_.sizes[patch], patch);
    }
    const bool grownFirst = !grown_.empty() && (!key || grown_.top() < *key);
    if (grownFirst)
        key = grown_.top();
    if (!key || SizeInKey(*key) >= below)
        return std::nullopt;
    if (grownFirst)
        grown_.pop();
    else
        ++nextPatch_;
    return key;
}

void ShapeMerger::Merging::MergeRegion(std::uint32_t region, std::uint32_t size) {
    GatherBorders(region);
    if (gathered_.empty())
        return; // the whole picture
    const std::uint32_t best = BestNeighbour();
    // The region's pixels join `best` to every other neighbour of its colour: one patch.
    const TAlphaColor colour = runs_.colours[best];
    for (const RegionBorder& border : gathered_)
        if (border.region != best && runs_.colours[border.region] == colour)
            Join(border.region, border.region, best, size);
    // Where `best` is to be merged too, its borders take the region's as summed here.
    const bool bestMergesOn = sizes_[best] + sizes_[region] < mergedBelow_;
    Join(region, bestMergesOn ? SumBorders(best) : region, best, size);
    if (bestMergesOn)
        grown_.push(KeyOf(sizes_[best], best));
}

void ShapeMerger::Merging::GatherBorders(std::uint32_t region) {
    gathered_.clear();
    std::uint32_t block = region;
    do {
        if (block < patches_) {
            runs_.ForEachBorder(block, [&](std::uint32_t patch, std::uint32_t length) {
                AddBorder(region, patch, length);
            });
        } else {
            const SummedBlock& summed = summedBlocks_[block - patches_];
            for (std::size_t k = summed.begin; k < summed.begin + summed.count; ++k)
                AddBorder(region, summed_[k].patch, summed_[k].length);
        }
        block = NextBlock(block);
    } while (block != region);
    std::sort(gathered_.begin(), gathered_.end(),
              [](const RegionBorder& a, const RegionBorder& b) { return a.region < b.region; });
    std::size_t kept = 0;
    for (const RegionBorder& border : gathered_)
        if (kept > 0 && gathered_[kept - 1].region == border.region)
            gathered_[kept - 1].length += border.length;
        else
            gathered_[kept++] = border;
    gathered_.resize(kept);
}

void ShapeMerger::Merging::AddBorder(std::uint32_t region, std::uint32_t patch,
                                     std::uint64_t length) {
    const std::uint32_t neighbour = RegionOf(patch);
    if (neighbour == region)
        return;
    // Summed here already where the same neighbour comes again at once, as it mostly does.
    if (!gathered_.empty() && gathered_.back().region == neighbour)
        gathered_.back().length += length;
    else
        gathered_.push_back({neighbour, length});
}

std::uint32_t ShapeMerger::Merging::BestNeighbour() const {
    const RegionBorder* best = &gathered_.front();
    for (const RegionBorder& border : gathered_)
        if (border.length > best->length ||
            (border.length == best->length &&
             Preferred(sizes_[border.region], runs_.colours[border.region], border.region,
                       sizes_[best->region], runs_.colours[best->region], best->region)))
            best = &border;
    return best->region;
}

// The gathered borders as a block of its own, but for those with `best` and the regions joined
// to it.
std::uint32_t ShapeMerger::Merging::SumBorders(std::uint32_t best) {
    const std::size_t begin = summed_.size();
    const TAlphaColor colour = runs_.colours[best];
    constexpr std::uint64_t Longest = ~std::uint32_t{0};
    for (const RegionBorder& border : gathered_) {
        if (runs_.colours[border.region] == colour)
            continue;
        // A border too long for one entry goes in several.
        std::uint64_t length = border.length;
        for (; length > Longest; length -= Longest)
            summed_.push_back({border.region, std::uint32_t(Longest)});
        summed_.push_back({border.region, std::uint32_t(length)});
    }
    const auto block = std::uint32_t(patches_ + summedBlocks_.size());
    summedBlocks_.push_back({begin, summed_.size() - begin, block});
    return block;
}

// Joins `region` to `into` while merging the regions smaller than `size`; the blocks of `ring`
// go on as borders of `into`.
void ShapeMerger::Merging::Join(std::uint32_t region, std::uint32_t ring, std::uint32_t into,
                                std::uint32_t size) {
    parent_[region] = into;
    sizes_[into] += sizes_[region];
    std::swap(NextBlock(into), NextBlock(ring));
    joins_.push_back({region, into});
    if (steps_.empty() || steps_.back().size != size)
        steps_.push_back({size, 0});
    steps_.back().joins = joins_.size();
}

std::uint64_t ShapeMerger::Merging::JoinsBelow(std::uint64_t minimumPixels) const {
    const auto after = std::partition_point(
        steps_.begin(), steps_.end(), [&](const Step& step) { return step.size < minimumPixels; });
    return after == steps_.begin() ? 0 : std::prev(after)->joins;
}

std::vector<TAlphaColor> ShapeMerger::Merging::ColoursAfter(std::uint64_t minimumPixels) const {
    std::vector<TAlphaColor> colours(runs_.colours.begin(), runs_.colours.end());
    // Latest first: the region a patch joined has its last colour before the patch takes it.
    for (std::size_t j = JoinsBelow(minimumPixels); j-- > 0;)
        colours[joins_[j].region] = colours[joins_[j].into];
    return colours;
}

// Walking each row's runs alongside the row above's, as the labelling does: each run meets its
// first run of the other row where the walk comes to it.
void ShapeMerger::Runs::FindNeighbourRuns() {
    firstAbove.resize(ends.size());
    firstBelow.resize(ends.size());
    for (int y = 1; y < height && width > 0; ++y) {
        const std::uint32_t aboveFirst = rowStart[std::size_t(y) - 1];
        const std::uint32_t first = rowStart[std::size_t(y)];
        const std::uint32_t last = rowStart[std::size_t(y) + 1];
        std::uint32_t a = aboveFirst;
        std::uint32_t b = first;
        firstAbove[b] = 0;
        firstBelow[a] = 0;
        while (a < first && b < last) {
            const bool nextRun = ends[b] <= ends[a];
            const bool nextAbove = ends[a] <= ends[b];
            b += nextRun;
            a += nextAbove;
            if (nextRun && b < last)
                firstAbove[b] = std::uint16_t(a - aboveFirst);
            if (nextAbove && a < first)
                firstBelow[a] = std::uint16_t(b - first);
        }
    }
}

// Bottom up, so that each patch's runs are put in front of those below them.
void ShapeMerger::Runs::LinkPatchRuns() {
    firstRun.assign(PatchCount(), NoRun);
    firstRow.resize(PatchCount());
    nextRun.resize(ends.size());
    for (int y = height; y-- > 0;)
        for (std::uint32_t i = rowStart[std::size_t(y) + 1]; i-- > rowStart[std::size_t(y)];) {
            nextRun[i] = std::exchange(firstRun[patches[i]], i);
            firstRow[patches[i]] = std::uint16_t(y);
        }
}

ShapeMerger::ShapeMerger(const TBitmapData& picture) : runs_(std::make_unique<Runs>()) {
    Runs& r = *runs_;
    static_cast<PatchRuns&>(r) = FindPatchRuns(picture);
    assert(r.width <= TBitmap::MaxSide && r.height <= TBitmap::MaxSide);
    r.FindNeighbourRuns();
    r.LinkPatchRuns();
    merging_ = std::make_unique<Merging>(r);
}

ShapeMerger::~ShapeMerger() = default;

std::uint64_t ShapeMerger::Patches() const {
    return runs_->PatchCount();
}

std::uint64_t ShapeMerger::PatchesAfter(std::uint64_t minimumPixels) const {
    const std::uint64_t patches = Patches();
    if (patches == 0)
        return 0;
    if (runs_->Pixels() < minimumPixels)
        return 1;
    const std::scoped_lock locked(merging_->lock);
    merging_->MergeBelow(minimumPixels);
    return patches - merging_->JoinsBelow(minimumPixels);
}

void ShapeMerger::Merge(std::uint64_t minimumPixels, const TBitmapData& picture,
                        const TBitmapData* copy) const {
    const Runs& r = *runs_;
    if (r.sizes.empty())
        return;
    std::vector<TAlphaColor> colours;
    if (r.Pixels() < minimumPixels) {
        // The whole picture in the largest patch's colour.
        std::uint32_t largest = 0;
        for (std::uint32_t p = 1; p < r.sizes.size(); ++p)
            if (Preferred(r.sizes[p], r.colours[p], p, r.sizes[largest], r.colours[largest],
                          largest))
                largest = p;
        colours.assign(r.sizes.size(), r.colours[largest]);
    } else {
        const std::scoped_lock locked(merging_->lock);
        merging_->MergeBelow(minimumPixels);
        colours = merging_->ColoursAfter(minimumPixels);
    }
    // Only the runs of patches whose colour changed are written; a row goes to the copy whole.
    for (int y = 0; y < r.height; ++y) {
        TAlphaColor* row = RowStart(picture, y);
        for (std::uint32_t i = r.rowStart[std::size_t(y)]; i < r.rowStart[std::size_t(y) + 1];
             ++i) {
            const std::uint32_t patch = r.patches[i];
            assert(row[r.StartOf(i, y)] == r.colours[patch]); // the picture the patches are of
            if (colours[patch] != r.colours[patch])
                std::fill(row + r.StartOf(i, y), row + r.ends[i], colours[patch]);
        }
        if (copy != nullptr)
            std::copy_n(row, r.width, RowStart(*copy, y));
    }
}
