// SPDX-License-Identifier: MIT
// The study's steps, each defined once: the main window runs them on the program-wide bitmaps and
// state, the batch on bitmaps and state of its own. A step works on the bitmaps it is given; an
// output takes its input's size.
#pragma once

#include "Bitmap.h"
#include "GreyKernel.h"
#include "ShapeOutline.h"
#include "ShapeSimplify.h"
#include "ValueBands.h"

#include <QRect>
#include <cstdint>
#include <functional>
#include <optional>

struct GridStyle;

// What the passes of a study share: the two records the bitmaps are mapped into, and the colours
// carried from pass to pass. Only the output colour reaches a picture: an Oilify vote that no
// candidate wins writes the colour the step before it left.
struct PassState {
    TBitmapData& readMap;
    TBitmapData& writeMap;
    TAlphaColor& currentPixel;
    TAlphaColor& outputColour;
};

// Grey: `grey` takes the grey of every pixel of `source` by `method`.
void GreyStep(TBitmap& source, TBitmap& grey, GreyMethod method, const PassState& state);

// How a study's value bands are placed: by a preset, or at the painter's own edges, which hold
// for the level count they were placed for; at another, the preset they were placed from holds.
// A notan holds at its own level count only.
struct BandChoice {
    BandPreset preset = BandPreset::EqualSteps;
    std::vector<std::uint8_t> edges;           // Custom's
    int levels = 0;                            // Custom's level count
    BandPreset basis = BandPreset::EqualSteps; // Custom's preset before the edges moved
    bool operator==(const BandChoice&) const = default;

    // A preset's edges.
    static BandChoice Chosen(BandPreset preset);
    // The painter's edges for a level count, moved from `basis`.
    static BandChoice Placed(std::vector<std::uint8_t> edges, int levels, BandPreset basis);
    // The preset in force at a level count: Custom only for its own, a notan only at its own
    // (else the preset Custom came from, and the equal steps for a notan).
    BandPreset PresetAt(int levels) const;
};

// The bands `choice` gives for `levels`; `histogram` gives the grey picture's histogram and is
// called only where the preset places its edges by it.
ValueBands StudyBands(const BandChoice& choice, int levels,
                      const std::function<GreyHistogram()>& histogram);
// The same with the histogram counted from `grey` where it is needed.
ValueBands StudyBands(const BandChoice& choice, int levels, TBitmap& grey);

// Posterize: `poster` takes the grey picture's tones in `bands`. `shown`, where given, takes a
// copy of the result, in the same pass where it has the result's size.
void PosterizeStep(TBitmap& grey, TBitmap& poster, const ValueBands& bands, const PassState& state,
                   TBitmap* shown = nullptr);

// The bitmaps of Oilify: the picture a click starts from, the row pass's output and the column
// pass's output.
struct OilifyBitmaps {
    TBitmap& input;
    TBitmap& rows;
    TBitmap& output;
};

// One click of "Oilify..": a cycle (a pass along the rows, then one down the columns) whose
// result becomes `input`, the next click's start, then a second cycle from it into `output`.
// `shown`, where given, takes a copy of `output`, in the same pass where it has its size.
void OilifyStep(const OilifyBitmaps& bitmaps, const PassState& state, TBitmap* shown = nullptr);

// Simplify Shapes on `picture`, the shown study: every patch smaller than `minimumPixels` merged
// away (see ShapeMerger), in place. `result` and `nextStart`, where given, take the simplified
// picture too: the window's Oilify result and the picture the next "Oilify.." click starts from,
// so that what follows goes on as after Oilify. The carried colours are not touched: no vote
// is cast. `patches`, where given, are the patches found already in the picture as it still is
// (the dialog's, which keeps the merges its counts made); else they are found here.
void SimplifyStep(TBitmap& picture, std::uint64_t minimumPixels, TBitmapData& map,
                  TBitmap* result = nullptr, TBitmap* nextStart = nullptr,
                  const ShapeMerger* patches = nullptr);

// The outline sheet of `study`, the shown study with `overlay` drawn over it, on `canvas`: its
// shapes' boundaries and their numbers (see OutlineSheet).
OutlineSheet OutlineStep(TBitmap& study, const StudyOverlay& overlay, const CanvasSettings& canvas,
                         const OutlineSettings& settings);

// Whether a snapshot for Undo can be taken in the pass of the step it is for.
bool SnapshotFitsPass(const TBitmap& snapshot, const TBitmap& picture);

// Recolour: every pixel of `picture` equal to `from` in all 32 bits takes `to`; with no `from`
// (a pick outside the picture) nothing does, but the picture is mapped for writing all the same,
// so whatever follows its changes hears of one. `snapshot`, where given, takes the picture as it
// was in the same pass; it must have the picture's size.
void RecolourStep(TBitmap& picture, std::optional<TAlphaColor> from, TAlphaColor to,
                  TBitmapData& map, TBitmap* snapshot = nullptr);

// Whether the grid draws on a picture: one narrower than 2 pixels is left as it is.
inline bool GridDrawsOn(const TBitmap& picture) {
    return picture.Width() >= 2;
}

// Grid: lines `spacing` pixels apart (at least GridSpacing::Least) in `colour` and `style` written
// into `picture`; a picture narrower than 2 pixels is left as it is. `snapshot`, where given,
// takes the picture as it was in the same pass; it must have the picture's size and the style
// must be the plain one. Gives the areas the cells' names were written into (see DrawCanvasGrid).
std::vector<QRect> GridStep(TBitmap& picture, int spacing, TAlphaColor colour,
                            const GridStyle& style, TBitmapData& map, TBitmap* snapshot = nullptr);
