// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

// Writes (does not blend) grid lines one pixel wide, `spacing` pixels apart, into a mapped
// bitmap: rows and columns spacing - 1, 2 * spacing - 1, ... A spacing below 1 draws nothing.
void DrawGrid(const TBitmapData& map, int spacing, TAlphaColor colour);

// Copies every pixel of `map` into `copy` (mapped, same size), then draws as DrawGrid does, both
// in one pass.
void DrawGridAfterCopy(const TBitmapData& map, const TBitmapData& copy, int spacing,
                       TAlphaColor colour);
