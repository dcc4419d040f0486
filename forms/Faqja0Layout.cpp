// SPDX-License-Identifier: MIT
// Layout on resize and scrolling the picture.
#include "Faqja0.h"
#include "IntText.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "TrackBar.h"

#include <QFrame>
#include <QGroupBox>
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

// The picture's size on screen: the opened image at the picture control's scale.
int ShownWidth(const PictureBox& picture) {
    return picture.Scale().ShownLength(SourceBitmap.Width());
}
int ShownHeight(const PictureBox& picture) {
    return picture.Scale().ShownLength(SourceBitmap.Height());
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
    // The view area and its bars first, then the picture laid out in them: sizing the picture
    // reads none of these, so the result is the same as sizing it first.
    ViewHeight = H - 185;
    ViewWidth = W - 34;
    ScrollBar1->move(ViewWidth, ScrollBar1->y());
    SetHeight(ScrollBar1, ViewHeight);
    SetWidth(ScrollBar2, ViewWidth);
    ScrollBar2->move(ScrollBar2->x(), ViewHeight + 128);
    LayOutPicture(ScrollStart::FromZero);
    View->PlaceScaleLabel();
}

void TForm1::LayOutPicture(ScrollStart start) {
    View->UpdateScale(QSize(ViewWidth, ViewHeight));
    Image1->resize(ShownWidth(*Image1), ShownHeight(*Image1));
    CentreImage();
    if (start == ScrollStart::FromZero) {
        // Each bar still has its old range here: the horizontal one, if it had scrolled the
        // picture, moves it to the window's left edge.
        ScrollBar1->SetValue(0);
        ScrollBar2->SetValue(0);
    }
    UpdateScrollRanges();
    // A picture that fits the view's width stays at that edge at 1:1, as the window always laid
    // it out; at any other scale (Fit included) it is centred, as CentreImage centres it.
    if (!View->AtActualPixels() && ShownWidth(*Image1) <= ViewWidth)
        CentreImage();
}

// The picture centred across the image area; its top stays.
void TForm1::CentreImage() {
    Image1->move(Half(ImageAreaWidth) - Half(ShownWidth(*Image1)), Image1->y());
}

// Both scroll ranges fitted to the picture and the view; a wide picture shows its middle. At
// one screen pixel per image pixel the bars stay enabled as they always were; at Fit or another
// scale a bar that has nothing to scroll is disabled.
void TForm1::UpdateScrollRanges() {
    const int height = ShownHeight(*Image1);
    ScrollBar1->SetMaximum(height > ViewHeight ? height - ViewHeight : 1);
    ScrollBar1->setEnabled(View->AtActualPixels() || height > ViewHeight);
    const int width = ShownWidth(*Image1);
    ScrollBar2->setEnabled(View->AtActualPixels() || width > ViewWidth);
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
