// SPDX-License-Identifier: MIT
#include "StudyPipeline.h"

#include "GridKernel.h"
#include "OilifyKernel.h"
#include "PosterizeKernel.h"

#include <algorithm>
#include <tuple>

namespace {

// The window's CurrentPixel and OutputColour for one study. Only OutputColour reaches a picture:
// a vote that no candidate wins writes the colour the previous step left.
struct CarriedColours {
    TAlphaColor currentPixel = 0;
    TAlphaColor outputColour = 0;
};

template <typename Pass> void RunPass(TBitmap& input, TBitmap& output, Pass pass) {
    output.SetSize(input.Width(), input.Height());
    TBitmapData in;
    TBitmapData out;
    ScopedMap inMap(input, TMapAccess::Read, in);
    ScopedMap outMap(output, TMapAccess::Write, out);
    if (inMap.Mapped() && outMap.Mapped())
        pass(in, out);
}

// One cycle of Oilify: rows of `poster` into `rows`, then columns of `rows` into `oil`.
void OilifyCycle(TBitmap& poster, TBitmap& rows, TBitmap& oil, CarriedColours& carried) {
    for (auto [from, to, direction] : {std::tuple{&poster, &rows, OilifyDirection::Rows},
                                       std::tuple{&rows, &oil, OilifyDirection::Columns}})
        RunPass(*from, *to, [&, direction](const TBitmapData& in, const TBitmapData& out) {
            OilifyPass(in, out, direction, carried.currentPixel, carried.outputColour);
        });
}

void InsertGrid(TBitmap& picture, const StudyGrid& grid) {
    if (grid.spacing < MinGridSpacing)
        ThrowGridSpacingBelowOne();
    if (picture.Width() < 2)
        return;
    TBitmapData map;
    ScopedMap mapped(picture, TMapAccess::Write, map);
    if (mapped.Mapped())
        DrawGrid(map, grid.spacing, grid.colour);
}

} // namespace

int ProposedGridSpacing(int width, int height) {
    return std::clamp(std::min(width, height) / 18, 0, MaxGridSpacing);
}

int HeldGridSpacing(int spacing, int width, int height) {
    constexpr int StartSpacing = 28;
    return spacing > width || spacing > height ? StartSpacing : spacing;
}

void MakeStudy(TBitmap& picture, const StudySteps& steps) {
    CarriedColours carried;
    TBitmap grey;
    RunPass(picture, grey, [&](const TBitmapData& in, const TBitmapData& out) {
        GreyPass(in, out, steps.method, carried.currentPixel, carried.outputColour);
    });
    // The source is not needed again: it takes the posterized picture.
    RunPass(grey, picture, [&](const TBitmapData& in, const TBitmapData& out) {
        PosterizePass(in, out, steps.levels, carried.currentPixel, carried.outputColour);
    });
    if (steps.oilifyClicks > 0) {
        // Each click runs a cycle whose result the next click starts from, and a second one that
        // is shown; the grey picture's storage serves as the row pass's output.
        TBitmap& rows = grey;
        TBitmap oil;
        for (int click = 0; click < steps.oilifyClicks; ++click) {
            OilifyCycle(picture, rows, oil, carried);
            picture.Swap(oil);
            OilifyCycle(picture, rows, oil, carried);
        }
        picture.Swap(oil);
    }
    if (steps.grid)
        InsertGrid(picture, *steps.grid);
}
