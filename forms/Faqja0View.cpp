// SPDX-License-Identifier: MIT
// The View menu: the picture's scale on screen and the original shown for comparison. Only the
// display changes; every bitmap keeps its full-resolution pixels.
#include "Faqja0.h"
#include "PictureBox.h"
#include "RealScrollBar.h"

#include <QAction>
#include <QLabel>

int TForm1::ShownWidth() const {
    return Image1->Scale().ShownLength(SourceBitmap.Width());
}

int TForm1::ShownHeight() const {
    return Image1->Scale().ShownLength(SourceBitmap.Height());
}

void TForm1::UpdateViewScale(QSize viewArea) {
    const QSize picture(SourceBitmap.Width(), SourceBitmap.Height());
    Image1->SetScale(zoom_.ScaleFor(picture, viewArea));
    ScaleLabel->setText(zoom_.Text(picture, viewArea));
}

QPointF TForm1::ViewCentre() const {
    return {ViewWidth / 2.0, 128 + ViewHeight / 2.0};
}

void TForm1::ApplyZoom(QPointF anchor) {
    const QPointF imagePoint = (anchor - QPointF(Image1->pos())) / Image1->Scale().Factor();
    // As a resize lays the picture out, with the new shown size.
    UpdateViewScale(QSize(ViewWidth, ViewHeight));
    Image1->resize(ShownWidth(), ShownHeight());
    CentreImage();
    ScrollBar1->SetValue(0);
    ScrollBar2->SetValue(0);
    UpdateScrollRanges();
    // Then scrolled so that the anchored point is under the anchor again: the picture's top is
    // 128 - n and its left -n for the bars' values n.
    const QPointF shownPoint = imagePoint * Image1->Scale().Factor();
    ScrollBar1->SetValue(128 - (anchor.y() - shownPoint.y()));
    ScrollBar2->SetValue(shownPoint.x() - anchor.x());
    // Setting the bars to 0 moved the picture to the left edge while the old range still let it
    // scroll; one that now fits across is centred, as the layout places it.
    if (ShownWidth() <= ViewWidth)
        CentreImage();
}

void TForm1::ZoomAt(int steps, QPointF anchor) {
    const QSize picture(SourceBitmap.Width(), SourceBitmap.Height());
    const QSize view(ViewWidth, ViewHeight);
    const bool changed = steps > 0 ? zoom_.ZoomIn(picture, view) : zoom_.ZoomOut(picture, view);
    if (changed)
        ApplyZoom(anchor);
}

// "Fit to Window" chosen: the whole picture in the view area, never enlarged; it follows the
// window's size and every picture opened.
void TForm1::FitToWindowItemClick(QObject*) {
    zoom_.FitToWindow();
    ApplyZoom(ViewCentre());
}

// "Actual Pixels" chosen: one screen pixel per image pixel.
void TForm1::ActualPixelsItemClick(QObject*) {
    zoom_.ActualPixels();
    ApplyZoom(ViewCentre());
}

// "Zoom In" chosen: the next larger step, keeping the middle of the view in place.
void TForm1::ZoomInItemClick(QObject*) {
    ZoomAt(1, ViewCentre());
}

// "Zoom Out" chosen: the next smaller step, keeping the middle of the view in place.
void TForm1::ZoomOutItemClick(QObject*) {
    ZoomAt(-1, ViewCentre());
}

// "Show Original" toggled: the opened picture in colour, or the study again.
void TForm1::ShowOriginalItemClick(QObject*) {
    ShowOriginal(ShowOriginalItem->isChecked());
}

void TForm1::ShowOriginal(bool show) {
    if (show && !SourceBitmap.IsEmpty())
        Image1->ShowInstead(SourceBitmap);
    else
        Image1->ShowOwn();
    ShowOriginalItem->setChecked(Image1->IsComparing());
}
