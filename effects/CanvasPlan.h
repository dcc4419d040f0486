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
    int lineWidth = 1; // 1 to 5 pixels
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
};

// Lays a picture of the given pixel size on the canvas and derives the grid: the spacing is the
// cell size on the canvas, or the short side divided by the cell count, rounded to whole pixels
// and kept between 1 and the picture's longer side.
CanvasPlan PlanCanvas(const CanvasSettings& settings, int pictureWidth, int pictureHeight);

double MillimetresPer(LengthUnit unit);
// "12.5 cm", "4.92 in": a length in the unit the user works in.
QString LengthText(double millimetres, LengthUnit unit);
// What the dialog reads out: which side fits and how much canvas is left; the spacing, the
// cell count and the cell size on the canvas.
QString FitReadout(const CanvasPlan& plan, LengthUnit unit);
QString GridReadout(const CanvasPlan& plan, LengthUnit unit);

// Cell names as on a chess board: columns A, B, ... Z, AA, AB, ... from the left, rows 1, 2, ...
// from the top; both counted from 0 here.
QString ColumnName(int column);
QString CellName(int column, int row);
