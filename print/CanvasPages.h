// SPDX-License-Identifier: MIT
// The study printed at its size on the canvas: over as many pages as it needs, or fitted to one.
#pragma once

#include "Bitmap.h"
#include "CanvasPlan.h"

#include <QPageLayout>
#include <QRectF>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

// Neighbouring pages repeat this much of the picture, so the sheets can be laid over each other.
constexpr double PageOverlapMm = 10;

// The chosen paper with a margin all round for tape, turned the way that needs fewer pages for a
// picture of `pictureMm` (on a tie, and when fitted to one page, the canvas's way).
QPageLayout PaperLayout(const CanvasSettings& settings, QSizeF pictureMm);

// One page: which part of the picture it carries, in millimetres of the picture on the canvas.
struct PageTile {
    int row = 0;
    int column = 0;
    QRectF pictureMm;
};

struct PagePlan {
    int rows = 0;
    int columns = 0;
    bool fitted = false; // fitted to one page
    double scale = 1;    // printed size over size on the canvas: 1 unless fitted
    QRectF areaMm; // where a page's part of the picture goes, from the printable area's corner
    std::vector<PageTile> tiles; // row by row
};

// Pages for a picture of `pictureMm` on pages whose printable area is `printableMm`: a label
// band at the top and room for the corner marks around the picture are kept free.
PagePlan PlanPages(QSizeF pictureMm, QSizeF printableMm, bool fitToOnePage);

// A page's part of a picture, in the device's dots.
struct PagePiece {
    QRect pixels;         // the whole pixels of the picture covering the page's part
    QRectF pixelsOnPage;  // where they go, the parts beyond `piece` belonging to other pages
    QRectF piece;         // the page's part of the picture; the painter is clipped to it
    double dotsPerMm = 1; // of the device, not scaled to a fitted page
    // Where a point of the picture, in pixels from its top-left corner, goes on the page.
    QPointF OnPage(QPointF pixel) const {
        return pixelsOnPage.topLeft() + (pixel - QPointF(pixels.topLeft())) * DotsPerPixel();
    }
    double DotsPerPixel() const { return pixelsOnPage.width() / pixels.width(); }
};

// Paints a picture of `pictureSize` pixels, laid on the canvas as `plan` says, page by page on
// `device` with its current page layout: on each page `paintPiece` paints its part, then corner
// marks go at its corners and a label with the page's row and column and the cells it covers;
// `paintFirstBand`, where given, paints into the first page's label band right of its label
// (the rectangle in dots). False when the device cannot be painted on.
using PiecePainter = std::function<void(QPainter&, const PagePiece&)>;
using BandPainter = std::function<void(QPainter&, const QRectF&)>;
bool PaintPages(QPagedPaintDevice& device, QSize pictureSize, const CanvasPlan& plan,
                bool fitToOnePage, const PiecePainter& paintPiece,
                const BandPainter& paintFirstBand = {});

// The picture on the pages, each page's part unsmoothed and lossless.
bool PaintCanvasPages(QPagedPaintDevice& device, const QImage& picture, const CanvasPlan& plan,
                      bool fitToOnePage);

// A new PDF file at `path` on the paper of `settings` for a picture planned as `plan`, painted
// by `paint`. Never replaces a file (see WriteNewFile). Throws AppError as SaveBitmapAsPng, for a
// name not ending in .pdf too.
void WritePdf(const QString& path, const CanvasSettings& settings, const CanvasPlan& plan,
              const std::function<bool(QPagedPaintDevice&)>& paint);

// The shown picture as a new PDF file at the canvas size on the chosen paper. Never replaces a
// file (see WriteNewFile). Throws AppError as SaveBitmapAsPng, for a name not ending in .pdf too.
void WriteCanvasPdf(const TBitmap& shown, const CanvasSettings& settings, const QString& path);

// The picture's colour channels as the bitmap holds them, without copying; alpha is not printed,
// as a JPEG does not store it.
QImage PrintView(const TBitmap& shown);
