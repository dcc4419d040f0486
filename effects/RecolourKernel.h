// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

// Replaces every pixel equal to `from` in all 32 bits by `to`, in a mapped bitmap.
void ReplaceColour(const TBitmapData& map, TAlphaColor from, TAlphaColor to);
