// SPDX-License-Identifier: MIT
// The "Study" menu: where the value bands fall ("Value Bands...", Ctrl+B), in a tool window
// whose presets and edges posterize the study again as they change; "Simplify Shapes..."
// (Ctrl+K), which merges the study's small patches.
#pragma once

#include "ValueBands.h"

#include <cstdint>

class QAction;
class QMenu;
class QMenuBar;
class ShapeMerger;
class TForm1;
class TValueBands;
class WindowShortcuts;

class StudyMenu {
public:
    StudyMenu(TForm1& form, QMenuBar& menuBar, WindowShortcuts& keys);

    QMenu* Menu;             // "Study", right of "Canvas"
    QAction* ValueBandsItem; // "Value Bands..." (Ctrl+B)
    QAction* SimplifyItem;   // "Simplify Shapes..." (Ctrl+K)
    // The bands window, made when "Value Bands..." is first chosen; null until then.
    TValueBands* BandsWindow = nullptr;

    // "Value Bands..." chosen: the window shown beside the main window, or brought to the front.
    void ValueBandsItemClick(QObject* Sender);
    // "Simplify Shapes..." chosen: the dialog over the shown study; OK merges its small patches.
    void SimplifyItemClick(QObject* Sender);
    // "Simplify Shapes..." confirmed: the hourglass, the shown study's patches below
    // `minimumPixels` merged (from `patches` where the dialog found them), the result left where
    // Oilify leaves its own; no Undo is left.
    void SimplifyShapes(std::uint64_t minimumPixels, const ShapeMerger* patches = nullptr);
    // A preset chosen in the window: the study posterized at its edges; a notan sets the levels.
    void PresetChosen(BandPreset preset);
    // An edge moved in the window: the study posterized at the painter's edges.
    void EdgeMoved(int edge, int value);
    // The grey picture was made again: its histogram is counted again when next shown.
    void GreyChanged();
    // The grey picture's histogram, counted once per grey picture.
    const GreyHistogram& Histogram();
    // After every posterize, with the bands it used: edges placed for another level count give
    // way to their preset, and the window shows the bands in force.
    void Posterized(int levels, const ValueBands& bands);

private:
    void ShowBands(int levels, const ValueBands& bands);

    TForm1& form_;
    GreyHistogram histogram_{};
    bool histogramStale_ = true;
};
