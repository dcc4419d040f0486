// SPDX-License-Identifier: MIT
#pragma once

#include <QRadioButton>

// A radio button whose whole place answers the pointer and is what it reports to assistive
// technology. Qt's own takes only the indicator and the text's rows, centred in its height, so
// with a font shorter than the control a click on its top row is lost and its reported place
// moves down.
class PlacedRadioButton : public QRadioButton {
public:
    PlacedRadioButton(const QString& text, QWidget* parent);
};
