// SPDX-License-Identifier: MIT
#include "SpinBox.h"

#include "EventBoundary.h"
#include "IntText.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <algorithm>

SpinBox::SpinBox(int minimum, int maximum, int value, QWidget* parent)
    : QAbstractSpinBox(parent), minimum_(minimum), maximum_(maximum), value_(value) {
    ShowText(QString::number(value));
    // The text field shows the box's cursor, whichever the box is given.
    lineEdit()->unsetCursor();
    connect(this, &QAbstractSpinBox::editingFinished, this,
            [this] { RunHandler([this] { Confirm(); }); });
}

QString SpinBox::Text() const {
    return lineEdit()->text();
}

int SpinBox::NumberOf(const QString& text) const {
    const std::optional<qint64> number = WholeNumberOf(text);
    if (!number)
        return value_;
    return int(std::clamp<qint64>(*number, minimum_, maximum_));
}

void SpinBox::ShowText(const QString& text) {
    lineEdit()->setText(text);
}

void SpinBox::SetText(const QString& text) {
    const QString before = Text();
    if (text == before)
        return;
    value_ = NumberOf(text);
    ShowText(QString::number(value_));
    if (Text() != before && OnChange)
        OnChange();
}

void SpinBox::Confirm() {
    const int confirmed = NumberOf(Text());
    if (confirmed != value_) {
        value_ = confirmed;
        if (OnChange)
            OnChange();
    }
    const QString digits = QString::number(value_);
    if (Text() != digits) {
        ShowText(digits);
        if (OnChange)
            OnChange();
    }
}

void SpinBox::stepBy(int steps) {
    const int stepped = std::clamp(value_ + steps, minimum_, maximum_);
    if (stepped == value_)
        return;
    value_ = stepped;
    ShowText(QString::number(value_));
    if (OnChange)
        RunHandler(OnChange);
}

QValidator::State SpinBox::validate(QString& input, int&) const {
    static const QRegularExpression signedDigits(QStringLiteral("^[+-]?[0-9]*$"));
    return signedDigits.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled SpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value_ > minimum_)
        enabled |= StepDownEnabled;
    if (value_ < maximum_)
        enabled |= StepUpEnabled;
    return enabled;
}
