// SPDX-License-Identifier: MIT
#include "StudyPipeline.h"

#include "CanvasGridKernel.h"
#include "GridSpacing.h"

void MakeStudy(TBitmap& picture, const StudyParameters& parameters) {
    TBitmapData readMap;
    TBitmapData writeMap;
    TAlphaColor currentPixel = 0;
    TAlphaColor outputColour = 0;
    const PassState state{readMap, writeMap, currentPixel, outputColour};

    if (parameters.crop) {
        const QSize size(picture.Width(), picture.Height());
        const FrameProportions& proportions = parameters.crop->proportions;
        CropStep(picture,
                 LargestCentredFrame(size, parameters.crop->exact ? proportions
                                                                  : proportions.OrientedLike(size)),
                 picture);
    }

    TBitmap grey;
    GreyStep(picture, grey, parameters.method, state);
    // The source is not needed again: it takes the posterized picture.
    PosterizeStep(grey, picture, StudyBands(parameters.bands, parameters.levels, grey), state);
    if (parameters.oilifyClicks > 0) {
        // The grey picture's storage serves as the row pass's output; the last click's result is
        // in `oil`.
        TBitmap oil;
        for (int click = 0; click < parameters.oilifyClicks; ++click)
            OilifyStep({picture, grey, oil}, state);
        picture.Swap(oil);
    }
    if (parameters.simplify)
        SimplifyStep(picture,
                     parameters.simplify->MinimumPixels(std::uint64_t(picture.Width()) *
                                                        std::uint64_t(picture.Height())),
                     readMap);
    if (parameters.grid) {
        const int width = picture.Width();
        const int height = picture.Height();
        const int spacing = parameters.grid->proposed ? GridSpacing::Proposed(width, height)
                                                      : parameters.grid->spacing;
        GridStep(picture, GridSpacing::Drawable(GridSpacing::HeldFor(spacing, width, height)),
                 parameters.grid->colour, GridStyle{}, writeMap);
    }
}
