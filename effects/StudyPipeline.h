// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "GreyKernel.h"

#include <optional>

// The spacing box's range: what "Insert Grid.." can be given.
constexpr int MinGridSpacing = 1;
constexpr int MaxGridSpacing = 200;

// The grid spacing "Open.." proposes for a picture: its shorter side / 18, held within the
// spacing box's 0 to 200.
int ProposedGridSpacing(int width, int height);

// The spacing the box holds when given `spacing` for a picture: one larger than the picture's
// width or height goes back to the box's start value, 28, whatever the picture's size.
int HeldGridSpacing(int spacing, int width, int height);

struct StudyGrid {
    int spacing = 0; // below 1 is refused with "Grid spacing must be at least 1."
    TAlphaColor colour = claPalegreen;
};

// What a study asks of the main window, in the order it runs them: a grey method and a level
// count (what opening runs), Oilify clicks, then one "Insert Grid..".
struct StudySteps {
    GreyMethod method = GreyMethod::GreenLightened;
    int levels = 6;
    int oilifyClicks = 0;
    std::optional<StudyGrid> grid;
};

// Bitmaps of the picture's size a study keeps alive at most, the picture included.
constexpr int StudyBitmaps = 3;

// Turns `picture`, an opened image, into the picture the main window shows after these steps on
// a freshly opened file, pixel for pixel: the same kernels in the same order, with a colour
// carried from vote to vote that starts as a new window's does. Keeps at most StudyBitmaps
// bitmaps of the picture's size alive. Throws AppError as the window's handlers do; `picture` is
// then unspecified.
void MakeStudy(TBitmap& picture, const StudySteps& steps);
