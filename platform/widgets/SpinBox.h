// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractSpinBox>
#include <functional>

// A whole-number spin box with exact text rules:
// - SetText with the text already shown does nothing; another text makes the box take the number
//   it denotes, held within the range, show it as plain digits and, when the shown text changed,
//   raise OnChange once.
// - Typing raises nothing. Confirming typed text (Enter, or leaving the box) raises OnChange once
//   when the held value changes (the typed text still shown) and once more when the text is then
//   rewritten as the plain digits of the value.
// - Each step by 1 (buttons, arrow keys, wheel) that changes the value raises OnChange once.
class SpinBox : public QAbstractSpinBox {
public:
    SpinBox(int minimum, int maximum, int value, QWidget* parent = nullptr);

    int Value() const { return value_; }
    QString Text() const;
    void SetText(const QString& text);

    std::function<void()> OnChange;

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& position) const override;
    void fixup(QString&) const override {}

protected:
    StepEnabled stepEnabled() const override;

private:
    // The number a text denotes, held within the range; the held value when it denotes none.
    int NumberOf(const QString& text) const;
    void ShowText(const QString& text);
    void Confirm();

    int minimum_;
    int maximum_;
    int value_;
};
