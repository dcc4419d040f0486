// SPDX-License-Identifier: MIT
// The effects and the handlers that run them: grey conversion, posterize with its level
// controls, Oilify, recolour by pick, the grid and the two Undo buttons.
#include "AppError.h"
#include "CanvasGridKernel.h"
#include "ColorComboBox.h"
#include "Faqja0.h"
#include "GridSpacing.h"
#include "IntText.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "SpinBox.h"
#include "StudyMenu.h"
#include "StudySteps.h"
#include "ToggleButton.h"
#include "TrackBar.h"

#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <optional>

namespace {

// The spacing a text gives, or none where it is no whole number.
std::optional<int> SpacingIn(const QString& text) {
    try {
        return StrToInt(text);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

} // namespace

PassState TForm1::Passes() {
    return PassState{ReadMap, WriteMap, CurrentPixel, OutputColour};
}

void TForm1::ConvertToGrey() {
    const GreyMethod method = RadioButton1->isChecked()   ? GreyMethod::Red
                              : RadioButton2->isChecked() ? GreyMethod::GreenLightened
                                                          : GreyMethod::BlueLightened;
    GreyStep(SourceBitmap, GreyBitmap, method, Passes());
    Study->GreyChanged();
    PosterizeLevels();
}

void TForm1::PosterizeLevels() {
    ShowBusy({TrackBar1, Edit2});
    const int levels = StrToInt(Edit2->Text());
    const ValueBands bands = StudyBands(Bands, levels, [this] { return Study->Histogram(); });
    PosterizeStep(GreyBitmap, PosterBitmap, bands, Passes(), &Image1->Bitmap());
    Image1->ClearOverlay(); // a picture made anew has nothing drawn over it
    Study->Posterized(levels, bands);
    ShowIdle({RadioButton1, RadioButton2, RadioButton3, TrackBar1, Edit2});
}

void TForm1::ShowBusy(std::initializer_list<QWidget*> controls) {
    Image1->setCursor(Qt::WaitCursor);
    setCursor(Qt::WaitCursor);
    for (QWidget* control : controls)
        control->setCursor(Qt::WaitCursor);
}

void TForm1::ShowIdle(std::initializer_list<QWidget*> controls) {
    Image1->setCursor(Qt::ArrowCursor);
    unsetCursor();
    for (QWidget* control : controls)
        control->unsetCursor();
}

void TForm1::ChangeMethod(QRadioButton* sender) {
    ShowBusy({sender}); // posterize, which every grey conversion ends with, shows the arrow again
    Button3->SetPressed(false);
    OfferUndo(UndoOffer::None);
    ConvertToGrey();
}

void TForm1::OfferUndo(UndoOffer offer) {
    Button7->setEnabled(offer == UndoOffer::Recolour);
    Button8->setEnabled(offer == UndoOffer::Grid);
    // What was drawn over the picture goes with its Undo snapshot.
    if (offer != UndoOffer::None)
        Image1->KeepOverlayAside();
}

// "Method 1" checked or unchecked: grey from red, then posterize.
void TForm1::RadioButton1Change(QObject*) {
    ChangeMethod(RadioButton1);
}

// "Method 2" checked or unchecked: grey from green lightened, then posterize.
void TForm1::RadioButton2Change(QObject*) {
    ChangeMethod(RadioButton2);
}

// "Method 3" checked or unchecked: grey from blue lightened, then posterize.
void TForm1::RadioButton3Change(QObject*) {
    ChangeMethod(RadioButton3);
}

// "Posterize.." clicked (or Enter anywhere): posterize the grey picture again; no Undo is left.
void TForm1::Button1Click(QObject*) {
    PosterizeLevels();
    OfferUndo(UndoOffer::None);
}

// Level slider moved: the spin box shows the new count, and its change handler posterizes.
void TForm1::TrackBar1Change(QObject*) {
    // The slider's value is never negative, so dropping the fraction truncates.
    Edit2->SetText(QString::number(int(std::trunc(TrackBar1->Value()))));
}

// Level spin box changed: the slider follows and the grey picture is posterized again.
void TForm1::Edit2Change(QObject*) {
    TrackBar1->SetValue(Edit2->Value());
    PosterizeLevels();
}

// Mouse released over the level slider: posterize with the count the spin box shows.
void TForm1::TrackBar1MouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, QPointF) {
    PosterizeLevels();
}

// Level slider's track clicked: posterize with the count shown before the slider moves.
void TForm1::TrackBar1Click(QObject*) {
    PosterizeLevels();
}

// "Oilify.." clicked: two cycles of the row and column passes; the first cycle's result becomes
// the next click's input, the second is shown. No Undo is left.
void TForm1::Button2Click(QObject*) {
    ShowBusy({Button2});
    OilifyStep({PosterBitmap, OilRowsBitmap, OilBitmap}, Passes(), &Image1->Bitmap());
    Image1->ClearOverlay();
    ShowIdle({Button2});
    OfferUndo(UndoOffer::None);
}

// "Colorize" toggled by the user: the hand over the picture while pressed.
void TForm1::Button3Click(QObject*) {
    if (Button3->IsPressed()) {
        Image1->setCursor(Qt::PointingHandCursor);
        Button3->setCursor(Qt::PointingHandCursor);
    } else {
        Image1->unsetCursor();
        Button3->unsetCursor();
    }
}

// A recolour colour chosen: "Colorize" is pressed, ready for a click on the picture.
void TForm1::ComboColorBox1Change(QObject*) {
    Button3->SetPressed(true);
}

// Pointer moved over the picture: while "Colorize" is pressed, remember the image pixel a click
// would pick.
void TForm1::Image1MouseMove(QObject*, Qt::KeyboardModifiers, QPointF at) {
    if (!Button3->IsPressed())
        return;
    // At 1:1 the position itself, its fraction dropped; at another scale the image pixel under
    // the pointer.
    const ViewScale scale = Image1->Scale();
    PickX = scale.IsActual() ? int(std::trunc(at.x())) : scale.ImagePosition(at.x());
    PickY = scale.IsActual() ? int(std::trunc(at.y())) : scale.ImagePosition(at.y());
}

// Picture clicked while "Colorize" is pressed: snapshot for Undo, then every pixel of the picked
// tone takes the recolour colour.
void TForm1::Image1Click(QObject*) {
    if (!Button3->IsPressed())
        return;
    TBitmap& shown = Image1->Bitmap();
    // A position kept from an earlier, larger picture picks nothing.
    const bool picks = PickX >= 0 && PickY >= 0 && PickX < shown.Width() && PickY < shown.Height();
    std::optional<TAlphaColor> tone;
    if (picks) {
        ScopedMap picture(shown, TMapAccess::Read, ReadMap);
        tone = GetPixel(ReadMap, PickX, PickY);
    }
    RecolourTone(tone);
}

void TForm1::RecolourTone(std::optional<TAlphaColor> tone) {
    TBitmap& shown = Image1->Bitmap();
    // A snapshot of the same size is taken in the recolour's own pass, as Assign would take it.
    const bool snapshotInPass = tone && SnapshotFitsPass(UndoBitmap, shown);
    if (!snapshotInPass)
        UndoBitmap.Assign(shown);
    OfferUndo(UndoOffer::Recolour);
    if (tone && !shown.IsEmpty())
        PickedColour = *tone;
    RecolourStep(shown, tone, ComboColorBox1->Color(), ReadMap,
                 snapshotInPass ? &UndoBitmap : nullptr);
}

// "Colorize"'s "Undo" clicked: the picture as it was before the recolour.
void TForm1::Button7Click(QObject*) {
    OfferUndo(UndoOffer::None);
    Image1->Bitmap().Assign(UndoBitmap);
    Image1->RestoreOverlayKeptAside();
}

// "Insert Grid.." clicked: snapshot for Undo, then grid lines every NumberBox1 pixels drawn into
// the shown picture.
void TForm1::Button6Click(QObject*) {
    TBitmap& shown = Image1->Bitmap();
    // Where a grid will be drawn and the snapshot has the size already, the snapshot is taken in
    // the grid's own pass, as Assign would take it.
    const std::optional<int> typed = SpacingIn(NumberBox1->Text());
    const bool snapshotInPass = typed && *typed >= GridSpacing::Least && shown.Width() >= 2 &&
                                SnapshotFitsPass(UndoBitmap, shown);
    if (!snapshotInPass)
        UndoBitmap.Assign(shown);
    OfferUndo(UndoOffer::Grid);
    LayGrid(GridSpacing::Drawable(StrToInt(NumberBox1->Text())), GridStyle{}, snapshotInPass);
}

void TForm1::LayGrid(int spacing, const GridStyle& style, bool snapshotInPass) {
    GridStepLess1 = spacing - 1;
    Button3->SetPressed(false);
    const std::vector<QRect> names =
        GridStep(Image1->Bitmap(), GridStepLess1 + 1, ComboColorBox2->Color(), style, ReadMap,
                 snapshotInPass ? &UndoBitmap : nullptr);
    if (GridDrawsOn(Image1->Bitmap())) {
        Image1->AddGrid(GridStepLess1 + 1, ComboColorBox2->Color());
        Image1->AddCoveredAreas(names);
    }
}

// "Insert" of "Canvas and Grid...": the same steps as "Insert Grid.." with the spacing the canvas
// gives, shown in the spacing box when the box's rules keep it there.
void TForm1::InsertCanvasGrid() {
    TBitmap& shown = Image1->Bitmap();
    UndoBitmap.Assign(shown);
    OfferUndo(UndoOffer::Grid);
    const CanvasPlan plan = PlanCanvas(Canvas, shown.Width(), shown.Height());
    const int spacing = GridSpacing::Drawable(plan.spacing);
    if (GridSpacing::Shown(spacing, SourceBitmap.Width(), SourceBitmap.Height()))
        NumberBox1->SetValue(spacing);
    LayGrid(spacing, GridStyle{plan.lineWidth, Canvas.diagonals, Canvas.cellNames}, false);
}

// The grid's "Undo" clicked: the picture as it was before the grid.
void TForm1::Button8Click(QObject*) {
    OfferUndo(UndoOffer::None);
    Image1->Bitmap().Assign(UndoBitmap);
    Image1->RestoreOverlayKeptAside();
}

// Key released in the spacing box: a typed spacing above 200 goes back to 28.
void TForm1::NumberBox1KeyUp(QObject*, int, QChar, Qt::KeyboardModifiers) {
    const int typed = StrToInt(NumberBox1->Text());
    if (GridSpacing::HeldTyped(typed) != typed)
        NumberBox1->SetText(QString::number(GridSpacing::Start));
}

// Spacing changed: a spacing larger than the picture goes back to 28.
void TForm1::NumberBox1Change(QObject*) {
    if (!GridSpacing::FitsPicture(NumberBox1->Value(), SourceBitmap.Width(), SourceBitmap.Height()))
        NumberBox1->SetValue(GridSpacing::Start);
}
