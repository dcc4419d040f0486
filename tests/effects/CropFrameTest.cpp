// SPDX-License-Identifier: MIT
// Framing a photo to a canvas: the largest centred frame, moving and resizing it inside the
// picture, and the crop.
#include "CropFrame.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>
#include <random>

namespace {

TEST(CropFrame, TheLargestCentredFrameForEveryOrientation) {
    struct Case {
        QSize picture;
        FrameProportions proportions;
        QRect frame;
    };
    const Case cases[] = {
        {{6000, 4000}, {40, 30}, {333, 0, 5333, 4000}},  // landscape in landscape, narrower
        {{6000, 4000}, {30, 40}, {1500, 0, 3000, 4000}}, // portrait in landscape
        {{4000, 6000}, {30, 40}, {0, 333, 4000, 5333}},  // portrait in portrait, wider
        {{4000, 6000}, {40, 30}, {0, 1500, 4000, 3000}}, // landscape in portrait
        {{3000, 2000}, {3, 2}, {0, 0, 3000, 2000}},      // the same proportions: all of it
        {{500, 500}, {70, 50}, {0, 71, 500, 357}},       // square picture
        {{7, 5}, {1000, 1}, {0, 2, 7, 1}},               // wider than the picture: clamped
        {{7, 5}, {1, 1000}, {3, 0, 1, 5}},
        {{1, 1}, {40, 30}, {0, 0, 1, 1}}, // a one-pixel picture
        {{1, 9}, {40, 30}, {0, 4, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height() << " at "
                                        << c.proportions.width << ":" << c.proportions.height);
        const QRect frame = LargestCentredFrame(c.picture, c.proportions);
        EXPECT_EQ(frame, c.frame);
        EXPECT_TRUE(QRect(QPoint(0, 0), c.picture).contains(frame));
    }
    EXPECT_TRUE(LargestCentredFrame({0, 10}, {1, 1}).isEmpty());
}

// The proportions hold to within one pixel of the rounded side, whatever the sizes.
TEST(CropFrame, RoundingKeepsTheProportionsWithinAPixel) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> side(1, 9000);
    std::uniform_real_distribution<double> proportion(0.1, 10);
    for (int i = 0; i < 2000; ++i) {
        const QSize picture(side(random), side(random));
        const FrameProportions proportions{proportion(random), 1};
        const QRect frame = LargestCentredFrame(picture, proportions);
        ASSERT_TRUE(QRect(QPoint(0, 0), picture).contains(frame));
        const bool fullWidth = frame.width() == picture.width();
        const bool fullHeight = frame.height() == picture.height();
        ASSERT_TRUE(fullWidth || fullHeight) << "the largest";
        const double ideal =
            fullWidth ? picture.width() / proportions.width : picture.height() * proportions.width;
        const int other = fullWidth ? frame.height() : frame.width();
        if (other > 1 && other < (fullWidth ? picture.height() : picture.width())) {
            ASSERT_LE(std::abs(other - ideal), 0.5 + 1e-9);
        }
    }
}

TEST(CropFrame, MovingAndResizingNeverLeaveThePicture) {
    const QSize picture(640, 480);
    const FrameProportions proportions{4, 3};
    EXPECT_EQ(MovedFrame({10, 10, 100, 75}, {-50, 5}, picture), QRect(0, 15, 100, 75));
    EXPECT_EQ(MovedFrame({10, 10, 100, 75}, {1000, 1000}, picture), QRect(540, 405, 100, 75));
    std::mt19937 random(11);
    std::uniform_int_distribution<int> x(-200, 840), y(-200, 680);
    for (int i = 0; i < 3000; ++i) {
        const QPoint anchor(std::clamp(x(random), 0, 639), std::clamp(y(random), 0, 479));
        const QPoint to(x(random), y(random));
        const QRect frame = ResizedFrame(anchor, to, proportions, picture);
        ASSERT_TRUE(QRect(QPoint(0, 0), picture).contains(frame))
            << anchor.x() << "," << anchor.y() << " to " << to.x() << "," << to.y();
        ASSERT_TRUE(frame.contains(anchor)) << "the anchor stays a corner of the frame";
        if (frame.height() > 1) {
            ASSERT_LE(std::abs(frame.height() - frame.width() * 0.75), 0.5 + 1e-9);
        }
        const QRect moved = MovedFrame(frame, QPoint(x(random), y(random)), picture);
        ASSERT_TRUE(QRect(QPoint(0, 0), picture).contains(moved));
        ASSERT_EQ(moved.size(), frame.size());
    }
    // Dragging the bottom-right corner out from the top-left one: the frame grows to the pointer.
    EXPECT_EQ(ResizedFrame({0, 0}, {399, 10}, proportions, picture), QRect(0, 0, 400, 300));
    EXPECT_EQ(ResizedFrame({639, 479}, {0, 0}, proportions, picture), QRect(0, 0, 640, 480));
}

TEST(CropFrame, ProportionsAreReadAndTurned) {
    const auto parsed = FrameProportions::Parse(QStringLiteral("40x30"));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->width, 40);
    EXPECT_EQ(parsed->height, 30);
    EXPECT_TRUE(FrameProportions::Parse(QStringLiteral("4.5X6")));
    for (const char* bad : {"40", "40x", "x30", "0x30", "40x0", "-4x3", "4x3x2", "ax3", ""})
        EXPECT_FALSE(FrameProportions::Parse(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(parsed->OrientedLike({400, 600}).width, 30);
    EXPECT_EQ(parsed->OrientedLike({600, 400}).width, 40);
    EXPECT_EQ(parsed->OrientedLike({500, 500}).width, 40);
}

TEST(CropFrame, TheCropIsThePictureInsideTheFrame) {
    std::vector<std::vector<TAlphaColor>> rows(4, std::vector<TAlphaColor>(5));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            rows[size_t(y)][size_t(x)] = 0xFF000000u | TAlphaColor(y * 16 + x);
    TBitmap picture;
    FillBitmap(picture, rows);
    TBitmap cropped;
    CropStep(picture, QRect(1, 2, 3, 2), cropped);
    EXPECT_EQ(PixelsOf(cropped),
              (std::vector<std::vector<TAlphaColor>>{{0xFF000021u, 0xFF000022u, 0xFF000023u},
                                                     {0xFF000031u, 0xFF000032u, 0xFF000033u}}));
    // Into itself: in place while the bitmap keeps its storage, through a copy below that.
    CropStep(picture, QRect(1, 1, 4, 3), picture);
    EXPECT_EQ(PixelsOf(picture), (std::vector<std::vector<TAlphaColor>>{
                                     {0xFF000011u, 0xFF000012u, 0xFF000013u, 0xFF000014u},
                                     {0xFF000021u, 0xFF000022u, 0xFF000023u, 0xFF000024u},
                                     {0xFF000031u, 0xFF000032u, 0xFF000033u, 0xFF000034u}}));
    CropStep(picture, QRect(3, 2, 1, 1), picture);
    EXPECT_EQ(PixelsOf(picture), (std::vector<std::vector<TAlphaColor>>{{0xFF000034u}}));
}

} // namespace
