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
}

TForm1::~TForm1() = default;

// One line per control and event, to the handler named after them. Qt's own signals enter
// through the event boundary; our controls raise their events directly when code changes them,
// so an error there stops the handler that made the change.
void TForm1::WireEvents() {
    const auto onClick = [this](QAbstractButton* button, void (TForm1::*handler)(QObject*)) {
        connect(button, &QAbstractButton::clicked, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(button); }); });
    };
    const auto onToggled = [this](QRadioButton* button, void (TForm1::*handler)(QObject*)) {
        connect(button, &QAbstractButton::toggled, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(button); }); });
    };

    Image1->OnClick = [this] { Image1Click(Image1); };
    Image1->OnMouseMove = [this](Qt::KeyboardModifiers shift, QPointF at) {
        Image1MouseMove(Image1, shift, at);
    };
    Image1->OnMouseWheel = [this](Qt::KeyboardModifiers shift, int delta, bool& handled) {
        Image1MouseWheel(Image1, shift, delta, handled);
    };
    connect(MenuItem6, &QAction::triggered, this,
            [this] { RunHandler([this] { MenuItem6Click(MenuItem6); }); });
    ComboColorBox1->OnChange = [this] { ComboColorBox1Change(ComboColorBox1); };
    Button3->OnClick = [this] { Button3Click(Button3); };
    onClick(Button7, &TForm1::Button7Click);
    onClick(Button2, &TForm1::Button2Click);
    onClick(Button4, &TForm1::Button4Click);
    onClick(Button5, &TForm1::Button5Click);
    NumberBox1->OnChange = [this] { NumberBox1Change(NumberBox1); };
    NumberBox1->OnKeyUp = [this](int key, QChar character, Qt::KeyboardModifiers shift) {
        NumberBox1KeyUp(NumberBox1, key, character, shift);
    };
    onClick(Button6, &TForm1::Button6Click);
    onClick(Button8, &TForm1::Button8Click);
    onClick(Button1, &TForm1::Button1Click);
    onToggled(RadioButton1, &TForm1::RadioButton1Change);
    onToggled(RadioButton2, &TForm1::RadioButton2Change);
    onToggled(RadioButton3, &TForm1::RadioButton3Change);
    ScrollBar1->OnChange = [this] { ScrollBar1Change(ScrollBar1); };
    ScrollBar2->OnChange = [this] { ScrollBar2Change(ScrollBar2); };
    TrackBar1->OnChange = [this] { TrackBar1Change(TrackBar1); };
    TrackBar1->OnClick = [this] { TrackBar1Click(TrackBar1); };
    TrackBar1->OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
        TrackBar1MouseUp(TrackBar1, button, shift, at);
    };
    Edit2->OnChange = [this] { Edit2Change(Edit2); };

    defaultButton_ = new DefaultButton(this, Button1);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    MenuBar1->resize(width(), MenuBar1->height());
    RunHandler([this] { FormResize(this); });
}

void TForm1::MenuItem6Click(QObject*) {
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}
