// SPDX-License-Identifier: MIT
// "Simplify Shapes...": the smallest shape to keep, as a share of the picture, in pixels or in
// cm² on the canvas, and how many patches the study has and will keep; nothing changes until OK.
#pragma once

#include "CanvasPlan.h"
#include "ShapeSimplify.h"

#include <QDialog>
#include <cstdint>
#include <memory>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class SimplifyDialog : public QDialog {
public:
    // The units of the size, in the order of the unit box.
    enum class Unit { Percent, Pixels, CanvasArea };

    // Counts the patches of `shown` (mapped for reading) once; `canvas` gives the cm².
    SimplifyDialog(const TBitmapData& shown, const CanvasSettings& canvas,
                   QWidget* parent = nullptr);
    ~SimplifyDialog() override;

    // The smallest patch to keep, in pixels of the picture.
    std::uint64_t MinimumPixels() const;
    // The patches it counted, with the merges its counts made, for merging on OK.
    std::unique_ptr<ShapeMerger> TakePatches() { return std::move(merger_); }

    QDoubleSpinBox* SizeBox; // the size in the unit chosen
    QComboBox* UnitBox;      // "% of the picture", "pixels", "cm² on the canvas"
    QLabel* CountReadout;    // "644347 patches now; 1912 after."
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    void ShowUnit();
    void ShowCount();

    std::unique_ptr<ShapeMerger> merger_;
    std::uint64_t pixels_;
    double squareMmPerPixel_; // of the picture on the canvas
};
