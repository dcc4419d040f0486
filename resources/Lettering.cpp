// SPDX-License-Identifier: MIT
#include "Lettering.h"

#include <QPainterPathStroker>
#include <QPolygonF>
#include <QRectF>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

// Heights in x-height units: capitals and ascenders of the full-size letters.
constexpr qreal CapHeight = 1.42;
constexpr qreal SpaceWidth = 0.45;

// One letter: centre lines to stroke, areas to fill as they are, and the width it takes.
struct Letter {
    QPainterPath strokes;
    QPainterPath fills;
    qreal width = 0;
};

void Stem(QPainterPath& path, qreal x, qreal top, qreal bottom) {
    path.moveTo(x, top);
    path.lineTo(x, bottom);
}

// A bowl whose outer edge touches both sides and both guide lines of the box.
QRectF BowlCentreLine(qreal left, qreal right, qreal top, qreal bottom, qreal weight) {
    const qreal h = weight / 2;
    return {left + h, top + h, right - left - weight, bottom - top - weight};
}

// Two strokes meeting in a point at the bottom, as a filled shape: stroked lines would
// need miter joins that poke through the baseline.
QPolygonF Vee(qreal width, qreal height, qreal weight) {
    const qreal centre = width / 2;
    const qreal slant = std::hypot(centre, height) / height; // horizontal thickness factor
    const qreal t = weight * slant;
    const qreal innerRun = centre - t / 2;
    const qreal apexY = -height + height * (centre - t) / innerRun;
    return QPolygonF({{0, -height},
                      {t, -height},
                      {centre, apexY},
                      {width - t, -height},
                      {width, -height},
                      {centre + t / 2, 0},
                      {centre - t / 2, 0}});
}

Letter CapitalH(qreal w) {
    constexpr qreal width = 1.0;
    Letter l{{}, {}, width};
    Stem(l.strokes, w / 2, -CapHeight, 0);
    Stem(l.strokes, width - w / 2, -CapHeight, 0);
    l.strokes.moveTo(w / 2, -0.56 * CapHeight);
    l.strokes.lineTo(width - w / 2, -0.56 * CapHeight);
    return l;
}

Letter LowerA(qreal w) {
    constexpr qreal width = 1.02;
    Letter l{{}, {}, width};
    l.strokes.addEllipse(BowlCentreLine(0, width, -1, 0, w));
    Stem(l.strokes, width - w / 2, -1, 0);
    return l;
}

Letter LowerL(qreal w) {
    Letter l{{}, {}, w};
    Stem(l.strokes, w / 2, -CapHeight, 0);
    return l;
}

Letter LowerV(qreal w) {
    constexpr qreal width = 0.96;
    Letter l{{}, {}, width};
    l.fills.addPolygon(Vee(width, 1, w));
    l.fills.closeSubpath();
    return l;
}

Letter LowerN(qreal w) {
    constexpr qreal width = 0.92;
    Letter l{{}, {}, width};
    Stem(l.strokes, w / 2, -1, 0);
    const QRectF arch = BowlCentreLine(0, width, -1, -1 + width, w);
    l.strokes.moveTo(w / 2, arch.center().y());
    l.strokes.arcTo(arch, 180, -180);
    l.strokes.lineTo(width - w / 2, 0);
    return l;
}

Letter LowerE(qreal w) {
    constexpr qreal width = 1.02;
    Letter l{{}, {}, width};
    const QRectF bowl = BowlCentreLine(0, width, -1, 0, w);
    l.strokes.moveTo(w / 2, bowl.center().y());
    l.strokes.lineTo(bowl.right(), bowl.center().y());
    l.strokes.arcTo(bowl, 0, 318);
    return l;
}

// Small capitals, one x-height tall.

Letter CapS(qreal w) {
    constexpr qreal width = 0.72;
    Letter l{{}, {}, width};
    const qreal mid = -0.5;
    const QRectF upper = BowlCentreLine(0.02, width - 0.02, -1, mid + w / 2, w);
    const QRectF lower = BowlCentreLine(0, width, mid - w / 2, 0, w);
    l.strokes.arcMoveTo(upper, 35);
    l.strokes.arcTo(upper, 35, 235);
    l.strokes.arcTo(lower, 90, -240);
    return l;
}

