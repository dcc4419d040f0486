// SPDX-License-Identifier: MIT
#include "CanvasPages.h"

#include "AppError.h"
#include "NewFile.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double MarginMm = 10;    // paper left free for tape
constexpr double LabelBandMm = 8;  // above the picture: the page's label
constexpr double MarkGutterMm = 4; // around the picture: the corner marks
constexpr double MarkGapMm = 1;    // between the picture's corner and its mark
constexpr double MarkLengthMm = 3; //
constexpr double MarkPenMm = 0.2;  //

QPageSize::PageSizeId PageSizeOf(Paper paper) {
    switch (paper) {
    case Paper::A4:
        return QPageSize::A4;
    case Paper::A3:
        return QPageSize::A3;
    case Paper::Letter:
        return QPageSize::Letter;
    case Paper::Legal:
        return QPageSize::Legal;
    case Paper::Tabloid:
        return QPageSize::Tabloid;
    }
    return QPageSize::A4;
}

// Pieces of `length` on pages holding `room` each, neighbours sharing PageOverlapMm.
int PiecesAlong(double length, double room) {
    if (length <= room || room <= PageOverlapMm)
        return 1;
    return int(std::ceil((length - PageOverlapMm) / (room - PageOverlapMm) - 1e-9));
}

QString PageLabel(const PagePlan& pages, const PageTile& tile, int firstColumn, int firstRow,
                  int lastColumn, int lastRow) {
    const QString cells = QStringLiteral("cells %1 to %2")
                              .arg(CellName(firstColumn, firstRow), CellName(lastColumn, lastRow));
    if (pages.fitted)
        return QStringLiteral("Fitted to one page at %1 % of the canvas size, %2")
            .arg(QString::number(pages.scale * 100, 'f', 1), cells);
    return QStringLiteral("Row %1 of %2, column %3 of %4, %5")
        .arg(tile.row + 1)
        .arg(pages.rows)
        .arg(tile.column + 1)
        .arg(pages.columns)
        .arg(cells);
}

// L-shaped marks just outside each corner of `rect`, along its edges.
void DrawCornerMarks(QPainter& painter, const QRectF& rect, double dotsPerMm) {
    const double gap = MarkGapMm * dotsPerMm;
    const double length = MarkLengthMm * dotsPerMm;
    for (const QPointF corner :
         {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()}) {
        const double outX = corner.x() == rect.left() ? -1 : 1;
        const double outY = corner.y() == rect.top() ? -1 : 1;
        painter.drawLine(QPointF(corner.x() + outX * gap, corner.y()),
                         QPointF(corner.x() + outX * (gap + length), corner.y()));
        painter.drawLine(QPointF(corner.x(), corner.y() + outY * gap),
                         QPointF(corner.x(), corner.y() + outY * (gap + length)));
    }
}

} // namespace

QPageLayout PaperLayout(const CanvasSettings& settings, QSizeF pictureMm) {
    const auto turned = [&](QPageLayout::Orientation orientation) {
        return QPageLayout(QPageSize(PageSizeOf(settings.paper)), orientation,
                           QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                           QPageLayout::Millimeter);
    };
    const QPageLayout::Orientation canvasWay = settings.canvasWidthMm > settings.canvasHeightMm
                                                   ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait;
    if (settings.fitToOnePage)
        return turned(canvasWay);
    const auto pagesFor = [&](QPageLayout::Orientation orientation) {
        return PlanPages(pictureMm, turned(orientation).paintRect(QPageLayout::Millimeter).size(),
                         false)
            .tiles.size();
    };
    const std::size_t portrait = pagesFor(QPageLayout::Portrait);
    const std::size_t landscape = pagesFor(QPageLayout::Landscape);
    if (portrait == landscape)
        return turned(canvasWay);
    return turned(portrait < landscape ? QPageLayout::Portrait : QPageLayout::Landscape);
}

PagePlan PlanPages(QSizeF pictureMm, QSizeF printableMm, bool fitToOnePage) {
    PagePlan pages;
    pages.areaMm =
        QRectF(MarkGutterMm, LabelBandMm + MarkGutterMm, printableMm.width() - 2 * MarkGutterMm,
               printableMm.height() - LabelBandMm - 2 * MarkGutterMm);
    if (pictureMm.isEmpty() || pages.areaMm.isEmpty())
        return pages;
    if (fitToOnePage) {
        pages.fitted = true;
        pages.rows = pages.columns = 1;
        pages.scale = std::min(pages.areaMm.width() / pictureMm.width(),
                               pages.areaMm.height() / pictureMm.height());
        pages.tiles.push_back({0, 0, QRectF(QPointF(0, 0), pictureMm)});
        return pages;
    }
    pages.columns = PiecesAlong(pictureMm.width(), pages.areaMm.width());
    pages.rows = PiecesAlong(pictureMm.height(), pages.areaMm.height());
    const double stepX = pages.areaMm.width() - PageOverlapMm;
    const double stepY = pages.areaMm.height() - PageOverlapMm;
    for (int row = 0; row < pages.rows; ++row)
        for (int column = 0; column < pages.columns; ++column) {
            const double left = column * stepX;
            const double top = row * stepY;
            pages.tiles.push_back(
                {row, column,
                 QRectF(left, top, std::min(pages.areaMm.width(), pictureMm.width() - left),
                        std::min(pages.areaMm.height(), pictureMm.height() - top))});
        }
    return pages;
}

