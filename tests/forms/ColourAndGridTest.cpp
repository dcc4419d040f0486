// SPDX-License-Identifier: MIT
// Recolour by pick, the grid, and the one snapshot their two Undo buttons share.
#include "ColorComboBox.h"
#include "EventBoundary.h"
#include "FormFixture.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "ToggleButton.h"
#include "TrackBar.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class ColourAndGrid : public FormTest {
protected:
    void SetUp() override { OpenInFirstSizeWindow(100, 60); }
    void ClickAt(int x, int y) {
        form->Image1MouseMove(form->Image1, Qt::NoModifier, QPointF(x + 0.7, y + 0.2));
        form->Image1Click(form->Image1);
    }
    void InsertGrid(const QString& spacing, TAlphaColor colour) {
        TypeSpacing(spacing);
        form->ComboColorBox2->SetColor(colour);
        RunHandler([this] { form->Button6Click(form->Button6); });
    }
};

TEST_F(ColourAndGrid, RecolourReplacesEveryPixelOfExactlyThePickedColour) {
    Show({{A, B, A}, {A, 0xFE2A2A2Au, C}});
    form->ComboColorBox1->SetColor(Red);
    PressColorize();
    ClickAt(2, 0);
    EXPECT_EQ(Shown(), (Rows{{Red, B, Red}, {Red, 0xFE2A2A2Au, C}}))
        << "a pixel differing in alpha only stays";
    EXPECT_EQ(PickedColour, A);
    EXPECT_EQ(PixelsOf(UndoBitmap), (Rows{{A, B, A}, {A, 0xFE2A2A2Au, C}}));
    EXPECT_TRUE(form->Button7->isEnabled());
    EXPECT_FALSE(form->Button8->isEnabled());
    EXPECT_EQ(form->Image1->cursor().shape(), Qt::PointingHandCursor);

    form->Button7Click(form->Button7);
    EXPECT_EQ(Shown(), (Rows{{A, B, A}, {A, 0xFE2A2A2Au, C}}));
    EXPECT_FALSE(form->Button7->isEnabled());
}

TEST_F(ColourAndGrid, ASingleColouredPixelAndTheSameColourChosen) {
    Show({{A, B}, {A, A}});
    form->ComboColorBox1->SetColor(Red);
    PressColorize();
    ClickAt(1, 0);
    EXPECT_EQ(Shown(), (Rows{{A, Red}, {A, A}}));
    form->ComboColorBox1->SetColor(A);
    ClickAt(0, 0);
    EXPECT_EQ(Shown(), (Rows{{A, Red}, {A, A}}));
    EXPECT_EQ(PixelsOf(UndoBitmap), Shown()) << "the snapshot is still taken";
    EXPECT_TRUE(form->Button7->isEnabled());
}

TEST_F(ColourAndGrid, ClicksWhileReleasedDoNothingAndMovesAreNotKept) {
    Show({{A, B}, {C, A}});
    ClickAt(1, 1);
    EXPECT_EQ(Shown(), (Rows{{A, B}, {C, A}}));
    EXPECT_TRUE(UndoBitmap.IsEmpty()) << "no snapshot";
    EXPECT_FALSE(form->Button7->isEnabled());
    EXPECT_EQ(PickX, 0);
    EXPECT_EQ(PickY, 0);
}

TEST_F(ColourAndGrid, APickPositionOutsideThePictureRecoloursNothing) {
    PressColorize();
    form->Image1MouseMove(form->Image1, Qt::NoModifier, QPointF(80.9, 50.5));
    EXPECT_EQ(PickX, 80);
    EXPECT_EQ(PickY, 50);
    Show({{A, B}, {C, A}});
    form->Image1Click(form->Image1);
    EXPECT_EQ(Shown(), (Rows{{A, B}, {C, A}}));
    EXPECT_TRUE(form->Button7->isEnabled()) << "snapshot and Undo buttons come before the pick";
    EXPECT_FALSE(form->Image1->Bitmap().IsMapped());
}

