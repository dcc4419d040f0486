// SPDX-License-Identifier: MIT
// The View menu: the picture at another scale, fit to window, the pick under the pointer, and
// the original shown for comparison. Every bitmap keeps its full-resolution pixels.
#include "ColorComboBox.h"
#include "FormFixture.h"
#include "ImageCompare.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "ToggleButton.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

class View : public FormTest {
protected:
    void SetUp() override { ResizeClient(1200, 800); }
    void ZoomTo(ViewScale scale) {
        form->View->ActualPixelsItemClick(form->View->ActualPixelsItem);
        while (form->Image1->Scale().Factor() < scale.Factor())
            form->View->ZoomInItemClick(form->View->ZoomInItem);
        while (form->Image1->Scale().Factor() > scale.Factor())
            form->View->ZoomOutItemClick(form->View->ZoomOutItem);
        ASSERT_TRUE(form->Image1->Scale() == scale);
    }
    // What the picture control shows, as painted.
    QImage Painted() {
        return form->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QRect PictureInWindow() const { return form->Image1->geometry(); }
};

TEST_F(View, EachRunStartsAtActualPixels) {
    Open(WritePicture("p.png", TestPicture(700, 500)));
    EXPECT_TRUE(form->Image1->Scale().IsActual());
    EXPECT_EQ(form->Image1->size(), QSize(700, 500));
    EXPECT_EQ(form->View->ScaleLabel->text(), "100 %");
    EXPECT_EQ(form->MenuBar1->actions().front(), form->MenuItem6) << "About Halvane stays first";
}

TEST_F(View, TheScaleReadsInTheControlStripClearOfEveryControl) {
    const QLabel* label = form->View->ScaleLabel;
    const QRect at = label->geometry();
    EXPECT_TRUE(label->isVisibleTo(form));
    EXPECT_TRUE(form->rect().contains(at)) << "inside the window";
    EXPECT_TRUE(form->Panel1->geometry().contains(at)) << "on the strip above the picture";
    for (const QWidget* control : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control == label || control == form->Panel1 || control->isWindow())
            continue;
        SCOPED_TRACE(control->metaObject()->className());
        EXPECT_FALSE(control->geometry().intersects(at));
    }
    // The longest text the scale takes: a fitted picture at its smallest step with two decimals.
    EXPECT_LE(label->fontMetrics().horizontalAdvance("Fit 6.25 %"), at.width());
}

TEST_F(View, FitShowsAWholeLargePhotoInTheMaximisedWindow) {
    QImage photo(6000, 4000, QImage::Format_RGB32);
    photo.fill(0xFF808080u);
    const QString path = folder.filePath("photo.jpg");
    ASSERT_TRUE(photo.save(path, "JPG", 50));
    ResizeClient(1904, 1001); // a 1920 x 1080 screen less the desktop's panel and frame
    Open(path);
    form->View->FitToWindowItemClick(form->View->FitToWindowItem);
    const QRect view(0, 128, ViewWidth, ViewHeight);
    EXPECT_TRUE(view.contains(PictureInWindow())) << "the picture inside the view area";
    EXPECT_TRUE(PictureInWindow().width() == ViewWidth || PictureInWindow().height() == ViewHeight)
        << "as large as fits";
    EXPECT_EQ(form->ScrollBar1->Maximum(), 1);
    EXPECT_EQ(form->ScrollBar2->Maximum(), 1);
    // The view area is 1920 - 34 by 1040 - 185 (the outer size counts the frame): the height
    // decides, 855 of 4000 rows, 21.375 %, shown to three figures.
    EXPECT_EQ(form->View->ScaleLabel->text(), "Fit 21.4 %");
    EXPECT_EQ(SourceBitmap.Width(), 6000) << "the bitmaps keep every pixel";
    EXPECT_EQ(form->Image1->Bitmap().Width(), 6000);
}

