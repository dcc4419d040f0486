// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "ViewScale.h"

#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

// A picture control: shows its bitmap scaled to fit its bounds with the proportions kept (one
// screen pixel per image pixel when sized to the bitmap), and repaints whenever the bitmap
// announces a change. OnClick runs on a left-button release over it.
//
// With a view scale other than 1:1 it shows the bitmap at that scale from its top-left corner
// (sized to the shown size by its owner): reduced views area-averaged from a copy made once per
// change of the picture or the scale, enlarged views with each image pixel a sharp square.
class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent = nullptr);

    TBitmap& Bitmap() { return bitmap_; }
    // Shows a fixed picture instead of the bitmap (a logo).
    void SetPicture(const QImage& picture);

    ViewScale Scale() const { return scale_; }
    void SetScale(ViewScale scale);

    // Shows another bitmap of the same size in place of the own one, for comparison, until
    // ShowOwn or the own bitmap changes; OnComparisonEnded then runs.
    void ShowInstead(const TBitmap& other);
    void ShowOwn();
    bool IsComparing() const { return instead_ != nullptr; }

    // Display only, for pointing at a tone: while set, every painted pixel of the own bitmap
    // that is not exactly `colour` is shown faded, at any scale (in a reduced view: every
    // averaged pixel not exactly that colour, so a tone's edges fade too). No bitmap changes.
    void SetHighlight(std::optional<TAlphaColor> colour);
    std::optional<TAlphaColor> Highlight() const { return highlight_; }

    // What was drawn over the picture in the own bitmap (grids, names, the key's stamp), as its
    // owner reports it: added to as it is drawn, cleared when the picture is made anew, kept
    // aside with an Undo snapshot of the bitmap and put back by that Undo. No bitmap changes.
    //
    // A grid's lines one pixel wide would average away in a reduced view: there every column and
    // row spacing - 1, 2 * spacing - 1, ... of a grid is drawn one screen pixel wide wherever the
    // bitmap's pixel on it is exactly the grid's colour, as the full-size view shows it.
    struct Overlay {
        struct Grid {
            int spacing;
            TAlphaColor colour;
        };
        std::vector<Grid> grids;
        std::vector<QRect> areas; // covered whole: the key's stamp, the cells' names
    };
    const Overlay& Drawn() const { return overlay_; }
    void AddGrid(int spacing, TAlphaColor colour);
    void AddCoveredAreas(const std::vector<QRect>& areas);
    void ClearOverlay();
    void KeepOverlayAside();
    void RestoreOverlayKeptAside();

    std::function<void()> OnClick;
    std::function<void(Qt::KeyboardModifiers, QPointF)> OnMouseMove;
    std::function<void(Qt::KeyboardModifiers, int wheelDelta, bool& handled)> OnMouseWheel;
    // The wheel turned with Ctrl held: +1 away from the user, -1 toward; the pointer's position.
    std::function<void(int steps, QPointF)> OnZoomWheel;
    std::function<void()> OnComparisonEnded;
    // The own bitmap announced a change of its pixels or size.
    std::function<void()> OnPictureChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const TBitmap& Showing() const { return instead_ ? *instead_ : bitmap_; }
    // The reduced view of what is showing, made again only when it or the scale changed.
    const QImage& Reduced();
    void PaintAtScale(QPainter& painter, const QRect& exposed);
    // Draws the `source` part of `image` into `target`, faded but for the highlighted colour
    // where one is set and the own bitmap shows.
    void DrawPart(QPainter& painter, const QRect& target, const QImage& image, const QRect& source);

    TBitmap bitmap_;
    QImage picture_;
    bool leftPressed_ = false;
    ViewScale scale_;
    const TBitmap* instead_ = nullptr;
    std::optional<TAlphaColor> highlight_;
    Overlay overlay_;
    Overlay overlayAside_;

    struct ReducedView {
        QImage image;
        const TBitmap* from = nullptr;
        std::uint64_t generation = 0;
        ViewScale scale;
    } reduced_;
};
