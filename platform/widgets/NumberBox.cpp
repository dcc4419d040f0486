// SPDX-License-Identifier: MIT
#include "NumberBox.h"

#include "EventBoundary.h"
#include "IntText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <algorithm>

NumberBox::NumberBox(int minimum, int maximum, int value, int dragStep, QWidget* parent)
    : QLineEdit(QString::number(value), parent), minimum_(minimum), maximum_(maximum),
      value_(value), dragStep_(dragStep) {
    setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[+-]?[0-9]*$")), this));
    setCursor(Qt::IBeamCursor);
    connect(this, &QLineEdit::editingFinished, this,
            [this] { RunHandler([this] { TakeText(text()); }); });
}

void NumberBox::SetValue(double value) {
    value = std::clamp(value, double(minimum_), double(maximum_));
    setText(QString::number(value, 'g', 15));
    if (value == value_)
        return;
    value_ = value;
    if (OnChange)
        OnChange();
}

void NumberBox::SetText(const QString& text) {
    TakeText(text);
}

void NumberBox::TakeText(const QString& text) {
    const std::optional<qint64> number = WholeNumberOf(text);
    SetValue(number ? double(*number) : value_);
}

void NumberBox::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    if (OnKeyUp && !event->isAutoRepeat()) {
        const QChar character = event->text().isEmpty() ? QChar() : event->text().front();
        RunHandler([&] { OnKeyUp(event->key(), character, event->modifiers()); });
    }
}

void NumberBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragFromY_ = int(event->position().y());
    QLineEdit::mousePressEvent(event);
}

void NumberBox::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFromY_) {
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    const int y = int(event->position().y());
    const int pixelsUp = *dragFromY_ - y;
    if (pixelsUp == 0)
        return;
    dragFromY_ = y;
    RunHandler([&] { SetValue(value_ + double(pixelsUp) * dragStep_); });
}

void NumberBox::mouseReleaseEvent(QMouseEvent* event) {
    dragFromY_.reset();
    QLineEdit::mouseReleaseEvent(event);
}
