// SPDX-License-Identifier: MIT
#include "OutlinePages.h"

#include "AppError.h"
#include "CanvasPages.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

constexpr double GridPenMm = 0.2;
constexpr double LegendGapMm = 3; // between the legend's entries

QColor ColourOf(TAlphaColor colour) {
    return QColor::fromRgba(colour);
}

// The boundaries a page shows, as one path: the pieces that reach into its pixels.
QPainterPath LinesOn(const OutlineSheet& sheet, const PagePiece& piece) {
    const QRect reach = piece.pixels.adjusted(-1, -1, 1, 1);
    QPainterPath path;
    for (const OutlineSegment& segment : sheet.Trace().segments) {
        if (segment.x1 < reach.left() || segment.x0 > reach.right() + 1 ||
            segment.y1 < reach.top() || segment.y0 > reach.bottom() + 1)
            continue;
        path.moveTo(piece.OnPage(QPointF(segment.x0, segment.y0)));
        path.lineTo(piece.OnPage(QPointF(segment.x1, segment.y1)));
    }
    return path;
}

// The canvas grid as the study's print has it: lines on the centres of the grid's pixel columns
// and rows, and the cells' diagonals where chosen.
void DrawGridLines(QPainter& painter, const OutlineSheet& sheet, const PagePiece& piece) {
    const OutlineGridPixels grid = sheet.GridPixels();
    if (grid.spacing <= 0)
        return;
    const int width = sheet.Trace().width;
    const int height = sheet.Trace().height;
    painter.setPen(QPen(ColourOf(GridUnderColour), GridPenMm * piece.dotsPerMm));
    const double offset = grid.spacing - 0.5;
    for (double x = offset; x < width; x += grid.spacing)
        painter.drawLine(piece.OnPage(QPointF(x, 0)), piece.OnPage(QPointF(x, height)));
    for (double y = offset; y < height; y += grid.spacing)
        painter.drawLine(piece.OnPage(QPointF(0, y)), piece.OnPage(QPointF(width, y)));
    if (!grid.diagonals)
        return;
    for (int top = 0; top < height; top += grid.spacing)
        for (int left = 0; left < width; left += grid.spacing) {
            const QRectF cell(left, top, std::min(grid.spacing, width - left),
                              std::min(grid.spacing, height - top));
            painter.drawLine(piece.OnPage(cell.topLeft()), piece.OnPage(cell.bottomRight()));
            painter.drawLine(piece.OnPage(cell.topRight()), piece.OnPage(cell.bottomLeft()));
        }
}

// Each number whose box reaches into the page, its digits standing on the box's bottom.
void DrawNumbers(QPainter& painter, const OutlineSheet& sheet, const PagePiece& piece) {
    painter.setPen(Qt::black);
    QFont font(QStringLiteral("DejaVu Sans"));
    const QRectF page(piece.pixels);
    for (const OutlineLabel& label : sheet.Labels().labels) {
        if (!label.box.intersects(page))
            continue;
        const QRectF box(piece.OnPage(label.box.topLeft()), piece.OnPage(label.box.bottomRight()));
        font.setPointSizeF(box.height() / DigitHeightPerEm * 72.0 /
                           painter.device()->logicalDpiY());
        painter.setFont(font);
        const QString number = QString::number(label.number);
        const double advance = QFontMetricsF(font, painter.device()).horizontalAdvance(number);
        painter.drawText(QPointF(box.left() + (box.width() - advance) / 2, box.bottom()), number);
    }
}

// The key's tones in a row, or two: "1 ■ 32  2 ■ 64 ...", as large as fits the band.
void DrawLegend(QPainter& painter, const std::vector<KeyRow>& key, const QRectF& band,
                double dotsPerMm) {
    std::vector<const KeyRow*> rows;
    for (const KeyRow& row : key)
        if (!row.IsOther())
            rows.push_back(&row);
    if (rows.empty() || band.width() <= 0)
        return;
    QFont font(QStringLiteral("DejaVu Sans"));
    const double gap = LegendGapMm * dotsPerMm;
    for (double points = 8; points >= 4; points -= 0.5) {
        font.setPointSizeF(points);
        const QFontMetricsF metrics(font, painter.device());
        const double swatch = metrics.ascent();
        std::vector<double> widths;
        for (const KeyRow* row : rows)
            widths.push_back(metrics.horizontalAdvance(QString::number(row->number)) + swatch +
                             metrics.horizontalAdvance(ToneNameOf(*row)) + 2 * swatch / 2 + gap);
        for (int lines = 1; lines <= 2; ++lines) {
            const double lineHeight = band.height() / lines;
            if (metrics.height() > lineHeight)
                break;
            const std::size_t perLine = (rows.size() + std::size_t(lines) - 1) / std::size_t(lines);
            bool fits = true;
            for (std::size_t first = 0; first < rows.size(); first += perLine) {
                double total = 0;
                for (std::size_t i = first; i < std::min(rows.size(), first + perLine); ++i)
                    total += widths[i];
                fits = fits && total - gap <= band.width();
            }
            if (!fits)
                continue;
            painter.setFont(font);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const std::size_t line = i / perLine;
                double x = band.left();
                for (std::size_t j = line * perLine; j < i; ++j)
                    x += widths[j];
                const double baseline = band.top() + lineHeight * (double(line) + 0.5) +
                                        (metrics.ascent() - metrics.descent()) / 2;
                const QString number = QString::number(rows[i]->number);
                painter.setPen(Qt::black);
                painter.drawText(QPointF(x, baseline), number);
                x += metrics.horizontalAdvance(number) + swatch / 2;
                painter.fillRect(QRectF(x, baseline - swatch, swatch, swatch),
                                 ColourOf(rows[i]->colour));
                painter.drawRect(QRectF(x, baseline - swatch, swatch, swatch));
                x += swatch + swatch / 2;
                painter.drawText(QPointF(x, baseline), ToneNameOf(*rows[i]));
            }
            return;
        }
    }
}

} // namespace

bool PaintOutlinePages(QPagedPaintDevice& device, const OutlineSheet& sheet) {
    const OutlineTrace& trace = sheet.Trace();
    return PaintPages(
        device, QSize(trace.width, trace.height), sheet.Plan(), sheet.Canvas().fitToOnePage,
        [&](QPainter& painter, const PagePiece& piece) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.fillRect(piece.piece, Qt::white);
            DrawGridLines(painter, sheet, piece);
            // Square caps close the corners where a horizontal and a vertical piece meet.
            painter.setPen(QPen(ColourOf(LineColour),
                                sheet.LineWidthPixels() * piece.DotsPerPixel(), Qt::SolidLine,
                                Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(LinesOn(sheet, piece));
            DrawNumbers(painter, sheet, piece);
        },
        [&](QPainter& painter, const QRectF& band) {
            DrawLegend(painter, trace.key, band, device.logicalDpiX() / 25.4);
        });
}

void WriteOutlinePdf(const OutlineSheet& sheet, const QString& path) {
    if (sheet.Trace().width == 0)
        throw AppError(QStringLiteral("Saving bitmap failed."));
    WritePdf(path, sheet.Canvas(), sheet.Plan(),
             [&](QPagedPaintDevice& device) { return PaintOutlinePages(device, sheet); });
}
