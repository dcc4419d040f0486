// SPDX-License-Identifier: MIT
// The value key: its window opened from the View menu, a tone recoloured from it, the key
// stamped into the picture.
#include "AppError.h"
#include "Faqja0.h"
#include "InterfaceFont.h"
#include "PictureBox.h"
#include "ToggleButton.h"
#include "ValueKey.h"
#include "ValueKeyTable.h"

#include <QPushButton>

// "Value Key" chosen: the key window shown (beside this window the first time) or brought to the
// front; it counts the picture only while it is shown.
void TForm1::ValueKeyItemClick(QObject*) {
    if (KeyWindow == nullptr) {
        KeyWindow = new TValueKey(*Image1, this);
        KeyWindow->OnToneClick = [this](TAlphaColor tone) { ValueKeyToneClick(tone); };
        KeyWindow->OnStamp = [this](const std::vector<KeyRow>& rows) { StampKey(rows); };
        Image1->OnPictureChanged = [this] { KeyWindow->PictureChanged(); };
    }
    KeyWindow->ShowBeside(*this);
}

void TForm1::ValueKeyToneClick(TAlphaColor tone) {
    if (Button3->IsPressed())
        RecolourTone(tone);
}

void TForm1::StampKey(const std::vector<KeyRow>& rows) {
    TBitmap& shown = Image1->Bitmap();
    if (shown.IsEmpty())
        return;
    if (!KeyStampFits(shown.Width(), shown.Height(), rows.size(), InterfaceFont()))
        throw AppError(QStringLiteral("The picture is too small for the key's stamp."));
    UndoBitmap.Assign(shown);
    OfferUndo(UndoOffer::Grid);
    ScopedMap picture(shown, TMapAccess::Write, ReadMap);
    if (picture.Mapped())
        DrawKeyStamp(ReadMap, rows, InterfaceFont());
}
