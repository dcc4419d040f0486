// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>

// An integer text field with a range. Dragging the mouse up or down over it changes the value by
// a step per pixel. The value follows the text when the text is set from code or confirmed
// (Enter, or leaving the field), held within the range and shown as plain digits; OnChange runs
// whenever the value changes. OnKeyUp runs after every key released in the field.
class NumberBox : public QLineEdit {
public:
    NumberBox(int minimum, int maximum, int value, int dragStep, QWidget* parent = nullptr);

    double Value() const { return value_; }
    void SetValue(double value);
    QString Text() const { return text(); }
    void SetText(const QString& text);

    std::function<void()> OnChange;
    std::function<void(int key, QChar character, Qt::KeyboardModifiers)> OnKeyUp;

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Text set from code goes through SetText, so the value follows it; Qt's setter would leave
    // the value behind.
    using QLineEdit::setText;

    // Takes the value a text denotes; the text is rewritten as its digits.
    void TakeText(const QString& text);

    int minimum_;
    int maximum_;
    double value_;
    int dragStep_;
    std::optional<int> dragFromY_;
};
