// SPDX-License-Identifier: MIT
// The main window as it is created: controls, texts, places, first states, order, cursors.
#include "ColorComboBox.h"
#include "FormFixture.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "ToggleButton.h"
#include "TrackBar.h"

#include <QAccessible>
#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using MainWindow = FormTest;

QRect WindowGeometry(QWidget* control) {
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

QString TextOf(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return group->title();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    return QString();
}

TEST_F(MainWindow, ControlsAsDefined) {
    struct Row {
        QWidget* control;
        const char* name;
        QString text;
        QRect geometry;
        bool enabled;
        bool bold;
    };
    TForm1& f = *form;
    const Row rows[] = {
        {f.Image1, "Image1", "", {0, 128, 345, 233}, true, false},
        {f.Panel1, "Panel1", "", {-8, 24, 1017, 105}, true, false},
        {f.GroupBox5, "GroupBox5", "Colorize", {313, 73, 249, 49}, true, false},
        {f.ComboColorBox1, "ComboColorBox1", "", {321, 89, 100, 22}, true, false},
        {f.Button3, "Button3", "Colorize", {425, 89, 72, 22}, false, true},
        {f.Button7, "Button7", "Undo", {505, 89, 49, 22}, false, false},
        {f.GroupBox4, "GroupBox4", "Oilify", {208, 72, 97, 49}, true, false},
        {f.Button2, "Button2", "Oilify..", {216, 88, 80, 22}, false, true},
        {f.Image2, "Image2", "", {8, 32, 87, 87}, true, false},
        {f.GroupBox3, "GroupBox3", "Open/Save", {96, 24, 105, 97}, true, false},
        {f.Button4, "Button4", "Open..", {104, 49, 89, 22}, true, true},
        {f.Button5, "Button5", "Save As..", {104, 83, 89, 22}, true, true},
        {f.GroupBox6, "GroupBox6", "Edit/Insert Grid", {568, 72, 345, 49}, true, false},
        {f.NumberBox1, "NumberBox1", "", {576, 88, 25, 22}, true, false},
        {f.Label1, "Label1", "Pixel (28 = 1cm)", {605, 91, 92, 17}, true, false},
        {f.Button6, "Button6", "Insert Grid..", {760, 88, 89, 22}, false, true},
        {f.ComboColorBox2, "ComboColorBox2", "", {696, 88, 60, 22}, true, false},
        {f.Button8, "Button8", "Undo", {856, 88, 49, 22}, false, false},
        {f.GroupBox1, "GroupBox1", "Methods", {208, 24, 249, 49}, true, false},
        {f.GroupBox2, "GroupBox2", "Posterize", {464, 24, 401, 49}, true, false},
        {f.Button1, "Button1", "Posterize..", {472, 40, 73, 22}, false, true},
        {f.RadioButton1, "RadioButton1", "Method 1", {216, 42, 81, 19}, true, false},
        {f.RadioButton2, "RadioButton2", "Method 2", {296, 42, 73, 19}, true, false},
        {f.RadioButton3, "RadioButton3", "Method 3", {376, 42, 81, 19}, true, false},
        {f.ScrollBar1, "ScrollBar1", "", {488, 129, 18, 150}, true, false},
        {f.ScrollBar2, "ScrollBar2", "", {0, 504, 150, 18}, true, false},
        {f.TrackBar1, "TrackBar1", "", {624, 42, 209, 19}, true, false},
        {f.Edit2, "Edit2", "", {552, 40, 65, 22}, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TextOf(row.control), row.text);
        EXPECT_EQ(WindowGeometry(row.control), row.geometry);
        EXPECT_EQ(row.control->isEnabled(), row.enabled);
        EXPECT_EQ(row.control->font().bold(), row.bold);
    }
    EXPECT_EQ(f.windowTitle(), "Halvane");
    EXPECT_EQ(f.size(), QSize(919, 600));
    EXPECT_EQ(f.MenuItem6->text(), "About Halvane");
    EXPECT_EQ(WindowGeometry(f.MenuBar1).topLeft(), QPoint(0, 0));
    EXPECT_EQ(f.MenuBar1->height(), 24);
    EXPECT_FALSE(f.MenuBar1->isNativeMenuBar());
}

// Screen readers and UI automation place a control by the rectangle its accessible interface
// reports, which for a radio button is the part that takes clicks.
TEST_F(MainWindow, AssistiveToolsFindTheMethodButtonsWhereTheyStand) {
    form->show();
    const QPoint client = form->mapToGlobal(QPoint(0, 0));
    const struct {
        QRadioButton* button;
        QRect reported;
    } cases[] = {{form->RadioButton1, {216, 42, 81, 19}},
                 {form->RadioButton2, {296, 42, 73, 19}},
                 {form->RadioButton3, {376, 42, 81, 19}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button->text().toStdString());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(c.button);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::RadioButton);
        EXPECT_EQ(accessible->rect().translated(-client), c.reported);
    }
    // The whole control takes clicks, its corners included.
    QTest::mouseClick(form->RadioButton3, Qt::LeftButton, Qt::NoModifier, QPoint(78, 0));
    EXPECT_TRUE(form->RadioButton3->isChecked());
}

