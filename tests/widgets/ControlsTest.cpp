// SPDX-License-Identifier: MIT
// Our controls' event rules, driven with real key and mouse events where the user would act.
#include "ColorComboBox.h"
#include "DefaultButton.h"
#include "FakeDesktop.h"
#include "NumberBox.h"
#include "RealScrollBar.h"
#include "SpinBox.h"
#include "ToggleButton.h"
#include "TrackBar.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ToggleButton, PressFlipsBeforeTheClickHandlerRuns) {
    ToggleButton button("Colorize");
    std::vector<bool> seen;
    button.OnClick = [&] { seen.push_back(button.IsPressed()); };
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_TRUE(button.IsPressed()) << "flips on press";
    EXPECT_TRUE(seen.empty()) << "the handler waits for the release";
    QTest::mouseRelease(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(button.IsPressed());
}

TEST(ToggleButton, SpaceRunsTheHandlerWithoutFlipping) {
    ToggleButton button("Colorize");
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    button.SetPressed(true);
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button.IsPressed());
}

TEST(ToggleButton, SettingFromCodeOnlyChangesTheLook) {
    ToggleButton button("Colorize");
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    button.SetPressed(true);
    button.SetPressed(false);
    button.setEnabled(false);
    button.SetPressed(true);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(button.IsPressed())
        << "a disabled toggle can still be pressed from code, and a click does nothing";
}

struct DefaultButtonWindow {
    QWidget window;
    QPushButton* defaultButton = new QPushButton("Posterize..", &window);
    QPushButton* other = new QPushButton("Open..", &window);
    QLineEdit* field = new QLineEdit(&window);
    int defaultClicks = 0;
    int otherClicks = 0;
    DefaultButtonWindow() {
        new DefaultButton(&window, defaultButton);
        QObject::connect(defaultButton, &QPushButton::clicked, [this] { ++defaultClicks; });
        QObject::connect(other, &QPushButton::clicked, [this] { ++otherClicks; });
        window.show();
    }
};

TEST(DefaultButton, EnterAnywhereClicksTheEnabledDefaultButton) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        DefaultButtonWindow w;
        QTest::keyClick(w.other, key);
        QTest::keyClick(w.field, key);
        EXPECT_EQ(w.defaultClicks, 2);
        EXPECT_EQ(w.otherClicks, 0) << "the key goes no further";
    }
}

TEST(DefaultButton, WhileDisabledEnterReachesTheFocusedButton) {
    DefaultButtonWindow w;
    w.defaultButton->setEnabled(false);
    QTest::keyClick(w.other, Qt::Key_Return);
    QTest::keyClick(w.field, Qt::Key_Return);
    EXPECT_EQ(w.otherClicks, 1);
    EXPECT_EQ(w.defaultClicks, 0);
}

TEST(DefaultButton, EnterWithAModifierIsLeftAlone) {
    DefaultButtonWindow w;
    QTest::keyClick(w.field, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(w.defaultClicks, 0);
}

// Shows a window and makes it the active one, so that keyboard focus moves as for a user.
void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

struct LevelSlider {
    TrackBar slider;
    std::vector<std::string> events;
    LevelSlider() {
        slider.resize(209, 19);
        slider.SetRange(2, 13);
        slider.SetValue(5);
        slider.OnChange = [this] { events.push_back("change " + std::to_string(slider.Value())); };
        slider.OnClick = [this] { events.push_back("click"); };
        slider.OnMouseUp = [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF) {
            events.push_back("up");
        };
        ShowActive(slider);
    }
    QRect Handle() {
        QStyleOptionSlider option;
        option.initFrom(&slider);
        option.orientation = Qt::Horizontal;
        option.minimum = slider.minimum();
        option.maximum = slider.maximum();
        option.sliderPosition = slider.sliderPosition();
        option.sliderValue = slider.value();
        return slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle,
                                              &slider);
    }
};

