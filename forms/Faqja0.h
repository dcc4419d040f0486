// SPDX-License-Identifier: MIT
// The main window and the program-wide state it owns.
#pragma once

#include "Bitmap.h"
#include "CanvasPlan.h"
#include "FileDialogs.h"
#include "SaveFolders.h"
#include "StudySteps.h"

#include <QByteArray>
#include <QPointF>
#include <QWidget>
#include <initializer_list>
#include <memory>
#include <optional>

struct GridStyle;
struct PassState;

class CanvasCommands;
class ColorComboBox;
class DefaultButton;
class NumberBox;
class PictureBox;
class PictureView;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class RealScrollBar;
class SpinBox;
class StudyMenu;
class ToggleButton;
class TrackBar;
class ValueKeyLink;
class WindowShortcuts;

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

// Which Undo button, if any, is offered: each takes the picture back to the snapshot in UndoBitmap.
enum class UndoOffer {
    None,     // both Undo buttons disabled
    Recolour, // "Colorize"'s Undo (Button7)
    Grid,     // "Edit/Insert Grid"'s Undo (Button8)
};

// Where a layout leaves the scroll bars: back at 0 (a resize, a zoom), or where they were (an
// open, which only fits their ranges).
enum class ScrollStart { FromZero, AsTheyWere };

class TForm1 : public QWidget {
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, by the group they sit in; the place, size and first state of each are in
    // Faqja0Window.cpp.
    PictureBox* Image1;        // the picture: the shown study, scrolled below the control strip
    QFrame* Panel1;            // the background strip behind the controls
    QMenuBar* MenuBar1;        // the menu bar across the top
    QAction* MenuItem6;        // "About Halvane" menu item
    PictureBox* Image2;        // the product logo at the strip's left
    RealScrollBar* ScrollBar1; // vertical scroll bar of the picture
    RealScrollBar* ScrollBar2; // horizontal scroll bar of the picture

    QGroupBox* GroupBox3; // "Open/Save" group
    QPushButton* Button4; // "Open.." button
    QPushButton* Button5; // "Save As.." button

    // The three radio buttons sit over "Methods" but belong to the window.
    QGroupBox* GroupBox1;       // "Methods" group
    QRadioButton* RadioButton1; // "Method 1" radio button: grey from red
    QRadioButton* RadioButton2; // "Method 2" radio button: grey from green, lightened
    QRadioButton* RadioButton3; // "Method 3" radio button: grey from blue, lightened

    // The slider and the spin box sit over "Posterize" but belong to the window.
    QGroupBox* GroupBox2; // "Posterize" group
    QPushButton* Button1; // "Posterize.." button, the window's default button
    SpinBox* Edit2;       // level count spin box, 2 to 13
    TrackBar* TrackBar1;  // level count slider, 2 to 13

    QGroupBox* GroupBox4; // "Oilify" group
    QPushButton* Button2; // "Oilify.." button

    QGroupBox* GroupBox5;          // "Colorize" group, laid out by the menu bar
    ColorComboBox* ComboColorBox1; // the colour a picked tone becomes
    ToggleButton* Button3;         // "Colorize" toggle: while pressed, a click recolours a tone
    QPushButton* Button7;          // "Undo" of the recolour

    QGroupBox* GroupBox6;          // "Edit/Insert Grid" group
    NumberBox* NumberBox1;         // grid spacing in pixels, 0 to 200
    QLabel* Label1;                // "Pixel (28 = 1cm)" label
    ColorComboBox* ComboColorBox2; // grid line colour, with opacity
    QPushButton* Button6;          // "Insert Grid.." button
    QPushButton* Button8;          // "Undo" of the grid

    TOpenDialog OpenDialog1; // the open-file dialog of "Open.."
    TSaveDialog SaveDialog1; // the save-file dialog of "Save As.."

    // The menus beyond the window's own controls, each with its items, keys and handlers.
    PictureView* View;                // "View": the picture's scale on screen, the original shown
    ValueKeyLink* ValueKey;           // "Value Key" in the View menu, and the key window's requests
    CanvasCommands* CanvasMenu;       // "Canvas": the canvas and its grid, print, PDF and PNG
    std::unique_ptr<StudyMenu> Study; // "Study": the value bands and Simplify Shapes

    // Where "Save As.." and the exports start, by kind of file, kept for the run.
    SaveFolders SavedTo;

    // The canvas, grid and paper of "Canvas and Grid...", kept for the run.
    CanvasSettings Canvas;
    // How the value bands are placed, kept for the run: "Posterize.." and every later step use
    // them.
    BandChoice Bands;

