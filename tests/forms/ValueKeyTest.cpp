// SPDX-License-Identifier: MIT
// The value key: its window, the tones it lists as the picture changes, pointing at a tone,
// recolouring a tone from its row, and stamping the key into the picture.
#include "ValueKey.h"
#include "CanvasGridKernel.h"
#include "ColorComboBox.h"
#include "EventBoundary.h"
#include "FormFixture.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "SpinBox.h"
#include "ToggleButton.h"
#include "ValueKeyLink.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>
#include <map>

namespace {

class ValueKey : public FormTest {
protected:
    void SetUp() override {
        ResizeClient(919, 600);
        form->show();
    }
    TValueKey& Key() { return *form->ValueKey->KeyWindow; }
    void OpenKey() {
        form->ValueKey->ValueKeyItemClick(form->ValueKey->ValueKeyItem);
        ASSERT_NE(form->ValueKey->KeyWindow, nullptr);
    }
    // Lets the key catch up with the picture, as the event loop does after a handler.
    static void Settle() { QCoreApplication::processEvents(); }
    void Show(const Rows& rows) {
        FormTest::Show(rows);
        Settle();
    }
    // The list as the user reads it: each row's four columns.
    std::vector<QStringList> Listed() {
        std::vector<QStringList> listed;
        for (int i = 0; i < Key().ToneList->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = Key().ToneList->topLevelItem(i);
            listed.push_back({item->text(0), item->text(1), item->text(2), item->text(3)});
        }
        return listed;
    }
    // Pixels per colour as the key lists them, and as the picture has them.
    std::map<TAlphaColor, std::uint64_t> KeyCounts() {
        std::map<TAlphaColor, std::uint64_t> counts;
        for (const KeyRow& row : Key().Rows())
            counts[row.colour] += row.pixels;
        return counts;
    }
    std::map<TAlphaColor, std::uint64_t> PictureCounts() {
        std::map<TAlphaColor, std::uint64_t> counts;
        for (const auto& row : Shown())
            for (TAlphaColor pixel : row)
                ++counts[pixel];
        return counts;
    }
    int RowOf(TAlphaColor colour) {
        for (std::size_t i = 0; i < Key().Rows().size(); ++i)
            if (Key().Rows()[i].colour == colour && !Key().Rows()[i].IsOther())
                return int(i);
        ADD_FAILURE() << "no row for the colour";
        return -1;
    }
    QImage Painted() {
        return form->Image1->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
};

TEST_F(ValueKey, AToolWindowFromTheViewMenuBesideTheMainWindowThenWhereItWasAlwaysOnScreen) {
    const QList<QAction*> view = form->View->Menu->actions();
    EXPECT_EQ(view.back(), form->ValueKey->ValueKeyItem);
    EXPECT_EQ(form->ValueKey->ValueKeyItem->text(), "Value Key");
    EXPECT_EQ(form->MenuBar1->actions().front(), form->MenuItem6);
    EXPECT_EQ(form->ValueKey->KeyWindow, nullptr) << "nothing is made until the key is asked for";

    // A small window at the screen's top left leaves room for the key on its right.
    const QRect screen = form->screen()->availableGeometry();
    ResizeClient(400, 300);
    form->move(screen.topLeft());
    form->ValueKey->ValueKeyItem->trigger();
    ASSERT_NE(form->ValueKey->KeyWindow, nullptr);
    EXPECT_TRUE(Key().isVisible());
    EXPECT_EQ(Key().windowTitle(), "Value Key");
    EXPECT_TRUE(Key().windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(Key().isModal());
    const QRect main = form->frameGeometry();
    const QRect key = Key().frameGeometry();
    EXPECT_FALSE(key.intersects(main)) << "the picture stays in sight";
    EXPECT_GT(key.left(), main.right()) << "on the right";
    EXPECT_LE(key.left() - main.right(), 16) << "close beside";
    EXPECT_EQ(key.top(), main.top()) << "level with the main window";
    EXPECT_TRUE(screen.contains(key)) << "on the screen";

    Key().move(40, 50);
    Key().close();
    EXPECT_FALSE(Key().isVisible()) << "closing hides it";
    EXPECT_TRUE(form->isVisible());
    form->ValueKey->ValueKeyItem->trigger();
    EXPECT_TRUE(Key().isVisible());
    EXPECT_EQ(Key().pos(), QPoint(40, 50)) << "shown again where it was";

    // Left where the screen no longer shows it: brought back wholly onto the screen.
    Key().move(screen.right() - 10, screen.bottom() - 10);
    Key().close();
    form->ValueKey->ValueKeyItem->trigger();
    EXPECT_TRUE(screen.contains(Key().frameGeometry()));
}

TEST_F(ValueKey, WithNoPictureItSaysSo) {
    OpenKey();
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(Key().PatchLabel->text(), "No picture.");
    EXPECT_FALSE(Key().StampButton->isEnabled());
}

TEST_F(ValueKey, TonesDarkToLightWithValueShareAndPixels) {
    Open(WritePicture("p.png", TestPicture(100, 60)));
    OpenKey();
    // Greys, a recoloured tone and a grid colour with opacity (half red, premultiplied: darker
    // than grey 42).
    Show({{D, D, A, A, Red}, {D, D, C, A, 0x80800000u}, {A, A, A, A, A}, {D, C, C, A, A}});
    EXPECT_EQ(Listed(), (std::vector<QStringList>{{"1", "#80FF0000", "5.0 %", "1"},
                                                  {"2", "42", "50.0 %", "10"},
                                                  {"3", "#FF0000", "5.0 %", "1"},
                                                  {"4", "126", "15.0 %", "3"},
                                                  {"5", "212", "25.0 %", "5"}}));
    EXPECT_EQ(Key().PatchLabel->text(),
              "Patches: 7, the smallest 1 px; 0 below 0.1 % of the picture");
    EXPECT_TRUE(Key().StampButton->isEnabled());
}

TEST_F(ValueKey, FortyColoursShowTheThirtyOneLargestAndOther) {
    Open(WritePicture("p.png", TestPicture(100, 60)));
    OpenKey();
    Rows rows(1, std::vector<TAlphaColor>());
    for (int i = 0; i < 40; ++i)
        rows[0].insert(rows[0].end(), std::size_t(i + 1), OpaqueGrey(std::uint8_t(5 * i)));
    Show(rows);
    const std::vector<QStringList> listed = Listed();
    ASSERT_EQ(listed.size(), 32u);
    EXPECT_EQ(listed[0], (QStringList{"1", "45", "1.2 %", "10"}));
    EXPECT_EQ(listed[30], (QStringList{"31", "195", "4.9 %", "40"}));
    EXPECT_EQ(listed[31], (QStringList{"", "other", "5.5 %", "45"}));
}

TEST_F(ValueKey, FollowsEveryKindOfChange) {
    OpenKey();
    const auto follows = [this](const char* change) {
        SCOPED_TRACE(change);
        Settle();
        EXPECT_EQ(KeyCounts(), PictureCounts());
    };
    Open(WritePicture("p.png", TestPicture(100, 60)));
    follows("open");
    EXPECT_EQ(Key().Rows().size(), 6u) << "six levels";
    form->RadioButton1->setChecked(true);
    follows("method");
    form->Edit2->SetText(QStringLiteral("3"));
    follows("levels");
    EXPECT_EQ(Key().Rows().size(), 3u);
    const auto beforeOilify = KeyCounts();
    form->Button2Click(form->Button2);
    follows("Oilify");
    EXPECT_NE(KeyCounts(), beforeOilify);
    PressColorize();
    form->ComboColorBox1->SetColor(Red);
    form->ValueKey->ValueKeyToneClick(Key().Rows()[0].colour);
    follows("recolour");
    EXPECT_EQ(KeyCounts().count(Red), 1u);
    form->Button7Click(form->Button7);
    follows("the recolour's Undo");
    EXPECT_EQ(KeyCounts().count(Red), 0u);
    TypeSpacing("7");
    form->ComboColorBox2->SetColor(0xFF00FF00u);
    form->Button6Click(form->Button6);
    Settle();
    // Columns 6, 13, ..., 97 and rows 6, 13, ..., 55 of 100 x 60: 14 * 60 + 8 * 100 - 14 * 8.
    auto study = PictureCounts();
    EXPECT_EQ(study[0xFF00FF00u], 1528u);
    study.erase(0xFF00FF00u);
    EXPECT_EQ(KeyCounts(), study) << "the grid is listed apart, not as a tone";
    EXPECT_EQ(Key().OverlayLabel->text(), "Grid and labels: 25.5 %");
    EXPECT_TRUE(Key().OverlayLabel->isVisibleTo(&Key()));
    form->Button8Click(form->Button8);
    follows("the grid's Undo");
    EXPECT_FALSE(Key().OverlayLabel->isVisibleTo(&Key()));
}

// The grid's lines and its cells' names (whose outline grey may be a tone of the study) stay out
// of the tones' numbers and shares, whatever colours they share with the study.
TEST_F(ValueKey, TheGridAndItsNamesAreListedApartFromTheTones) {
    QImage photo(1200, 800, QImage::Format_RGB32);
    photo.fill(qRgb(40, 40, 40));
    Open(WritePicture("wide.png", photo));
    OpenKey();
    const TAlphaColor outline = OutlineGreyFor(claPalegreen);
    Rows rows(800, std::vector<TAlphaColor>(1200, outline));
    for (int y = 400; y < 800; ++y)
        std::fill(rows[y].begin(), rows[y].end(), D);
    Show(rows);
    const std::vector<QStringList> before = Listed();
    ASSERT_EQ(before.size(), 2u);

    form->ComboColorBox2->SetColor(claPalegreen);
    form->Canvas.cellNames = true;
    form->Canvas.lineWidthMm = 1; // 3 pixels at 1/3 mm a pixel
    form->InsertCanvasGrid();
    Settle();
    ASSERT_EQ(PictureCounts().count(claPalegreen), 1u) << "lines in the grid's colour";
    std::vector<QStringList> tones = Listed();
    ASSERT_EQ(tones.size(), 2u) << "the same two tones, no line or outline colour among them";
    for (std::size_t i = 0; i < tones.size(); ++i) {
        EXPECT_EQ(tones[i].mid(0, 2), before[i].mid(0, 2));
        EXPECT_LT(tones[i][3].toULongLong(), before[i][3].toULongLong()) << "less what covers it";
    }
    // The tones' shares are of the study's own pixels; the rest is the grid's.
    const std::uint64_t study = tones[0][3].toULongLong() + tones[1][3].toULongLong();
    EXPECT_EQ(tones[0][2], PercentText(tones[0][3].toULongLong(), study));
    EXPECT_EQ(Key().OverlayLabel->text(),
              "Grid and labels: " + PercentText(1200 * 800 - study, 1200 * 800));
}

TEST_F(ValueKey, NothingIsCountedWhileHiddenAndTheKeyCatchesUpWhenShown) {
    Open(WritePicture("p.png", TestPicture(100, 60)));
    OpenKey();
    const std::vector<QStringList> sixLevels = Listed();
    Key().close();
    form->Edit2->SetText(QStringLiteral("2"));
    Settle();
    EXPECT_EQ(Listed(), sixLevels) << "hidden: not counted";
    form->ValueKey->ValueKeyItemClick(form->ValueKey->ValueKeyItem);
    EXPECT_EQ(Listed().size(), 2u) << "counted when shown";
    EXPECT_EQ(KeyCounts(), PictureCounts());
}

TEST_F(ValueKey, PointingAtARowDimsTheOtherTonesOnScreenOnly) {
    Rows rows(60, std::vector<TAlphaColor>(100, A));
    for (int y = 20; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            rows[y][x] = x < 50 ? C : D;
    Open(WritePicture("p.png", TestPicture(100, 60)));
    OpenKey();
    Show(rows);
    const std::uint64_t generation = form->Image1->Bitmap().Generation();
    const QImage plain = Painted();

    const auto pointedAt = [&](const char* scale) {
        SCOPED_TRACE(scale);
        Key().ToneListRowEntered(RowOf(C));
        EXPECT_EQ(form->Image1->Highlight(), std::optional(C));
        const QImage painted = Painted();
        const QImage unpointed = [&] {
            Key().ToneListLeft();
            return Painted();
        }();
        for (const QPoint at : {QPoint(10, 30), QPoint(10, 5), QPoint(45, 50)}) {
            const QPoint shown = at * form->Image1->Scale().Factor();
            const TAlphaColor was = unpointed.pixel(shown);
            const TAlphaColor now = painted.pixel(shown);
            if (rows[at.y()][at.x()] == C)
                EXPECT_EQ(now, was) << "the pointed tone stays as it is";
            else
                EXPECT_NE(now, was) << "another tone is dimmed";
        }
        EXPECT_EQ(Painted(), unpointed) << "leaving the row shows every tone again";
    };
    pointedAt("1:1");
    EXPECT_EQ(Painted(), plain);
    form->View->ZoomOutItemClick(form->View->ZoomOutItem);
    ASSERT_TRUE(form->Image1->Scale().Reduces());
    pointedAt("reduced");
    form->View->ActualPixelsItemClick(form->View->ActualPixelsItem);
    form->View->ZoomInItemClick(form->View->ZoomInItem);
    pointedAt("enlarged");

    EXPECT_EQ(Shown(), rows) << "no bitmap changes";
    EXPECT_EQ(form->Image1->Bitmap().Generation(), generation);
    EXPECT_TRUE(UndoBitmap.IsEmpty());
    Key().ToneListRowEntered(RowOf(D));
    Key().close();
    EXPECT_EQ(form->Image1->Highlight(), std::nullopt) << "a hidden key points at nothing";
}

TEST_F(ValueKey, ClickingARowWithColorizePressedEqualsClickingThePicture) {
    const Rows rows{{A, C, A}, {D, C, A}, {C, C, D}};
    Open(WritePicture("p.png", TestPicture(100, 60)));
    OpenKey();
    form->ComboColorBox1->SetColor(Red);

    struct Outcome {
        Rows shown, undo;
        TAlphaColor picked;
        bool undoRecolour, undoGrid;
        bool operator==(const Outcome&) const = default;
    };
    const auto outcome = [this] {
        return Outcome{Shown(), PixelsOf(UndoBitmap), PickedColour, form->Button7->isEnabled(),
                       form->Button8->isEnabled()};
    };
    // The same steps twice, once through the picture and once through the key: a grid first,
    // so that the recolour's Undo replaces the grid's.
    const auto afterGrid = [&] {
        Show(rows);
        TypeSpacing("50");
        form->Button6Click(form->Button6);
        PressColorize();
        Settle();
    };
    afterGrid();
    form->Image1MouseMove(form->Image1, Qt::NoModifier, QPointF(1.5, 2.5));
    form->Image1Click(form->Image1);
    const Outcome byPicture = outcome();
    EXPECT_EQ(byPicture.shown, (Rows{{A, Red, A}, {D, Red, A}, {Red, Red, D}}));

    afterGrid();
    UndoBitmap.SetSize(0, 0);
    PickedColour = 0;
    Key().ToneListRowClicked(RowOf(C));
    EXPECT_EQ(outcome(), byPicture);
    form->Button7Click(form->Button7);
    EXPECT_EQ(Shown(), rows);

    form->Button3->SetPressed(false);
    Settle();
    Key().ToneListRowClicked(RowOf(C));
    EXPECT_EQ(Shown(), rows) << "with Colorize released a row click recolours nothing";
    EXPECT_FALSE(form->Button7->isEnabled());
}

TEST_F(ValueKey, StampKeyOnAPictureTooSmallForItIsRefusedAndChangesNothing) {
    Open(WritePicture("small.png", TestPicture(40, 30)));
    OpenKey();
    Settle();
    desktop.messages.clear(); // the narrow picture's warning
    const Rows before = Shown();
    form->Button8->setEnabled(false);
    RunHandler([this] { Key().StampButtonClick(Key().StampButton); });
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"The picture is too small for the key's stamp."});
    EXPECT_EQ(Shown(), before);
    EXPECT_FALSE(form->Button8->isEnabled()) << "no Undo offered for a stamp not drawn";
}

TEST_F(ValueKey, StampKeyDrawsTheKeyAndTheGridsUndoTakesItBack) {
    QImage photo(1200, 800, QImage::Format_RGB32);
    photo.fill(qRgb(40, 40, 40));
    Open(WritePicture("wide.png", photo));
    OpenKey();
    Rows rows(800, std::vector<TAlphaColor>(1200, A));
    for (int y = 0; y < 800; ++y)
        std::fill(rows[y].begin() + 600, rows[y].end(), D);
    Show(rows);
    PressColorize();
    form->ComboColorBox1->SetColor(Red);
    form->ValueKey->ValueKeyToneClick(D);
    Settle();
    ASSERT_TRUE(form->Button7->isEnabled());
    const Rows before = Shown();

    RunHandler([this] { Key().StampButtonClick(Key().StampButton); });
    EXPECT_EQ(PixelsOf(UndoBitmap), before) << "snapshot before the stamp";
    EXPECT_TRUE(form->Button8->isEnabled());
    EXPECT_FALSE(form->Button7->isEnabled());
    const Rows stamped = Shown();
    EXPECT_EQ(stamped[0][0], claBlack) << "the key's frame in the top-left corner";
    EXPECT_EQ(stamped[799][1199], Red) << "the rest as it was";
    int stampedPixels = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 1200; ++x)
            stampedPixels += stamped[y][x] != before[y][x];
    EXPECT_GT(stampedPixels, 2000);
    EXPECT_LT(stampedPixels, 1200 * 800 / 10) << "a corner, not the picture";
    Settle();
    // The stamp is listed apart: the tones and their numbers as before, less what it covers.
    int panelRight = 0, panelBottom = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 1200; ++x)
            if (stamped[y][x] != before[y][x]) {
                panelRight = std::max(panelRight, x);
                panelBottom = std::max(panelBottom, y);
            }
    std::map<TAlphaColor, std::uint64_t> uncovered;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 1200; ++x)
            if (x > panelRight || y > panelBottom)
                ++uncovered[stamped[y][x]];
    EXPECT_EQ(KeyCounts(), uncovered);
    const std::uint64_t panel = std::uint64_t(panelRight + 1) * (panelBottom + 1);
    EXPECT_EQ(Key().OverlayLabel->text(), "Grid and labels: " + PercentText(panel, 1200 * 800));

    form->Button8Click(form->Button8);
    EXPECT_EQ(Shown(), before);
    EXPECT_FALSE(form->Button8->isEnabled());
}

} // namespace
