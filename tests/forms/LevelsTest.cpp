// SPDX-License-Identifier: MIT
// Grey conversion and posterize through the window: how often each user action posterizes, with
// which level count, and what the buttons and cursors show afterwards.
#include "EventBoundary.h"
#include "FormFixture.h"
#include "GreyKernel.h"
#include "PictureBox.h"
#include "ReferenceKernels.h"
#include "SpinBox.h"
#include "ToggleButton.h"
#include "TrackBar.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

namespace {

using Runs = std::vector<QString>;

class Levels : public FormTest {
protected:
    void SetUp() override {
        ShowActive();
        ResizeClient(919, 600);
        Open(WritePicture("photo.png", picture));
        desktop.messages.clear(); // the width warning of this narrow picture
    }
    void Type(const QString& text) {
        form->Edit2->setFocus();
        QLineEdit* edit = form->Edit2->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void ExpectCursorsRestored() {
        EXPECT_EQ(form->Image1->cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
        for (QWidget* control :
             std::initializer_list<QWidget*>{form->RadioButton1, form->RadioButton2,
                                             form->RadioButton3, form->TrackBar1, form->Edit2})
            EXPECT_FALSE(control->testAttribute(Qt::WA_SetCursor)) << "default cursor";
    }

    const QImage picture = TestPicture(40, 30);
};

TEST_F(Levels, OpeningShowsMethodTwoWithSixLevels) {
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(picture, 2, 6)));
    ExpectCursorsRestored();
}

TEST_F(Levels, PosterizeButtonRunsOnceAndDisablesBothUndoButtons) {
    form->Button7->setEnabled(true);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_EQ(TakePosterizeRuns(), Runs{"6"});
    EXPECT_FALSE(form->Button7->isEnabled());
    EXPECT_FALSE(form->Button8->isEnabled());
    ExpectCursorsRestored();
}

TEST_F(Levels, EnterRunsPosterizeWhateverHasTheFocus) {
    form->Button4->setFocus();
    QTest::keyClick(form->Button4, Qt::Key_Return);
    EXPECT_EQ(TakePosterizeRuns(), Runs{"6"});
    EXPECT_TRUE(desktop.openCalls.size() == 1) << "Open.. did not run again";
}

TEST_F(Levels, DraggingPosterizesOnceAtEachNewWholeNumber) {
    // A drag sets fractional values one after another.
    for (double value : {6.0, 6.4, 6.9, 7.2, 7.8, 8.1, 8.5})
        form->TrackBar1->SetValue(value);
    EXPECT_EQ(TakePosterizeRuns(), (Runs{"7", "8"}));
    EXPECT_EQ(form->Edit2->Text(), "8");
    EXPECT_EQ(form->TrackBar1->Value(), 8.5);
}

TEST_F(Levels, DraggingFromEightToNineSevenPosterizesOnceWithNine) {
    form->TrackBar1->SetValue(8);
    TakePosterizeRuns();
    form->TrackBar1->SetValue(9.2);
    EXPECT_EQ(form->TrackBar1->Value(), 9.0) << "the spin box set the slider onto the whole number";
    form->TrackBar1->SetValue(9.7);
    EXPECT_EQ(TakePosterizeRuns(), Runs{"9"});
    EXPECT_EQ(form->Edit2->Text(), "9");
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(picture, 2, 9)));
}

TEST_F(Levels, SliderKeysPosterizeWhenTheWholePartChanges) {
    form->TrackBar1->setFocus();
    QTest::keyClick(form->TrackBar1, Qt::Key_Right);
    QTest::keyClick(form->TrackBar1, Qt::Key_End);
    QTest::keyClick(form->TrackBar1, Qt::Key_End);
    EXPECT_EQ(TakePosterizeRuns(), (Runs{"7", "13"}));
}

TEST_F(Levels, TrackClickPosterizesTwiceWithTheOldCountThenOnceWithTheNew) {
    const QPoint nearRightEnd(form->TrackBar1->width() - 4, form->TrackBar1->height() / 2);
    const QString caption = form->windowTitle();
    QTest::mouseClick(form->TrackBar1, Qt::LeftButton, Qt::NoModifier, nearRightEnd);
    const Runs runs = TakePosterizeRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], "6");
    EXPECT_EQ(runs[1], "6");
    EXPECT_GE(runs[2].toInt(), 12);
    EXPECT_EQ(form->windowTitle(), caption) << "the mouse-up handler keeps the caption";
}

