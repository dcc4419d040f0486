// SPDX-License-Identifier: MIT
// "Oilify.." through the window: two cycles, the first left in PosterBitmap, the colour carried
// between votes, cursors and Undo buttons.
#include "FormFixture.h"
#include "NumberBox.h"
#include "OilifyKernel.h"
#include "PictureBox.h"
#include "ToggleButton.h"

#include <QPushButton>
#include <random>

namespace {

// One cycle by the kernel: rows into a scratch bitmap, then columns.
void Cycle(TBitmap& picture, TAlphaColor& outputColour) {
    TBitmap rows;
    rows.SetSize(picture.Width(), picture.Height());
    TBitmap columns;
    columns.SetSize(picture.Width(), picture.Height());
    TAlphaColor current = 0;
    for (auto [from, to, direction] : {std::tuple{&picture, &rows, OilifyDirection::Rows},
                                       std::tuple{&rows, &columns, OilifyDirection::Columns}}) {
        TBitmapData in;
        TBitmapData out;
        from->Map(TMapAccess::Read, in);
        to->Map(TMapAccess::Write, out);
        OilifyPass(in, out, direction, current, outputColour);
        to->Unmap(out);
        from->Unmap(in);
    }
    picture.Assign(columns);
}

class Oilify : public FormTest {
protected:
    void SetUp() override {
        ResizeClient(919, 600);
        // Speckled bands, so that many pixels go to the vote.
        QImage picture(60, 40, QImage::Format_RGB32);
        std::mt19937 random(7);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int band = (x / 9 + y / 7) % 3;
                const int speckle = random() % 5 == 0 ? 80 : 0;
                picture.setPixel(x, y, qRgb(0, 40 + band * 70 + speckle, 0));
            }
        Open(WritePicture("speckled.png", picture));
    }
};

TEST_F(Oilify, TwoCyclesShownTheFirstKeptAndTheNextClickGoesOnFromIt) {
    TBitmap expected;
    expected.Assign(PosterBitmap);
    TAlphaColor carried = OutputColour;

    form->Button2Click(form->Button2);
    Cycle(expected, carried);
    EXPECT_TRUE(SameBitmap(expected, PosterBitmap))
        << "the first cycle's result stays in PosterBitmap";
    Cycle(expected, carried);
    EXPECT_TRUE(SameBitmap(expected, form->Image1->Bitmap()));
    EXPECT_TRUE(SameBitmap(expected, OilBitmap)) << "OilBitmap holds the shown result too";
    EXPECT_EQ(OutputColour, carried);

    TBitmap firstCycle;
    firstCycle.Assign(PosterBitmap);
    form->Button2Click(form->Button2);
    Cycle(firstCycle, carried);
    Cycle(firstCycle, carried);
    EXPECT_TRUE(SameBitmap(firstCycle, form->Image1->Bitmap()))
        << "the second click starts from the first cycle";
}

TEST_F(Oilify, CursorsAndUndoButtonsAfterwards) {
    form->Button3->SetPressed(true);
    form->Button3Click(form->Button3);
    form->Button7->setEnabled(true);
    form->Button2Click(form->Button2);
    EXPECT_EQ(form->Image1->cursor().shape(), Qt::ArrowCursor) << "the arrow replaces the hand";
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(form->Button2->testAttribute(Qt::WA_SetCursor));
    EXPECT_TRUE(form->Button3->IsPressed());
    EXPECT_FALSE(form->Button7->isEnabled());
    EXPECT_FALSE(form->Button8->isEnabled());
}

TEST_F(Oilify, AGridShownBeforeIsNotInTheResult) {
    form->NumberBox1->SetText("5");
    form->Button6Click(form->Button6);
    form->Button2Click(form->Button2);
    EXPECT_FALSE(form->Button8->isEnabled());
    for (const auto& row : PixelsOf(form->Image1->Bitmap()))
        for (TAlphaColor pixel : row)
            ASSERT_NE(pixel, claPalegreen) << "no grid colour survives";
}

TEST_F(Oilify, PosterizingAfterwardsReplacesBothPictures) {
    TBitmap posterized;
    posterized.Assign(PosterBitmap);
    form->Button2Click(form->Button2);
    form->Button1Click(form->Button1);
    EXPECT_TRUE(SameBitmap(posterized, PosterBitmap));
    EXPECT_TRUE(SameBitmap(posterized, form->Image1->Bitmap()));
}

} // namespace
