// SPDX-License-Identifier: MIT
// "Value Bands..." in the window: the histogram of the grey picture with its bands, presets that
// posterize the study again, edges dragged, stepped with the keys or typed, and the plain
// study untouched at the defaults.
#include "ValueBandsWindow.h"
#include "BandHistogram.h"
#include "FormFixture.h"
#include "PictureBox.h"
#include "SpinBox.h"
#include "StudyMenu.h"
#include "TrackBar.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

class BandsWindow : public FormTest {
protected:
    void SetUp() override {
        ResizeClient(919, 600);
        Open(WritePicture("photo.png", TestPicture(120, 90)));
    }

    TValueBands& OpenBands() {
        QTest::keyClick(form, Qt::Key_B, Qt::ControlModifier);
        EXPECT_NE(form->Study->BandsWindow, nullptr) << "Ctrl+B opens the window";
        return *form->Study->BandsWindow;
    }

    // The grey picture's value at every pixel.
    std::vector<int> Greys() {
        std::vector<int> greys;
        TBitmapData map;
        ScopedMap grey(GreyBitmap, TMapAccess::Read, map);
        for (int y = 0; y < map.FHeight; ++y)
            for (int x = 0; x < map.FWidth; ++x)
                greys.push_back(int(RedOf(GetPixel(map, x, y))));
        return greys;
    }

    // Succeeds when the shown study puts every grey into the band its edges give, in that
    // band's tone.
    testing::AssertionResult StudyFollows(const ValueBands& bands) {
        const std::vector<int> greys = Greys();
        TBitmapData map;
        ScopedMap shown(form->Image1->Bitmap(), TMapAccess::Read, map);
        for (int y = 0; y < map.FHeight; ++y)
            for (int x = 0; x < map.FWidth; ++x) {
                const int grey = greys[std::size_t(y) * map.FWidth + x];
                std::size_t band = 0;
                while (band < bands.edges.size() && grey >= bands.edges[band])
                    ++band;
                if (GetPixel(map, x, y) != OpaqueGrey(bands.tones[band]))
                    return testing::AssertionFailure()
                           << "grey " << grey << " at (" << x << ", " << y << ")";
            }
        return testing::AssertionSuccess();
    }

    static std::vector<int> Numbers(const std::vector<std::uint8_t>& values) {
        return {values.begin(), values.end()};
    }
};

TEST_F(BandsWindow, OpensOnTheEqualStepsAndChangesNothing) {
    TBitmap before;
    before.Assign(form->Image1->Bitmap());
    TValueBands& window = OpenBands();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.PresetList->currentItem()->text(), "Equal steps");
    EXPECT_EQ(Numbers(window.Histogram->Bands().edges),
              (std::vector<int>{42, 84, 126, 168, 210, 252}));
    ASSERT_EQ(window.EdgeFields.size(), 6u);
    EXPECT_EQ(window.EdgeFields[5]->value(), 252);
    // The test picture's Method 2 greys (green + 50) rise evenly over 50..255 with the rows.
    std::vector<int> perBand(7);
    for (int grey : Greys())
        ++perBand[grey < 42 ? 0 : grey < 252 ? grey / 42 : 6];
    QStringList shares;
    for (int count : perBand)
        shares << QString::number(100.0 * count / (120 * 90), 'f', 1) + " %";
    EXPECT_EQ(window.SharesLabel->text(), "Bands, dark to light: " + shares.join(", "));
    EXPECT_TRUE(SameBitmap(before, form->Image1->Bitmap())) << "opening posterizes nothing";
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(TestPicture(120, 90), 2, 6)));
    EXPECT_EQ(form->Study->Menu->title(), "Study");
}

TEST_F(BandsWindow, APresetPosterizesAtItsEdgesAndANotanSetsTheLevels) {
    TValueBands& window = OpenBands();
    form->Button7->setEnabled(true);
    window.PresetList->setCurrentRow(2); // "Equal areas", as a click chooses it
    EXPECT_EQ(form->Bands.preset, BandPreset::EqualAreas);
    const ValueBands areas = window.Histogram->Bands();
    EXPECT_NE(Numbers(areas.edges), (std::vector<int>{42, 84, 126, 168, 210, 252}));
    EXPECT_TRUE(StudyFollows(areas));
    EXPECT_FALSE(form->Button7->isEnabled()) << "as after \"Posterize..\": no Undo is left";

    window.PresetList->setCurrentRow(3); // "Notan, 2 values"
    EXPECT_EQ(form->Edit2->Text(), "2");
    EXPECT_EQ(form->TrackBar1->Value(), 2);
    EXPECT_EQ(window.Histogram->Bands().tones.size(), 2u);
    EXPECT_EQ(window.EdgeFields.size(), 1u);
    EXPECT_TRUE(StudyFollows(window.Histogram->Bands()));

    // A notan holds at its own level count: at another the equal steps take over.
    form->Edit2->SetText("4");
    EXPECT_EQ(window.PresetList->currentItem()->text(), "Equal steps");
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(TestPicture(120, 90), 2, 4)));

    // Another level count keeps any other preset, placed for the new count.
    window.PresetList->setCurrentRow(2);
    form->Edit2->SetText("5");
    EXPECT_EQ(window.Histogram->Bands().tones.size(), 5u);
    EXPECT_EQ(window.PresetList->currentItem()->text(), "Equal areas");
    EXPECT_TRUE(StudyFollows(window.Histogram->Bands()));
}

