// SPDX-License-Identifier: MIT
// The main window's definition: every control with its text, place, size and first state, in
// drawing order (a later control is drawn over an earlier one), then the keyboard order.
#include "ColorComboBox.h"
#include "Faqja0.h"
#include "GridSpacing.h"
#include "InterfaceFont.h"
#include "Logos.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PlacedRadioButton.h"
#include "Placement.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "ToggleButton.h"
#include "TrackBar.h"

#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

template <typename Control> Control* Bold(Control* control) {
    QFont font = control->font();
    font.setBold(true);
    control->setFont(font);
    return control;
}

QPushButton* DisabledButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setEnabled(false);
    return button;
}

} // namespace

void TForm1::BuildControls() {
    setWindowTitle(QStringLiteral("Halvane"));
    // Before any control exists, so that every control and the bold buttons derive from it.
    setFont(InterfaceFont());
    setAcceptDrops(true);
    resize(919, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Image1 = Place(new PictureBox(this), 0, 128, 345, 233);

    Panel1 = Place(new QFrame(this), -8, 24, 1017, 105);
    Panel1->setAutoFillBackground(true);

    MenuBar1 = Place(new QMenuBar(this), 0, 0, width(), 24);
    MenuBar1->setNativeMenuBar(false);
    MenuItem6 = MenuBar1->addAction(QStringLiteral("About Halvane"));

    GroupBox5 = Place(new QGroupBox(QStringLiteral("Colorize"), this), 313, 73, 249, 49);
    ComboColorBox1 = Place(new ColorComboBox(claBlue, false, GroupBox5), 321, 89, 100, 22);
    Button3 = Place(Bold(new ToggleButton(QStringLiteral("Colorize"), GroupBox5)), 425, 89, 72, 22);
    Button3->setEnabled(false);
    Button7 = Place(DisabledButton(QStringLiteral("Undo"), GroupBox5), 505, 89, 49, 22);

    GroupBox4 = Place(new QGroupBox(QStringLiteral("Oilify"), this), 208, 72, 97, 49);
    Button2 = Place(Bold(DisabledButton(QStringLiteral("Oilify.."), GroupBox4)), 216, 88, 80, 22);

    Image2 = Place(new PictureBox(this), 8, 32, 87, 87);
    Image2->SetPicture(QImage(Logos::Product128));
    Image2->setCursor(Qt::PointingHandCursor);

    GroupBox3 = Place(new QGroupBox(QStringLiteral("Open/Save"), this), 96, 24, 105, 97);
    Button4 = Place(Bold(new QPushButton(QStringLiteral("Open.."), GroupBox3)), 104, 49, 89, 22);
    Button5 = Place(Bold(new QPushButton(QStringLiteral("Save As.."), GroupBox3)), 104, 83, 89, 22);

    GroupBox6 = Place(new QGroupBox(QStringLiteral("Edit/Insert Grid"), this), 568, 72, 345, 49);
    NumberBox1 = Place(
        new NumberBox(GridSpacing::BoxMin, GridSpacing::BoxMax, GridSpacing::Start, 5, GroupBox6),
        576, 88, 25, 22);
    Label1 = Place(new QLabel(QStringLiteral("Pixel (28 = 1cm)"), GroupBox6), 605, 91, 92, 17);
    Button6 =
        Place(Bold(DisabledButton(QStringLiteral("Insert Grid.."), GroupBox6)), 760, 88, 89, 22);
    ComboColorBox2 = Place(new ColorComboBox(claPalegreen, true, GroupBox6), 696, 88, 60, 22);
    Button8 = Place(DisabledButton(QStringLiteral("Undo"), GroupBox6), 856, 88, 49, 22);

    GroupBox1 = Place(new QGroupBox(QStringLiteral("Methods"), this), 208, 24, 249, 49);
    GroupBox2 = Place(new QGroupBox(QStringLiteral("Posterize"), this), 464, 24, 401, 49);
    Button1 =
        Place(Bold(DisabledButton(QStringLiteral("Posterize.."), GroupBox2)), 472, 40, 73, 22);

    RadioButton1 = Place(new PlacedRadioButton(QStringLiteral("Method 1"), this), 216, 42, 81, 19);
    RadioButton2 = Place(new PlacedRadioButton(QStringLiteral("Method 2"), this), 296, 42, 73, 19);
    RadioButton3 = Place(new PlacedRadioButton(QStringLiteral("Method 3"), this), 376, 42, 81, 19);
    RadioButton2->setChecked(true);

    ScrollBar1 = Place(new RealScrollBar(Qt::Vertical, this), 488, 129, 18, 150);
    ScrollBar2 = Place(new RealScrollBar(Qt::Horizontal, this), 0, 504, 150, 18);

    TrackBar1 = Place(new TrackBar(this), 624, 42, 209, 19);
    TrackBar1->SetRange(2, 13);
    TrackBar1->SetValue(5);

    Edit2 = Place(new SpinBox(2, 13, 6, this), 552, 40, 65, 22);
    Edit2->setCursor(Qt::IBeamCursor);

    // Keyboard order: the window's own controls and groups by their tab positions, each group's
    // controls in their own order within it.
    QWidget* const tabOrder[] = {RadioButton1, RadioButton2,   RadioButton3, TrackBar1,
                                 Button3,      ComboColorBox1, Button7,      Button1,
                                 Button2,      Button4,        Button5,      NumberBox1,
                                 Button6,      ComboColorBox2, Button8,      Edit2};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}
