// SPDX-License-Identifier: MIT
#include "ValueKeyLink.h"
#include "AppError.h"
#include "EventBoundary.h"
#include "Faqja0.h"
#include "InterfaceFont.h"
#include "PictureBox.h"
#include "ToggleButton.h"
#include "ValueKey.h"
#include "ValueKeyTable.h"

#include <QAction>
#include <QMenu>

ValueKeyLink::ValueKeyLink(TForm1& window, QMenu& viewMenu) : QObject(&window), window_(window) {
    viewMenu.addSeparator();
    ValueKeyItem = viewMenu.addAction(QStringLiteral("Value Key"));
    OnTriggered(ValueKeyItem, this, *this, &ValueKeyLink::ValueKeyItemClick);
}

// "Value Key" chosen: the key window shown (beside the main window the first time) or brought
// to the front; it counts the picture only while it is shown.
void ValueKeyLink::ValueKeyItemClick(QObject*) {
    if (KeyWindow == nullptr) {
        KeyWindow = new TValueKey(*window_.Image1, &window_);
        KeyWindow->OnToneClick = [this](TAlphaColor tone) { ValueKeyToneClick(tone); };
        KeyWindow->OnStamp = [this](const std::vector<KeyRow>& rows, std::uint64_t studyPixels) {
            StampKey(rows, studyPixels);
        };
        window_.Image1->OnPictureChanged = [this] { KeyWindow->PictureChanged(); };
    }
    KeyWindow->ShowBeside(window_);
}

void ValueKeyLink::ValueKeyToneClick(TAlphaColor tone) {
    if (window_.Button3->IsPressed())
        window_.RecolourTone(tone);
}

void ValueKeyLink::StampKey(const std::vector<KeyRow>& rows, std::uint64_t studyPixels) {
    TBitmap& shown = window_.Image1->Bitmap();
    if (shown.IsEmpty())
        return;
    if (!KeyStampFits(shown.Width(), shown.Height(), rows.size(), InterfaceFont()))
        throw AppError(QStringLiteral("The picture is too small for the key's stamp."));
    UndoBitmap.Assign(shown);
    window_.OfferUndo(UndoOffer::Grid);
    ScopedMap picture(shown, TMapAccess::Write, ReadMap);
    if (picture.Mapped())
        window_.Image1->AddCoveredAreas(
            {DrawKeyStamp(ReadMap, rows, studyPixels, InterfaceFont())});
}
