// SPDX-License-Identifier: MIT
// "Canvas and Grid...": the canvas's size, the grid over it and the paper it is printed on.
#pragma once

#include "CanvasPlan.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class CanvasDialog : public QDialog {
public:
    // How the dialog was closed: "Cancel" drops the changes, "OK" keeps them, "Insert" keeps them
    // and draws the grid.
    enum Outcome { Cancelled = QDialog::Rejected, Kept = QDialog::Accepted, Insert = 2 };

    // Shows `settings` for a picture of the given size; "Insert" is offered once a picture is open.
    CanvasDialog(const CanvasSettings& settings, int pictureWidth, int pictureHeight,
                 QWidget* parent = nullptr);

    // The settings as the dialog shows them.
    CanvasSettings Settings() const { return settings_; }

    QComboBox* UnitBox;           // "cm" or "in"
    QDoubleSpinBox* WidthBox;     // canvas width in the unit
    QDoubleSpinBox* HeightBox;    // canvas height in the unit
    QRadioButton* BySizeButton;   // grid by "Cell size on the canvas"
    QDoubleSpinBox* CellSizeBox;  // in the unit
    QRadioButton* ByCountButton;  // grid by "Cells across the short side"
    QSpinBox* CellCountBox;       //
    QCheckBox* NamesBox;          // "Cell names"
    QCheckBox* DiagonalsBox;      // "Diagonals"
    QDoubleSpinBox* LineWidthBox; // on the canvas in mm; 0 for one pixel
    QComboBox* PaperBox;          // A4, A3, Letter, Legal, Tabloid
    QCheckBox* FitOnePageBox;     // "Fit to one page"
    QLabel* FitReadout;           // which side fits, how much canvas is left
    QLabel* GridReadout;          // spacing, columns x rows, cell size, what was held and why
    QLabel* ProblemReadout;       // a value outside its field's range, which OK refuses
    QPushButton* InsertButton;    // "Insert"
    QPushButton* OkButton;        // "OK"
    QPushButton* CancelButton;    // "Cancel"

private:
    // Fills the length boxes from the settings in the unit chosen.
    void ShowLengths();
    // Takes every box but the lengths into the settings and updates the readouts.
    void TakeBoxes();
    // The first box whose value is outside its range, said as the readout says it; nothing when
    // every value can be made.
    QString Problem() const;

    CanvasSettings settings_;
    int pictureWidth_;
    int pictureHeight_;
    bool showing_ = false;                // while the boxes are filled from the settings
    std::vector<QLabel*> rangeOfLengths_; // beside the width, the height and the cell size
};
