// SPDX-License-Identifier: MIT
// "Crop to Canvas..." and "Full Photo": the frame over the picture at Fit, moved and resized
// inside it, the crop studied as a fresh open, and the whole photo back.
#include "CanvasCommands.h"
#include "CanvasDialog.h"
#include "CropFrameView.h"
#include "EventBoundary.h"
#include "FormFixture.h"
#include "GridSpacing.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PictureView.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

class Crop : public FormTest {
protected:
    void SetUp() override {
        ResizeClient(1200, 800);
        form->show();
        photo_ = TestPicture(1200, 800);
        Open(WritePicture("photo.png", photo_));
    }
    CanvasCommands& Menu() { return *form->CanvasMenu; }
    CropFrameView& View() { return *form->CanvasMenu->CropView; }
    void StartCrop() {
        Menu().CropItemClick(Menu().CropItem);
        ASSERT_NE(form->CanvasMenu->CropView, nullptr);
    }
    // A canvas kept in "Canvas and Grid...", in millimetres.
    void ChooseCanvas(double widthMm, double heightMm) {
        desktop.dialogAnswers.push_back([=](QDialog& dialog) {
            auto& canvas = dynamic_cast<CanvasDialog&>(dialog);
            canvas.WidthBox->setValue(widthMm / 10);
            canvas.HeightBox->setValue(heightMm / 10);
            return int(CanvasDialog::Kept);
        });
        RunHandler([this] { Menu().CanvasGridItemClick(Menu().CanvasGridItem); });
    }
    // What a fresh open leaves, as the user and the next steps find it.
    struct State {
        Rows source, grey, poster, shown;
        QString spacing, caption;
        bool recolourUndo, gridUndo;
        bool operator==(const State&) const = default;
    };
    State Now() {
        return {PixelsOf(SourceBitmap),     PixelsOf(GreyBitmap),
                PixelsOf(PosterBitmap),     Shown(),
                form->NumberBox1->Text(),   form->windowTitle(),
                form->Button7->isEnabled(), form->Button8->isEnabled()};
    }
    QImage photo_;
};

TEST_F(Crop, TheFrameStartsAsTheLargestCentredAtFitAndTurns) {
    EXPECT_FALSE(Menu().FullPhotoItem->isEnabled()) << "nothing cropped yet";
    StartCrop();
    EXPECT_TRUE(form->View->ScaleLabel->text().startsWith("Fit ")) << "the view goes to Fit";
    EXPECT_EQ(View().Frame(), QRect(0, 0, 1200, 800)) << "the photo's own proportions";
    EXPECT_TRUE(View().SizeLabel->text().startsWith("1200 x 800 px, "));
    View().RotateButton->click();
    EXPECT_EQ(View().Frame(), QRect(333, 0, 533, 800)) << "portrait, centred";
    View().CancelButton->click();
    EXPECT_EQ(form->CanvasMenu->CropView, nullptr);

    StartCrop();
    ChooseCanvas(500, 700); // a portrait canvas, kept: a frame of the old one would be stale
    EXPECT_EQ(form->CanvasMenu->CropView, nullptr);
    StartCrop();
    EXPECT_EQ(View().Frame(), QRect(314, 0, 571, 800)) << "the canvas's proportions";
    QTest::keyClick(&View(), Qt::Key_Escape);
    EXPECT_EQ(form->CanvasMenu->CropView, nullptr);
    EXPECT_EQ(SourceBitmap.Width(), 1200) << "cancelled: nothing cropped";
}

