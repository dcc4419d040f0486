// SPDX-License-Identifier: MIT
// The effects and the handlers that run them: grey conversion, posterize with its level
// controls, Oilify, recolour by pick, the grid and the two Undo buttons.
#include "AppError.h"
#include "ColorComboBox.h"
#include "Faqja0.h"
#include "GreyKernel.h"
#include "GridKernel.h"
#include "IntText.h"
#include "NumberBox.h"
#include "OilifyKernel.h"
#include "PictureBox.h"
#include "PosterizeKernel.h"
#include "RecolourKernel.h"
#include "SpinBox.h"
#include "ToggleButton.h"
#include "TrackBar.h"

#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <optional>

namespace {

[[noreturn]] void ThrowGridSpacingBelowOne() {
    throw AppError(QStringLiteral("Grid spacing must be at least 1."));
}

// The spacing a text gives, or none where it is no whole number.
std::optional<int> SpacingIn(const QString& text) {
    try {
        return StrToInt(text);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

bool SameSize(const TBitmap& a, const TBitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height();
}

} // namespace

void TForm1::ConvertToGrey() {
    ScopedMap source(SourceBitmap, TMapAccess::Read, ReadMap);
    GreyBitmap.SetSize(SourceBitmap.Width(), SourceBitmap.Height());
    ScopedMap grey(GreyBitmap, TMapAccess::Write, WriteMap);
    const GreyMethod method = RadioButton1->isChecked()   ? GreyMethod::Red
                              : RadioButton2->isChecked() ? GreyMethod::GreenLightened
                                                          : GreyMethod::BlueLightened;
    if (source.Mapped() && grey.Mapped())
        GreyPass(ReadMap, WriteMap, method, CurrentPixel, OutputColour);
    grey.Release();
    source.Release();
    PosterizeLevels();
}

void TForm1::PosterizeLevels() {
    Image1->setCursor(Qt::WaitCursor);
    setCursor(Qt::WaitCursor);
    TrackBar1->setCursor(Qt::WaitCursor);
    Edit2->setCursor(Qt::WaitCursor);

    PosterBitmap.SetSize(GreyBitmap.Width(), GreyBitmap.Height());
    const int levels = StrToInt(Edit2->Text());
    TBitmap& shown = Image1->Bitmap();
    bool shownCopied = false;
    {
        ScopedMap poster(PosterBitmap, TMapAccess::Write, WriteMap);
        // The grey picture is only read; a write mapping shows its current pixels all the same.
        ScopedMap grey(GreyBitmap, TMapAccess::Write, ReadMap);
        // A shown picture of the same size takes its copy in the same pass, as Assign would.
        TBitmapData shownMap;
        std::optional<ScopedMap> shownAccess;
        if (SameSize(shown, PosterBitmap))
            shownAccess.emplace(shown, TMapAccess::Write, shownMap);
        if (poster.Mapped() && grey.Mapped()) {
            shownCopied = shownAccess && shownAccess->Mapped();
            if (shownCopied)
                PosterizePassWithCopy(ReadMap, WriteMap, shownMap, levels, CurrentPixel,
                                      OutputColour);
            else
                PosterizePass(ReadMap, WriteMap, levels, CurrentPixel, OutputColour);
        }
        poster.Release();
        grey.Release();
    }
    if (!shownCopied)
        shown.Assign(PosterBitmap);

    Image1->setCursor(Qt::ArrowCursor);
    for (QWidget* control : std::initializer_list<QWidget*>{this, RadioButton1, RadioButton2,
                                                            RadioButton3, TrackBar1, Edit2})
        control->unsetCursor();
}

void TForm1::ShowRadioChangeBusy(QRadioButton* sender) {
    sender->setCursor(Qt::WaitCursor);
    Image1->setCursor(Qt::WaitCursor);
    setCursor(Qt::WaitCursor);
    Button3->SetPressed(false);
    Button7->setEnabled(false);
    Button8->setEnabled(false);
}

void TForm1::RadioButton1Change(QObject*) {
    ShowRadioChangeBusy(RadioButton1);
    ConvertToGrey();
}

void TForm1::RadioButton2Change(QObject*) {
    ShowRadioChangeBusy(RadioButton2);
    ConvertToGrey();
}

void TForm1::RadioButton3Change(QObject*) {
    ShowRadioChangeBusy(RadioButton3);
    ConvertToGrey();
}

void TForm1::Button1Click(QObject*) {
    PosterizeLevels();
    Button7->setEnabled(false);
    Button8->setEnabled(false);
}

void TForm1::TrackBar1Change(QObject*) {
    // The slider's value is never negative, so dropping the fraction truncates.
    Edit2->SetText(QString::number(int(std::trunc(TrackBar1->Value()))));
}

void TForm1::Edit2Change(QObject*) {
    TrackBar1->SetValue(Edit2->Value());
    PosterizeLevels();
}

void TForm1::TrackBar1MouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, QPointF) {
    PosterizeLevels();
}

void TForm1::TrackBar1Click(QObject*) {
    PosterizeLevels();
}

void TForm1::Button2Click(QObject*) {
    Image1->setCursor(Qt::WaitCursor);
    setCursor(Qt::WaitCursor);
    Button2->setCursor(Qt::WaitCursor);

    OilifyRows();
    // The first cycle's result goes on in PosterBitmap; the second cycle writes all of OilBitmap.
    PosterBitmap.Swap(OilBitmap);
    OilifyRows();
    Image1->Bitmap().Assign(OilBitmap);

    Image1->setCursor(Qt::ArrowCursor);
    unsetCursor();
    Button2->unsetCursor();
    Button7->setEnabled(false);
    Button8->setEnabled(false);
}

void TForm1::OilifyRows() {
    OilifyPassInto(PosterBitmap, OilRowsBitmap, OilifyDirection::Rows);
    OilifyColumns();
}

void TForm1::OilifyColumns() {
    OilifyPassInto(OilRowsBitmap, OilBitmap, OilifyDirection::Columns);
}

void TForm1::OilifyPassInto(TBitmap& input, TBitmap& output, OilifyDirection direction) {
    ScopedMap in(input, TMapAccess::Read, ReadMap);
    // The pass writes every pixel of the output.
    output.SetSize(input.Width(), input.Height());
    ScopedMap out(output, TMapAccess::Write, WriteMap);
    if (in.Mapped() && out.Mapped())
        OilifyPass(ReadMap, WriteMap, direction, CurrentPixel, OutputColour);
    out.Release();
    in.Release();
}

void TForm1::Button3Click(QObject*) {
    if (Button3->IsPressed()) {
        Image1->setCursor(Qt::PointingHandCursor);
        Button3->setCursor(Qt::PointingHandCursor);
    } else {
        Image1->unsetCursor();
        Button3->unsetCursor();
    }
}

void TForm1::ComboColorBox1Change(QObject*) {
    Button3->SetPressed(true);
}

void TForm1::Image1MouseMove(QObject*, Qt::KeyboardModifiers, QPointF at) {
    if (!Button3->IsPressed())
        return;
    PickX = int(std::trunc(at.x()));
    PickY = int(std::trunc(at.y()));
}

void TForm1::Image1Click(QObject*) {
    if (!Button3->IsPressed())
        return;
    TBitmap& shown = Image1->Bitmap();
    // A position kept from an earlier, larger picture picks nothing.
    const bool picks = PickX >= 0 && PickY >= 0 && PickX < shown.Width() && PickY < shown.Height();
    // A snapshot of the same size is taken in the recolour's own pass, as Assign would take it.
    const bool snapshotInPass = picks && SameSize(UndoBitmap, shown);
    if (!snapshotInPass)
        UndoBitmap.Assign(shown);
    Button7->setEnabled(true);
    Button8->setEnabled(false);
    ScopedMap picture(shown, TMapAccess::Write, ReadMap);
    if (!picture.Mapped() || !picks)
        return;
    PickedColour = GetPixel(ReadMap, PickX, PickY);
    if (!snapshotInPass) {
        ReplaceColour(ReadMap, PickedColour, ComboColorBox1->Color());
        return;
    }
    TBitmapData undoMap;
    ScopedMap undo(UndoBitmap, TMapAccess::Write, undoMap);
    ReplaceColourAfterCopy(ReadMap, undoMap, PickedColour, ComboColorBox1->Color());
}

void TForm1::Button7Click(QObject*) {
    Button7->setEnabled(false);
    Image1->Bitmap().Assign(UndoBitmap);
}

void TForm1::Button6Click(QObject*) {
    TBitmap& shown = Image1->Bitmap();
    // Where a grid will be drawn and the snapshot has the size already, the snapshot is taken in
    // the grid's own pass, as Assign would take it.
    const std::optional<int> typed = SpacingIn(NumberBox1->Text());
    const bool snapshotInPass =
        typed && *typed >= 1 && shown.Width() >= 2 && SameSize(UndoBitmap, shown);
    if (!snapshotInPass)
        UndoBitmap.Assign(shown);
    Button8->setEnabled(true);
    Button7->setEnabled(false);
    const int spacing = StrToInt(NumberBox1->Text());
    // From a spacing below 1 the lines would never end; refuse it like a text that is no number.
    if (spacing < 1)
        ThrowGridSpacingBelowOne();
    GridStepLess1 = spacing - 1;
    const int width = shown.Width();
    Button3->SetPressed(false);
    if (width < 2)
        return;
    ScopedMap picture(shown, TMapAccess::Write, ReadMap);
    if (!picture.Mapped())
        return;
    if (!snapshotInPass) {
        DrawGrid(ReadMap, GridStepLess1 + 1, ComboColorBox2->Color());
        return;
    }
    TBitmapData undoMap;
    ScopedMap undo(UndoBitmap, TMapAccess::Write, undoMap);
    DrawGridAfterCopy(ReadMap, undoMap, GridStepLess1 + 1, ComboColorBox2->Color());
}

void TForm1::Button8Click(QObject*) {
    Button8->setEnabled(false);
    Image1->Bitmap().Assign(UndoBitmap);
}

void TForm1::NumberBox1KeyUp(QObject*, int, QChar, Qt::KeyboardModifiers) {
    if (StrToInt(NumberBox1->Text()) > 200)
        NumberBox1->SetText(QStringLiteral("28"));
}

void TForm1::NumberBox1Change(QObject*) {
    const double spacing = NumberBox1->Value();
    if (spacing > SourceBitmap.Width() || spacing > SourceBitmap.Height())
        NumberBox1->SetValue(28);
}
