// SPDX-License-Identifier: MIT
// Simplify Shapes: every 4-connected same-colour patch of a picture smaller than a size merges
// into a neighbour, until none is smaller, so that the study keeps only shapes worth painting.
#pragma once

#include "Bitmap.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The smallest shape to keep: a share of the picture's pixels in percent, or pixels.
struct ShapeSize {
    enum class Unit { Percent, Pixels };
    Unit unit = Unit::Percent;
    double value = 0.1;

    // "0.1%" or "500px"; none for anything else, a negative or a non-finite value.
    static std::optional<ShapeSize> Parse(const QString& text);
    // The least pixels a patch of a picture of `total` pixels keeps: a patch is smaller than a
    // share s % when its pixels are fewer than s / 100 of the total.
    std::uint64_t MinimumPixels(std::uint64_t total) const;
};

// The patches of one picture, found once, then merged for any size. The rules, all
// deterministic:
// - patches are numbered by their first pixel, row by row, and a grown patch keeps the number of
//   the one the others merged into;
// - the smallest patch goes first (ties: the lower number), and merges into the neighbour with
//   which it shares the longest border, counted in pairs of edge-neighbouring pixels (ties: the
//   larger neighbour, then the darker tone by Rec. 601 luminance, then the lower 32-bit colour
//   value, then the lower number);
// - a merged patch takes its neighbour's colour and goes on as part of it, with their sizes
//   added, together with any other neighbour of that colour it now joins to it, until no patch
//   is smaller than the size;
// - a picture smaller than the size altogether takes its largest patch's colour everywhere
//   (ties as for neighbours);
// - pixels of patches that never merge keep their colour.
class ShapeMerger {
public:
    explicit ShapeMerger(const TBitmapData& picture);
    ~ShapeMerger();
    ShapeMerger(const ShapeMerger&) = delete;
    ShapeMerger& operator=(const ShapeMerger&) = delete;

    std::uint64_t Patches() const;
    // How many patches remain after merging to `minimumPixels`. The merges are made once, as far
    // as the largest size asked so far, and kept: a smaller size's merges are the first of them,
    // so that counting again for a size already reached takes no merging.
    std::uint64_t PatchesAfter(std::uint64_t minimumPixels) const;
    // Merges `picture` (mapped, with the pixels the patches were found in): only the pixels of
    // patches whose colour changes are written. Then copies it into `copy` where given.
    void Merge(std::uint64_t minimumPixels, const TBitmapData& picture,
               const TBitmapData* copy = nullptr) const;

private:
    struct Runs;
    std::unique_ptr<Runs> runs_;
    // The merges made so far, shared by the calls (behind a lock).
    class Merging;
    std::unique_ptr<Merging> merging_;
};