TEST_F(Crop, DragsAndKeysKeepTheFrameInsideThePicture) {
    ChooseCanvas(400, 400);
    StartCrop();
    CropFrameView& view = View();
    const double f = form->Image1->Scale().Factor();
    const auto screen = [f](QPoint picture) {
        return QPoint(int(picture.x() * f), int(picture.y() * f));
    };
    const QRect picture(0, 0, 1200, 800);
    EXPECT_EQ(view.Frame(), QRect(200, 0, 800, 800));
    // Dragged by its middle far past the left edge: it stops there.
    QTest::mousePress(&view, Qt::LeftButton, {}, screen({600, 400}));
    QTest::mouseMove(&view, QPoint(-500, 300));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(-500, 300));
    EXPECT_EQ(view.Frame(), QRect(0, 0, 800, 800));
    // Its bottom-right corner dragged in: smaller, square, from the top-left corner.
    QTest::mousePress(&view, Qt::LeftButton, {}, screen({799, 799}));
    QTest::mouseMove(&view, screen({400, 300}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, screen({400, 300}));
    const QRect smaller = view.Frame();
    EXPECT_EQ(smaller.topLeft(), QPoint(0, 0));
    EXPECT_EQ(smaller.width(), smaller.height());
    EXPECT_LT(smaller.width(), 800);
    // Arrows move it by a screen pixel, Shift by ten, never out.
    const int step = std::max(1, int(std::lround(1 / f)));
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.Frame(), smaller.translated(step, 0));
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.Frame(), smaller.translated(step, 10 * step));
    for (int i = 0; i < 200; ++i)
        QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(view.Frame().left(), 0);
    EXPECT_TRUE(picture.contains(view.Frame()));
}

TEST_F(Crop, ACropIsStudiedAsAFreshOpenAndFullPhotoBringsTheOpenBack) {
    const State fresh = Now();
    StartCrop();
    View().SetFrame(QRect(100, 50, 600, 400));
    QTest::keyClick(&View(), Qt::Key_Return);
    EXPECT_EQ(form->CanvasMenu->CropView, nullptr);
    EXPECT_TRUE(Shows(SourceBitmap, photo_.copy(100, 50, 600, 400))) << "a part of the photo";
    EXPECT_EQ(form->NumberBox1->Value(), GridSpacing::Proposed(600, 400));
    EXPECT_EQ(form->windowTitle(), fresh.caption) << "the caption stays the file's";
    EXPECT_FALSE(form->Button7->isEnabled());
    EXPECT_FALSE(form->Button8->isEnabled());
    EXPECT_EQ(form->Image1->Bitmap().Width(), 600);
    EXPECT_TRUE(Menu().FullPhotoItem->isEnabled());
    EXPECT_TRUE(desktop.messages.empty());

    Menu().FullPhotoItemClick(Menu().FullPhotoItem);
    EXPECT_TRUE(Now() == fresh) << "the state of a fresh open";
    EXPECT_FALSE(Menu().FullPhotoItem->isEnabled());

    // A crop narrower than 500 pixels warns as opening such a file does.
    StartCrop();
    View().SetFrame(QRect(0, 0, 300, 200));
    View().CropButton->click();
    EXPECT_EQ(desktop.messages.size(), 1u);
}

// Framed to the canvas, the study fills it: the canvas reads an exact fit, and the pages carry
// the picture at the canvas's size, with no canvas left over.
TEST_F(Crop, ACropToTheCanvasFitsItExactly) {
    ChooseCanvas(400, 300);
    // 1200 x 800 at 4:3: a frame of 1067 x 800, not exactly 4:3.
    StartCrop();
    EXPECT_EQ(View().Frame(), QRect(66, 0, 1067, 800));
    View().CropButton->click();
    const CanvasPlan plan = PlanCanvas(form->Canvas, SourceBitmap.Width(), SourceBitmap.Height());
    EXPECT_EQ(plan.fits, FittingSide::Both);
    EXPECT_DOUBLE_EQ(plan.pictureWidthMm, 400);
    EXPECT_DOUBLE_EQ(plan.pictureHeightMm, 300);
    EXPECT_EQ(FitReadout(plan, LengthUnit::Centimetres),
              "Picture 40.00 cm x 30.00 cm. Both sides fit the canvas.");
}

} // namespace
