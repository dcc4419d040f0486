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

// Succeeds when every channel of the two colours differs by at most `tolerance`.
testing::AssertionResult NearColour(TAlphaColor expected, TAlphaColor actual, int tolerance);

// The path of a test picture in tests/data.
QString TestDataPath(const QString& name);

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
