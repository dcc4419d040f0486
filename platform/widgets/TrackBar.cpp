// SPDX-License-Identifier: MIT
#include "TrackBar.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

TrackBar::TrackBar(QWidget* parent) : RealValueControl<QSlider>(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void TrackBar::RangeChanged() {
    setSingleStep(int(Scale));
    setPageStep(int(Scale));
}

bool TrackBar::OnThumb(QPoint position) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this)
        .contains(position);
}

double TrackBar::ValueAt(QPoint position) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int offset = position.x() - groove.x() - handle.width() / 2;
    return QStyle::sliderValueFromPosition(minimum(), maximum(), offset, span, option.upsideDown) /
           Scale;
}

void TrackBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !OnThumb(event->position().toPoint())) {
        trackPressed_ = true;
        event->accept();
        return;
    }
    QSlider::mousePressEvent(event);
}

void TrackBar::mouseReleaseEvent(QMouseEvent* event) {
    if (!trackPressed_ || event->button() != Qt::LeftButton) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    trackPressed_ = false;
    event->accept();
    const QPoint position = event->position().toPoint();
    if (OnClick)
        RunHandler(OnClick);
    if (OnMouseUp)
        RunHandler([&] { OnMouseUp(event->button(), event->modifiers(), event->position()); });
    RunHandler([&] { SetValue(ValueAt(position)); });
}
