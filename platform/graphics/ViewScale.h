// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QSize>
#include <QString>

// How many screen pixels show one image pixel, as the fraction Shown / Image. A fraction keeps
// "fit to window" exact (the picture's width over the view's) and lets a picture position map
// to the image pixel under it without rounding drift.
struct ViewScale {
    // No view shows a picture smaller than this part of its size.
    static constexpr int MostReduction = 64;

    int Shown = 1;
    int Image = 1;

    bool IsActual() const { return Shown == Image; }
    bool Reduces() const { return Shown < Image; }
    double Factor() const { return double(Shown) / Image; }

    // A picture length at this scale, rounded to whole pixels (halves up).
    int ShownLength(int imageLength) const;
    QSize ShownSize(QSize imageSize) const;
    // The image pixel under a position in the shown picture: the position divided by the scale,
    // rounded down.
    int ImagePosition(double shownPosition) const;
    // "100 %", "33.3 %", "6.25 %": three significant digits below 100.
    QString PercentText() const;

    friend bool operator==(const ViewScale& a, const ViewScale& b) {
        return qint64(a.Shown) * b.Image == qint64(b.Shown) * a.Image;
    }
};

// Writes the reduced view of `source` into `target`, which has the source's size at `scale`
// (a reduction, by at most MostReduction): each target pixel is the mean of the source pixels whose
// centres it covers, rounded half up, so every source pixel counts once and textures and thin lines
// show as their mean tone.
void ReduceByAreaAverage(const TBitmapData& source, const TBitmapData& target, ViewScale scale);
