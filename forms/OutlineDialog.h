// SPDX-License-Identifier: MIT
// The outline sheet's choices: the lines' width, the numbers' smallest and largest height on the
// canvas, the canvas grid under the lines; and how many shapes get a number as they change.
#pragma once

#include "ShapeOutline.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class OutlineDialog : public QDialog {
public:
    // Shows `sheet`'s settings; every change places its labels again, so that on OK the sheet
    // holds the chosen ones. Cancel leaves it with its labels as they were last placed.
    OutlineDialog(OutlineSheet& sheet, QWidget* parent = nullptr);

    OutlineSettings Settings() const;

    QDoubleSpinBox* LineWidthBox; // mm on the canvas
    QDoubleSpinBox* SmallestBox;  // the numbers' digits, mm high on the canvas
    QDoubleSpinBox* LargestBox;   //
    QCheckBox* GridBox;           // "Canvas grid under the lines"
    QLabel* CountReadout;         // "412 shapes numbered, 37 too small"
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    void ShowCount();

    OutlineSheet& sheet_;
};
