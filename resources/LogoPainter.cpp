// SPDX-License-Identifier: MIT
#include "LogoPainter.h"

#include "Lettering.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Five greys spaced evenly, as a five-level posterisation leaves them; darkest first.
constexpr std::array<QRgb, 5> Tones = {qRgb(0x22, 0x22, 0x22), qRgb(0x5a, 0x5a, 0x5a),
                                       qRgb(0x92, 0x92, 0x92), qRgb(0xca, 0xca, 0xca),
                                       qRgb(0xf6, 0xf6, 0xf6)};
const QColor Ink = QColor::fromRgb(Tones[0]);
const QColor Shadow = QColor::fromRgb(Tones[1]);
const QColor Mid = QColor::fromRgb(Tones[2]);
const QColor Light = QColor::fromRgb(Tones[3]);
const QColor Paper = QColor::fromRgb(Tones[4]);

// The scene is drawn in a 256-unit square and mapped onto the tile: a sun going down behind
// mountains, mirrored in a lake. Icons under 32 pixels get fewer, bigger shapes whose
// horizontal edges fall on pixel rows at 16 and 24 pixels.
constexpr qreal SceneSide = 256;

struct Scene {
    QPointF sunCentre;
    qreal glowRadius;
    qreal sunRadius;
    QPolygonF mountains;
    qreal shoreline;
    QList<QRectF> reflection; // streaks on the water, brightest first
};

QPainterPath Circle(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath Filled(const QPolygonF& polygon) {
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}

QPainterPath Band(qreal top, qreal bottom) {
    QPainterPath path;
    path.addRect(0, top, SceneSide, bottom - top);
    return path;
}

// A streak of the sun's reflection, centred under the sun.
QRectF Streak(qreal centreX, qreal top, qreal width, qreal height) {
    return {centreX - width / 2, top, width, height};
}

Scene DetailedScene() {
    constexpr qreal sunX = 164;
    return {QPointF(sunX, 112),
            92,
            56,
            QPolygonF({{0, 168},
                       {52, 126},
                       {80, 148},
                       {120, 94},
                       {162, 150},
                       {190, 132},
                       {SceneSide, 176},
                       {SceneSide, SceneSide},
                       {0, SceneSide}}),
            192,
            {Streak(sunX, 204, 96, 8), Streak(sunX, 220, 64, 8), Streak(sunX, 236, 32, 8)}};
}

Scene SmallScene() {
    constexpr qreal sunX = 160;
    return {QPointF(sunX, 104),
            100,
            62,
            QPolygonF({{0, 164},
                       {56, 116},
                       {88, 144},
                       {132, 88},
                       {SceneSide, 176},
                       {SceneSide, SceneSide},
                       {0, SceneSide}}),
            192,
            {Streak(sunX, 208, 96, 16)}};
}

// The tile in device pixels: small icons fill their square, larger ones keep a margin, and
// every straight edge lies on a pixel boundary.
QRectF TileRect(int side) {
    const int margin = side >= 48 ? static_cast<int>(std::lround(side / 32.0)) : 0;
    return QRectF(margin, margin, side - 2 * margin, side - 2 * margin);
}

// Thin streaks stay sharp and apart only when their edges lie between pixels.
QRect OnPixelGrid(const QRectF& rect) {
    const auto snap = [](qreal v) { return static_cast<int>(std::lround(v)); };
    const int left = snap(rect.left());
    const int top = snap(rect.top());
    return QRect(left, top, std::max(1, snap(rect.right()) - left),
                 std::max(1, snap(rect.bottom()) - top));
}

void FillClipped(QPainter& painter, const QPainterPath& tile, const QPainterPath& shape,
                 const QColor& tone) {
    painter.fillPath(tile.intersected(shape), tone);
}

} // namespace

QImage PaintProductLogo(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF tileRect = TileRect(side);
    const qreal scale = tileRect.width() / SceneSide;
    const QTransform toDevice =
        QTransform::fromTranslate(tileRect.x(), tileRect.y()).scale(scale, scale);

    QPainterPath tile;
    const qreal radius = tileRect.width() * 0.18;
    tile.addRoundedRect(tileRect, radius, radius);

    const Scene scene = side >= 32 ? DetailedScene() : SmallScene();
    painter.fillPath(tile, Mid);
    FillClipped(painter, tile, toDevice.map(Circle(scene.sunCentre, scene.glowRadius)), Light);
    FillClipped(painter, tile, toDevice.map(Circle(scene.sunCentre, scene.sunRadius)), Paper);
    FillClipped(painter, tile, toDevice.map(Filled(scene.mountains)), Shadow);
    FillClipped(painter, tile, toDevice.map(Band(scene.shoreline, SceneSide)), Ink);
    for (qsizetype i = 0; i < scene.reflection.size(); ++i)
        painter.fillRect(OnPixelGrid(toDevice.mapRect(scene.reflection[i])),
                         i == 0 ? Paper : Light);
    return image;
}

namespace {

// The maker's logo, laid out in its 332 x 117 pixels.
constexpr QSize MakerSize(332, 117);
constexpr int EmblemSide = 93;
constexpr int EmblemMargin = (MakerSize.height() - EmblemSide) / 2;
constexpr qreal TextLeft = EmblemMargin + EmblemSide + 16;
constexpr qreal TextRight = MakerSize.width() - EmblemMargin;
constexpr qreal WordBaseline = 65;
constexpr qreal TagBaseline = WordBaseline + 26;
constexpr qreal TagHeight = 11;

// "Halvane" scaled to run from the text column's left edge to the right margin.
void DrawWordmark(QPainter& painter) {
    const LetterStyle style{0.24, 0.16, false};
    const qreal unit = (TextRight - TextLeft) / LetteringWidth(u"Halvane", style);
    painter.fillPath(QTransform::fromTranslate(TextLeft, WordBaseline)
                         .scale(unit, unit)
                         .map(SetLettering(u"Halvane", style)),
                     Ink);
}

// Returns where the tag line ends.
qreal DrawTagLine(QPainter& painter) {
    const LetterStyle style{0.2, 0.5, true};
    painter.fillPath(QTransform::fromTranslate(TextLeft, TagBaseline)
                         .scale(TagHeight, TagHeight)
                         .map(SetLettering(u"STUDIO", style)),
                     Shadow);
    return TextLeft + LetteringWidth(u"STUDIO", style) * TagHeight;
}

// The five tones side by side, from `left` to the right margin.
void DrawToneRamp(QPainter& painter, qreal left) {
    const QRectF ramp(left, TagBaseline - TagHeight, TextRight - left, TagHeight);
    const qreal swatch = ramp.width() / Tones.size();
    for (std::size_t i = 0; i < Tones.size(); ++i)
        painter.fillRect(OnPixelGrid(QRectF(left + i * swatch, ramp.top(), swatch, ramp.height())),
                         QColor::fromRgb(Tones[i]));
    // A hairline keeps the lightest swatch visible on a light window.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Ink);
    painter.drawRect(OnPixelGrid(ramp).adjusted(0, 0, -1, -1));
}

} // namespace

QImage PaintMakerLogo() {
    QImage image(MakerSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(EmblemMargin, EmblemMargin, PaintProductLogo(EmblemSide));
    DrawWordmark(painter);
    DrawToneRamp(painter, DrawTagLine(painter) + 14);
    return image;
}
