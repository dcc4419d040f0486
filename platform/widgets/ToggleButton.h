// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>
#include <functional>

// A button that stays pressed. A left press flips the pressed state; the click handler runs on
// release and sees the new state. Space runs the click handler without flipping. Setting the
// state from code changes only the look.
class ToggleButton : public QPushButton {
public:
    explicit ToggleButton(const QString& text, QWidget* parent = nullptr);

    bool IsPressed() const { return isChecked(); }
    void SetPressed(bool pressed) { setChecked(pressed); }

    std::function<void()> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void nextCheckState() override {}
};
