// SPDX-License-Identifier: MIT
#pragma once

#include "RealValueControl.h"

#include <QScrollBar>

// A scroll bar with a real-number value from 0 to its maximum and an automatic arrow step:
// 10 to the power of round-half-even(log10(range) - 1.5), so a range of 1000 steps by 100,
// 500 by 10, 100 by 1 and 5 by 0.1.
class RealScrollBar : public RealValueControl<QScrollBar> {
public:
    explicit RealScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    static double AutomaticStep(double range);
    double ArrowStep() const { return singleStep() / Scale; }

protected:
    void RangeChanged() override;
};
