// SPDX-License-Identifier: MIT
#pragma once

#include "PictureBox.h"
#include "ShapeOutline.h"

// What the picture control says was drawn over the study, as the value key and the outline
// sheet leave it out.
inline StudyOverlay DrawnOverlay(const PictureBox& picture) {
    StudyOverlay overlay;
    for (const PictureBox::Overlay::Grid& grid : picture.Drawn().grids)
        overlay.colours.push_back(grid.colour);
    overlay.areas = picture.Drawn().areas;
    return overlay;
}
