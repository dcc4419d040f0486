// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QRect>
#include <vector>

// How a canvas grid is drawn beyond DrawGrid's one-pixel lines.
struct GridStyle {
    int lineWidth =
        1; // lines and diagonals this many pixels wide (at least 1), centred on DrawGrid's
    bool diagonals = false; // both diagonals of every cell, corner to corner
    bool cellNames = false; // "A1", "B1", ... small in each cell's top-left corner
};

// Writes (does not blend) the grid of DrawGrid into a mapped bitmap, `spacing` pixels apart with
// lines centred on rows and columns spacing - 1, 2 * spacing - 1, ..., then the diagonals and
// the cell names. A name is drawn in the grid colour inside a one-pixel outline of the grey that
// contrasts with it, so it reads on light and dark tones; a name that does not fit inside its
// cell is left out. With the default style the pixels equal DrawGrid's. Gives the area of each
// name written, its outline included.
std::vector<QRect> DrawCanvasGrid(const TBitmapData& map, int spacing, TAlphaColor colour,
                                  const GridStyle& style);

// The grey drawn around cell names in the given grid colour: dark for a light colour, light for a
// dark one.
TAlphaColor OutlineGreyFor(TAlphaColor colour);
