// SPDX-License-Identifier: MIT
// The value key: a tool window listing the tones of the shown picture, dark to light, with their
// share and pixels, and its same-colour patches.
#pragma once

#include "ToneCensus.h"
#include "ValueKeyTable.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class PictureBox;
class QLabel;
class QPushButton;
class QTreeWidget;

class TValueKey : public QWidget {
public:
    // Lists the tones of `picture`'s bitmap; pointing at a row highlights its tone there.
    explicit TValueKey(PictureBox& picture, QWidget* owner);

    QTreeWidget* ToneList;    // a row per tone: number, swatch and value, share, pixels
    QLabel* OverlayLabel;     // "Grid and labels: 0.9 %": what was drawn over the study, if any
    QLabel* PatchLabel;       // the patches, or that there is no picture
    QPushButton* StampButton; // "Stamp Key"

    // A tone's row clicked; runs behind the event boundary.
    std::function<void(TAlphaColor tone)> OnToneClick;
    // "Stamp Key" clicked, with the rows of the shown picture and the study's pixels their
    // shares are of; behind the event boundary.
    std::function<void(const std::vector<KeyRow>& rows, std::uint64_t studyPixels)> OnStamp;

    // Shows the window: beside `owner` the first time, where it was after that, wholly on the
    // screen that shows `owner`.
    void ShowBeside(const QWidget& owner);
    // The shown picture changed: counted again once control returns to the event loop, and only
    // while the window is shown.
    void PictureChanged();

    const std::vector<KeyRow>& Rows() const { return rows_; }
    const PatchCensus& Patches() const { return patches_; }

    // Handlers of the list and the button.
    void ToneListRowEntered(int row);
    void ToneListLeft();
    void ToneListRowClicked(int row);
    void StampButtonClick(QObject* Sender);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Counts the shown picture unless its generation was counted already, and lists the result.
    void Recount();
    void FillList();

    PictureBox& picture_;
    QTimer recount_;
    std::optional<QPoint> place_;
    bool counted_ = false;
    std::uint64_t countedGeneration_ = 0;
    std::uint64_t totalPixels_ = 0;
    std::uint64_t overlayPixels_ = 0; // drawn over the study: grids, names, the stamp
    std::vector<KeyRow> rows_;
    PatchCensus patches_;
};
