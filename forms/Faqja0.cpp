// SPDX-License-Identifier: MIT
// The program-wide state, the main window's construction and its event wiring.
#include "Faqja0.h"

#include "ColorComboBox.h"
#include "DefaultButton.h"
#include "EventBoundary.h"
#include "Izoti.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "ToggleButton.h"
#include "TrackBar.h"
#include "WindowShortcuts.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>

TBitmap SourceBitmap;
TBitmap SourceCopyBitmap;
TBitmap GreyBitmap;
TBitmap PosterBitmap;
TBitmap OilRowsBitmap;
TBitmap OilBitmap;
TBitmap UndoBitmap;

TBitmapData ReadMap;
TBitmapData WriteMap;
TAlphaColor CurrentPixel;
TAlphaColor OutputColour;
TAlphaColor PickedColour;
int GridStepLess1;
int PickX;
int PickY;

int ImageAreaWidth;
int ViewWidth;
int ViewHeight;

QByteArray LastOpenedPath;
QByteArray LastSavedName;

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;

void InitialiseProgramState() {
    for (TBitmap* bitmap : {&SourceBitmap, &SourceCopyBitmap, &GreyBitmap, &PosterBitmap,
                            &OilRowsBitmap, &OilBitmap, &UndoBitmap})
        bitmap->SetSize(0, 0);
    ReadMap = TBitmapData{};
    WriteMap = TBitmapData{};
    CurrentPixel = 0;
    OutputColour = 0;
    PickedColour = 0;
    LastOpenedPath.clear();
    LastSavedName.clear();
    GridStepLess1 = 0;
    PickX = 0;
    PickY = 0;
    ImageAreaWidth = 0;
    ViewWidth = 0;
    ViewHeight = 0;
}

namespace {
// The state is ready before the program's main function runs and before any window exists.
const bool programStateReady = (InitialiseProgramState(), true);
} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    BuildControls();
    WireEvents();
    AddShortcuts();
}

TForm1::~TForm1() = default;

// One line per control and event, to the handler named after them. Qt's own signals enter
// through the event boundary; our controls raise their events directly when code changes them,
// so an error there stops the handler that made the change. The radio buttons are Qt's: no code
// checks one after the window is built (only the user does), so their changes always come from
// an event and the boundary is where their errors belong.
void TForm1::WireEvents() {
    const auto onClick = [this](QAbstractButton* button, void (TForm1::*handler)(QObject*)) {
        connect(button, &QAbstractButton::clicked, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(button); }); });
    };
    const auto onToggled = [this](QRadioButton* button, void (TForm1::*handler)(QObject*)) {
        connect(button, &QAbstractButton::toggled, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(button); }); });
    };

    Image1->OnClick = [this] { Image1Click(Image1); }; // the picture: recolour pick
    Image1->OnMouseMove = [this](Qt::KeyboardModifiers shift, QPointF at) {
        Image1MouseMove(Image1, shift, at); // the picture: pick position
    };
    Image1->OnMouseWheel = [this](Qt::KeyboardModifiers shift, int delta, bool& handled) {
        Image1MouseWheel(Image1, shift, delta, handled); // the picture: vertical scrolling
    };
    connect(MenuItem6, &QAction::triggered, this, [this] {
        RunHandler([this] { MenuItem6Click(MenuItem6); }); // "About Halvane"
    });
    Image1->OnZoomWheel = [this](int steps, QPointF at) {
        ZoomAt(steps, Image1->mapTo(this, at)); // the picture, Ctrl+wheel: zoom at the pointer
    };
    Image1->OnComparisonEnded = [this] { ShowOriginalItem->setChecked(false); };
    const auto onMenu = [this](QAction* item, void (TForm1::*handler)(QObject*)) {
        connect(item, &QAction::triggered, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(item); }); });
    };
    onMenu(FitToWindowItem, &TForm1::FitToWindowItemClick);   // "Fit to Window"
    onMenu(ActualPixelsItem, &TForm1::ActualPixelsItemClick); // "Actual Pixels"
    onMenu(ZoomInItem, &TForm1::ZoomInItemClick);             // "Zoom In"
    onMenu(ZoomOutItem, &TForm1::ZoomOutItemClick);           // "Zoom Out"
    onMenu(ShowOriginalItem, &TForm1::ShowOriginalItemClick); // "Show Original"
    onMenu(ValueKeyItem, &TForm1::ValueKeyItemClick);         // "Value Key"
    onMenu(CanvasGridItem, &TForm1::CanvasGridItemClick);     // "Canvas and Grid..."
    onMenu(PrintItem, &TForm1::PrintItemClick);               // "Print..."
    onMenu(ExportPdfItem, &TForm1::ExportPdfItemClick);       // "Export PDF..."
    onMenu(ExportPngItem, &TForm1::ExportPngItemClick);       // "Export PNG..."
    ComboColorBox1->OnChange = [this] { ComboColorBox1Change(ComboColorBox1); }; // recolour colour
    Button3->OnClick = [this] { Button3Click(Button3); };                        // "Colorize"
    onClick(Button7, &TForm1::Button7Click);                         // "Undo" of the recolour
    onClick(Button2, &TForm1::Button2Click);                         // "Oilify.."
    onClick(Button4, &TForm1::Button4Click);                         // "Open.."
    onClick(Button5, &TForm1::Button5Click);                         // "Save As.."
    NumberBox1->OnChange = [this] { NumberBox1Change(NumberBox1); }; // grid spacing
    NumberBox1->OnKeyUp = [this](int key, QChar character, Qt::KeyboardModifiers shift) {
        NumberBox1KeyUp(NumberBox1, key, character, shift); // grid spacing, each key
    };
    onClick(Button6, &TForm1::Button6Click);                         // "Insert Grid.."
    onClick(Button8, &TForm1::Button8Click);                         // "Undo" of the grid
    onClick(Button1, &TForm1::Button1Click);                         // "Posterize.."
    onToggled(RadioButton1, &TForm1::RadioButton1Change);            // "Method 1"
    onToggled(RadioButton2, &TForm1::RadioButton2Change);            // "Method 2"
    onToggled(RadioButton3, &TForm1::RadioButton3Change);            // "Method 3"
    ScrollBar1->OnChange = [this] { ScrollBar1Change(ScrollBar1); }; // vertical scroll bar
    ScrollBar2->OnChange = [this] { ScrollBar2Change(ScrollBar2); }; // horizontal scroll bar
    TrackBar1->OnChange = [this] { TrackBar1Change(TrackBar1); };    // level slider
    TrackBar1->OnClick = [this] { TrackBar1Click(TrackBar1); };      // level slider, track click
    TrackBar1->OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
        TrackBar1MouseUp(TrackBar1, button, shift, at); // level slider, mouse release
    };
    Edit2->OnChange = [this] { Edit2Change(Edit2); }; // level spin box

    defaultButton_ = new DefaultButton(this, Button1); // Enter anywhere: "Posterize.."
}

