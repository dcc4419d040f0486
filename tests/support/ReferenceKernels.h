// SPDX-License-Identifier: MIT
// The effects' rules written the plain way, one pixel at a time, as references the kernels and
// the windows are checked against.
#pragma once

#include "AlphaColor.h"
#include "Bitmap.h"
#include "GreyKernel.h"

// The opaque grey that a source colour becomes under a method: the method's channel, lightened
// by 50 (at most 255) for Methods 2 and 3.
TAlphaColor GreyOf(TAlphaColor source, GreyMethod method);

// The level of grey value d (0..255) for n levels (2..13), by walking the bands of width 256 / n:
// the band test (an edge belongs to the band above for n = 2 and 6, below otherwise) and the top
// rule that raises levels above 127, 169, 191 and 203 to white for n = 2, 3, 4 and 5.
int PosterizeLevel(int d, int n);

// One Oilify cycle by the passes alone, as the steps that run it are checked against: a pass
// along the rows into a scratch bitmap, then one down the columns, whose result `picture` takes.
void OilifyCycleByPasses(TBitmap& picture, TAlphaColor& currentPixel, TAlphaColor& outputColour);