Letter CapT(qreal w) {
    constexpr qreal width = 0.82;
    Letter l{{}, {}, width};
    l.strokes.moveTo(0, -1 + w / 2);
    l.strokes.lineTo(width, -1 + w / 2);
    Stem(l.strokes, width / 2, -1, 0);
    return l;
}

Letter CapU(qreal w) {
    constexpr qreal width = 0.86;
    Letter l{{}, {}, width};
    const QRectF cup = BowlCentreLine(0, width, -width, 0, w);
    l.strokes.moveTo(w / 2, -1);
    l.strokes.lineTo(w / 2, cup.center().y());
    l.strokes.arcTo(cup, 180, 180);
    l.strokes.lineTo(width - w / 2, -1);
    return l;
}

Letter CapD(qreal w) {
    constexpr qreal width = 0.9;
    Letter l{{}, {}, width};
    const QRectF bowl = BowlCentreLine(width - 1, width, -1, 0, w);
    l.strokes.moveTo(w / 2, -1 + w / 2);
    l.strokes.lineTo(bowl.center().x(), -1 + w / 2);
    l.strokes.arcTo(bowl, 90, -180);
    l.strokes.lineTo(w / 2, -w / 2);
    l.strokes.closeSubpath();
    return l;
}

Letter CapI(qreal w) {
    Letter l{{}, {}, w};
    Stem(l.strokes, w / 2, -1, 0);
    return l;
}

Letter CapO(qreal w) {
    constexpr qreal width = 1.04;
    Letter l{{}, {}, width};
    l.strokes.addEllipse(BowlCentreLine(0, width, -1, 0, w));
    return l;
}

Letter WordmarkLetter(QChar c, qreal w) {
    switch (c.unicode()) {
    case 'H':
        return CapitalH(w);
    case 'a':
        return LowerA(w);
    case 'l':
        return LowerL(w);
    case 'v':
        return LowerV(w);
    case 'n':
        return LowerN(w);
    case 'e':
        return LowerE(w);
    case ' ':
        return Letter{{}, {}, SpaceWidth};
    default:
        throw std::invalid_argument("no wordmark letter for U+" + std::to_string(c.unicode()));
    }
}

Letter SmallCapLetter(QChar c, qreal w) {
    switch (c.toUpper().unicode()) {
    case 'S':
        return CapS(w);
    case 'T':
        return CapT(w);
    case 'U':
        return CapU(w);
    case 'D':
        return CapD(w);
    case 'I':
        return CapI(w);
    case 'O':
        return CapO(w);
    case ' ':
        return Letter{{}, {}, SpaceWidth};
    default:
        throw std::invalid_argument("no small capital for U+" + std::to_string(c.unicode()));
    }
}

Letter LetterFor(QChar c, const LetterStyle& style) {
    return style.smallCaps ? SmallCapLetter(c, style.weight) : WordmarkLetter(c, style.weight);
}

QPainterPath Outline(const Letter& letter, qreal weight) {
    QPainterPathStroker stroker;
    stroker.setWidth(weight);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    QPainterPath outline = stroker.createStroke(letter.strokes);
    outline.addPath(letter.fills);
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

} // namespace

QPainterPath SetLettering(QStringView text, const LetterStyle& style) {
    QPainterPath line;
    line.setFillRule(Qt::WindingFill);
    qreal x = 0;
    for (const QChar c : text) {
        const Letter letter = LetterFor(c, style);
        line.addPath(Outline(letter, style.weight).translated(x, 0));
        x += letter.width + style.tracking;
    }
    return line;
}

qreal LetteringWidth(QStringView text, const LetterStyle& style) {
    qreal x = 0;
    for (const QChar c : text)
        x += LetterFor(c, style).width + style.tracking;
    return text.isEmpty() ? 0 : x - style.tracking;
}
