// SPDX-License-Identifier: MIT
#pragma once

#include "RealValueControl.h"

#include <QPointF>
#include <QSlider>

// A horizontal slider with a real-number value. Dragging the thumb changes the value with
// fractions and raises only changes. A click on the track beside the thumb raises, in this order,
// OnClick, OnMouseUp, and then moves the value to the clicked point. Arrow keys step by 1, Home
// and End go to the ends.
class TrackBar : public RealValueControl<QSlider> {
public:
    explicit TrackBar(QWidget* parent = nullptr);

    std::function<void()> OnClick;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, QPointF)> OnMouseUp;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void RangeChanged() override;

private:
    bool OnThumb(QPoint position) const;
    double ValueAt(QPoint position) const;

    bool trackPressed_ = false;
};