TEST_F(Levels, SpinStepsPosterizeOncePerStep) {
    form->Edit2->setFocus();
    QTest::keyClick(form->Edit2, Qt::Key_Up);
    QTest::keyClick(form->Edit2, Qt::Key_Up);
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    EXPECT_EQ(TakePosterizeRuns(), (Runs{"7", "8", "7"}));
    EXPECT_EQ(form->TrackBar1->Value(), 7);
}

TEST_F(Levels, TypingAndConfirmingALevel) {
    struct Case {
        QString typed;
        Runs runs;
    };
    // Enter would run the default button; confirming is leaving the box.
    for (const Case& c : {Case{"7", {"7"}}, Case{"07", {"7", "7"}}, Case{"+7", {"7", "7"}},
                          Case{"20", {"13", "13"}}}) {
        SCOPED_TRACE(c.typed.toStdString());
        form->Edit2->SetText("6");
        TakePosterizeRuns();
        Type(c.typed);
        form->Button4->setFocus();
        EXPECT_EQ(TakePosterizeRuns(), c.runs);
        EXPECT_EQ(form->TrackBar1->Value(), c.runs.back().toInt());
    }
    form->Edit2->SetText("7");
    TakePosterizeRuns();
    Type("07");
    form->Button4->setFocus();
    EXPECT_EQ(TakePosterizeRuns(), Runs{"7"}) << "only the text changed";
}

TEST_F(Levels, ChangingTheMethodConvertsTwiceWithTheNewMethod) {
    std::vector<TAlphaColor> firstGreyPixel;
    GreyBitmap.SetObserver([&] {
        TBitmapData map;
        if (GreyBitmap.Map(TMapAccess::Read, map)) {
            firstGreyPixel.push_back(GetPixel(map, 0, 0));
            GreyBitmap.Unmap(map);
        }
    });
    form->Button3->SetPressed(true);
    form->Button7->setEnabled(true);
    QTest::mouseClick(form->RadioButton1, Qt::LeftButton);
    GreyBitmap.SetObserver(nullptr);
    EXPECT_EQ(TakePosterizeRuns().size(), 2u);
    const TAlphaColor methodOne = GreyOf(picture.pixel(0, 0), GreyMethod::Red);
    ASSERT_FALSE(firstGreyPixel.empty());
    for (TAlphaColor grey : firstGreyPixel)
        EXPECT_EQ(grey, methodOne) << "the first conversion already uses the new method";
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(picture, 1, 6)));
    EXPECT_FALSE(form->Button3->IsPressed());
    EXPECT_FALSE(form->Button7->isEnabled());
    ExpectCursorsRestored();

    QTest::mouseClick(form->RadioButton1, Qt::LeftButton);
    EXPECT_TRUE(TakePosterizeRuns().empty()) << "the checked button changes nothing";
    QTest::mouseClick(form->RadioButton3, Qt::LeftButton);
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(picture, 3, 6)));
}

TEST_F(Levels, AnEmptyLevelTextIsAConversionErrorAndKeepsThePicture) {
    const QImage before = form->Image1->Bitmap().ImageView().copy();
    // The text while the user is still typing in the box.
    TypeLevels("");
    RunHandler([this] { form->Button1Click(form->Button1); });
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"'' is not a valid integer value."});
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), before));
    EXPECT_EQ(form->Image1->cursor().shape(), Qt::WaitCursor)
        << "the busy cursor stays until a run completes";
}

TEST_F(Levels, ALevelTextOutsideTheRangeIsHeldWithinIt) {
    for (const char* typed : {"0", "1", "20"}) {
        SCOPED_TRACE(typed);
        TypeLevels(typed);
        form->Button1Click(form->Button1);
        const int held = QString(typed).toInt() > 13 ? 13 : 2;
        EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(picture, 2, held)));
        ExpectCursorsRestored();
    }
}

TEST_F(Levels, SliderChangesKeepTheUndoButtonsAsTheyAre) {
    form->Button8->setEnabled(true);
    form->TrackBar1->SetValue(9);
    EXPECT_TRUE(form->Button8->isEnabled());
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(picture, 2, 9)));
}

using LevelsBeforeAnyImage = FormTest;

TEST_F(LevelsBeforeAnyImage, PosterizeAndGreyRunOnTheEmptyBitmaps) {
    TForm1& f = *form;
    f.Button1Click(f.Button1);
    f.RadioButton3->setChecked(true);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(f.Image1->Bitmap().IsEmpty());
    EXPECT_TRUE(GreyBitmap.IsEmpty());
    EXPECT_EQ(f.Image1->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(PosterBitmap.IsMapped());
    EXPECT_FALSE(SourceBitmap.IsMapped());
}

} // namespace
