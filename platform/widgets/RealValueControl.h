// SPDX-License-Identifier: MIT
#pragma once

#include "EventBoundary.h"

#include <QAbstractSlider>
#include <cmath>
#include <functional>

// A Qt slider or scroll bar that holds a real number. The value is kept in the Qt control as a
// whole number of thousandths, so a value that went up and down by fractional steps comes back
// exactly and never leaves a residue near zero. OnChange runs whenever the value actually
// changes: directly inside SetValue/SetMaximum when code changes it, behind the event boundary
// when the user does.
template <typename QtControl> class RealValueControl : public QtControl {
public:
    static constexpr double Scale = 1000.0;

    explicit RealValueControl(Qt::Orientation orientation, QWidget* parent = nullptr)
        : QtControl(orientation, parent) {
        QObject::connect(this, &QAbstractSlider::valueChanged, this, [this] {
            if (settingFromCode_ || !OnChange)
                return;
            RunHandler(OnChange);
        });
    }

    double Value() const { return QtControl::value() / Scale; }
    double Minimum() const { return QtControl::minimum() / Scale; }
    double Maximum() const { return QtControl::maximum() / Scale; }

    // Clamped into the range; OnChange runs when the value changed.
    void SetValue(double value) {
        ChangeFromCode([&] { QtControl::setValue(ToTicks(value)); });
    }
    // A maximum below the value pulls the value down, which runs OnChange.
    void SetMaximum(double maximum) {
        ChangeFromCode([&] { QtControl::setMaximum(ToTicks(maximum)); });
        RangeChanged();
    }
    void SetRange(double minimum, double maximum) {
        ChangeFromCode([&] { QtControl::setRange(ToTicks(minimum), ToTicks(maximum)); });
        RangeChanged();
    }

    std::function<void()> OnChange;

protected:
    static int ToTicks(double value) { return int(std::llround(value * Scale)); }
    // Lets a subclass follow the range, e.g. with an automatic arrow step.
    virtual void RangeChanged() {}

    template <typename Change> void ChangeFromCode(Change&& change) {
        const int before = QtControl::value();
        settingFromCode_ = true;
        change();
        settingFromCode_ = false;
        if (QtControl::value() != before && OnChange)
            OnChange();
    }

private:
    // Qt's own setters would change the value in ticks and raise the change behind the event
    // boundary; the program goes through SetValue/SetMaximum/SetRange instead.
    using QtControl::setMaximum;
    using QtControl::setMinimum;
    using QtControl::setRange;
    using QtControl::setValue;

    bool settingFromCode_ = false;
};
