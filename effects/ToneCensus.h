// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QRect>

#include <cstdint>
#include <vector>

// One distinct colour of a picture and how many pixels have it.
struct ToneCount {
    TAlphaColor colour = 0;
    std::uint64_t pixels = 0;
    bool operator==(const ToneCount&) const = default;
};

// Every distinct colour (all 32 bits) of a mapped bitmap with its pixel count, in no particular
// order. Made for posterized pictures: few colours in long runs.
std::vector<ToneCount> CountTones(const TBitmapData& map);

// The separate same-colour patches of a picture, pixels joined across edges only (4-connected):
// cells touching at a corner are separate patches.
struct PatchCensus {
    std::uint64_t patches = 0;
    std::uint64_t smallest = 0; // pixels of the smallest patch; 0 for an empty picture
    std::uint64_t small = 0;    // patches smaller than 0.1 % of the picture's pixels
    bool operator==(const PatchCensus&) const = default;
};

PatchCensus CountPatches(const TBitmapData& map);

// The study's own tones, apart from what was drawn over it: every pixel inside `overlayAreas`
// (the key's stamp, the grid's cell names) and, outside them, every pixel of one of
// `overlayColours` (the grid's lines) is counted in `overlayPixels` instead of its tone.
struct StudyTones {
    std::vector<ToneCount> tones; // as CountTones gives them, tones left with no pixel dropped
    std::uint64_t overlayPixels = 0;
};
StudyTones CountStudyTones(const TBitmapData& map, const std::vector<TAlphaColor>& overlayColours,
                           const std::vector<QRect>& overlayAreas);
