// SPDX-License-Identifier: MIT
// The View menu of the main window: the picture's scale on screen and the original shown for
// comparison. Only the display changes; every bitmap keeps its full-resolution pixels.
#pragma once

#include "ViewZoom.h"

#include <QObject>
#include <QPointF>
#include <QSize>

class QAction;
class QLabel;
class QMenu;
class TForm1;
class WindowShortcuts;

class PictureView : public QObject {
public:
    // Adds the View menu to the window's menu bar, the scale label to its strip and the View
    // keys to its shortcuts.
    PictureView(TForm1& window, WindowShortcuts& keys);

    QMenu* Menu;               // "View" menu
    QAction* FitToWindowItem;  // "Fit to Window" (Ctrl+0)
    QAction* ActualPixelsItem; // "Actual Pixels" (Ctrl+1)
    QAction* ZoomInItem;       // "Zoom In" (Ctrl++, Ctrl+=)
    QAction* ZoomOutItem;      // "Zoom Out" (Ctrl+-)
    QAction* ShowOriginalItem; // "Show Original" (or hold the backslash key)
    QLabel* ScaleLabel;        // the picture's scale: "100 %", "Fit 25 %"

    void FitToWindowItemClick(QObject* Sender);
    void ActualPixelsItemClick(QObject* Sender);
    void ZoomInItemClick(QObject* Sender);
    void ZoomOutItemClick(QObject* Sender);
    void ShowOriginalItemClick(QObject* Sender);

    // Gives the picture the zoom's scale for a view area (Fit follows the area) and shows it.
    void UpdateScale(QSize viewArea);
    // One screen pixel per image pixel, as the window starts: the layout of the plain window.
    bool AtActualPixels() const { return zoom_.IsActualPixels(); }
    // A new picture is about to be laid out: it shows whole where Fit was chosen, else at one
    // screen pixel per image pixel from the top and the left, as at the start of a run.
    void StartNewPicture();
    // The scale label at the right of the grid group where the window is wide enough to show it
    // whole there, else in the view area's top right corner, over the picture.
    void PlaceScaleLabel();

private:
    void WireEvents();
    void AddKeys(WindowShortcuts& keys);
    // Lays the picture out at the zoom's scale, keeping the image point under `anchor` (a
    // position in the window) under it where the scroll ranges allow.
    void ApplyZoom(QPointF anchor);
    QPointF ViewCentre() const;
    void ZoomAt(int steps, QPointF anchor);
    void ShowOriginal(bool show);

    TForm1& window_;
    ViewZoom zoom_;
};
