// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

// The line of nine pixels a vote looks at: along the row or down the column.
enum class OilifyDirection { Rows, Columns };

// One Oilify pass from `input` (mapped for reading) into `output` (mapped for writing, same size).
// Pixels are visited row by row from the top whatever the direction. A pixel equal to the pixels
// below it that the uniform check reads is copied; any other gets the colour of a vote among the
// nine slots, which keep their colours from pixel to pixel (and row to row) during the pass.
// `currentPixel` ends as the last colour the pass read. `outputColour` is the colour of the
// previous vote on entry and of this pass's last vote on exit.
void OilifyPass(const TBitmapData& input, const TBitmapData& output, OilifyDirection direction,
                TAlphaColor& currentPixel, TAlphaColor& outputColour);

// OilifyPass that also writes every pixel into `copy` (mapped, same size) in the same pass.
void OilifyPassWithCopy(const TBitmapData& input, const TBitmapData& output,
                        const TBitmapData& copy, OilifyDirection direction,
                        TAlphaColor& currentPixel, TAlphaColor& outputColour);
