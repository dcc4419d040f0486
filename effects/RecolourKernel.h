// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

// Replaces every pixel equal to `from` in all 32 bits by `to`, in a mapped bitmap.
void ReplaceColour(const TBitmapData& map, TAlphaColor from, TAlphaColor to);

// Copies every pixel of `map` into `copy` (mapped, same size), then replaces as ReplaceColour
// does, both in one pass.
void ReplaceColourAfterCopy(const TBitmapData& map, const TBitmapData& copy, TAlphaColor from,
                            TAlphaColor to);
