// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

// Writes (does not blend) grid lines one pixel wide, `spacing` pixels apart, into a mapped
// bitmap: rows and columns spacing - 1, 2 * spacing - 1, ... A spacing below 1 draws nothing.
void DrawGrid(const TBitmapData& map, int spacing, TAlphaColor colour);
