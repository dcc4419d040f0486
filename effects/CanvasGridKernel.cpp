// SPDX-License-Identifier: MIT
#include "CanvasGridKernel.h"

#include "CanvasPlan.h"
#include "GridKernel.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr TAlphaColor DarkOutline = 0xFF333333u;
constexpr TAlphaColor LightOutline = 0xFFCCCCCCu;

// The pixels a line of `width` covers around its centre: the centre and (width - 1) / 2 before
// it, the rest after it, so that a width of 1 is the centre alone.
struct Span {
    int first, last;
};
Span LineSpan(int centre, int width) {
    return {centre - (width - 1) / 2, centre + width / 2};
}

void FillRun(const TBitmapData& map, int y, int first, int last, TAlphaColor colour) {
    first = std::max(first, 0);
    last = std::min(last, map.FWidth - 1);
    if (y < 0 || y >= map.FHeight || first > last)
        return;
    std::fill(PixelAddress(map, first, y), PixelAddress(map, last, y) + 1, colour);
}

void DrawLines(const TBitmapData& map, int spacing, TAlphaColor colour, int width) {
    if (width == 1) {
        DrawGrid(map, spacing, colour);
        return;
    }
    for (int y = spacing - 1; y < map.FHeight; y += spacing) {
        const Span rows = LineSpan(y, width);
        for (int row = rows.first; row <= rows.last; ++row)
            FillRun(map, row, 0, map.FWidth - 1, colour);
    }
    for (int y = 0; y < map.FHeight; ++y)
        for (int x = spacing - 1; x < map.FWidth; x += spacing) {
            const Span columns = LineSpan(x, width);
            FillRun(map, y, columns.first, columns.last, colour);
        }
}

// Cell (column, row) runs from the line before it to the line after it: its corners lie on the
// line centres column * spacing - 1 and (column + 1) * spacing - 1, the first cell's outside the
// picture at -1. Cells are square, so each diagonal steps one pixel across per pixel down.
void DrawDiagonals(const TBitmapData& map, int spacing, TAlphaColor colour, int width) {
    for (int top = -1; top < map.FHeight - 1; top += spacing)
        for (int left = -1; left < map.FWidth - 1; left += spacing)
            for (int step = 0; step <= spacing; ++step) {
                const Span falling = LineSpan(left + step, width);
                const Span rising = LineSpan(left + spacing - step, width);
                FillRun(map, top + step, falling.first, falling.last, colour);
                FillRun(map, top + step, rising.first, rising.last, colour);
            }
}

// A name's glyph pixels, drawn without antialiasing so that each pixel is either name or not.
struct NameMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> glyph; // row by row, 1 where the name is

    bool At(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && glyph[std::size_t(y) * width + x];
    }
};

NameMask MaskOf(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 1, metrics.height(),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(0, metrics.ascent(), text);
    painter.end();
    NameMask mask{image.width(), image.height(), {}};
    mask.glyph.reserve(std::size_t(mask.width) * mask.height);
    for (int y = 0; y < mask.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < mask.width; ++x)
            mask.glyph.push_back(qAlpha(row[x]) != 0);
    }
    return mask;
}

// Two masks of one font side by side: a column's letters, then a row's number.
NameMask Beside(const NameMask& left, const NameMask& right) {
    NameMask both{left.width + right.width, left.height, {}};
    both.glyph.reserve(std::size_t(both.width) * both.height);
    for (int y = 0; y < both.height; ++y) {
        const auto row = [y](const NameMask& mask) {
            return mask.glyph.begin() + std::ptrdiff_t(y) * mask.width;
        };
        both.glyph.insert(both.glyph.end(), row(left), row(left) + left.width);
        both.glyph.insert(both.glyph.end(), row(right), row(right) + right.width);
    }
    return both;
}

// Writes the mask at (left, top): the outline grey on every pixel next to a glyph pixel, the
// grid colour on the glyph pixels.
void WriteName(const TBitmapData& map, const NameMask& mask, int left, int top,
               TAlphaColor colour) {
    const TAlphaColor outline = OutlineGreyFor(colour);
    for (int y = -1; y <= mask.height; ++y)
        for (int x = -1; x <= mask.width; ++x) {
            bool nextToGlyph = false;
            for (int dy = -1; dy <= 1 && !nextToGlyph; ++dy)
                for (int dx = -1; dx <= 1 && !nextToGlyph; ++dx)
                    nextToGlyph = mask.At(x + dx, y + dy);
            if (nextToGlyph)
                SetPixel(map, left + x, top + y, mask.At(x, y) ? colour : outline);
        }
}

// Names go in each cell's inner area, between the lines, one pixel in from its top-left corner;
// a name with its outline must fit inside that area or it is left out. Each column's letters and
// each row's number are drawn once and put together per cell.
std::vector<QRect> DrawNames(const TBitmapData& map, int spacing, TAlphaColor colour, int width) {
    QFont font(QStringLiteral("DejaVu Sans"));
    // Small beside the cell, yet a few millimetres high on a canvas-sized print.
    font.setPixelSize(std::clamp(spacing / 6, 8, 96));
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    // Not even a whole cell holds a name's height: none is drawn, however many cells there are.
    if (spacing - width < QFontMetrics(font).height() + 3)
        return {};
    std::vector<QRect> written;
    std::vector<NameMask> rowNumbers;
    for (int top = -1; top < map.FHeight - 1; top += spacing)
        rowNumbers.push_back(MaskOf(QString::number(rowNumbers.size() + 1), font));
    for (int column = 0, left = -1; left < map.FWidth - 1; ++column, left += spacing) {
        const NameMask letters = MaskOf(ColumnName(column), font);
        const int innerLeft = std::max(LineSpan(left, width).last + 1, 0);
        const int innerRight = std::min(LineSpan(left + spacing, width).first, map.FWidth);
        for (int row = 0, top = -1; top < map.FHeight - 1; ++row, top += spacing) {
            const int innerTop = std::max(LineSpan(top, width).last + 1, 0);
            const int innerBottom = std::min(LineSpan(top + spacing, width).first, map.FHeight);
            const NameMask& number = rowNumbers[std::size_t(row)];
            // One pixel of picture, then the outline, then the name.
            if (innerLeft + letters.width + number.width + 3 > innerRight ||
                innerTop + letters.height + 3 > innerBottom)
                continue;
            const NameMask name = Beside(letters, number);
            WriteName(map, name, innerLeft + 2, innerTop + 2, colour);
            written.emplace_back(innerLeft + 1, innerTop + 1, name.width + 2, name.height + 2);
        }
    }
    return written;
}

} // namespace

TAlphaColor OutlineGreyFor(TAlphaColor colour) {
    const int grey = (RedOf(colour) * 11 + GreenOf(colour) * 16 + BlueOf(colour) * 5) / 32;
    return grey >= 128 ? DarkOutline : LightOutline;
}

std::vector<QRect> DrawCanvasGrid(const TBitmapData& map, int spacing, TAlphaColor colour,
                                  const GridStyle& style) {
    if (spacing < 1)
        return {};
    const int width = std::max(style.lineWidth, 1);
    DrawLines(map, spacing, colour, width);
    if (style.diagonals)
        DrawDiagonals(map, spacing, colour, width);
    return style.cellNames ? DrawNames(map, spacing, colour, width) : std::vector<QRect>{};
}
