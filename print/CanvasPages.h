// SPDX-License-Identifier: MIT
// The study printed at its size on the canvas: over as many pages as it needs, or fitted to one.
#pragma once

#include "Bitmap.h"
#include "CanvasPlan.h"

#include <QPageLayout>
#include <QRectF>
#include <vector>

class QPagedPaintDevice;

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

// Paints `picture`, laid on the canvas as `plan` says, page by page on `device` with its current
// page layout: each page's part of the picture unsmoothed and lossless, corner marks at its
// corners and a label with the page's row and column and the cells it covers. False when the
// device cannot be painted on.
bool PaintCanvasPages(QPagedPaintDevice& device, const QImage& picture, const CanvasPlan& plan,
                      bool fitToOnePage);

// The shown picture as a new PDF file at the canvas size on the chosen paper. Never replaces a
// file (see WriteNewFile). Throws AppError as SaveBitmapAsPng, for a name not ending in .pdf too.
void WriteCanvasPdf(const TBitmap& shown, const CanvasSettings& settings, const QString& path);

// The picture's colour channels as the bitmap holds them, without copying; alpha is not printed,
// as a JPEG does not store it.
QImage PrintView(const TBitmap& shown);
