// SPDX-License-Identifier: MIT
// The "Canvas" menu's grid: the menu, the dialog and its readouts, "Insert" against
// "Insert Grid..", and one Undo for everything the grid drew.
#include "CanvasCommands.h"
#include "CanvasDialog.h"
#include "CanvasGridKernel.h"
#include "ColorComboBox.h"
#include "EventBoundary.h"
#include "FormFixture.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "ToggleButton.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>

namespace {

class CanvasGrid : public FormTest {
protected:
    void SetUp() override {
        OpenInFirstSizeWindow(300, 200);
        form->ComboColorBox2->SetColor(Red);
    }
    // "Canvas and Grid..." with the dialog answered by `answer`.
    void RunDialog(std::function<int(CanvasDialog&)> answer) {
        desktop.dialogAnswers.push_back([answer](QDialog& dialog) {
            auto* canvas = dynamic_cast<CanvasDialog*>(&dialog);
            EXPECT_TRUE(canvas);
            return canvas ? answer(*canvas) : 0;
        });
        RunHandler(
            [this] { form->CanvasMenu->CanvasGridItemClick(form->CanvasMenu->CanvasGridItem); });
        EXPECT_TRUE(desktop.dialogAnswers.empty());
    }
    // Cells across the short side: a spacing of short side / count.
    static CanvasSettings ByCount(int count) {
        CanvasSettings settings;
        settings.cellsAcrossShortSide = count;
        return settings;
    }
};

TEST_F(CanvasGrid, TheCanvasMenuSitsRightOfViewAndItsOutputsWaitForAPicture) {
    QStringList titles;
    for (QAction* action : form->MenuBar1->actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"About Halvane", "View", "Canvas", "Study"}));
    EXPECT_EQ(form->MenuBar1->actions().first(), form->MenuItem6) << "About stays an action";
    QStringList items;
    for (QAction* action : form->CanvasMenu->Menu->actions())
        if (!action->isSeparator())
            items << action->text();
    EXPECT_EQ(items,
              (QStringList{"Canvas and Grid...", "Crop to Canvas...", "Full Photo", "Print...",
                           "Export PDF...", "Export PNG...", "Export Outline PDF...",
                           "Print Outline...", "Export Outline PNG..."}));
    for (QAction* action :
         {form->CanvasMenu->CropItem, form->CanvasMenu->PrintItem, form->CanvasMenu->ExportPdfItem,
          form->CanvasMenu->ExportPngItem, form->CanvasMenu->ExportOutlinePdfItem,
          form->CanvasMenu->PrintOutlineItem, form->CanvasMenu->ExportOutlinePngItem})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
}

TEST_F(CanvasGrid, TheDialogReadsOutTheFitAndTheGridAsTheBoxesChange) {
    RunDialog([](CanvasDialog& dialog) {
        // 300 x 200 pixels on the 30 x 40 cm canvas turned to the picture, 40 x 30 cm: the width
        // fits at 4/3 mm per pixel.
        EXPECT_EQ(dialog.FitReadout->text(),
                  "Picture 40.00 cm x 26.67 cm. The width fits; 3.33 cm of the canvas height is "
                  "left.");
        EXPECT_EQ(dialog.GridReadout->text(), "Spacing 33 pixels, 10 x 7 cells of 4.40 cm.");
        dialog.HeightBox->setValue(15);
        EXPECT_EQ(dialog.FitReadout->text(),
                  "Picture 22.50 cm x 15.00 cm. The height fits; 17.50 cm of the canvas width is "
                  "left.");
        EXPECT_FALSE(dialog.CellSizeBox->isEnabled()) << "the measure not in use";
        dialog.BySizeButton->setChecked(true);
        EXPECT_TRUE(dialog.CellSizeBox->isEnabled());
        EXPECT_FALSE(dialog.CellCountBox->isEnabled());
        dialog.CellSizeBox->setValue(3);
        EXPECT_EQ(dialog.GridReadout->text(), "Spacing 40 pixels, 8 x 5 cells of 3.00 cm.");
        dialog.UnitBox->setCurrentIndex(1);
        EXPECT_EQ(dialog.WidthBox->value(), 15.75);
        EXPECT_EQ(dialog.GridReadout->text(), "Spacing 40 pixels, 8 x 5 cells of 1.18 in.");
        dialog.UnitBox->setCurrentIndex(0);
        EXPECT_EQ(dialog.WidthBox->value(), 40) << "switching units does not round the canvas";
        return int(CanvasDialog::Kept);
    });
    EXPECT_DOUBLE_EQ(form->Canvas.canvasHeightMm, 150);
    EXPECT_EQ(form->Canvas.measure, GridMeasure::CellSize);
    EXPECT_FALSE(form->Button8->isEnabled()) << "OK draws nothing";
}

