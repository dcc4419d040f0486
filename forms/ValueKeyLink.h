// SPDX-License-Identifier: MIT
// The value key's link to the main window: its item in the View menu, a tone of the key
// recoloured as a click on the picture would, and the key stamped into the picture.
#pragma once

#include "Bitmap.h"

#include <QObject>
#include <cstdint>
#include <vector>

class QAction;
class QMenu;
class TForm1;
class TValueKey;
struct KeyRow;

class ValueKeyLink : public QObject {
public:
    // Adds "Value Key" at the end of `viewMenu`, after a separator.
    ValueKeyLink(TForm1& window, QMenu& viewMenu);

    QAction* ValueKeyItem; // "Value Key": the tones of the shown picture in a tool window
    // The key window, made when "Value Key" is first chosen; null until then.
    TValueKey* KeyWindow = nullptr;

    void ValueKeyItemClick(QObject* Sender);
    // A tone of the key clicked: while "Colorize" is pressed, recoloured as a click on a pixel of
    // that tone in the picture would.
    void ValueKeyToneClick(TAlphaColor tone);
    // "Stamp Key": snapshot for the grid's Undo, then the key's rows drawn into the picture's
    // top-left corner.
    void StampKey(const std::vector<KeyRow>& rows, std::uint64_t studyPixels);

private:
    TForm1& window_;
};
