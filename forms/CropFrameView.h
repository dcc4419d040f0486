// SPDX-License-Identifier: MIT
// "Crop to Canvas...": a frame of fixed proportions over the shown picture, the outside dimmed,
// thirds lines inside. Drag inside to move it, drag a corner to resize it, arrows move it by a
// screen pixel (Shift: ten); Enter or "Crop" crops, Esc or "Cancel" leaves. A strip at the view's
// top left holds the frame's size and the buttons. Only the display changes until "Crop".
#pragma once

#include "CropFrame.h"

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

class PictureBox;
class QLabel;
class QPushButton;

class CropFrameView : public QWidget {
public:
    // Over `picture`, whose bitmap is `pictureSize` pixels; the strip, where `describe` tells
    // the frame's size (its pixels and what they come to on the canvas), goes into `window` at
    // `stripAt`.
    CropFrameView(PictureBox& picture, QSize pictureSize, FrameProportions proportions,
                  std::function<QString(QRect frame)> describe, QWidget& window, QPoint stripAt);
    ~CropFrameView() override;

    QRect Frame() const { return frame_; }
    FrameProportions Proportions() const { return proportions_; }
    std::function<void()> OnCrop;
    std::function<void()> OnCancel;

    QLabel* SizeLabel;
    QPushButton* RotateButton; // "Rotate frame"
    QPushButton* CropButton;   // "Crop"
    QPushButton* CancelButton; // "Cancel"

    // "Rotate frame": portrait and landscape swapped, the largest such frame, centred.
    void RotateFrame();
    // The frame's place and size, the part inside the picture; a frame wholly outside is
    // ignored.
    void SetFrame(QRect frame);
    // Leaves: the strip and the frame hidden at once, deleted once control returns to the event
    // loop (a handler of theirs may be running).
    void Finish();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double Factor() const;
    QRectF OnScreen(QRect frame) const;
    QPoint PicturePoint(QPointF onScreen) const;
    void Changed();

    PictureBox& picture_;
    QSize pictureSize_;
    FrameProportions proportions_;
    QRect frame_;
    std::function<QString(QRect frame)> describe_;
    // The window's child: the window may have deleted it first when both go with the window.
    QPointer<QWidget> strip_;
    enum class Drag { None, Move, Resize } drag_ = Drag::None;
    QRect pressFrame_;
    QPoint pressPoint_;
    QPoint anchor_; // the corner pixel that stays while a corner is dragged
};
