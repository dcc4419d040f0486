// SPDX-License-Identifier: MIT
// The main window and the program-wide state it owns.
#pragma once

#include "Bitmap.h"
#include "FileDialogs.h"

#include <QByteArray>
#include <QPointF>
#include <QWidget>

enum class OilifyDirection;

class ColorComboBox;
class DefaultButton;
class NumberBox;
class PictureBox;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenuBar;
class QPushButton;
class QRadioButton;
class RealScrollBar;
class SpinBox;
class ToggleButton;
class TrackBar;

// Program-wide state. Created before any window exists and kept for the whole run; the effects
// share the pixel-access globals instead of keeping locals.
extern TBitmap SourceBitmap;     // the opened image as decoded
extern TBitmap SourceCopyBitmap; // a second copy of the opened image; nothing reads it
extern TBitmap GreyBitmap;       // grey picture, the size of SourceBitmap
extern TBitmap PosterBitmap;     // posterized picture, the input of Oilify
extern TBitmap OilRowsBitmap;    // Oilify's pass along rows
extern TBitmap OilBitmap;        // Oilify's pass along columns
extern TBitmap UndoBitmap;       // the shown picture just before the latest grid or recolour

extern TBitmapData ReadMap;
extern TBitmapData WriteMap;
extern TAlphaColor CurrentPixel;
extern TAlphaColor OutputColour; // never reset: Oilify writes the kept colour where no vote wins
extern TAlphaColor PickedColour;
extern int GridStepLess1;
extern int PickX;
extern int PickY;

extern int ImageAreaWidth; // window width - 33
extern int ViewWidth;      // window width - 34
extern int ViewHeight;     // window height - 185

// Narrow text in the system's 8-bit encoding.
extern QByteArray LastOpenedPath;
extern QByteArray LastSavedName;

// Brings every item above to its start value. Runs once before the program's main function.
void InitialiseProgramState();

class TForm1;
class TForm2;
extern TForm1* Form1;
extern TForm2* Form2;

class TForm1 : public QWidget {
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, in drawing order.
    PictureBox* Image1;
    QFrame* Panel1;
    QMenuBar* MenuBar1;
    QAction* MenuItem6;
    QGroupBox* GroupBox5;
    ColorComboBox* ComboColorBox1;
    ToggleButton* Button3;
    QPushButton* Button7;
    QGroupBox* GroupBox4;
    QPushButton* Button2;
    PictureBox* Image2;
    QGroupBox* GroupBox3;
    QPushButton* Button4;
    QPushButton* Button5;
    QGroupBox* GroupBox6;
    NumberBox* NumberBox1;
    QLabel* Label1;
    QPushButton* Button6;
    ColorComboBox* ComboColorBox2;
    QPushButton* Button8;
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QPushButton* Button1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    RealScrollBar* ScrollBar1;
    RealScrollBar* ScrollBar2;
    TrackBar* TrackBar1;
    SpinBox* Edit2;
    TOpenDialog OpenDialog1;
    TSaveDialog SaveDialog1;

    // Window width and height as the layout constants count them: the outer size, frame and
    // title bar included, taken as a frame of 8 pixels at the sides and bottom and 31 at the top
    // so that the constants hold on every platform.
    int OuterWidth() const { return width() + 16; }
    int OuterHeight() const { return height() + 39; }

    // Event handlers.
    void FormResize(QObject* Sender);
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void Button5Click(QObject* Sender);
    void Button6Click(QObject* Sender);
    void Button7Click(QObject* Sender);
    void Button8Click(QObject* Sender);
    void RadioButton1Change(QObject* Sender);
    void RadioButton2Change(QObject* Sender);
    void RadioButton3Change(QObject* Sender);
    void TrackBar1Change(QObject* Sender);
    void TrackBar1Click(QObject* Sender);
    void TrackBar1MouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                          QPointF At);
    void Edit2Change(QObject* Sender);
    void ScrollBar1Change(QObject* Sender);
    void ScrollBar2Change(QObject* Sender);
    void Image1Click(QObject* Sender);
    void Image1MouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, QPointF At);
    void Image1MouseWheel(QObject* Sender, Qt::KeyboardModifiers Shift, int WheelDelta,
                          bool& Handled);
    void ComboColorBox1Change(QObject* Sender);
    void NumberBox1Change(QObject* Sender);
    void NumberBox1KeyUp(QObject* Sender, int Key, QChar KeyChar, Qt::KeyboardModifiers Shift);
    void MenuItem6Click(QObject* Sender);

    void CentreImage();
    void UpdateScrollRanges();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void WireEvents();

    void ConvertToGrey();
    void PosterizeLevels();
    void OilifyRows();
    void OilifyColumns();
    // One pass of Oilify from `input` into `output`, which takes the input's size.
    void OilifyPassInto(TBitmap& input, TBitmap& output, OilifyDirection direction);
    void ShowRadioChangeBusy(QRadioButton* sender);
    void UpdateVerticalScrollRange();
    void UpdateHorizontalScrollRange();

    DefaultButton* defaultButton_;
};