    // Window width and height as the layout constants count them: the outer size, frame and
    // title bar included, taken as a frame of 8 pixels at the sides and bottom and 31 at the top
    // so that the constants hold on every platform.
    int OuterWidth() const { return width() + 16; }
    int OuterHeight() const { return height() + 39; }

    // Handlers, named after their control and event; the wiring is in Faqja0.cpp.

    // Faqja0.cpp: the menu.
    void MenuItem6Click(QObject* Sender);

    // Faqja0Layout.cpp: layout and scrolling.
    void FormResize(QObject* Sender);
    void ScrollBar1Change(QObject* Sender);
    void ScrollBar2Change(QObject* Sender);
    void Image1MouseWheel(QObject* Sender, Qt::KeyboardModifiers Shift, int WheelDelta,
                          bool& Handled);
    void CentreImage();
    void UpdateScrollRanges();
    // The picture laid out in the view area (ViewWidth by ViewHeight), as a resize, a zoom and an
    // open do: at the view's scale, sized, centred, the bars from `start`, their ranges fitted.
    void LayOutPicture(ScrollStart start);

    // Faqja0Effects.cpp: grey, posterize, Oilify, recolour, grid and the two Undo buttons.
    void RadioButton1Change(QObject* Sender);
    void RadioButton2Change(QObject* Sender);
    void RadioButton3Change(QObject* Sender);
    void Button1Click(QObject* Sender);
    void TrackBar1Change(QObject* Sender);
    void TrackBar1Click(QObject* Sender);
    void TrackBar1MouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                          QPointF At);
    void Edit2Change(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void ComboColorBox1Change(QObject* Sender);
    void Image1MouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, QPointF At);
    void Image1Click(QObject* Sender);
    void Button7Click(QObject* Sender);
    void Button6Click(QObject* Sender);
    void Button8Click(QObject* Sender);
    void NumberBox1KeyUp(QObject* Sender, int Key, QChar KeyChar, Qt::KeyboardModifiers Shift);
    void NumberBox1Change(QObject* Sender);

    // Faqja0Files.cpp: opening and saving.
    void Button4Click(QObject* Sender);
    void Button5Click(QObject* Sender);
    // The picture at a path opened as "Open.." opens the chosen file: also for a dropped file
    // and the command line's.
    void OpenFile(const QString& path);
    // The steps "Open.." runs once SourceBitmap holds a new picture: the width warning, the
    // caption (for a file read from `openedPath`), the spacing proposed, the layout, grey and
    // posterize, the buttons, no Undo. A crop of the opened picture runs them too.
    void StudySource(const std::optional<QString>& openedPath);

    // Faqja0Effects.cpp: "Insert" of "Canvas and Grid...": the grid of `Canvas` drawn as
    // "Insert Grid.." draws, with its spacing computed and its style.
    void InsertCanvasGrid();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The value key recolours and stamps through the effects' own steps.
    friend class ValueKeyLink;
    // Simplify Shapes runs as "Oilify.." does, with the same cursors and Undo.
    friend class StudyMenu;
    // The outline sheet is traced under the busy cursor.
    friend class CanvasCommands;

    // Faqja0Window.cpp and Faqja0.cpp: building the window and wiring its events.
    void BuildControls();
    void WireEvents();

    // Faqja0.cpp: keys that run the buttons' handlers whichever control has the focus.
    void AddShortcuts();

    // Faqja0Effects.cpp: the effects, on the program-wide bitmaps.
    void ConvertToGrey();
    void PosterizeLevels();
    // The program-wide mapping records and carried colours, as the study's steps take them.
    static PassState Passes();
    // The hourglass on the picture, the window and `controls` while an effect runs.
    void ShowBusy(std::initializer_list<QWidget*> controls);
    // After an effect: the arrow on the picture, the default cursor on the window and `controls`.
    void ShowIdle(std::initializer_list<QWidget*> controls);
    void OfferUndo(UndoOffer offer);
    // A recolour of `tone`, or of nothing where the pick fell outside the picture: snapshot for
    // Undo, the recolour's Undo offered, then every pixel of the tone takes the recolour colour.
    void RecolourTone(std::optional<TAlphaColor> tone);
    // The steps of a grid after its snapshot and spacing: GridStepLess1 set, Colorize released,
    // then the grid drawn into the shown picture unless it is narrower than 2 pixels.
    void LayGrid(int spacing, const GridStyle& style, bool snapshotInPass);
    // A method radio button changed: the hourglass, "Colorize" released, no Undo, grey again.
    void ChangeMethod(QRadioButton* sender);

    DefaultButton* defaultButton_;
    WindowShortcuts* shortcuts_;
};
