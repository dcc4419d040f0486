// SPDX-License-Identifier: MIT
// "Value Bands...": a tool window with the grey picture's histogram, the study's band edges to
// drag or type, and the presets that place them.
#pragma once

#include "ValueBands.h"

#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class BandHistogram;
class QGridLayout;
class QLabel;
class QListWidget;
class QSpinBox;

class TValueBands : public QWidget {
public:
    explicit TValueBands(QWidget* owner);

    QListWidget* PresetList;           // the presets, and "Custom" once an edge has moved
    BandHistogram* Histogram;          // the grey histogram with the bands and their edges
    std::vector<QSpinBox*> EdgeFields; // an edge's exact value each, dark to light
    QLabel* SharesLabel;               // each band's share of the picture, dark to light
    QLabel* EdgesLabel;                // "Edges:"

    // A preset chosen in the list; behind the event boundary.
    std::function<void(BandPreset preset)> OnPresetChosen;
    // An edge dragged, stepped or typed to a value held between its neighbours; behind the
    // event boundary.
    std::function<void(int edge, int value)> OnEdgeMoved;

    // The bands in force over the grey picture's histogram, and the preset that placed them.
    void Show(const GreyHistogram& histogram, const ValueBands& bands, BandPreset preset);
    // Opens the window beside `owner` the first time, where it was after that.
    void ShowBeside(const QWidget& owner);

private:
    void ShowEdgeFields(const ValueBands& bands);

    QGridLayout* fieldGrid_;
    std::optional<QPoint> place_;
    bool showing_ =
        false; // while the controls are set from the bands, their signals are not the user's
};
