// SPDX-License-Identifier: MIT
// Layout on resize and scrolling the picture.
#include "Faqja0.h"
#include "IntText.h"
#include "PictureBox.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "TrackBar.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <algorithm>
#include <cmath>

namespace {

// Halving with the remainder dropped toward zero: half(-5) = -2.
int Half(int n) {
    return n / 2;
}

// The whole part of a scroll value, truncated toward zero. Values are held in thousandths, so no
// residue below 0.0001 can make a position near zero read as anything but 0.
int Whole(double value) {
    return int(std::trunc(value));
}

void SetWidth(QWidget* control, int width) {
    control->resize(std::max(width, 0), control->height());
}
void SetHeight(QWidget* control, int height) {
    control->resize(control->width(), std::max(height, 0));
}

} // namespace

// The window was resized: controls follow its width, the picture is sized, centred, and both
// scroll bars start again from 0 with new ranges.
void TForm1::FormResize(QObject*) {
    const int W = OuterWidth();
    const int H = OuterHeight();
    ImageAreaWidth = W - 33;
    SetWidth(GroupBox2, W - 464 - 23);
    SetWidth(TrackBar1, W - 624 - 33);
    SetWidth(Panel1, W);
    TrackBar1->SetValue(StrToInt(Edit2->Text()));
    // The view area this resize makes (ViewWidth and ViewHeight below): a fitted picture follows.
    UpdateViewScale(QSize(W - 34, H - 185));
    Image1->resize(ShownWidth(), ShownHeight());
    CentreImage();
    ViewHeight = H - 185;
    ViewWidth = W - 34;
    ScrollBar1->move(ViewWidth, ScrollBar1->y());
    SetHeight(ScrollBar1, ViewHeight);
    SetWidth(ScrollBar2, ViewWidth);
    ScrollBar2->move(ScrollBar2->x(), ViewHeight + 128);
    ScrollBar1->SetValue(0);
    ScrollBar2->SetValue(0);
    UpdateScrollRanges();
    PlaceScaleLabel();
}

// The scale at the right of the grid group where the window is wide enough to show it whole
// there, else in the view area's top right corner, over the picture.
void TForm1::PlaceScaleLabel() {
    constexpr QPoint besideTheGrid(920, 91);
    if (besideTheGrid.x() + ScaleLabel->width() <= width()) {
        ScaleLabel->move(besideTheGrid);
        ScaleLabel->setAutoFillBackground(false);
    } else {
        ScaleLabel->move(std::max(0, ViewWidth - ScaleLabel->width()), 128);
        ScaleLabel->setAutoFillBackground(true);
    }
    ScaleLabel->raise();
}

// The picture centred across the image area; its top stays.
void TForm1::CentreImage() {
    Image1->move(Half(ImageAreaWidth) - Half(ShownWidth()), Image1->y());
}

// Both scroll ranges fitted to the picture and the view; a wide picture shows its middle.
void TForm1::UpdateScrollRanges() {
    UpdateVerticalScrollRange();
    UpdateHorizontalScrollRange();
}

// At one screen pixel per image pixel, Fit not chosen, the bars stay as they always were; at Fit
// or another scale a bar that has nothing to scroll is disabled.
void TForm1::UpdateVerticalScrollRange() {
    const int height = ShownHeight();
    ScrollBar1->SetMaximum(height > ViewHeight ? height - ViewHeight : 1);
    ScrollBar1->setEnabled(AtActualPixels() || height > ViewHeight);
}

bool TForm1::AtActualPixels() const {
    return !zoom_.IsFit() && Image1->Scale().IsActual();
}

void TForm1::UpdateHorizontalScrollRange() {
    const int width = ShownWidth();
    ScrollBar2->setEnabled(AtActualPixels() || width > ViewWidth);
    if (width > ViewWidth) {
        ScrollBar2->SetMaximum(width - ViewWidth);
        ScrollBar2->SetValue(std::trunc(ScrollBar2->Maximum() * 0.5));
    } else {
        ScrollBar2->SetMaximum(1);
    }
}

// Vertical bar moved: the picture's top follows, from its resting row 128.
void TForm1::ScrollBar1Change(QObject*) {
    const int n = Whole(ScrollBar1->Value());
    if (ScrollBar1->Maximum() > 1)
        Image1->move(Image1->x(), 128 - n);
}

// Horizontal bar moved: the picture's left follows, from the window's left edge.
void TForm1::ScrollBar2Change(QObject*) {
    const int n = Whole(ScrollBar2->Value());
    if (ScrollBar2->Maximum() > 1)
        Image1->move(0 - n, Image1->y());
}

// Wheel turned over the picture: 20 pixels up or down through the vertical bar.
void TForm1::Image1MouseWheel(QObject*, Qt::KeyboardModifiers, int WheelDelta, bool&) {
    if (WheelDelta > 0)
        ScrollBar1->SetValue(ScrollBar1->Value() - 20);
    else if (WheelDelta < 0)
        ScrollBar1->SetValue(ScrollBar1->Value() + 20);
}