TEST_F(CanvasGrid, CancelKeepsTheSettingsOkKeepsTheChangesForTheNextDialog) {
    RunDialog([](CanvasDialog& dialog) {
        dialog.WidthBox->setValue(50);
        return int(CanvasDialog::Cancelled);
    });
    EXPECT_DOUBLE_EQ(form->Canvas.canvasWidthMm, 400) << "as it was, turned to the picture";
    RunDialog([](CanvasDialog& dialog) {
        dialog.WidthBox->setValue(50);
        dialog.NamesBox->setChecked(true);
        dialog.LineWidthBox->setValue(2.5);
        dialog.PaperBox->setCurrentIndex(4);
        return int(CanvasDialog::Kept);
    });
    RunDialog([](CanvasDialog& dialog) {
        EXPECT_EQ(dialog.WidthBox->value(), 50);
        EXPECT_TRUE(dialog.NamesBox->isChecked());
        EXPECT_EQ(dialog.LineWidthBox->value(), 2.5);
        EXPECT_EQ(dialog.PaperBox->currentText(), "Tabloid");
        return int(CanvasDialog::Cancelled);
    });
}

// A value out of its field's range is neither changed nor taken: it shows as typed, the dialog
// says which field and its range, and OK and Insert refuse it until it is mended.
TEST_F(CanvasGrid, AValueOutOfRangeIsSaidAndRefusedNotChanged) {
    RunDialog([](CanvasDialog& dialog) {
        EXPECT_FALSE(dialog.ProblemReadout->isVisibleTo(&dialog));
        const QString readout = dialog.GridReadout->text();
        struct Case {
            std::function<void()> type;
            const char* problem;
        };
        const Case cases[] = {
            {[&] { dialog.WidthBox->setValue(0); }, "The width must be from 0.10 to 1000.00 cm."},
            {[&] { dialog.HeightBox->setValue(-5); },
             "The height must be from 0.10 to 1000.00 cm."},
            {[&] { dialog.WidthBox->setValue(100000); },
             "The width must be from 0.10 to 1000.00 cm."},
            {[&] { dialog.CellCountBox->setValue(1000); },
             "The cells across the short side must be from 1 to 500."},
            {[&] { dialog.LineWidthBox->setValue(7); },
             "The line width must be from 0 (one pixel) to 5.00 mm."},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.problem);
            dialog.WidthBox->setValue(40);
            dialog.HeightBox->setValue(30);
            dialog.CellCountBox->setValue(6);
            dialog.LineWidthBox->setValue(0);
            c.type();
            EXPECT_EQ(dialog.ProblemReadout->text(), c.problem);
            EXPECT_TRUE(dialog.ProblemReadout->isVisibleTo(&dialog));
            EXPECT_FALSE(dialog.OkButton->isEnabled());
            EXPECT_FALSE(dialog.InsertButton->isEnabled());
            EXPECT_EQ(dialog.GridReadout->text(), readout) << "the last values that can be made";
        }
        EXPECT_EQ(dialog.LineWidthBox->value(), 7) << "shown as typed";
        dialog.LineWidthBox->setValue(5);
        EXPECT_TRUE(dialog.OkButton->isEnabled());
        EXPECT_TRUE(dialog.InsertButton->isEnabled());
        EXPECT_FALSE(dialog.ProblemReadout->isVisibleTo(&dialog));
        // Values the picture cannot take are held, and the readout says so.
        dialog.BySizeButton->setChecked(true);
        dialog.CellSizeBox->setValue(100);
        EXPECT_EQ(dialog.GridReadout->text(),
                  "Spacing 300 pixels, 1 x 1 cells of 40.00 cm. The cell size is held at 40.00 cm: "
                  "a cell is no larger than the picture. Lines 5.00 mm: 4 pixels wide.");
        EXPECT_TRUE(dialog.OkButton->isEnabled());
        return int(CanvasDialog::Kept);
    });
    EXPECT_DOUBLE_EQ(form->Canvas.lineWidthMm, 5);
}

// Until a canvas is kept in the dialog, it turns to each picture opened; once kept, it stays.
TEST_F(CanvasGrid, TheCanvasFollowsThePicturesOrientationUntilOneIsChosen) {
    EXPECT_DOUBLE_EQ(form->Canvas.canvasWidthMm, 400) << "a landscape picture";
    Open(WritePicture("tall.png", TestPicture(200, 300)));
    EXPECT_DOUBLE_EQ(form->Canvas.canvasWidthMm, 300) << "a portrait picture";
    EXPECT_DOUBLE_EQ(form->Canvas.canvasHeightMm, 400);
    RunDialog([](CanvasDialog& dialog) {
        dialog.WidthBox->setValue(30);
        dialog.HeightBox->setValue(40);
        return int(CanvasDialog::Kept);
    });
    Open(WritePicture("wide.png", TestPicture(300, 200)));
    EXPECT_DOUBLE_EQ(form->Canvas.canvasWidthMm, 300) << "the painter's own canvas";
    EXPECT_DOUBLE_EQ(form->Canvas.canvasHeightMm, 400);
}

