// SPDX-License-Identifier: MIT
#include "ValueKeyTable.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRgb>
#include <algorithm>
#include <numeric>

namespace {

bool DarkerFirst(const ToneCount& a, const ToneCount& b) {
    const int la = LuminanceOf(a.colour);
    const int lb = LuminanceOf(b.colour);
    return la != lb ? la < lb : a.colour < b.colour;
}

QString Hex(unsigned value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// The font's pixel size for a picture `width` pixels wide: 20 on a 1200 pixel wide picture,
// never below the window's 11.
int StampPixelSize(int width) {
    return std::max(11, width / 60);
}

} // namespace

int LuminanceOf(TAlphaColor colour) {
    return 299 * RedOf(colour) + 587 * GreenOf(colour) + 114 * BlueOf(colour);
}

std::vector<KeyRow> KeyRowsOf(std::vector<ToneCount> tones, std::size_t limit) {
    std::uint64_t otherPixels = 0;
    if (tones.size() > limit && limit > 0) {
        // Largest first; equal counts keep the dark-to-light order, so the cut is the same every
        // time.
        std::sort(tones.begin(), tones.end(), [](const ToneCount& a, const ToneCount& b) {
            return a.pixels != b.pixels ? a.pixels > b.pixels : DarkerFirst(a, b);
        });
        otherPixels = std::accumulate(
            tones.begin() + std::ptrdiff_t(limit - 1), tones.end(), std::uint64_t{0},
            [](std::uint64_t sum, const ToneCount& t) { return sum + t.pixels; });
        tones.resize(limit - 1);
    }
    std::sort(tones.begin(), tones.end(), DarkerFirst);
    std::vector<KeyRow> rows;
    rows.reserve(tones.size() + 1);
    for (const ToneCount& tone : tones)
        rows.push_back({int(rows.size()) + 1, tone.colour, tone.pixels});
    if (otherPixels > 0)
        rows.push_back({0, 0, otherPixels});
    return rows;
}

QString ToneNameOf(const KeyRow& row) {
    if (row.IsOther())
        return QStringLiteral("other");
    const TAlphaColor c = row.colour;
    if (AlphaOf(c) == 255 && RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c))
        return QString::number(RedOf(c));
    if (AlphaOf(c) == 255)
        return QLatin1Char('#') + Hex(c & 0xFFFFFFu, 6);
    return QLatin1Char('#') + Hex(qUnpremultiply(c), 8);
}

QString ShareTextOf(const KeyRow& row, std::uint64_t total) {
    const double percent = total == 0 ? 0.0 : 100.0 * double(row.pixels) / double(total);
    return QString::number(percent, 'f', 1) + QStringLiteral(" %");
}

void DrawKeyStamp(const TBitmapData& map, const std::vector<KeyRow>& rows, QFont font) {
    if (rows.empty() || map.FWidth <= 0 || map.FHeight <= 0)
        return;
    const std::uint64_t total = std::uint64_t(map.FWidth) * std::uint64_t(map.FHeight);
    font.setPixelSize(StampPixelSize(map.FWidth));
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const int line = metrics.height() + metrics.height() / 4;
    const int swatch = metrics.height();
    const int pad = line / 2;
    const int numberWidth = metrics.horizontalAdvance(QStringLiteral("00"));
    const int shareWidth = metrics.horizontalAdvance(QStringLiteral("100.0 %"));
    const int column = numberWidth + pad + swatch + pad + shareWidth + pad;
    const int perColumn = std::max(1, (map.FHeight - 2 * pad) / line);
    const int columns = int((rows.size() + std::size_t(perColumn) - 1) / std::size_t(perColumn));
    const int shownRows = std::min(int(rows.size()), perColumn);
    const QRect panel(0, 0, pad + columns * column, 2 * pad + shownRows * line - (line - swatch));

    QImage picture(static_cast<uchar*>(map.Data), map.FWidth, map.FHeight, map.Pitch,
                   QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    painter.setFont(font);
    painter.fillRect(panel, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(panel.adjusted(0, 0, -1, -1));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const KeyRow& row = rows[i];
        const int left = pad + int(i) / perColumn * column;
        const int top = pad + int(i) % perColumn * line;
        const QRect number(left, top, numberWidth, swatch);
        const QRect box(number.right() + 1 + pad, top, swatch, swatch);
        const QRect share(box.right() + 1 + pad, top, shareWidth, swatch);
        painter.drawText(number, Qt::AlignRight | Qt::AlignVCenter,
                         row.IsOther() ? QStringLiteral("+") : QString::number(row.number));
        if (!row.IsOther()) {
            // The stored colour itself, written rather than blended.
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(box, QColor::fromRgba(qUnpremultiply(row.colour)));
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.drawText(share, Qt::AlignLeft | Qt::AlignVCenter, ShareTextOf(row, total));
    }
}
