// SPDX-License-Identifier: MIT
// The study's steps as the window and the batch share them: the grid spacing's rules, a shown
// picture that takes each result whatever its size, Oilify's first cycle kept for the next click,
// and snapshots taken in a step's own pass equal to the picture before the step.
#include "StudySteps.h"
#include "AppError.h"
#include "CanvasGridKernel.h"
#include "GridKernel.h"
#include "GridSpacing.h"
#include "KernelRun.h"
#include "RecolourKernel.h"
#include "ReferenceKernels.h"

#include <random>

namespace {

struct ProgramState {
    TBitmapData readMap;
    TBitmapData writeMap;
    TAlphaColor currentPixel = 0;
    TAlphaColor outputColour = 0;
    PassState Passes() { return {readMap, writeMap, currentPixel, outputColour}; }
};

Rows RandomGreys(int width, int height, int tones, std::mt19937& random) {
    Rows rows(height, std::vector<TAlphaColor>(width));
    for (auto& row : rows)
        for (TAlphaColor& pixel : row)
            pixel = OpaqueGrey(std::uint8_t(random() % tones * (255 / (tones - 1))));
    return rows;
}

} // namespace

TEST(GridSpacingRules, ProposalHeldSpacingsAndTheLeastDrawable) {
    struct Proposal {
        int width, height, proposed;
    };
    for (const Proposal& p : {Proposal{500, 300, 16},
                              {300, 500, 16},
                              {17, 900, 0},
                              {36, 36, 2},
                              {6000, 4000, 200},
                              {3600, 3700, 200},
                              {3599, 5000, 199}}) {
        SCOPED_TRACE(testing::Message() << p.width << "x" << p.height);
        EXPECT_EQ(GridSpacing::Proposed(p.width, p.height), p.proposed);
    }

    EXPECT_EQ(GridSpacing::HeldTyped(200), 200);
    EXPECT_EQ(GridSpacing::HeldTyped(201), 28) << "above the box's maximum: the start value";
    EXPECT_EQ(GridSpacing::HeldTyped(0), 0) << "below 1 is kept, and refused when drawn";

    struct Held {
        int spacing, width, height, held;
        bool shown;
    };
    for (const Held& h : {Held{20, 30, 40, 20, true},
                          {30, 30, 40, 30, true},
                          {31, 30, 40, 28, false},
                          {41, 50, 40, 28, false},
                          {10, 5, 5, 28, false},
                          {201, 1000, 1000, 201, false}}) {
        SCOPED_TRACE(testing::Message() << h.spacing << " on " << h.width << "x" << h.height);
        EXPECT_EQ(GridSpacing::HeldFor(h.spacing, h.width, h.height), h.held)
            << "larger than a side goes back to 28, whatever the picture's size";
        EXPECT_EQ(GridSpacing::Shown(h.spacing, h.width, h.height), h.shown);
    }

    EXPECT_EQ(GridSpacing::Drawable(1), 1);
    for (int spacing : {0, -1, -200}) {
        try {
            GridSpacing::Drawable(spacing);
            ADD_FAILURE() << spacing << " was taken";
        } catch (const AppError& error) {
            EXPECT_EQ(error.message(), QStringLiteral("Grid spacing must be at least 1."));
        }
    }
}

TEST(StudySteps, ShownPictureTakesEachResultInPassOrAfterwards) {
    std::mt19937 random(11);
    // The shown picture has the result's size (copied in the pass), another size, or none.
    for (const auto& [shownWidth, shownHeight] : {std::pair{23, 17}, {5, 5}, {0, 0}}) {
        SCOPED_TRACE(testing::Message() << "shown " << shownWidth << "x" << shownHeight);
        ProgramState state;
        TBitmap grey;
        FillBitmap(grey, RandomGreys(23, 17, 9, random));
        TBitmap poster;
        TBitmap shown;
        shown.SetSize(shownWidth, shownHeight);

        PosterizeStep(grey, poster, BandsFor(BandPreset::EqualSteps, 4, {}), state.Passes(),
                      &shown);
        EXPECT_TRUE(SameBitmap(poster, shown));

        TBitmap expectedFirst;
        expectedFirst.Assign(poster);
        TAlphaColor current = state.currentPixel;
        TAlphaColor output = state.outputColour;
        OilifyCycleByPasses(expectedFirst, current, output);
        TBitmap expectedShown;
        expectedShown.Assign(expectedFirst);
        OilifyCycleByPasses(expectedShown, current, output);

        TBitmap rows;
        TBitmap oil;
        OilifyStep({poster, rows, oil}, state.Passes(), &shown);
        EXPECT_TRUE(SameBitmap(expectedFirst, poster)) << "the first cycle is the next start";
        EXPECT_TRUE(SameBitmap(expectedShown, oil));
        EXPECT_TRUE(SameBitmap(expectedShown, shown));
        EXPECT_EQ(state.outputColour, output);
        EXPECT_EQ(state.currentPixel, current);
    }
}

TEST(StudySteps, SnapshotsInThePassHoldThePictureBeforeTheStep) {
    std::mt19937 random(5);
    const Rows picture = RandomGreys(31, 12, 3, random);
    const TAlphaColor tone = picture[0][0];
    const TAlphaColor to = 0xFF123456u;
    const TAlphaColor gridColour = 0x80FF0000u;
    const Rows recoloured =
        DrawnOver(picture, [&](const TBitmapData& map) { ReplaceColour(map, tone, to); });
    const Rows gridded =
        DrawnOver(picture, [&](const TBitmapData& map) { DrawGrid(map, 4, gridColour); });

    for (bool inPass : {false, true}) {
        SCOPED_TRACE(inPass ? "snapshot in the pass" : "no snapshot");
        TBitmapData map;
        TBitmap shown;
        TBitmap snapshot;
        FillBitmap(snapshot, RandomGreys(31, 12, 2, random));

        FillBitmap(shown, picture);
        RecolourStep(shown, tone, to, map, inPass ? &snapshot : nullptr);
        EXPECT_EQ(PixelsOf(shown), recoloured);
        if (inPass) {
            EXPECT_EQ(PixelsOf(snapshot), picture);
        }

        FillBitmap(shown, picture);
        GridStep(shown, 4, gridColour, GridStyle{}, map, inPass ? &snapshot : nullptr);
        EXPECT_EQ(PixelsOf(shown), gridded);
        if (inPass) {
            EXPECT_EQ(PixelsOf(snapshot), picture);
        }
    }
}

TEST(StudySteps, NothingToRecolourOrTooNarrowForAGridLeavesThePicture) {
    TBitmapData map;
    TBitmap shown;
    FillBitmap(shown, Rows(3, std::vector<TAlphaColor>(4, claWhite)));
    const std::uint64_t before = shown.Generation();
    RecolourStep(shown, std::nullopt, claBlack, map);
    EXPECT_EQ(PixelsOf(shown), Rows(3, std::vector<TAlphaColor>(4, claWhite)));
    EXPECT_GT(shown.Generation(), before) << "a pick outside the picture still counts as a change";

    TBitmap narrow;
    FillBitmap(narrow, Rows(5, std::vector<TAlphaColor>(1, claWhite)));
    GridStep(narrow, 1, claBlack, GridStyle{}, map);
    EXPECT_EQ(PixelsOf(narrow), Rows(5, std::vector<TAlphaColor>(1, claWhite)));
}
