// SPDX-License-Identifier: MIT
// Layout on resize and scrolling the picture. With a client area of 919 x 600 the view is
// 901 x 454 pixels and the picture area 902 wide.
#include "EventBoundary.h"
#include "FormFixture.h"
#include "PictureBox.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "TrackBar.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QWheelEvent>

namespace {

class Layout : public FormTest {
protected:
    void OpenPicture(int width, int height) {
        ResizeClient(919, 600);
        Open(WritePicture("picture.png", TestPicture(width, height)));
    }
    void Wheel(int delta) {
        const QPointF at(1, 1);
        QWheelEvent event(at, form->Image1->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->Image1, &event);
    }
    QPoint PictureAt() const { return form->Image1->pos(); }
};

TEST_F(Layout, ResizeSetsTheLayoutValuesAndControls) {
    ResizeClient(1184, 761);
    const int W = 1200;
    const int H = 800;
    EXPECT_EQ(ImageAreaWidth, W - 33);
    EXPECT_EQ(ViewWidth, W - 34);
    EXPECT_EQ(ViewHeight, H - 185);
    EXPECT_EQ(form->GroupBox2->width(), W - 464 - 23);
    EXPECT_EQ(form->TrackBar1->width(), W - 624 - 33);
    EXPECT_EQ(form->Panel1->geometry(), QRect(-8, 24, W, 105));
    EXPECT_EQ(form->ScrollBar1->geometry(), QRect(ViewWidth, 129, 18, ViewHeight));
    EXPECT_EQ(form->ScrollBar2->geometry(), QRect(0, ViewHeight + 128, ViewWidth, 18));
    EXPECT_EQ(form->ScrollBar1->geometry().right() + 1, form->width())
        << "the bars lie on the client's edges";
    EXPECT_EQ(form->ScrollBar2->geometry().bottom() + 1, form->height());
}

TEST_F(Layout, APictureOnePixelTallerThanTheViewCannotScrollTwoCan) {
    OpenPicture(100, 455);
    EXPECT_EQ(form->ScrollBar1->Maximum(), 1);
    form->ScrollBar1->SetValue(1);
    EXPECT_EQ(PictureAt().y(), 128);

    OpenPicture(100, 456);
    EXPECT_EQ(form->ScrollBar1->Maximum(), 2);
    form->ScrollBar1->SetValue(2);
    EXPECT_EQ(PictureAt().y(), 126);
}

TEST_F(Layout, AWidePictureShowsItsMiddle) {
    OpenPicture(901 + 301, 100);
    ResizeClient(919, 600);
    EXPECT_EQ(form->ScrollBar2->Maximum(), 301);
    EXPECT_EQ(form->ScrollBar2->Value(), 150);
    EXPECT_EQ(PictureAt().x(), -150);
}

TEST_F(Layout, EnlargingUntilAWidePictureFitsLeavesItAtZeroThenCentres) {
    OpenPicture(1000, 100);
    ResizeClient(1100, 600);
    EXPECT_EQ(PictureAt().x(), 0);
    EXPECT_EQ(form->ScrollBar2->Maximum(), 1);
    ResizeClient(1101, 600);
    EXPECT_EQ(PictureAt().x(), (1101 + 16 - 33) / 2 - 1000 / 2);
}

TEST_F(Layout, AScrolledPictureReturnsToTheTopOnResize) {
    OpenPicture(100, 1000);
    form->ScrollBar1->SetValue(50.7);
    EXPECT_EQ(PictureAt().y(), 128 - 50);
    ResizeClient(919, 601);
    EXPECT_EQ(PictureAt().y(), 128);
    EXPECT_EQ(form->ScrollBar1->Value(), 0);
}

TEST_F(Layout, WheelMovesTwentyPixelsPerTurnUpToTheMaximum) {
    OpenPicture(100, 454 + 50);
    Wheel(-120);
    EXPECT_EQ(PictureAt().y(), 108);
    Wheel(-1);
    EXPECT_EQ(PictureAt().y(), 88);
    Wheel(-120);
    EXPECT_EQ(PictureAt().y(), 78) << "clamped at the maximum 50";
    int changes = 0;
    const auto handler = form->ScrollBar1->OnChange;
    form->ScrollBar1->OnChange = [&] {
        ++changes;
        handler();
    };
    Wheel(-120);
    Wheel(0);
    EXPECT_EQ(changes, 0) << "no handler runs once the maximum is reached";
    Wheel(120);
    EXPECT_EQ(PictureAt().y(), 98);
}

TEST_F(Layout, ArrowStepsFollowTheRangeAndAPictureAtZeroRestsAt128) {
    struct Case {
        int range;
        double step;
    };
    for (const Case c : {Case{1000, 100}, Case{500, 10}, Case{100, 1}, Case{5, 0.1}}) {
        SCOPED_TRACE(c.range);
        OpenPicture(100, 454 + c.range);
        EXPECT_NEAR(form->ScrollBar1->ArrowStep(), c.step, 1e-9);
        for (int i = 0; i < 3; ++i)
            form->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        for (int i = 0; i < 3; ++i)
            form->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(form->ScrollBar1->Value(), 0.0);
        EXPECT_EQ(PictureAt().y(), 128);
    }
}

TEST_F(Layout, ResizingWithAnEmptySpinBoxShowsTheErrorAndKeepsPictureAndBars) {
    OpenPicture(1500, 1000);
    form->ScrollBar1->SetValue(30);
    form->ScrollBar2->SetValue(40);
    const QRect picture = form->Image1->geometry();
    TypeLevels("");
    RunHandler([this] { ResizeClient(1000, 700); });
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"'' is not a valid integer value."});
    EXPECT_EQ(form->Image1->geometry(), picture);
    EXPECT_EQ(form->ScrollBar1->Value(), 30);
    EXPECT_EQ(form->ScrollBar2->Value(), 40);
    EXPECT_EQ(form->Panel1->width(), 1016) << "the widths set before the failing step stay";
}

TEST_F(Layout, CentringHalvesWithTheRemainderDroppedTowardZero) {
    struct Case {
        int imageAreaWidth, pictureWidth, left;
    };
    ResizeClient(919, 600);
    for (const Case c : {Case{-9, 5, -4 - 2}, Case{-11, 3, -5 - 1}, Case{-1, 1, 0 - 0},
                         Case{885, 401, 442 - 200}, Case{-5, 401, -2 - 200}}) {
        SCOPED_TRACE(c.imageAreaWidth);
        Open(WritePicture("narrow.png", TestPicture(c.pictureWidth, 10)));
        ImageAreaWidth = c.imageAreaWidth;
        form->CentreImage();
        EXPECT_EQ(PictureAt().x(), c.left);
    }
}

} // namespace