TEST_F(ColourAndGrid, GridLinesAtSpacingMinusOneInBothDirections) {
    Show(Rows(60, std::vector<TAlphaColor>(100, A)));
    InsertGrid("28", Red);
    const Rows shown = Shown();
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool line = y == 27 || y == 55 || x == 27 || x == 55 || x == 83;
            ASSERT_EQ(shown[y][x], line ? Red : A) << x << "," << y;
        }
    EXPECT_EQ(GridStepLess1, 27);
    EXPECT_TRUE(form->Button8->isEnabled());
    EXPECT_FALSE(form->Button7->isEnabled());
}

TEST_F(ColourAndGrid, SpacingOneColoursEveryPixelAndSpacingEqualToTheWidthDrawsOneColumn) {
    Show(Rows(3, std::vector<TAlphaColor>(4, A)));
    InsertGrid("1", Red);
    EXPECT_EQ(Shown(), Rows(3, std::vector<TAlphaColor>(4, Red)));
    Show(Rows(3, std::vector<TAlphaColor>(4, A)));
    InsertGrid("4", Red);
    EXPECT_EQ(Shown(), Rows(3, std::vector<TAlphaColor>{A, A, A, Red})) << "N - 1 >= H: no row";
}

TEST_F(ColourAndGrid, GridAlphaIsWrittenNotBlended) {
    Show(Rows(2, std::vector<TAlphaColor>(2, A)));
    InsertGrid("1", 0x40FF0000u);
    EXPECT_EQ(Shown(), Rows(2, std::vector<TAlphaColor>(2, 0x40FF0000u)));
}

TEST_F(ColourAndGrid, ASecondGridIsKeptAndOnlyItIsUndone) {
    Show(Rows(6, std::vector<TAlphaColor>(6, A)));
    InsertGrid("3", Red);
    const Rows firstGrid = Shown();
    InsertGrid("2", B);
    EXPECT_EQ(Shown()[1][1], B);
    EXPECT_EQ(Shown()[2][0], Red) << "the first grid's lines stay where the second has none";
    form->Button8Click(form->Button8);
    EXPECT_EQ(Shown(), firstGrid);
    EXPECT_FALSE(form->Button8->isEnabled());
}

TEST_F(ColourAndGrid, RecolouringAGridLineRecoloursTheWholeGrid) {
    Show(Rows(4, std::vector<TAlphaColor>(4, A)));
    InsertGrid("2", B);
    form->ComboColorBox1->SetColor(C);
    PressColorize();
    ClickAt(1, 0);
    EXPECT_EQ(Shown(), (Rows{{A, C, A, C}, {C, C, C, C}, {A, C, A, C}, {C, C, C, C}}));
}

TEST_F(ColourAndGrid, GridReleasesColorizeButKeepsTheHand) {
    PressColorize();
    InsertGrid("10", Red);
    EXPECT_FALSE(form->Button3->IsPressed());
    EXPECT_EQ(form->Image1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form->Button3->cursor().shape(), Qt::PointingHandCursor);
    form->Button3->SetPressed(true);
    form->Button3->SetPressed(false);
    form->Button3Click(form->Button3);
    EXPECT_FALSE(form->Image1->testAttribute(Qt::WA_SetCursor));
}

TEST_F(ColourAndGrid, RecolourThenGridLeavesOnlyTheGridUndo) {
    Show({{A, B}, {B, A}});
    form->ComboColorBox1->SetColor(Red);
    PressColorize();
    ClickAt(0, 0);
    const Rows recoloured = Shown();
    InsertGrid("1", C);
    EXPECT_FALSE(form->Button7->isEnabled());
    EXPECT_TRUE(form->Button8->isEnabled());
    form->Button8Click(form->Button8);
    EXPECT_EQ(Shown(), recoloured);
}

