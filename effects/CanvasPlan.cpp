// SPDX-License-Identifier: MIT
#include "CanvasPlan.h"

#include <algorithm>
#include <cmath>

namespace {

int CeilDiv(int value, int divisor) {
    return (value + divisor - 1) / divisor;
}

} // namespace

CanvasPlan PlanCanvas(const CanvasSettings& settings, int pictureWidth, int pictureHeight) {
    CanvasPlan plan;
    if (pictureWidth < 1 || pictureHeight < 1 || settings.canvasWidthMm <= 0 ||
        settings.canvasHeightMm <= 0)
        return plan;
    const double byWidth = settings.canvasWidthMm / pictureWidth;
    const double byHeight = settings.canvasHeightMm / pictureHeight;
    const double mmPerPixel = std::min(byWidth, byHeight);
    plan.pictureWidthMm = pictureWidth * mmPerPixel;
    plan.pictureHeightMm = pictureHeight * mmPerPixel;
    // A picture framed to the canvas's proportions misses them by the rounding of one side to
    // whole pixels: it fits both ways, and fills the canvas.
    const double canvasRatio = settings.canvasWidthMm / settings.canvasHeightMm;
    const bool framed = std::abs(pictureHeight - pictureWidth / canvasRatio) <= 0.5 + 1e-9 ||
                        std::abs(pictureWidth - pictureHeight * canvasRatio) <= 0.5 + 1e-9;
    if (framed) {
        plan.fits = FittingSide::Both;
        plan.pictureWidthMm = settings.canvasWidthMm;
        plan.pictureHeightMm = settings.canvasHeightMm;
    } else if (byWidth < byHeight) {
        plan.fits = FittingSide::Width;
        plan.canvasLeftMm = settings.canvasHeightMm - plan.pictureHeightMm;
    } else {
        plan.fits = FittingSide::Height;
        plan.canvasLeftMm = settings.canvasWidthMm - plan.pictureWidthMm;
    }

    const double exactSpacing = settings.measure == GridMeasure::CellSize
                                    ? settings.cellSizeMm / mmPerPixel
                                    : double(std::min(pictureWidth, pictureHeight)) /
                                          std::max(1, settings.cellsAcrossShortSide);
    const double longerSide = std::max(pictureWidth, pictureHeight);
    plan.spacing = int(std::lround(std::clamp(exactSpacing, 1.0, longerSide)));
    if (exactSpacing < 0.5)
        plan.spacingHeld = CanvasPlan::Held::AtOnePixel;
    else if (exactSpacing >= longerSide + 0.5)
        plan.spacingHeld = CanvasPlan::Held::AtThePicture;
    const int widest = std::max(1, plan.spacing / 4);
    const long lineWidth = std::max(1L, std::lround(settings.lineWidthMm / mmPerPixel));
    plan.lineWidth = int(std::min<long>(lineWidth, widest));
    plan.lineWidthHeld = lineWidth > widest;
    plan.columns = CeilDiv(pictureWidth, plan.spacing);
    plan.rows = CeilDiv(pictureHeight, plan.spacing);
    plan.cellMm = plan.spacing * mmPerPixel;
    return plan;
}

double MillimetresPer(LengthUnit unit) {
    return unit == LengthUnit::Inches ? 25.4 : 10.0;
}

QString LengthText(double millimetres, LengthUnit unit) {
    return QString::number(millimetres / MillimetresPer(unit), 'f', 2) +
           (unit == LengthUnit::Inches ? QStringLiteral(" in") : QStringLiteral(" cm"));
}

QString FitReadout(const CanvasPlan& plan, LengthUnit unit) {
    const QString size =
        QStringLiteral("Picture %1 x %2. ")
            .arg(LengthText(plan.pictureWidthMm, unit), LengthText(plan.pictureHeightMm, unit));
    switch (plan.fits) {
    case FittingSide::Both:
        return size + QStringLiteral("Both sides fit the canvas.");
    case FittingSide::Width:
        return size + QStringLiteral("The width fits; %1 of the canvas height is left.")
                          .arg(LengthText(plan.canvasLeftMm, unit));
    case FittingSide::Height:
        return size + QStringLiteral("The height fits; %1 of the canvas width is left.")
                          .arg(LengthText(plan.canvasLeftMm, unit));
    }
    return size;
}

CanvasSettings OrientedLike(CanvasSettings settings, int pictureWidth, int pictureHeight) {
    const bool landscapePicture = pictureWidth > pictureHeight;
    const bool portraitPicture = pictureWidth < pictureHeight;
    if ((landscapePicture && settings.canvasWidthMm < settings.canvasHeightMm) ||
        (portraitPicture && settings.canvasWidthMm > settings.canvasHeightMm))
        std::swap(settings.canvasWidthMm, settings.canvasHeightMm);
    return settings;
}

QString GridReadout(const CanvasPlan& plan, const CanvasSettings& settings) {
    const LengthUnit unit = settings.unit;
    QString text = QStringLiteral("Spacing %1 pixels, %2 x %3 cells of %4.")
                       .arg(plan.spacing)
                       .arg(plan.columns)
                       .arg(plan.rows)
                       .arg(LengthText(plan.cellMm, unit));
    switch (plan.spacingHeld) {
    case CanvasPlan::Held::Nothing:
        break;
    case CanvasPlan::Held::AtOnePixel:
        text += settings.measure == GridMeasure::CellSize
                    ? QStringLiteral(" The cell size is held at one pixel of the picture.")
                    : QStringLiteral(" Held at one pixel a cell: %1 cells across would be "
                                     "smaller than a pixel of the picture.")
                          .arg(settings.cellsAcrossShortSide);
        break;
    case CanvasPlan::Held::AtThePicture:
        text += QStringLiteral(" The cell size is held at %1: a cell is no larger than the "
                               "picture.")
                    .arg(LengthText(plan.cellMm, unit));
        break;
    }
    if (settings.lineWidthMm > 0)
        text += QStringLiteral(" Lines %1 mm: %2 pixels wide.")
                    .arg(QString::number(settings.lineWidthMm, 'f', 2))
                    .arg(plan.lineWidth);
    if (plan.lineWidthHeld)
        text += QStringLiteral(" The line width is held at %1 pixels, a quarter of a cell.")
                    .arg(plan.lineWidth);
    return text;
}

QString ColumnName(int column) {
    QString name;
    for (int rest = column + 1; rest > 0; rest = (rest - 1) / 26)
        name.prepend(QChar(u'A' + (rest - 1) % 26));
    return name;
}

QString CellName(int column, int row) {
    return ColumnName(column) + QString::number(row + 1);
}
