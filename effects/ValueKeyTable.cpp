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

QString PercentText(std::uint64_t pixels, std::uint64_t total) {
    const double percent = total == 0 ? 0.0 : 100.0 * double(pixels) / double(total);
    return QString::number(percent, 'f', 1) + QStringLiteral(" %");
}

QString ShareTextOf(const KeyRow& row, std::uint64_t total) {
    return PercentText(row.pixels, total);
}

namespace {

// The stamp's parts at one font size.
struct StampLayout {
    QFont font;
    int line = 0;
    int swatch = 0;
    int pad = 0;
    int numberWidth = 0;
    int shareWidth = 0;
    int column = 0;
    int perColumn = 0;
    QRect panel;
};

// Below this pixel size the stamp's figures no longer read.
constexpr int SmallestStampPixelSize = 9;

StampLayout LayoutAt(int pixelSize, int room, std::size_t rowCount, QFont font) {
    StampLayout layout;
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    layout.font = font;
    const QFontMetrics metrics(font);
    layout.line = metrics.height() + metrics.height() / 4;
    layout.swatch = metrics.height();
    layout.pad = layout.line / 2;
    layout.numberWidth = metrics.horizontalAdvance(QStringLiteral("00"));
    layout.shareWidth = metrics.horizontalAdvance(QStringLiteral("100.0 %"));
    layout.column = layout.numberWidth + layout.pad + layout.swatch + layout.pad +
                    layout.shareWidth + layout.pad;
    layout.perColumn = std::max(1, (room - 2 * layout.pad) / layout.line);
    const int columns =
        int((rowCount + std::size_t(layout.perColumn) - 1) / std::size_t(layout.perColumn));
    const int shownRows = std::min(int(rowCount), layout.perColumn);
    layout.panel = QRect(0, 0, layout.pad + columns * layout.column,
                         2 * layout.pad + shownRows * layout.line - (layout.line - layout.swatch));
    return layout;
}

// The largest stamp up to the size the picture's width asks for that fits a quarter of the
// shorter side; none where even the smallest legible one does not.
std::optional<StampLayout> StampLayoutFor(int width, int height, std::size_t rowCount,
                                          const QFont& font) {
    const int room = std::min(width, height) / 4;
    for (int size = StampPixelSize(width); size >= SmallestStampPixelSize; --size) {
        const StampLayout layout = LayoutAt(size, room, rowCount, font);
        if (layout.panel.width() <= room && layout.panel.height() <= room)
            return layout;
    }
    return std::nullopt;
}

} // namespace

bool KeyStampFits(int width, int height, std::size_t rowCount, QFont font) {
    return StampLayoutFor(width, height, rowCount, font).has_value();
}

QRect DrawKeyStamp(const TBitmapData& map, const std::vector<KeyRow>& rows, std::uint64_t total,
                   QFont font) {
    if (rows.empty() || map.FWidth <= 0 || map.FHeight <= 0)
        return {};
    const std::optional<StampLayout> layout =
        StampLayoutFor(map.FWidth, map.FHeight, rows.size(), font);
    if (!layout)
        return {};
    const auto [stampFont, line, swatch, pad, numberWidth, shareWidth, column, perColumn, panel] =
        *layout;

    QImage picture(static_cast<uchar*>(map.Data), map.FWidth, map.FHeight, map.Pitch,
                   QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    painter.setFont(stampFont);
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
    return panel;
}
