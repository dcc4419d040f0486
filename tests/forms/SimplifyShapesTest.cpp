// SPDX-License-Identifier: MIT
// "Simplify Shapes..." in the window: the dialog's counts, OK leaving the result where Oilify
// leaves its own, Cancel changing nothing.
#include "FormFixture.h"
#include "PictureBox.h"
#include "ReferenceKernels.h"
#include "SimplifyDialog.h"
#include "StudyMenu.h"
#include "ToneCensus.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <random>

namespace {

class SimplifyShapes : public FormTest {
protected:
    void SetUp() override {
        ResizeClient(919, 600);
        // Speckled bands: many small patches in a few large ones.
        QImage picture(120, 80, QImage::Format_RGB32);
        std::mt19937 random(3);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int band = (x / 30 + y / 20) % 3;
                const int speckle = random() % 6 == 0 ? 90 : 0;
                picture.setPixel(x, y, qRgb(0, 20 + band * 70 + speckle, 0));
            }
        Open(WritePicture("speckled.png", picture));
    }
    // The dialog answered by `answer`, through the menu's key.
    void RunDialog(std::function<int(SimplifyDialog&)> answer) {
        desktop.dialogAnswers.push_back([answer](QDialog& dialog) {
            auto* simplify = dynamic_cast<SimplifyDialog*>(&dialog);
            EXPECT_TRUE(simplify);
            return simplify ? answer(*simplify) : 0;
        });
        form->show();
        form->activateWindow();
        QTest::keyClick(form, Qt::Key_K, Qt::ControlModifier);
        EXPECT_TRUE(desktop.dialogAnswers.empty()) << "Ctrl+K asked";
    }
    static std::uint64_t PatchesOf(TBitmap& bitmap) {
        TBitmapData map;
        ScopedMap mapped(bitmap, TMapAccess::Read, map);
        return CountPatches(map).patches;
    }
};

TEST_F(SimplifyShapes, TheDialogCountsAndOkLeavesTheResultWhereOilifyLeavesItsOwn) {
    EXPECT_TRUE(form->Study->SimplifyItem->isEnabled()) << "a picture is open";
    const std::uint64_t before = PatchesOf(form->Image1->Bitmap());
    ASSERT_GT(before, 50u);
    std::uint64_t promised = 0;
    form->Button7->setEnabled(true);
    RunDialog([&](SimplifyDialog& dialog) {
        dialog.UnitBox->setCurrentIndex(int(SimplifyDialog::Unit::Pixels));
        dialog.SizeBox->setValue(40);
        EXPECT_EQ(dialog.MinimumPixels(), 40u);
        const QString text = dialog.CountReadout->text();
        EXPECT_TRUE(text.startsWith(QStringLiteral("%1 patches now; ").arg(before)))
            << text.toStdString();
        promised = text.section(u';', 1).trimmed().section(u' ', 0, 0).toULongLong();
        return int(QDialog::Accepted);
    });
    TBitmap& shown = form->Image1->Bitmap();
    EXPECT_EQ(PatchesOf(shown), promised) << "as many patches as the dialog said";
    EXPECT_LT(promised, before);
    EXPECT_TRUE(SameBitmap(shown, OilBitmap)) << "where Oilify leaves its result";
    EXPECT_TRUE(SameBitmap(shown, PosterBitmap)) << "and where the next click starts";
    EXPECT_FALSE(form->Button7->isEnabled()) << "no Undo is left, as after Oilify";

    // The next Oilify goes on from the simplified study.
    TBitmap expected;
    expected.Assign(PosterBitmap);
    TAlphaColor current = CurrentPixel;
    TAlphaColor carried = OutputColour;
    form->Button2Click(form->Button2);
    OilifyCycleByPasses(expected, current, carried);
    EXPECT_TRUE(SameBitmap(expected, PosterBitmap)) << "the first cycle from the simplified study";
}

TEST_F(SimplifyShapes, SharesAndCanvasAreasConvertToPixelsAndCancelChangesNothing) {
    TBitmap before;
    before.Assign(form->Image1->Bitmap());
    form->Canvas.canvasWidthMm = 240; // 120 pixels across: 2 mm a pixel, 4 mm² each
    form->Canvas.canvasHeightMm = 160;
    RunDialog([](SimplifyDialog& dialog) {
        EXPECT_EQ(dialog.UnitBox->currentText(), "% of the picture");
        EXPECT_DOUBLE_EQ(dialog.SizeBox->value(), 0.1);
        EXPECT_EQ(dialog.MinimumPixels(), 10u) << "0.1 % of 9600 pixels";
        dialog.UnitBox->setCurrentIndex(int(SimplifyDialog::Unit::CanvasArea));
        dialog.SizeBox->setValue(2); // 2 cm² = 200 mm² = 50 pixels
        EXPECT_EQ(dialog.MinimumPixels(), 50u);
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(SameBitmap(before, form->Image1->Bitmap()));
}

TEST(SimplifyShapesMenu, WaitsForAPicture) {
    FakeDesktop desktop;
    StartedProgram program;
    EXPECT_FALSE(program.MainWindow().Study->SimplifyItem->isEnabled());
    EXPECT_EQ(program.MainWindow().Study->SimplifyItem->text(), "Simplify Shapes...\tCtrl+K");
}

} // namespace
