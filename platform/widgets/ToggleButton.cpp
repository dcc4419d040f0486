// SPDX-License-Identifier: MIT
#include "ToggleButton.h"

#include "EventBoundary.h"

#include <QMouseEvent>

ToggleButton::ToggleButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setCheckable(true);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            RunHandler(OnClick);
    });
}

void ToggleButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled())
        setChecked(!isChecked());
    QPushButton::mousePressEvent(event);
}
