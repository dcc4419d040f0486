// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The canvas a study is painted on, the grid over it and the paper it is printed on, as the
// user sets them in "Canvas and Grid...". Lengths are kept in millimetres whatever the unit shown.
enum class LengthUnit { Centimetres, Inches };
enum class GridMeasure { CellSize, CellsAcrossShortSide };
enum class Paper { A4, A3, Letter, Legal, Tabloid };

struct CanvasSettings {
    LengthUnit unit = LengthUnit::Centimetres;
    double canvasWidthMm = 300;
    double canvasHeightMm = 400;
    GridMeasure measure = GridMeasure::CellsAcrossShortSide;
    double cellSizeMm = 50;
    int cellsAcrossShortSide = 6;
    bool cellNames = false;
    bool diagonals = false;
    double lineWidthMm = 0; // the grid's lines on the canvas; 0 draws them one pixel wide
    Paper paper = Paper::A4;
    bool fitToOnePage = false;
};

// Which side of the picture reaches the canvas's edges when the picture fills the canvas with
// its proportions kept.
enum class FittingSide { Width, Height, Both };

// The picture laid on the canvas and the grid that results.
struct CanvasPlan {
    double pictureWidthMm = 0;  // the picture's size on the canvas
    double pictureHeightMm = 0; //
    FittingSide fits = FittingSide::Both;
    double canvasLeftMm = 0; // canvas left over along the side that does not fit
    int spacing = 0;         // grid spacing in picture pixels; 0 for an empty picture
    int columns = 0;         // cells across, the last one possibly cut by the picture's edge
    int rows = 0;            // cells down
    double cellMm = 0;       // a cell's side on the canvas
    // The spacing the settings ask for was below one pixel, or above the picture's longer side,
    // and is held there.
    enum class Held { Nothing, AtOnePixel, AtThePicture } spacingHeld = Held::Nothing;
    int lineWidth = 1;          // the grid's lines in picture pixels
    bool lineWidthHeld = false; // held at a quarter of the spacing, so that cells stay open
};

// Lays a picture of the given pixel size on the canvas and derives the grid: the spacing is the
// cell size on the canvas, or the short side divided by the cell count, rounded to whole pixels
// and held between 1 and the picture's longer side; the line width is the canvas's in whole
// pixels, at least 1 and at most a quarter of the spacing.
CanvasPlan PlanCanvas(const CanvasSettings& settings, int pictureWidth, int pictureHeight);

double MillimetresPer(LengthUnit unit);
// "12.5 cm", "4.92 in": a length in the unit the user works in.
QString LengthText(double millimetres, LengthUnit unit);
// The canvas turned to the picture's orientation, landscape or portrait; a square picture or a
// square canvas leaves it as it is.
CanvasSettings OrientedLike(CanvasSettings settings, int pictureWidth, int pictureHeight);

// What the dialog reads out: which side fits and how much canvas is left; the spacing, the
// cell count and the cell size on the canvas, the line width where one is set, and what was held
// and why.
QString FitReadout(const CanvasPlan& plan, LengthUnit unit);
QString GridReadout(const CanvasPlan& plan, const CanvasSettings& settings);

// Cell names as on a chess board: columns A, B, ... Z, AA, AB, ... from the left, rows 1, 2, ...
// from the top; both counted from 0 here.
QString ColumnName(int column);
QString CellName(int column, int row);
