// SPDX-License-Identifier: MIT
#include "GridSpacing.h"

#include "AppError.h"

#include <algorithm>

int GridSpacing::Proposed(int width, int height) {
    return std::clamp(std::min(width, height) / 18, BoxMin, BoxMax);
}

int GridSpacing::HeldTyped(int spacing) {
    return spacing > BoxMax ? Start : spacing;
}

bool GridSpacing::FitsPicture(double spacing, int width, int height) {
    return spacing <= width && spacing <= height;
}

int GridSpacing::HeldFor(int spacing, int width, int height) {
    return FitsPicture(spacing, width, height) ? spacing : Start;
}

bool GridSpacing::Shown(int spacing, int width, int height) {
    return spacing <= BoxMax && FitsPicture(spacing, width, height);
}

int GridSpacing::Drawable(int spacing) {
    // It is refused like a text that is no number.
    if (spacing < Least)
        throw AppError(QStringLiteral("Grid spacing must be at least 1."));
    return spacing;
}