TEST_F(BandsWindow, DraggingAnEdgeMovesItAloneBetweenItsNeighboursAndMakesItCustom) {
    TValueBands& window = OpenBands();
    BandHistogram& histogram = *window.Histogram;
    const auto xOf = [&](int grey) { return QPoint(int(std::lround(histogram.EdgeX(grey))), 40); };
    QTest::mousePress(&histogram, Qt::LeftButton, {}, xOf(84));
    QTest::mouseMove(&histogram, xOf(100));
    QTest::mouseRelease(&histogram, Qt::LeftButton, {}, xOf(100));
    EXPECT_EQ(Numbers(form->Bands.edges), (std::vector<int>{42, 100, 126, 168, 210, 252}));
    EXPECT_EQ(window.PresetList->currentItem()->text(), "Custom");
    EXPECT_EQ(window.EdgeFields[1]->value(), 100);
    EXPECT_TRUE(StudyFollows(histogram.Bands()));

    // Dragged far past its neighbour, it stops just below it.
    QTest::mousePress(&histogram, Qt::LeftButton, {}, xOf(100));
    QTest::mouseMove(&histogram, xOf(200));
    QTest::mouseRelease(&histogram, Qt::LeftButton, {}, xOf(200));
    EXPECT_EQ(Numbers(form->Bands.edges), (std::vector<int>{42, 125, 126, 168, 210, 252}));

    // A press away from every edge takes none.
    QTest::mousePress(&histogram, Qt::LeftButton, {}, xOf(150));
    QTest::mouseMove(&histogram, xOf(20));
    QTest::mouseRelease(&histogram, Qt::LeftButton, {}, xOf(20));
    EXPECT_EQ(Numbers(form->Bands.edges), (std::vector<int>{42, 125, 126, 168, 210, 252}));

    // The dragged edges hold until the level count changes; then the preset they came from.
    form->Edit2->SetText("7");
    EXPECT_EQ(form->Bands.preset, BandPreset::EqualSteps);
    EXPECT_EQ(window.PresetList->currentItem()->text(), "Equal steps");
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), Expected(TestPicture(120, 90), 2, 7)));
}

TEST_F(BandsWindow, TheKeysStepAnEdgeAndTabGoesFromEdgeToEdge) {
    TValueBands& window = OpenBands();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.PresetList->setFocus();
    QTest::keyClick(window.PresetList, Qt::Key_Tab);
    ASSERT_TRUE(window.Histogram->hasFocus());
    EXPECT_EQ(window.Histogram->CurrentEdge(), 0);
    QTest::keyClick(window.Histogram, Qt::Key_Right);
    QTest::keyClick(window.Histogram, Qt::Key_Tab);
    EXPECT_EQ(window.Histogram->CurrentEdge(), 1);
    QTest::keyClick(window.Histogram, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(window.Histogram, Qt::Key_Left);
    EXPECT_EQ(Numbers(form->Bands.edges), (std::vector<int>{43, 91, 126, 168, 210, 252}));
    EXPECT_TRUE(StudyFollows(window.Histogram->Bands()));
}

TEST_F(BandsWindow, ATypedEdgeCountsOnceTypedAndIsHeldBetweenItsNeighbours) {
    TValueBands& window = OpenBands();
    QSpinBox& field = *window.EdgeFields[2];
    field.setValue(150); // as Enter after typing 150 gives it
    EXPECT_EQ(Numbers(form->Bands.edges), (std::vector<int>{42, 84, 150, 168, 210, 252}));
    field.setValue(200);
    EXPECT_EQ(Numbers(form->Bands.edges), (std::vector<int>{42, 84, 167, 168, 210, 252}));
    EXPECT_EQ(field.value(), 167) << "the field shows the edge as held";
    EXPECT_TRUE(StudyFollows(window.Histogram->Bands()));
}

TEST_F(BandsWindow, OpenKeepsThePresetAndPlacesItForTheNewPicture) {
    TValueBands& window = OpenBands();
    window.PresetList->setCurrentRow(2);
    QImage dark(80, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            dark.setPixel(x, y, qRgb(0, (x * y) % 90, 0));
    Open(WritePicture("dark.png", dark));
    EXPECT_EQ(form->Bands.preset, BandPreset::EqualAreas);
    EXPECT_EQ(window.Histogram->Bands(), BandsFor(BandPreset::EqualAreas, 6, [&] {
                  GreyHistogram histogram{};
                  for (int grey : Greys())
                      ++histogram[grey];
                  return histogram;
              }()));
    EXPECT_TRUE(StudyFollows(window.Histogram->Bands()));
}

} // namespace
