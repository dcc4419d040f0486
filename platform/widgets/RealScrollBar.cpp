// SPDX-License-Identifier: MIT
#include "RealScrollBar.h"

#include <algorithm>
#include <cmath>

RealScrollBar::RealScrollBar(Qt::Orientation orientation, QWidget* parent)
    : RealValueControl<QScrollBar>(orientation, parent) {
    SetRange(0, 1);
}

double RealScrollBar::AutomaticStep(double range) {
    if (range <= 0)
        return 1 / Scale;
    // std::nearbyint rounds halves to the even integer in the default rounding mode.
    return std::pow(10.0, std::nearbyint(std::log10(range) - 1.5));
}

void RealScrollBar::RangeChanged() {
    const int step = std::max(1, ToTicks(AutomaticStep(Maximum() - Minimum())));
    setSingleStep(step);
    setPageStep(step * 10);
}