bool PaintPages(QPagedPaintDevice& device, QSize pictureSize, const CanvasPlan& plan,
                bool fitToOnePage, const PiecePainter& paintPiece,
                const BandPainter& paintFirstBand) {
    const QRectF printable = device.pageLayout().paintRect(QPageLayout::Millimeter);
    const PagePlan pages = PlanPages(QSizeF(plan.pictureWidthMm, plan.pictureHeightMm),
                                     printable.size(), fitToOnePage);
    if (pages.tiles.empty() || pictureSize.isEmpty())
        return false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double dotsPerMm = device.logicalDpiX() / 25.4;
    const auto onPage = [dotsPerMm](const QRectF& mm) {
        return QRectF(mm.topLeft() * dotsPerMm, mm.size() * dotsPerMm);
    };
    const double mmPerPixel = plan.pictureWidthMm / pictureSize.width();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8);
    for (const PageTile& tile : pages.tiles) {
        if (&tile != &pages.tiles.front() && !device.newPage())
            return false;
        // Whole pixels covering the tile, placed where they lie on the canvas; the clip trims the
        // parts of the edge pixels that belong to the neighbouring pages.
        const QRect pixels =
            QRect(QPoint(int(std::floor(tile.pictureMm.left() / mmPerPixel + 1e-9)),
                         int(std::floor(tile.pictureMm.top() / mmPerPixel + 1e-9))),
                  QPoint(int(std::ceil(tile.pictureMm.right() / mmPerPixel - 1e-9)) - 1,
                         int(std::ceil(tile.pictureMm.bottom() / mmPerPixel - 1e-9)) - 1))
                .intersected(QRect(QPoint(0, 0), pictureSize));
        const QRectF pieceMm(pages.areaMm.topLeft(), tile.pictureMm.size() * pages.scale);
        const QRectF pixelsMm(
            pages.areaMm.topLeft() +
                (QPointF(pixels.topLeft()) * mmPerPixel - tile.pictureMm.topLeft()) * pages.scale,
            QSizeF(pixels.size()) * mmPerPixel * pages.scale);
        painter.save();
        painter.setClipRect(onPage(pieceMm));
        paintPiece(painter, PagePiece{pixels, onPage(pixelsMm), onPage(pieceMm), dotsPerMm});
        painter.restore();

        painter.setPen(QPen(Qt::black, MarkPenMm * dotsPerMm));
        DrawCornerMarks(painter, onPage(pieceMm), dotsPerMm);
        const int spacing = std::max(plan.spacing, 1);
        painter.setFont(font);
        const QRectF band = onPage(QRectF(MarkGutterMm, 0, pages.areaMm.width(), LabelBandMm));
        const QString label =
            PageLabel(pages, tile, pixels.left() / spacing, pixels.top() / spacing,
                      pixels.right() / spacing, pixels.bottom() / spacing);
        painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, label);
        if (paintFirstBand && &tile == &pages.tiles.front()) {
            const double labelWidth = QFontMetricsF(font, &device).horizontalAdvance(label);
            const double gap = MarkGutterMm * dotsPerMm;
            painter.save();
            paintFirstBand(painter, band.adjusted(labelWidth + gap, 0, 0, 0));
            painter.restore();
        }
    }
    return painter.end();
}

bool PaintCanvasPages(QPagedPaintDevice& device, const QImage& picture, const CanvasPlan& plan,
                      bool fitToOnePage) {
    if (picture.isNull())
        return false;
    return PaintPages(device, picture.size(), plan, fitToOnePage,
                      [&picture](QPainter& painter, const PagePiece& piece) {
                          // Picture pixels stay square blocks at the printer's resolution and are
                          // stored unaltered.
                          painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
                          painter.setRenderHint(QPainter::LosslessImageRendering, true);
                          painter.drawImage(piece.pixelsOnPage, picture.copy(piece.pixels));
                      });
}

QImage PrintView(const TBitmap& shown) {
    const QImage view = shown.ImageView();
    if (view.isNull())
        return view;
    return QImage(view.constBits(), view.width(), view.height(), view.bytesPerLine(),
                  QImage::Format_RGB32);
}

void WritePdf(const QString& path, const CanvasSettings& settings, const CanvasPlan& plan,
              const std::function<bool(QPagedPaintDevice&)>& paint) {
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        throw AppError(QStringLiteral("Saving bitmap failed."));
    WriteNewFile(path, [&](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Halvane"));
        writer.setPageLayout(
            PaperLayout(settings, QSizeF(plan.pictureWidthMm, plan.pictureHeightMm)));
        return paint(writer);
    });
}

void WriteCanvasPdf(const TBitmap& shown, const CanvasSettings& settings, const QString& path) {
    if (shown.IsEmpty())
        throw AppError(QStringLiteral("Saving bitmap failed."));
    const CanvasPlan plan = PlanCanvas(settings, shown.Width(), shown.Height());
    WritePdf(path, settings, plan, [&](QPagedPaintDevice& device) {
        return PaintCanvasPages(device, PrintView(shown), plan, settings.fitToOnePage);
    });
}
