// SPDX-License-Identifier: MIT
// The picture's view scale as the user chose it: a fixed zoom step or fit to window.
#pragma once

#include "ViewScale.h"

#include <QSize>
#include <QString>
#include <array>

class ViewZoom {
public:
    // 1/16 to 16; every enlargement is a whole factor, so each image pixel is a square.
    static constexpr std::array<ViewScale, 14> Steps = {
        ViewScale{1, 16}, {1, 12}, {1, 8}, {1, 6}, {1, 4}, {1, 3}, {1, 2},
        {2, 3},           {1, 1},  {2, 1}, {3, 1}, {4, 1}, {8, 1}, {16, 1}};

    bool IsFit() const { return fit_; }
    // The 1:1 step, not fitting: as the window starts.
    bool IsActualPixels() const { return !fit_ && step_ == ActualStep; }
    // The scale for a picture in a view area: the step, or for Fit the largest scale that shows
    // the whole picture in the area, never above 1:1 nor below 1/64.
    ViewScale ScaleFor(QSize picture, QSize view) const;
    // "100 %", or "Fit 25 %" while fitting.
    QString Text(QSize picture, QSize view) const;

    void FitToWindow() { fit_ = true; }
    void ActualPixels();
    // One step up or down from the scale in use (the fitted one too); false at either end.
    bool ZoomIn(QSize picture, QSize view);
    bool ZoomOut(QSize picture, QSize view);

private:
    bool fit_ = false;
    std::size_t step_ = ActualStep;
    static constexpr std::size_t ActualStep = 8;
};
