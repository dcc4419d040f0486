// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "CropFrame.h"
#include "GreyKernel.h"
#include "ShapeSimplify.h"
#include "StudySteps.h"

#include <optional>

// The grid a study draws: a fixed spacing, or the one "Open.." proposes for each picture; either
// held for the picture as the spacing box holds it.
struct StudyGrid {
    bool proposed = false;
    int spacing =
        0; // when not proposed; below 1 is refused with "Grid spacing must be at least 1."
    TAlphaColor colour = claPalegreen;
};

// "Crop to Canvas..." with its first frame: the largest of these proportions, centred, turned to
// the picture's orientation unless exact.
struct StudyCrop {
    FrameProportions proportions;
    bool exact = false;
};

// What a study asks of the main window, in the order it runs them: a crop of the opened picture,
// a grey method and a level count (what opening runs), Oilify clicks, "Simplify Shapes...", then
// one "Insert Grid..".
struct StudyParameters {
    std::optional<StudyCrop> crop;
    GreyMethod method = GreyMethod::GreenLightened;
    int levels = 6;
    BandChoice bands;
    int oilifyClicks = 0;
    std::optional<ShapeSize> simplify; // "Simplify Shapes..." after the Oilify clicks
    std::optional<StudyGrid> grid;
};

// Bitmaps of the picture's size a study keeps alive at most, the picture included.
constexpr int StudyBitmaps = 3;

// Turns `picture`, an opened image, into the picture the main window shows after these steps on
// a freshly opened file, pixel for pixel: the window's steps in the window's order, with a colour
// carried from vote to vote that starts as a new window's does. Keeps at most StudyBitmaps
// bitmaps of the picture's size alive. Throws AppError as the window's handlers do; `picture` is
// then unspecified.
void MakeStudy(TBitmap& picture, const StudyParameters& parameters);
