// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QPointF>
#include <QWidget>
#include <functional>

// A picture control: shows its bitmap scaled to fit its bounds with the proportions kept (one
// screen pixel per image pixel when sized to the bitmap), and repaints whenever the bitmap
// announces a change. OnClick runs on a left-button release over it.
class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent = nullptr);

    TBitmap& Bitmap() { return bitmap_; }
    // Shows a fixed picture instead of the bitmap (a logo).
    void SetPicture(const QImage& picture);

    std::function<void()> OnClick;
    std::function<void(Qt::KeyboardModifiers, QPointF)> OnMouseMove;
    std::function<void(Qt::KeyboardModifiers, int wheelDelta, bool& handled)> OnMouseWheel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TBitmap bitmap_;
    QImage picture_;
    bool leftPressed_ = false;
};
