// SPDX-License-Identifier: MIT
#include "PictureBox.h"

#include "EventBoundary.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    bitmap_.SetObserver([this] { update(); });
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    const QImage image = picture_.isNull() ? bitmap_.ImageView() : picture_;
    if (image.isNull())
        return;
    QPainter painter(this);
    if (image.size() == size()) {
        // One pixel per pixel: draw only what is exposed, however large the picture.
        const QRect exposed = event->rect();
        painter.drawImage(exposed.topLeft(), image, exposed);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                       fitted);
    painter.drawImage(target, image);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = leftPressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    leftPressed_ = false;
    if (click && OnClick)
        RunHandler(OnClick);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove)
        RunHandler([&] { OnMouseMove(event->modifiers(), event->position()); });
}

void PictureBox::wheelEvent(QWheelEvent* event) {
    if (!OnMouseWheel) {
        event->ignore();
        return;
    }
    bool handled = false;
    RunHandler([&] { OnMouseWheel(event->modifiers(), event->angleDelta().y(), handled); });
    event->setAccepted(handled);
}