TEST_F(CanvasGrid, WithEveryOptionOffInsertDrawsExactlyWhatInsertGridDraws) {
    struct Case {
        int cellsAcross, spacing;
    };
    const Rows posterized = Shown();
    // The picture is 300 x 200: 200 / count, rounded.
    for (const Case& c : {Case{6, 33}, Case{7, 29}, Case{1, 200}, Case{200, 1}}) {
        SCOPED_TRACE(c.spacing);
        FillBitmap(form->Image1->Bitmap(), posterized);
        TypeSpacing(QString::number(c.spacing));
        RunHandler([this] { form->Button6Click(form->Button6); });
        const Rows byInsertGrid = Shown();
        form->Button8Click(form->Button8);

        form->Canvas = ByCount(c.cellsAcross);
        form->Button3->SetPressed(true);
        RunDialog([](CanvasDialog& dialog) {
            EXPECT_TRUE(dialog.InsertButton->isEnabled());
            return int(CanvasDialog::Insert);
        });
        EXPECT_EQ(Shown(), byInsertGrid);
        EXPECT_EQ(GridStepLess1, c.spacing - 1);
        EXPECT_EQ(form->NumberBox1->Value(), c.spacing);
        EXPECT_TRUE(form->Button8->isEnabled());
        EXPECT_FALSE(form->Button7->isEnabled());
        EXPECT_FALSE(form->Button3->IsPressed()) << "Colorize is released";
        EXPECT_TRUE(desktop.messages.empty());
    }
}

TEST_F(CanvasGrid, ASpacingOutsideTheBoxsRangeIsDrawnButNotShownInTheBox) {
    form->NumberBox1->SetValue(45);
    // 1 cell across the short side: 200 pixels, within the box but not above the height.
    form->Canvas = ByCount(1);
    form->InsertCanvasGrid();
    EXPECT_EQ(form->NumberBox1->Value(), 200);
    // A 25 cm cell on 30 cm for 300 pixels: 250 pixels, above the box's 200 and the height.
    form->Canvas.measure = GridMeasure::CellSize;
    form->Canvas.cellSizeMm = 250;
    form->InsertCanvasGrid();
    EXPECT_EQ(GridStepLess1, 249);
    EXPECT_EQ(form->NumberBox1->Value(), 200) << "the box keeps its value";
    EXPECT_EQ(Shown()[0][249], Red);
}

TEST_F(CanvasGrid, OneUndoRemovesLinesDiagonalsAndNames) {
    const Rows before = Shown();
    form->Canvas = ByCount(4); // 50 pixels: room for names
    form->Canvas.cellNames = true;
    form->Canvas.diagonals = true;
    form->Canvas.lineWidthMm = 3; // 3 pixels at 1 mm a pixel
    form->InsertCanvasGrid();
    const Rows withGrid = Shown();
    ASSERT_NE(withGrid, before);
    EXPECT_EQ(withGrid[49][10], Red);
    EXPECT_EQ(withGrid[48][10], Red) << "3 pixels wide";
    EXPECT_EQ(withGrid[25][25], Red) << "the diagonals cross in the cell's middle";
    int outlinePixels = 0;
    for (const auto& row : withGrid)
        outlinePixels += int(std::count(row.begin(), row.end(), OutlineGreyFor(Red)));
    EXPECT_GT(outlinePixels, 0) << "names were drawn";

    form->Button8Click(form->Button8);
    EXPECT_EQ(Shown(), before);
    EXPECT_FALSE(form->Button8->isEnabled());
}

using CanvasBeforeAnyImage = FormTest;

TEST_F(CanvasBeforeAnyImage, OnlyTheDialogIsOfferedAndItCannotInsert) {
    for (QAction* action :
         {form->CanvasMenu->CropItem, form->CanvasMenu->PrintItem, form->CanvasMenu->ExportPdfItem,
          form->CanvasMenu->ExportPngItem, form->CanvasMenu->ExportOutlinePdfItem,
          form->CanvasMenu->PrintOutlineItem, form->CanvasMenu->ExportOutlinePngItem})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(form->CanvasMenu->CanvasGridItem->isEnabled());
    desktop.dialogAnswers.push_back([](QDialog& dialog) {
        auto& canvas = dynamic_cast<CanvasDialog&>(dialog);
        EXPECT_FALSE(canvas.InsertButton->isEnabled());
        EXPECT_EQ(canvas.GridReadout->text(), "Spacing 0 pixels, 0 x 0 cells of 0.00 cm.");
        return int(CanvasDialog::Kept);
    });
    RunHandler([this] { form->CanvasMenu->CanvasGridItemClick(form->CanvasMenu->CanvasGridItem); });
    EXPECT_TRUE(desktop.messages.empty());
}

} // namespace
