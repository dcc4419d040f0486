// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "ToneCensus.h"

#include <QFont>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

// One row of the value key: a tone with its number, or the "other" row that sums the tones left
// out.
struct KeyRow {
    int number = 0; // 1 to n, dark to light; 0 for the "other" row
    TAlphaColor colour = 0;
    std::uint64_t pixels = 0;
    bool IsOther() const { return number == 0; }
    bool operator==(const KeyRow&) const = default;
};

// Perceived lightness of a stored colour, 0 to 255000 (Rec. 601 weights, thousandths).
int LuminanceOf(TAlphaColor colour);

// The key's rows: the tones dark to light (by luminance, ties by colour value), numbered from 1.
// More than `limit` tones: the limit - 1 with most pixels, dark to light, and one "other" row.
std::vector<KeyRow> KeyRowsOf(std::vector<ToneCount> tones, std::size_t limit = 32);

// "128" for an opaque grey, "#RRGGBB" for another opaque colour, "#AARRGGBB" (not
// premultiplied) for one that is partly transparent; "other" for the other row.
QString ToneNameOf(const KeyRow& row);
// A share of `total` pixels in percent with one decimal: "12.5 %".
QString PercentText(std::uint64_t pixels, std::uint64_t total);
QString ShareTextOf(const KeyRow& row, std::uint64_t total);

// Whether the key's stamp fits a picture: at most a quarter of its shorter side each way, its
// text no smaller than still reads.
bool KeyStampFits(int width, int height, std::size_t rowCount, QFont font);

// Draws the key into the top-left corner of a mapped bitmap: on a white panel with a black
// border, per row its number, a swatch and its share of `total` pixels (the study's own, not
// what was drawn over it), in columns where the rows do not fit the
// panel's height. `font` is sized to the picture: its pixel size follows the width, so that it
// reads on a 1200 pixel wide picture, and shrinks so that the panel takes at most a quarter of
// the shorter side each way; its text is not smoothed, which would add tones. Draws nothing where
// the stamp does not fit (KeyStampFits). Gives the panel's area, empty where nothing was drawn.
QRect DrawKeyStamp(const TBitmapData& map, const std::vector<KeyRow>& rows, std::uint64_t total,
                   QFont font);