TEST(TrackBar, ChangesFromCodeRunOnlyWhenTheValueChanges) {
    LevelSlider s;
    s.slider.SetValue(5);
    EXPECT_TRUE(s.events.empty());
    s.slider.SetValue(9.7);
    s.slider.SetValue(40);
    s.slider.SetValue(-1);
    EXPECT_EQ(s.events,
              (std::vector<std::string>{"change 9.700000", "change 13.000000", "change 2.000000"}));
}

TEST(TrackBar, TrackClickRaisesClickThenMouseUpThenMovesTheValue) {
    LevelSlider s;
    const QPoint farRight(s.slider.width() - 3, s.slider.height() / 2);
    ASSERT_FALSE(s.Handle().contains(farRight));
    QTest::mouseClick(&s.slider, Qt::LeftButton, Qt::NoModifier, farRight);
    ASSERT_EQ(s.events.size(), 3u);
    EXPECT_EQ(s.events[0], "click");
    EXPECT_EQ(s.events[1], "up");
    EXPECT_EQ(s.events[2].substr(0, 7), "change ");
    EXPECT_GT(s.slider.Value(), 12.0);
    EXPECT_TRUE(s.slider.hasFocus());
}

TEST(TrackBar, DraggingTheThumbRaisesOnlyChangesWithFractions) {
    LevelSlider s;
    const QPoint start = s.Handle().center();
    QTest::mousePress(&s.slider, Qt::LeftButton, Qt::NoModifier, start);
    for (int dx = 1; dx <= 12; ++dx) {
        QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(dx, 0)),
                         s.slider.mapToGlobal(QPointF(start + QPoint(dx, 0))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.slider, &move);
    }
    QTest::mouseRelease(&s.slider, Qt::LeftButton, Qt::NoModifier, start + QPoint(12, 0));
    ASSERT_FALSE(s.events.empty());
    for (const std::string& event : s.events)
        EXPECT_EQ(event.substr(0, 7), "change ") << "no click or mouse-up while dragging";
    EXPECT_NE(s.slider.Value(), std::trunc(s.slider.Value()))
        << "drag values are not limited to whole numbers";
}

TEST(TrackBar, KeysStepByOneAndJumpToTheEnds) {
    LevelSlider s;
    QTest::keyClick(&s.slider, Qt::Key_Right);
    EXPECT_EQ(s.slider.Value(), 6);
    QTest::keyClick(&s.slider, Qt::Key_Left);
    QTest::keyClick(&s.slider, Qt::Key_Left);
    EXPECT_EQ(s.slider.Value(), 4);
    QTest::keyClick(&s.slider, Qt::Key_End);
    EXPECT_EQ(s.slider.Value(), 13);
    QTest::keyClick(&s.slider, Qt::Key_Home);
    EXPECT_EQ(s.slider.Value(), 2);
    EXPECT_EQ(s.events.size(), 5u);
}

struct LevelSpinBox {
    // Declared first so it outlives the window: hiding the window on destruction takes the focus
    // from the box, which confirms unconfirmed text and records one more change.
    std::vector<QString> changes; // the text shown at each change
    QWidget window;
    SpinBox& box = *new SpinBox(2, 13, 6, &window);
    QLineEdit& elsewhere = *new QLineEdit(&window);
    LevelSpinBox() {
        elsewhere.move(0, 40);
        box.OnChange = [this] { changes.push_back(box.Text()); };
        ShowActive(window);
    }
    void Type(const QString& text) {
        box.setFocus();
        box.findChild<QLineEdit*>()->selectAll();
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClicks(&box, text);
    }
};

TEST(SpinBox, SettingTextFollowsTheTextRules) {
    struct Case {
        QString set;
        QString shown;
        int value;
        int changes;
    };
    const Case cases[] = {
        {"6", "6", 6, 0},  {"9", "9", 9, 1},  {"20", "13", 13, 1}, {"0", "2", 2, 1},
        {"07", "7", 7, 1}, {"+7", "7", 7, 1}, {"x", "6", 6, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set.toStdString());
        LevelSpinBox s;
        s.box.SetText(c.set);
        EXPECT_EQ(s.box.Text(), c.shown);
        EXPECT_EQ(s.box.Value(), c.value);
        EXPECT_EQ(int(s.changes.size()), c.changes);
    }
}

