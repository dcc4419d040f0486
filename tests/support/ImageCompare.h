// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QString>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

// A bitmap filled from a list of rows of colours.
void FillBitmap(TBitmap& bitmap, const std::vector<std::vector<TAlphaColor>>& rows);
// The pixels of a bitmap as rows.
std::vector<std::vector<TAlphaColor>> PixelsOf(TBitmap& bitmap);

// Succeeds when both bitmaps have the same size and pixels; otherwise names the size difference
// or the first differing pixel.
testing::AssertionResult SameBitmap(TBitmap& expected, TBitmap& actual);

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
