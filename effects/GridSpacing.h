// SPDX-License-Identifier: MIT
#pragma once

// The grid spacing's rules, as the spacing box keeps them: its range and start value, what
// "Open.." proposes for a picture, what the box holds when given too much, and the least spacing
// a grid can be drawn with. The box, its handlers, "Open..", the canvas grid and the batch all
// take them from here.
struct GridSpacing {
    static constexpr int BoxMin = 0;
    static constexpr int BoxMax = 200;
    static constexpr int Start = 28; // the box's first value, and what it goes back to
    static constexpr int Least = 1;  // from a smaller spacing the lines would never end

    // "Open..": the picture's shorter side / 18, within the box's range.
    static int Proposed(int width, int height);
    // A spacing typed into the box above its maximum goes back to the start value.
    static int HeldTyped(int spacing);
    // Whether the box keeps `spacing` for a picture: one larger than the picture's width or
    // height goes back to the start value, whatever the picture's size.
    static bool FitsPicture(double spacing, int width, int height);
    // `spacing` where the box keeps it for a picture, else the start value.
    static int HeldFor(int spacing, int width, int height);
    // Whether the box can show `spacing` for a picture without changing it.
    static bool Shown(int spacing, int width, int height);
    // `spacing` where a grid can be drawn with it; below Least refused with
    // "Grid spacing must be at least 1.".
    static int Drawable(int spacing);
};