TEST_F(MainWindow, FirstValues) {
    TForm1& f = *form;
    EXPECT_EQ(f.ComboColorBox1->Color(), 0xFF0000FFu);
    EXPECT_FALSE(f.ComboColorBox1->UseAlpha());
    EXPECT_EQ(f.ComboColorBox2->Color(), 0xFF98FB98u);
    EXPECT_TRUE(f.ComboColorBox2->UseAlpha());
    EXPECT_FALSE(f.Button3->IsPressed());
    EXPECT_EQ(f.NumberBox1->Value(), 28);
    EXPECT_EQ(f.NumberBox1->Text(), "28");
    EXPECT_FALSE(f.RadioButton1->isChecked());
    EXPECT_TRUE(f.RadioButton2->isChecked());
    EXPECT_FALSE(f.RadioButton3->isChecked());
    for (RealScrollBar* bar : {f.ScrollBar1, f.ScrollBar2}) {
        EXPECT_EQ(bar->Minimum(), 0);
        EXPECT_EQ(bar->Maximum(), 1);
        EXPECT_EQ(bar->Value(), 0);
    }
    EXPECT_EQ(f.ScrollBar1->orientation(), Qt::Vertical);
    EXPECT_EQ(f.ScrollBar2->orientation(), Qt::Horizontal);
    EXPECT_EQ(f.TrackBar1->Minimum(), 2);
    EXPECT_EQ(f.TrackBar1->Maximum(), 13);
    EXPECT_EQ(f.TrackBar1->Value(), 5);
    EXPECT_EQ(f.Edit2->Text(), "6");
    EXPECT_EQ(f.Edit2->Value(), 6);
    EXPECT_TRUE(f.Image1->Bitmap().IsEmpty());
    EXPECT_FALSE(f.Image2->grab().toImage().isNull());
}

TEST_F(MainWindow, Cursors) {
    TForm1& f = *form;
    EXPECT_EQ(f.Image2->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(f.Edit2->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(f.NumberBox1->cursor().shape(), Qt::IBeamCursor);
    EXPECT_FALSE(f.testAttribute(Qt::WA_SetCursor));
    EXPECT_FALSE(f.Image1->testAttribute(Qt::WA_SetCursor));
}

TEST_F(MainWindow, DrawingOrderFollowsTheDefinition) {
    TForm1& f = *form;
    const QWidget* order[] = {
        f.Image1,       f.Panel1,     f.MenuBar1,   f.GroupBox5, f.GroupBox4,    f.Image2,
        f.GroupBox3,    f.GroupBox6,  f.GroupBox1,  f.GroupBox2, f.RadioButton1, f.RadioButton2,
        f.RadioButton3, f.ScrollBar1, f.ScrollBar2, f.TrackBar1, f.Edit2};
    QList<QWidget*> children;
    for (QObject* child : f.children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            children << widget;
    int last = -1;
    for (const QWidget* control : order) {
        const int at = children.indexOf(control);
        ASSERT_GE(at, 0) << control->objectName().toStdString();
        EXPECT_GT(at, last) << "drawn over the controls before it";
        last = at;
    }
    // Only the radio buttons, the slider and the spin box sit over the groups without being in
    // them.
    EXPECT_EQ(f.Button1->parentWidget(), f.GroupBox2);
    EXPECT_EQ(f.Button3->parentWidget(), f.GroupBox5);
    EXPECT_EQ(f.RadioButton1->parentWidget(), &f);
    EXPECT_EQ(f.TrackBar1->parentWidget(), &f);
    EXPECT_EQ(f.Edit2->parentWidget(), &f);
}

TEST_F(MainWindow, TabOrder) {
    TForm1& f = *form;
    const QWidget* expected[] = {f.RadioButton1, f.RadioButton2,   f.RadioButton3, f.TrackBar1,
                                 f.Button3,      f.ComboColorBox1, f.Button7,      f.Button1,
                                 f.Button2,      f.Button4,        f.Button5,      f.NumberBox1,
                                 f.Button6,      f.ComboColorBox2, f.Button8,      f.Edit2};
    const QWidget* at = expected[0];
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        QWidget* next = at->nextInFocusChain();
        while (next && next != expected[i] &&
               std::find(std::begin(expected), std::end(expected), next) == std::end(expected))
            next = next->nextInFocusChain();
        ASSERT_EQ(next, expected[i]) << "after position " << i - 1;
        at = next;
    }
}

TEST_F(MainWindow, BeforeAnImageTheEffectButtonsDoNotReact) {
    form->show();
    for (QPushButton* button : {form->Button1, form->Button2, form->Button6, form->Button7,
                                form->Button8, static_cast<QPushButton*>(form->Button3)})
        QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(form->Button3->IsPressed());
    EXPECT_TRUE(TakePosterizeRuns().empty());
    EXPECT_TRUE(UndoBitmap.IsEmpty());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(MainWindow, BeforeAnyImageEnterOnOpenRunsOpen) {
    ShowActive();
    form->Button4->setFocus();
    desktop.openAnswers.push_back(std::nullopt);
    QTest::keyClick(form->Button4, Qt::Key_Return);
    EXPECT_EQ(desktop.openCalls.size(), 1u);
    EXPECT_TRUE(TakePosterizeRuns().empty());
}

TEST_F(MainWindow, ResizingBeforeAnyImageLeavesAnEmptyPictureAndFittingBars) {
    form->show();
    ResizeClient(1000, 700);
    EXPECT_EQ(form->Image1->size(), QSize(0, 0));
    EXPECT_EQ(form->ScrollBar1->Maximum(), 1);
    EXPECT_EQ(form->ScrollBar2->Maximum(), 1);
    EXPECT_TRUE(desktop.messages.empty());
}

} // namespace
