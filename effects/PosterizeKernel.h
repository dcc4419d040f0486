// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "ValueBands.h"
#include "VectorKernels.h"

#include <array>
#include <cstdint>

constexpr int MinLevels = 2;
constexpr int MaxLevels = 13;

// The level of every grey value d (0..255) for n levels (2..13), bands of width 256 / n: the
// lower edge of the first band whose upper edge passes the band test (an edge belongs to the
// band above for n = 2 and 6, below otherwise), white when none does, and the top rule that
// raises the highest band of n = 2..5 to white.
std::array<std::uint8_t, 256> PosterizeTable(int n);

// A study's bands as a step function of the red byte, for the vector loops: tones only rise with
// the grey value, so a tone is a few compares of the grey value, not a table lookup.
ToneRule BandRule(const ValueBands& bands);
// PosterizeTable(n) as such a step function: the rule of n's equal-step bands.
ToneRule PosterizeRule(int n);

// Level counts outside 2..13 have no bands; they are held within that range.
int HeldLevelCount(int n);

// Posterizes the red byte of every pixel of `grey` into `target` (both mapped, same size) as
// opaque grey. `currentPixel` ends as the last colour read, `outputColour` as the last written.
void PosterizePass(const TBitmapData& grey, const TBitmapData& target, int levels,
                   TAlphaColor& currentPixel, TAlphaColor& outputColour);

// PosterizePass that also writes every pixel into `copy` (mapped, same size) in the same pass.
void PosterizePassWithCopy(const TBitmapData& grey, const TBitmapData& target,
                           const TBitmapData& copy, int levels, TAlphaColor& currentPixel,
                           TAlphaColor& outputColour);

// The same passes with the bands' edges in place of the level count's; at the level count's
// equal-step bands the pixels are the same.
void PosterizePass(const TBitmapData& grey, const TBitmapData& target, const ValueBands& bands,
                   TAlphaColor& currentPixel, TAlphaColor& outputColour);
void PosterizePassWithCopy(const TBitmapData& grey, const TBitmapData& target,
                           const TBitmapData& copy, const ValueBands& bands,
                           TAlphaColor& currentPixel, TAlphaColor& outputColour);
