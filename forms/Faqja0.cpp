// SPDX-License-Identifier: MIT
// The program-wide state, the main window's construction and its event wiring.
#include "Faqja0.h"

#include "CanvasCommands.h"
#include "ColorComboBox.h"
#include "DefaultButton.h"
#include "EventBoundary.h"
#include "Izoti.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "StudyMenu.h"
#include "ToggleButton.h"
#include "TrackBar.h"
#include "ValueKeyLink.h"
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
    // The menus after About, in this order; each adds its own items, keys and handlers.
    View = new PictureView(*this, *shortcuts_);
    ValueKey = new ValueKeyLink(*this, *View->Menu);
    CanvasMenu = new CanvasCommands(*this);
    Study = std::make_unique<StudyMenu>(*this, *MenuBar1, *shortcuts_);
}

TForm1::~TForm1() = default;

// One line per control and event, to the handler named after them. Qt's own signals enter
// through the event boundary; our controls raise their events directly when code changes them,
// so an error there stops the handler that made the change. The radio buttons are Qt's: no code
// checks one after the window is built (only the user does), so their changes always come from
// an event and the boundary is where their errors belong.
void TForm1::WireEvents() {
    // A Qt signal of a control to its handler, behind the event boundary.
    const auto on = [this](auto* control, auto signal, void (TForm1::*handler)(QObject*)) {
        connect(control, signal, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(control); }); });
    };

    Image1->OnClick = [this] { Image1Click(Image1); }; // the picture: recolour pick
    Image1->OnMouseMove = [this](Qt::KeyboardModifiers shift, QPointF at) {
        Image1MouseMove(Image1, shift, at); // the picture: pick position
    };
    Image1->OnMouseWheel = [this](Qt::KeyboardModifiers shift, int delta, bool& handled) {
        Image1MouseWheel(Image1, shift, delta, handled); // the picture: vertical scrolling
    };
    on(MenuItem6, &QAction::triggered, &TForm1::MenuItem6Click);                 // "About Halvane"
    ComboColorBox1->OnChange = [this] { ComboColorBox1Change(ComboColorBox1); }; // recolour colour
    Button3->OnClick = [this] { Button3Click(Button3); };                        // "Colorize"
    on(Button7, &QPushButton::clicked, &TForm1::Button7Click);       // "Undo" of the recolour
    on(Button2, &QPushButton::clicked, &TForm1::Button2Click);       // "Oilify.."
    on(Button4, &QPushButton::clicked, &TForm1::Button4Click);       // "Open.."
    on(Button5, &QPushButton::clicked, &TForm1::Button5Click);       // "Save As.."
    NumberBox1->OnChange = [this] { NumberBox1Change(NumberBox1); }; // grid spacing
    NumberBox1->OnKeyUp = [this](int key, QChar character, Qt::KeyboardModifiers shift) {
        NumberBox1KeyUp(NumberBox1, key, character, shift); // grid spacing, each key
    };
    on(Button6, &QPushButton::clicked, &TForm1::Button6Click);             // "Insert Grid.."
    on(Button8, &QPushButton::clicked, &TForm1::Button8Click);             // "Undo" of the grid
    on(Button1, &QPushButton::clicked, &TForm1::Button1Click);             // "Posterize.."
    on(RadioButton1, &QRadioButton::toggled, &TForm1::RadioButton1Change); // "Method 1"
    on(RadioButton2, &QRadioButton::toggled, &TForm1::RadioButton2Change); // "Method 2"
    on(RadioButton3, &QRadioButton::toggled, &TForm1::RadioButton3Change); // "Method 3"
    ScrollBar1->OnChange = [this] { ScrollBar1Change(ScrollBar1); };       // vertical scroll bar
    ScrollBar2->OnChange = [this] { ScrollBar2Change(ScrollBar2); };       // horizontal scroll bar
    TrackBar1->OnChange = [this] { TrackBar1Change(TrackBar1); };          // level slider
    TrackBar1->OnClick = [this] { TrackBar1Click(TrackBar1); }; // level slider, track click
    TrackBar1->OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
        TrackBar1MouseUp(TrackBar1, button, shift, at); // level slider, mouse release
    };
    Edit2->OnChange = [this] { Edit2Change(Edit2); }; // level spin box

    defaultButton_ = new DefaultButton(this, Button1); // Enter anywhere: "Posterize.."
}

// Ctrl+O, Ctrl+S, Ctrl+Z and F1 run the handler a click on their button or menu item runs, and
// nothing while that button is disabled.
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