TEST(SpinBox, ConfirmingTypedTextRaisesOnePerValueChangeAndOnePerRewrite) {
    struct Case {
        int held;
        QString typed;
        std::vector<QString> changes; // text shown at each change
        int value;
    };
    const Case cases[] = {
        {6, "7", {"7"}, 7},          {6, "07", {"07", "7"}, 7}, {6, "+7", {"+7", "7"}, 7},
        {6, "20", {"20", "13"}, 13}, {7, "07", {"7"}, 7},       {6, "6", {}, 6},
        {6, "", {"6"}, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        LevelSpinBox s;
        s.box.SetText(QString::number(c.held));
        s.changes.clear();
        s.Type(c.typed);
        EXPECT_TRUE(s.changes.empty()) << "typing alone raises nothing";
        EXPECT_EQ(s.box.Text(), c.typed);
        QTest::keyClick(&s.box, Qt::Key_Return);
        EXPECT_EQ(s.changes, c.changes);
        EXPECT_EQ(s.box.Value(), c.value);
        EXPECT_EQ(s.box.Text(), QString::number(c.value));
    }
}

TEST(SpinBox, LeavingTheBoxConfirmsToo) {
    LevelSpinBox s;
    s.Type("9");
    s.elsewhere.setFocus();
    EXPECT_EQ(s.changes, std::vector<QString>{"9"});
}

TEST(SpinBox, StepsRaiseOneChangeEachWithinTheRange) {
    LevelSpinBox s;
    s.box.setFocus();
    QTest::keyClick(&s.box, Qt::Key_Up);
    QTest::keyClick(&s.box, Qt::Key_Down);
    QTest::keyClick(&s.box, Qt::Key_Down);
    EXPECT_EQ(s.changes, (std::vector<QString>{"7", "6", "5"}));
    s.box.SetText("13");
    s.changes.clear();
    QTest::keyClick(&s.box, Qt::Key_Up);
    EXPECT_TRUE(s.changes.empty()) << "no step beyond the maximum";
}

TEST(SpinBox, OnlySignedDigitsCanBeTyped) {
    LevelSpinBox s;
    s.Type("a7b");
    EXPECT_EQ(s.box.Text(), "7");
}

TEST(RealScrollBar, AutomaticArrowStep) {
    struct Case {
        double range, step;
    };
    for (const Case c : {Case{1000, 100}, Case{500, 10}, Case{100, 1}, Case{5, 0.1}, Case{1, 0.01},
                         Case{31.6, 1}, Case{3162.3, 100}}) {
        EXPECT_DOUBLE_EQ(RealScrollBar::AutomaticStep(c.range), c.step) << c.range;
        RealScrollBar bar(Qt::Vertical);
        bar.SetMaximum(c.range);
        EXPECT_NEAR(bar.ArrowStep(), c.step, 1e-9) << c.range;
    }
}

TEST(RealScrollBar, ValueIsClampedAndChangesOnlyWhenItChanges) {
    RealScrollBar bar(Qt::Horizontal);
    std::vector<double> changes;
    bar.OnChange = [&] { changes.push_back(bar.Value()); };
    bar.SetMaximum(301);
    EXPECT_TRUE(changes.empty()) << "a maximum that leaves the value alone runs nothing";
    bar.SetValue(150.5);
    bar.SetValue(150.5);
    bar.SetValue(-4);
    bar.SetValue(400);
    bar.SetMaximum(100);
    bar.SetMaximum(200);
    EXPECT_EQ(changes, (std::vector<double>{150.5, 0, 301, 100}));
}

TEST(RealScrollBar, ArrowClicksMoveByTheStepAndComeBackExactly) {
    RealScrollBar bar(Qt::Vertical);
    bar.SetMaximum(5);
    int changes = 0;
    bar.OnChange = [&] { ++changes; };
    for (int i = 0; i < 7; ++i)
        bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_NEAR(bar.Value(), 0.7, 1e-12);
    for (int i = 0; i < 7; ++i)
        bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar.Value(), 0.0) << "no residue is left near zero";
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(changes, 14);
}

