// SPDX-License-Identifier: MIT
#pragma once

#include <QPainterPath>
#include <QStringView>

// A small geometric lettering built from lines and arcs, so the logos come out the same on
// every machine whatever fonts are installed.
//
// Units: the x-height is 1, the baseline is y = 0 and y grows downwards, as in QPainter.
struct LetterStyle {
    qreal weight = 0.22;    // stroke thickness
    qreal tracking = 0.2;   // space added between letters
    bool smallCaps = false; // capitals drawn at x-height, for tag lines
};

// The filled outline of `text`, origin at the left end of the baseline. Knows the letters
// the logos use plus the space; throws std::invalid_argument on any other character.
QPainterPath SetLettering(QStringView text, const LetterStyle& style);

// The width SetLettering's outline takes, without trailing tracking.
qreal LetteringWidth(QStringView text, const LetterStyle& style);