TEST_F(View, FitNeverEnlargesAndFollowsResizesAndOpens) {
    Open(WritePicture("small.png", TestPicture(300, 200)));
    form->View->FitToWindowItemClick(form->View->FitToWindowItem);
    EXPECT_TRUE(form->Image1->Scale().IsActual());
    EXPECT_EQ(form->View->ScaleLabel->text(), "Fit 100 %");
    Open(WritePicture("large.png", TestPicture(2400, 1600)));
    const auto fitted = [this] {
        const QRect picture = PictureInWindow();
        return picture.width() <= ViewWidth && picture.height() <= ViewHeight &&
               (picture.width() == ViewWidth || picture.height() == ViewHeight);
    };
    EXPECT_TRUE(fitted()) << "fit kept for the next picture";
    const QSize before = PictureInWindow().size();
    ResizeClient(900, 700);
    EXPECT_TRUE(fitted()) << "fit follows the window";
    EXPECT_LT(PictureInWindow().width(), before.width());
}

// At 1:1 the window keeps its plain layout; at any other scale a picture that fits the view's
// width is centred across it, as the plain layout centres one it sizes, even when the horizontal
// bar had scrolled the picture before.
TEST_F(View, APictureNarrowerThanTheViewIsCentredAtFitAndWhenZoomedOut) {
    Open(WritePicture("tall.png", TestPicture(1400, 3000)));
    const struct {
        const char* how;
        std::function<void()> reduce;
        bool wholeInView; // else taller than the view, scrolled to keep the view's middle
    } cases[] = {
        {"Fit to Window", [this] { form->View->FitToWindowItemClick(form->View->FitToWindowItem); },
         true},
        {"Zoom Out", [this] { form->View->ZoomOutItemClick(form->View->ZoomOutItem); }, false},
        {"a resize at Fit",
         [this] {
             form->View->FitToWindowItemClick(form->View->FitToWindowItem);
             ResizeClient(1000, 760);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        ResizeClient(1200, 800);
        form->View->ActualPixelsItemClick(form->View->ActualPixelsItem);
        ASSERT_GT(form->ScrollBar2->Maximum(), 1) << "wider than the view at 1:1";
        ASSERT_LT(PictureInWindow().left(), 0) << "scrolled to its middle";
        c.reduce();
        const QRect picture = PictureInWindow();
        ASSERT_LT(picture.width(), ViewWidth);
        const int leftGap = picture.left();
        const int rightGap = ViewWidth - (picture.left() + picture.width());
        EXPECT_GT(leftGap, 0);
        EXPECT_LE(std::abs(leftGap - rightGap), 2) << "centred but for the halves' rounding";
        if (c.wholeInView) {
            EXPECT_EQ(picture.top(), 128) << "its top at rest: only the width is centred";
        }
    }
}

TEST_F(View, ANewPictureShowsAtActualPixelsUnlessFitWasChosen) {
    Open(WritePicture("a.png", TestPicture(800, 600)));
    ZoomTo({3, 1});
    Open(WritePicture("b.png", TestPicture(1000, 700)));
    EXPECT_TRUE(form->Image1->Scale().IsActual()) << "a fixed zoom is not kept";
    EXPECT_EQ(form->Image1->size(), QSize(1000, 700));
    EXPECT_EQ(form->View->ScaleLabel->text(), "100 %");
    EXPECT_EQ(PictureInWindow().top(), 128) << "placed as at the start";

    form->View->FitToWindowItemClick(form->View->FitToWindowItem);
    Open(WritePicture("c.png", TestPicture(3000, 2000)));
    EXPECT_TRUE(form->View->ScaleLabel->text().startsWith("Fit ")) << "Fit, where chosen, is kept";
    EXPECT_FALSE(form->Image1->Scale().IsActual());
}

TEST_F(View, FitChosenFromAZoomedViewCentresAsOpeningDoes) {
    const QString narrow = WritePicture("narrow.png", TestPicture(600, 1600));
    form->View->FitToWindowItemClick(form->View->FitToWindowItem);
    Open(narrow);
    const QRect afterOpen = PictureInWindow();
    EXPECT_EQ(afterOpen.center().x(), ImageAreaWidth / 2) << "centred across the image area";
    ZoomTo({2, 1});
    form->View->FitToWindowItemClick(form->View->FitToWindowItem);
    EXPECT_EQ(PictureInWindow(), afterOpen);
}

TEST_F(View, ScrollBarsAreDisabledWhereNothingCanScrollAtAnotherScale) {
    Open(WritePicture("p.png", TestPicture(600, 400)));
    EXPECT_TRUE(form->ScrollBar1->isEnabled()) << "at 1:1 as they always were";
    EXPECT_TRUE(form->ScrollBar2->isEnabled());
    ZoomTo({1, 2});
    EXPECT_FALSE(form->ScrollBar1->isEnabled());
    EXPECT_FALSE(form->ScrollBar2->isEnabled());
    ZoomTo({3, 1}); // 1800 x 1200 in a view of 1166 x 615
    EXPECT_TRUE(form->ScrollBar1->isEnabled());
    EXPECT_TRUE(form->ScrollBar2->isEnabled());
    ZoomTo({2, 1}); // 1200 x 800: wider than the view by 34, taller by 185
    EXPECT_TRUE(form->ScrollBar2->isEnabled());
    form->View->FitToWindowItemClick(form->View->FitToWindowItem);
    EXPECT_FALSE(form->ScrollBar1->isEnabled());
    EXPECT_FALSE(form->ScrollBar2->isEnabled());
    ResizeClient(500, 400);
    EXPECT_FALSE(form->ScrollBar1->isEnabled())
        << "Fit follows the window: still nothing to scroll";
    form->View->ActualPixelsItemClick(form->View->ActualPixelsItem);
    EXPECT_TRUE(form->ScrollBar1->isEnabled());
}

TEST_F(View, TheScaleShowsWholeAtAnyWidth) {
    Open(WritePicture("p.png", TestPicture(600, 400)));
    for (const int width : {1200, 1010, 1009, 919, 700, 400}) {
        SCOPED_TRACE(width);
        ResizeClient(width, 600);
        const QRect label = form->View->ScaleLabel->geometry();
        EXPECT_TRUE(form->rect().contains(label)) << "inside the window";
        EXPECT_TRUE(form->View->ScaleLabel->isVisible() || !form->isVisible());
        const bool inStrip = label.top() < 128;
        if (inStrip)
            EXPECT_EQ(label.topLeft(), QPoint(920, 91)) << "beside the grid group";
        else
            EXPECT_LE(label.right(), ViewWidth) << "in the view's corner, clear of the scroll bar";
    }
}

TEST_F(View, ScrollRangesAndTheWheelUseTheShownSize) {
    Open(WritePicture("p.png", TestPicture(1200, 900)));
    ZoomTo({2, 1});
    EXPECT_EQ(form->Image1->size(), QSize(2400, 1800));
    EXPECT_EQ(form->ScrollBar1->Maximum(), 1800 - ViewHeight);
    EXPECT_EQ(form->ScrollBar2->Maximum(), 2400 - ViewWidth);
    ResizeClient(1200, 800); // from the top, as every resize starts
    bool handled = false;
    form->Image1MouseWheel(form->Image1, Qt::NoModifier, -120, handled);
    EXPECT_EQ(PictureInWindow().top(), 128 - 20) << "20 screen pixels a turn at any scale";
    form->View->FitToWindowItemClick(form->View->FitToWindowItem);
    EXPECT_EQ(form->ScrollBar1->Maximum(), 1);
    const QRect fitted = PictureInWindow();
    form->Image1MouseWheel(form->Image1, Qt::NoModifier, -120, handled);
    EXPECT_EQ(PictureInWindow(), fitted) << "nothing to scroll";
}

TEST_F(View, APickAtAnyScaleRecoloursTheToneUnderThePointer) {
    // Vertical bands of four tones, each 7 pixels wide, so neighbours differ.
    QImage bands(280, 210, QImage::Format_RGB32);
    for (int x = 0; x < bands.width(); ++x)
        for (int y = 0; y < bands.height(); ++y)
            bands.setPixel(x, y, qRgb(0, (x / 7 % 4) * 80, 0));
    Open(WritePicture("bands.png", bands));
    for (const ViewScale scale : {ViewScale{1, 4}, {1, 3}, {3, 1}, {8, 1}}) {
        SCOPED_TRACE(scale.PercentText().toStdString());
        Open(WritePicture("bands.png", bands));
        ZoomTo(scale);
        const QPointF pointer(scale.Shown * 101.0 / scale.Image + 0.4,
                              scale.Shown * 57.0 / scale.Image + 0.4);
        const int x = scale.ImagePosition(pointer.x());
        const int y = scale.ImagePosition(pointer.y());
        TBitmapData map;
        ASSERT_TRUE(form->Image1->Bitmap().Map(TMapAccess::Read, map));
        const TAlphaColor tone = GetPixel(map, x, y);
        form->Image1->Bitmap().Unmap(map);
        form->ComboColorBox1->SetColor(Red);
        form->Button3->SetPressed(true);
        form->Image1MouseMove(form->Image1, Qt::NoModifier, pointer);
        form->Image1Click(form->Image1);
        EXPECT_EQ(PickedColour, tone);
        ASSERT_TRUE(form->Image1->Bitmap().Map(TMapAccess::Read, map));
        EXPECT_EQ(GetPixel(map, x, y), Red);
        form->Image1->Bitmap().Unmap(map);
    }
}

TEST_F(View, ReducedViewsAreAveragedAndEnlargedViewsAreSharpSquares) {
    QImage checks(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            checks.setPixel(x, y, (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
    Open(WritePicture("checks.png", checks));
    form->Image1->Bitmap().Assign(SourceBitmap); // show the checks themselves
    ZoomTo({1, 2});
    const QImage half = Painted();
    ASSERT_EQ(half.size(), QSize(32, 24));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(half.pixel(x, y), 0xFF808080u) << x << "," << y;
    ZoomTo({3, 1});
    const QImage tripled = Painted();
    ASSERT_EQ(tripled.size(), QSize(192, 144));
    for (int y = 0; y < 144; ++y)
        for (int x = 0; x < 192; ++x)
            ASSERT_EQ(tripled.pixel(x, y), checks.pixel(x / 3, y / 3)) << x << "," << y;
}

// A grid's one-pixel lines would average away in a reduced view: there they show one screen pixel
// wide in the grid's colour, as long as the picture holds them, and the picture keeps its pixels.
TEST_F(View, GridLinesShowInReducedViewsWhileThePictureHoldsThem) {
    constexpr TAlphaColor claRed = 0xFFFF0000u;
    Open(WritePicture("p.png", TestPicture(1500, 1200)));
    form->ComboColorBox2->SetColor(claRed);
    form->NumberBox1->SetValue(200);
    ZoomTo({1, 3});
    const auto columnsAndRowsInRed = [this] {
        const QImage shown = Painted();
        EXPECT_EQ(shown.size(), QSize(500, 400));
        std::vector<int> columns, rows;
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, 0) == 0xFFFF0000u &&
                shown.pixel(x, shown.height() - 1) == 0xFFFF0000u)
                columns.push_back(x);
        for (int y = 0; y < shown.height(); ++y)
            if (shown.pixel(0, y) == 0xFFFF0000u &&
                shown.pixel(shown.width() - 1, y) == 0xFFFF0000u)
                rows.push_back(y);
        return std::pair{columns, rows};
    };
    using Lines = std::pair<std::vector<int>, std::vector<int>>;
    EXPECT_EQ(columnsAndRowsInRed(), Lines()) << "no grid yet";

    TBitmap before;
    before.Assign(form->Image1->Bitmap());
    form->Button6Click(form->Button6);
    // Image columns and rows 199, 399, ... at a third: the screen pixels that hold them.
    const Lines grid{{66, 133, 199, 266, 333, 399, 466}, {66, 133, 199, 266, 333, 399}};
    EXPECT_EQ(columnsAndRowsInRed(), grid);
    int red = 0;
    for (const auto& row : PixelsOf(form->Image1->Bitmap()))
        red += int(std::count(row.begin(), row.end(), claRed));
    EXPECT_EQ(red, 7 * 1200 + 6 * 1500 - 7 * 6) << "the picture holds the one-pixel grid alone";

    form->Button8Click(form->Button8);
    EXPECT_EQ(columnsAndRowsInRed(), Lines()) << "the grid's Undo takes its lines away";
    EXPECT_TRUE(SameBitmap(before, form->Image1->Bitmap()));

    form->Button6Click(form->Button6);
    // A recolour keeps the grid, and its Undo brings the picture with the grid back.
    PickX = 100;
    PickY = 100;
    PressColorize();
    form->Image1Click(form->Image1);
    form->Button7Click(form->Button7);
    EXPECT_EQ(columnsAndRowsInRed(), grid);
    form->Edit2->SetText(QStringLiteral("5"));
    EXPECT_EQ(columnsAndRowsInRed(), Lines()) << "a picture posterized again has no grid";
    form->Button6Click(form->Button6);
    form->Button2Click(form->Button2);
    EXPECT_EQ(columnsAndRowsInRed(), Lines()) << "nor one Oilify made";
}

TEST_F(View, CtrlWheelZoomsKeepingThePointUnderThePointer) {
    Open(WritePicture("p.png", TestPicture(1600, 1200)));
    const QPointF pointer(300, 200); // in the picture control
    const QPointF inWindow = form->Image1->mapTo(form, pointer);
    const QPointF imagePoint = pointer / form->Image1->Scale().Factor();
    QWheelEvent wheel(pointer, form->Image1->mapToGlobal(pointer), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->Image1, &wheel);
    EXPECT_EQ(form->View->ScaleLabel->text(), "200 %");
    const QPointF after = form->Image1->mapFrom(form, inWindow) / form->Image1->Scale().Factor();
    EXPECT_NEAR(after.x(), imagePoint.x(), 1.0);
    EXPECT_NEAR(after.y(), imagePoint.y(), 1.0);
}

TEST_F(View, ShowOriginalChangesNoStateAndTheStudyReturns) {
    const QImage picture = TestPicture(320, 240);
    Open(WritePicture("p.png", picture));
    ZoomTo({1, 1});
    const QImage study = Painted();
    const QString caption = form->windowTitle();
    const std::vector<QImage> bitmaps = {
        SourceBitmap.ImageView().copy(), GreyBitmap.ImageView().copy(),
        PosterBitmap.ImageView().copy(), form->Image1->Bitmap().ImageView().copy()};
    ShowActive();
    form->Button4->setFocus();
    QTest::keyPress(form->Button4, Qt::Key_Backslash);
    EXPECT_EQ(Painted(), picture.convertToFormat(QImage::Format_RGB32)) << "the original";
    EXPECT_TRUE(form->View->ShowOriginalItem->isChecked());
    QTest::keyRelease(form->Button4, Qt::Key_Backslash);
    EXPECT_EQ(Painted(), study);
    EXPECT_FALSE(form->View->ShowOriginalItem->isChecked());

    form->View->ShowOriginalItem->trigger(); // the menu toggles the same view
    EXPECT_EQ(Painted(), picture.convertToFormat(QImage::Format_RGB32));
    form->View->ShowOriginalItem->trigger();
    EXPECT_EQ(Painted(), study);

    const TBitmap* after[] = {&SourceBitmap, &GreyBitmap, &PosterBitmap, &form->Image1->Bitmap()};
    for (std::size_t i = 0; i < bitmaps.size(); ++i)
        EXPECT_EQ(after[i]->ImageView(), bitmaps[i]) << i;
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_FALSE(form->Button7->isEnabled());
    EXPECT_FALSE(form->Button8->isEnabled());
}

TEST_F(View, AnEffectStartedWhileTheOriginalShowsEndsTheComparison) {
    Open(WritePicture("p.png", TestPicture(320, 240)));
    form->View->ShowOriginalItem->trigger();
    form->Button1Click(form->Button1);
    EXPECT_FALSE(form->Image1->IsComparing());
    EXPECT_FALSE(form->View->ShowOriginalItem->isChecked());
}

TEST_F(View, TheBackslashIsTypedInATextFieldNotTaken) {
    Open(WritePicture("p.png", TestPicture(320, 240)));
    ShowActive();
    form->NumberBox1->setFocus();
    QTest::keyPress(form->NumberBox1, Qt::Key_Backslash);
    EXPECT_FALSE(form->Image1->IsComparing());
    QTest::keyRelease(form->NumberBox1, Qt::Key_Backslash);
}

TEST_F(View, SavingAfterZoomingWritesTheFullResolutionPicture) {
    Open(WritePicture("p.png", TestPicture(900, 600)));
    ZoomTo({1, 4});
    const QString name = folder.filePath("study.jpg");
    desktop.saveAnswers.push_back(name);
    form->Button5Click(form->Button5);
    EXPECT_EQ(QImage(name).size(), QSize(900, 600));
}

TEST_F(View, TheKeysRunTheViewItems) {
    Open(WritePicture("p.png", TestPicture(1600, 1200)));
    ShowActive();
    form->Button4->setFocus();
    struct Case {
        QKeyCombination keys;
        const char* label;
    };
    for (const Case& c :
         {Case{Qt::CTRL | Qt::Key_0, "Fit"}, Case{Qt::CTRL | Qt::Key_1, "100 %"},
          Case{Qt::CTRL | Qt::Key_Equal, "200 %"}, Case{Qt::CTRL | Qt::Key_Minus, "100 %"},
          Case{Qt::CTRL | Qt::SHIFT | Qt::Key_Plus, "200 %"}}) {
        SCOPED_TRACE(c.label);
        QTest::keyClick(form->Button4, c.keys.key(), c.keys.keyboardModifiers());
        EXPECT_TRUE(form->View->ScaleLabel->text().startsWith(c.label));
    }
}

TEST(ViewZoom, FitAndTheStepsAroundIt) {
    struct Case {
        QSize picture, view;
        ViewScale fit;
        const char* text;
        ViewScale in, out;
    };
    const Case cases[] = {
        {{6000, 4000}, {1886, 855}, {855, 4000}, "Fit 21.4 %", {1, 4}, {1, 6}},
        {{300, 200}, {1886, 855}, {1, 1}, "Fit 100 %", {2, 1}, {2, 3}},
        {{1200, 800}, {600, 1000}, {1, 2}, "Fit 50 %", {2, 3}, {1, 3}},
        {{6000, 4000}, {50, 40}, {1, 64}, "Fit 1.56 %", {1, 16}, {1, 64}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ViewZoom zoom;
        EXPECT_TRUE((zoom.ScaleFor(c.picture, c.view) == ViewScale{1, 1})) << "a run starts at 1:1";
        zoom.FitToWindow();
        EXPECT_TRUE(zoom.ScaleFor(c.picture, c.view) == c.fit);
        EXPECT_EQ(zoom.Text(c.picture, c.view), c.text);
        ViewZoom in = zoom;
        EXPECT_TRUE(in.ZoomIn(c.picture, c.view));
        EXPECT_TRUE(in.ScaleFor(c.picture, c.view) == c.in);
        ViewZoom out = zoom;
        const bool smaller = out.ZoomOut(c.picture, c.view);
        EXPECT_EQ(smaller, !(c.out == c.fit));
        if (smaller) {
            EXPECT_TRUE(out.ScaleFor(c.picture, c.view) == c.out);
        }
    }
    ViewZoom largest;
    while (largest.ZoomIn({10, 10}, {100, 100})) {
    }
    EXPECT_TRUE((largest.ScaleFor({10, 10}, {100, 100}) == ViewScale{16, 1}));
}

} // namespace