TEST_F(ColourAndGrid, UndoAfterASliderChangeBringsBackTheOldLevels) {
    const Rows sixLevels = Shown();
    InsertGrid("7", Red);
    form->TrackBar1->SetValue(3);
    EXPECT_NE(Shown(), sixLevels);
    EXPECT_TRUE(form->Button8->isEnabled()) << "the slider leaves the Undo buttons alone";
    form->Button8Click(form->Button8);
    EXPECT_EQ(Shown(), sixLevels);
}

TEST_F(ColourAndGrid, SpacingZeroOrAnEmptyBoxDrawsNothing) {
    struct Case {
        QString text, message;
    };
    for (const Case& c : {Case{"0", "Grid spacing must be at least 1."},
                          Case{"", "'' is not a valid integer value."}}) {
        SCOPED_TRACE(c.text.toStdString());
        desktop.messages.clear();
        Show({{A, B}, {B, A}});
        PressColorize();
        GridStepLess1 = 41;
        InsertGrid(c.text, Red);
        EXPECT_EQ(desktop.MessageTexts(), QStringList{c.message});
        EXPECT_EQ(Shown(), (Rows{{A, B}, {B, A}}));
        EXPECT_EQ(PixelsOf(UndoBitmap), Shown()) << "the snapshot was taken";
        EXPECT_TRUE(form->Button8->isEnabled());
        EXPECT_TRUE(form->Button3->IsPressed()) << "Colorize stays as it was";
        EXPECT_EQ(GridStepLess1, 41);
    }
}

TEST_F(ColourAndGrid, ANarrowPictureGetsNoGridButTheRestHappens) {
    Show({{A}, {A}});
    PressColorize();
    InsertGrid("1", Red);
    EXPECT_EQ(Shown(), (Rows{{A}, {A}}));
    EXPECT_TRUE(form->Button8->isEnabled());
    EXPECT_FALSE(form->Button3->IsPressed());
}

TEST_F(ColourAndGrid, SpacingBoxRules) {
    form->show();
    form->NumberBox1->setFocus();
    form->NumberBox1->selectAll();
    QTest::keyClicks(form->NumberBox1, "201");
    EXPECT_EQ(form->NumberBox1->Text(), "28") << "typed 201 becomes 28 on the key release";
    form->NumberBox1->selectAll();
    QTest::keyClicks(form->NumberBox1, "200");
    EXPECT_EQ(form->NumberBox1->Text(), "200");
    TypeSpacing("");
    RunHandler([this] {
        form->NumberBox1KeyUp(form->NumberBox1, Qt::Key_Backspace, QChar(), Qt::NoModifier);
    });
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"'' is not a valid integer value."});
    EXPECT_EQ(form->NumberBox1->Text(), "") << "the text does not change";

    // The picture is 100 x 60: a value above either side goes back to 28, equal stays.
    for (auto [set, kept] :
         {std::pair{60, 60}, std::pair{61, 28}, std::pair{100, 28}, std::pair{45, 45}}) {
        form->NumberBox1->SetValue(set);
        EXPECT_EQ(form->NumberBox1->Value(), kept) << set;
    }
}

using BeforeAnyImage = FormTest;

TEST_F(BeforeAnyImage, ChoosingAColourPressesTheDisabledColorize) {
    form->ComboColorBox1->SetColor(Red);
    EXPECT_TRUE(form->Button3->IsPressed());
    EXPECT_FALSE(form->Button3->isEnabled());
    EXPECT_FALSE(form->Image1->testAttribute(Qt::WA_SetCursor))
        << "only the toggle's own click sets the hand";
    ResizeClient(919, 600);
    Open(WritePicture("later.png", TestPicture(600, 20)));
    EXPECT_FALSE(form->Button3->IsPressed()) << "opening releases it";
}

TEST_F(BeforeAnyImage, EveryPositiveSpacingGoesBackTo28) {
    for (int value : {1, 5, 200}) {
        form->NumberBox1->SetValue(value);
        EXPECT_EQ(form->NumberBox1->Value(), 28) << value;
    }
    form->NumberBox1->SetValue(0);
    EXPECT_EQ(form->NumberBox1->Value(), 0);
}

} // namespace