// Ctrl+O, Ctrl+S, Ctrl+Z and F1 run the handler a click on their button or menu item runs, and
// nothing while that button is disabled; the View menu's keys run its items, and holding the
// backslash key shows the original while it is held.
void TForm1::AddShortcuts() {
    shortcuts_ = new WindowShortcuts(this);
    const auto clickIfEnabled = [this](QPushButton* button, void (TForm1::*handler)(QObject*)) {
        return [=, this] {
            if (button->isEnabled())
                (this->*handler)(button);
        };
    };
    shortcuts_->Add(Qt::CTRL | Qt::Key_O, clickIfEnabled(Button4, &TForm1::Button4Click));
    shortcuts_->Add(Qt::CTRL | Qt::Key_S, clickIfEnabled(Button5, &TForm1::Button5Click));
    // At most one Undo is enabled at a time: whichever it is.
    shortcuts_->Add(Qt::CTRL | Qt::Key_Z, [this] {
        if (Button7->isEnabled())
            Button7Click(Button7);
        else if (Button8->isEnabled())
            Button8Click(Button8);
    });
    shortcuts_->Add(Qt::Key_F1, [this] { MenuItem6Click(MenuItem6); });
    shortcuts_->Add(Qt::CTRL | Qt::Key_0, [this] { FitToWindowItemClick(FitToWindowItem); });
    shortcuts_->Add(Qt::CTRL | Qt::Key_1, [this] { ActualPixelsItemClick(ActualPixelsItem); });
    // "+" is a shifted key on most layouts, and the keypad's needs no shift.
    for (const QKeyCombination zoomIn :
         {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::SHIFT | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal})
        shortcuts_->Add(zoomIn, [this] { ZoomInItemClick(ZoomInItem); });
    shortcuts_->Add(Qt::CTRL | Qt::Key_Minus, [this] { ZoomOutItemClick(ZoomOutItem); });
    shortcuts_->AddHeld(Qt::Key_Backslash, [this](bool held) { ShowOriginal(held); });
}

// The window took a new size: the menu bar follows it, then the layout handler runs.
void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    MenuBar1->resize(width(), MenuBar1->height());
    RunHandler([this] { FormResize(this); });
}

// "About Halvane" clicked: the About window shown, or brought to the front, without waiting.
void TForm1::MenuItem6Click(QObject*) {
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}