struct SpacingBox {
    NumberBox box{0, 200, 28, 5};
    std::vector<double> changes;
    std::vector<QString> keyUps; // the text at each key release
    SpacingBox() {
        box.OnChange = [this] { changes.push_back(box.Value()); };
        box.OnKeyUp = [this](int, QChar, Qt::KeyboardModifiers) { keyUps.push_back(box.Text()); };
        box.show();
    }
};

TEST(NumberBox, TextSetFromCodeIsHeldWithinTheRange) {
    struct Case {
        QString set, shown;
        double value;
        int changes;
    };
    for (const Case& c :
         {Case{"28", "28", 28, 0}, Case{"33", "33", 33, 1}, Case{"250", "200", 200, 1},
          Case{"-3", "0", 0, 1}, Case{"abc", "28", 28, 0}}) {
        SCOPED_TRACE(c.set.toStdString());
        SpacingBox s;
        s.box.SetText(c.set);
        EXPECT_EQ(s.box.Text(), c.shown);
        EXPECT_EQ(s.box.Value(), c.value);
        EXPECT_EQ(int(s.changes.size()), c.changes);
    }
}

TEST(NumberBox, EveryKeyReleaseIsReportedAndConfirmingTakesTheValue) {
    SpacingBox s;
    s.box.setFocus();
    s.box.selectAll();
    QTest::keyClicks(&s.box, "201");
    EXPECT_EQ(s.keyUps, (std::vector<QString>{"2", "20", "201"}));
    EXPECT_TRUE(s.changes.empty());
    QTest::keyClick(&s.box, Qt::Key_Return);
    EXPECT_EQ(s.changes, std::vector<double>{200});
}

TEST(NumberBox, DraggingUpAndDownStepsByFivePerPixel) {
    SpacingBox s;
    const QPoint start(10, 10);
    QTest::mousePress(&s.box, Qt::LeftButton, Qt::NoModifier, start);
    for (const QPoint at : {QPoint(10, 8), QPoint(10, 11)}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), s.box.mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.box, &move);
    }
    QTest::mouseRelease(&s.box, Qt::LeftButton, Qt::NoModifier, QPoint(10, 11));
    EXPECT_EQ(s.changes, (std::vector<double>{38, 23}));
    EXPECT_EQ(s.box.Text(), "23");
}

TEST(ColorComboBox, ChoosingAColourAsksTheDesktopAndRaisesAChange) {
    FakeDesktop desktop;
    ColorComboBox opaque(claBlue, false);
    ColorComboBox withAlpha(claPalegreen, true);
    int changes = 0;
    opaque.OnChange = [&] { ++changes; };
    withAlpha.OnChange = [&] { ++changes; };
    desktop.colourAnswers = {0x80FF0000u, std::nullopt, 0x80FF0000u, 0x80FF0000u};
    QTest::mouseClick(&opaque, Qt::LeftButton);
    EXPECT_EQ(opaque.Color(), 0xFFFF0000u) << "a box without opacity holds opaque colours";
    QTest::mouseClick(&opaque, Qt::LeftButton);
    EXPECT_EQ(opaque.Color(), 0xFFFF0000u) << "cancel keeps the colour";
    QTest::mouseClick(&withAlpha, Qt::LeftButton);
    EXPECT_EQ(withAlpha.Color(), 0x80FF0000u);
    QTest::mouseClick(&withAlpha, Qt::LeftButton);
    EXPECT_EQ(changes, 2) << "the same colour again is no change";
}

} // namespace
