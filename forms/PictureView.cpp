// SPDX-License-Identifier: MIT
#include "PictureView.h"
#include "EventBoundary.h"
#include "Faqja0.h"
#include "PictureBox.h"
#include "Placement.h"
#include "RealScrollBar.h"
#include "WindowShortcuts.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

PictureView::PictureView(TForm1& window, WindowShortcuts& keys)
    : QObject(&window), window_(window) {
    // The keys are the window's own (WindowShortcuts); the menu only names them.
    Menu = window.MenuBar1->addMenu(QStringLiteral("View"));
    FitToWindowItem = Menu->addAction(QStringLiteral("Fit to Window\tCtrl+0"));
    ActualPixelsItem = Menu->addAction(QStringLiteral("Actual Pixels\tCtrl+1"));
    ZoomInItem = Menu->addAction(QStringLiteral("Zoom In\tCtrl++"));
    ZoomOutItem = Menu->addAction(QStringLiteral("Zoom Out\tCtrl+-"));
    Menu->addSeparator();
    ShowOriginalItem = Menu->addAction(QStringLiteral("Show Original\t\\"));
    ShowOriginalItem->setCheckable(true);

    // Right of the grid group, in the strip's second row.
    ScaleLabel = Place(new QLabel(QStringLiteral("100 %"), &window), 920, 91, 90, 17);

    WireEvents();
    AddKeys(keys);
}

// The menu's items behind the event boundary, as the window's own controls; Ctrl+wheel over the
// picture zooms at the pointer.
void PictureView::WireEvents() {
    const auto on = [this](QAction* item, void (PictureView::*handler)(QObject*)) {
        OnTriggered(item, this, *this, handler);
    };
    on(FitToWindowItem, &PictureView::FitToWindowItemClick);   // "Fit to Window"
    on(ActualPixelsItem, &PictureView::ActualPixelsItemClick); // "Actual Pixels"
    on(ZoomInItem, &PictureView::ZoomInItemClick);             // "Zoom In"
    on(ZoomOutItem, &PictureView::ZoomOutItemClick);           // "Zoom Out"
    on(ShowOriginalItem, &PictureView::ShowOriginalItemClick); // "Show Original"
    PictureBox* picture = window_.Image1;
    picture->OnZoomWheel = [this, picture](int steps, QPointF at) {
        ZoomAt(steps, picture->mapTo(&window_, at));
    };
    picture->OnComparisonEnded = [this] { ShowOriginalItem->setChecked(false); };
}

// The View menu's keys run its items; holding the backslash key shows the original while it is
// held.
void PictureView::AddKeys(WindowShortcuts& keys) {
    keys.Add(Qt::CTRL | Qt::Key_0, [this] { FitToWindowItemClick(FitToWindowItem); });
    keys.Add(Qt::CTRL | Qt::Key_1, [this] { ActualPixelsItemClick(ActualPixelsItem); });
    // "+" is a shifted key on most layouts, and the keypad's needs no shift.
    for (const QKeyCombination zoomIn :
         {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::SHIFT | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal})
        keys.Add(zoomIn, [this] { ZoomInItemClick(ZoomInItem); });
    keys.Add(Qt::CTRL | Qt::Key_Minus, [this] { ZoomOutItemClick(ZoomOutItem); });
    keys.AddHeld(Qt::Key_Backslash, [this](bool held) { ShowOriginal(held); });
}

void PictureView::UpdateScale(QSize viewArea) {
    const QSize picture(SourceBitmap.Width(), SourceBitmap.Height());
    window_.Image1->SetScale(zoom_.ScaleFor(picture, viewArea));
    ScaleLabel->setText(zoom_.Text(picture, viewArea));
}

void PictureView::StartNewPicture() {
    if (zoom_.IsFit() || zoom_.IsActualPixels())
        return;
    zoom_.ActualPixels();
    window_.ScrollBar1->SetValue(0);
    window_.ScrollBar2->SetValue(0);
}

void PictureView::PlaceScaleLabel() {
    constexpr QPoint besideTheGrid(920, 91);
    if (besideTheGrid.x() + ScaleLabel->width() <= window_.width()) {
        ScaleLabel->move(besideTheGrid);
        ScaleLabel->setAutoFillBackground(false);
    } else {
        ScaleLabel->move(std::max(0, ViewWidth - ScaleLabel->width()), 128);
        ScaleLabel->setAutoFillBackground(true);
    }
    ScaleLabel->raise();
}

QPointF PictureView::ViewCentre() const {
    return {ViewWidth / 2.0, 128 + ViewHeight / 2.0};
}

void PictureView::ApplyZoom(QPointF anchor) {
    PictureBox* picture = window_.Image1;
    const QPointF imagePoint = (anchor - QPointF(picture->pos())) / picture->Scale().Factor();
    window_.LayOutPicture(ScrollStart::FromZero);
    // Then scrolled so that the anchored point is under the anchor again: the picture's top is
    // 128 - n and its left -n for the bars' values n.
    const QPointF shownPoint = imagePoint * picture->Scale().Factor();
    window_.ScrollBar1->SetValue(128 - (anchor.y() - shownPoint.y()));
    window_.ScrollBar2->SetValue(shownPoint.x() - anchor.x());
    // Setting the bars to 0 moved the picture to the left edge while the old range still let it
    // scroll; one that now fits across is centred, at 1:1 too.
    if (picture->width() <= ViewWidth)
        window_.CentreImage();
}

void PictureView::ZoomAt(int steps, QPointF anchor) {
    const QSize picture(SourceBitmap.Width(), SourceBitmap.Height());
    const QSize view(ViewWidth, ViewHeight);
    const bool changed = steps > 0 ? zoom_.ZoomIn(picture, view) : zoom_.ZoomOut(picture, view);
    if (changed)
        ApplyZoom(anchor);
}

// "Fit to Window" chosen: the whole picture in the view area, never enlarged; it follows the
// window's size and every picture opened.
void PictureView::FitToWindowItemClick(QObject*) {
    zoom_.FitToWindow();
    ApplyZoom(ViewCentre());
}

// "Actual Pixels" chosen: one screen pixel per image pixel.
void PictureView::ActualPixelsItemClick(QObject*) {
    zoom_.ActualPixels();
    ApplyZoom(ViewCentre());
}

// "Zoom In" chosen: the next larger step, keeping the middle of the view in place.
void PictureView::ZoomInItemClick(QObject*) {
    ZoomAt(1, ViewCentre());
}

// "Zoom Out" chosen: the next smaller step, keeping the middle of the view in place.
void PictureView::ZoomOutItemClick(QObject*) {
    ZoomAt(-1, ViewCentre());
}

// "Show Original" toggled: the opened picture in colour, or the study again.
void PictureView::ShowOriginalItemClick(QObject*) {
    ShowOriginal(ShowOriginalItem->isChecked());
}

void PictureView::ShowOriginal(bool show) {
    PictureBox* picture = window_.Image1;
    if (show && !SourceBitmap.IsEmpty())
        picture->ShowInstead(SourceBitmap);
    else
        picture->ShowOwn();
    ShowOriginalItem->setChecked(picture->IsComparing());
}
