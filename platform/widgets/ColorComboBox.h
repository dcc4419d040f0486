// SPDX-License-Identifier: MIT
#pragma once

#include "AlphaColor.h"

#include <QPushButton>
#include <functional>

// A colour drop-down: a swatch that opens the colour picker. With UseAlpha off every colour it
// holds is opaque. OnChange runs whenever the colour changes.
class ColorComboBox : public QPushButton {
public:
    ColorComboBox(TAlphaColor colour, bool useAlpha, QWidget* parent = nullptr);

    TAlphaColor Color() const { return colour_; }
    void SetColor(TAlphaColor colour);
    bool UseAlpha() const { return useAlpha_; }

    std::function<void()> OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Choose();

    TAlphaColor colour_;
    bool useAlpha_;
};
