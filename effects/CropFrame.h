// SPDX-License-Identifier: MIT
// Framing a photo to a canvas: the crop rectangle of given proportions, moved and resized inside
// the picture, and the crop itself. One definition for the window's frame and the batch's
// --crop-to.
#pragma once

#include "Bitmap.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// A frame's proportions, width to height: a canvas's sides, or "40x30".
struct FrameProportions {
    double width = 1;
    double height = 1;

    // "40x30", "4.5x6"; none for anything else, or a side that is not above 0.
    static std::optional<FrameProportions> Parse(const QString& text);
    // Turned to the picture's orientation, landscape or portrait; a square picture or square
    // proportions are left as they are.
    FrameProportions OrientedLike(QSize picture) const;
    FrameProportions Rotated() const { return {height, width}; }
};

// The largest frame of the proportions inside a picture, centred (halves dropped toward the top
// left): the picture's full width or height, the other side rounded to whole pixels, at least 1.
QRect LargestCentredFrame(QSize picture, FrameProportions proportions);

// The frame moved by `delta` pixels, stopping at the picture's edges.
QRect MovedFrame(QRect frame, QPoint delta, QSize picture);

// A frame resized by dragging a corner to `to` while the opposite corner pixel `anchor` stays:
// it follows the pointer's farther side, keeps the proportions, never goes past the picture and
// never below one pixel.
QRect ResizedFrame(QPoint anchor, QPoint to, FrameProportions proportions, QSize picture);

// `frame` of `picture` (the frame held inside the picture) into `into`, which takes its size.
void CropStep(const TBitmap& picture, QRect frame, TBitmap& into);
