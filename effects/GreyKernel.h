// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "VectorKernels.h"

// The three ways of taking a grey value from one colour channel.
enum class GreyMethod {
    Red,            // Method 1: the red value unchanged
    GreenLightened, // Method 2: green + 50, at most 255
    BlueLightened,  // Method 3: blue + 50, at most 255
};

// The rule by which GreyPass turns a pixel's channel into its grey under `method`.
ToneRule GreyRule(GreyMethod method);

// Writes the grey of every pixel of `source` into `target` (both mapped, same size), rows top to
// bottom. `currentPixel` ends as the last colour read, `outputColour` as the last colour written.
void GreyPass(const TBitmapData& source, const TBitmapData& target, GreyMethod method,
              TAlphaColor& currentPixel, TAlphaColor& outputColour);
