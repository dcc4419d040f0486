// SPDX-License-Identifier: MIT
// halvane-batch against the window: the same file, the same steps through the window's handlers
// and "Save As..", the same bytes (JPEG) or pixels (PNG).
#include "AppError.h"
#include "BatchProgram.h"
#include "CanvasCommands.h"
#include "CanvasDialog.h"
#include "ColorComboBox.h"
#include "CropFrameView.h"
#include "FormFixture.h"
#include "ImageCompare.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "SimplifyDialog.h"
#include "SpinBox.h"
#include "StudyMenu.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <functional>
#include <optional>
#include <random>

namespace {

struct Steps {
    int method = 2;
    int levels = 6;
    int oilify = 0;
    std::optional<QString> grid; // a spacing, or "auto"
    std::optional<TAlphaColor> gridColour;
};

QStringList BatchArgumentsFor(const Steps& steps) {
    QStringList arguments{"--method", QString::number(steps.method),
                          "--levels", QString::number(steps.levels),
                          "--oilify", QString::number(steps.oilify)};
    if (steps.grid)
        arguments << "--grid" << *steps.grid;
    if (steps.gridColour)
        arguments << "--grid-colour"
                  << QStringLiteral("#%1").arg(*steps.gridColour, 8, 16, QChar('0'));
    return arguments;
}

class BatchLikeWindow : public FormTest {
protected:
    void SetUp() override { ResizeClient(919, 600); }

    // Bands of colour with speckles, so that the methods differ and many pixels go to Oilify's
    // vote, and a strip of noise, where lines of nine often repeat no colour and a vote takes
    // the colour of the vote before. At the top left, where each pass votes first, a row of
    // distinct greys over rows of grey K, then three other greys: at 12 and 13 levels the first
    // votes of the row pass find no repeat and take the colour carried from posterizing, that
    // of the last pixel, also K; the column pass keeps K only when it came through.
    QString SpeckledPicture() {
        const int K = 130;
        const int greysBelowK[] = {10, 100, 180};
        QImage picture(90, 60, QImage::Format_RGB32);
        std::mt19937 random(11);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int band = (x / 7 + y / 5) % 4;
                const int speckle = random() % 4 == 0 ? int(random() % 90) : 0;
                QRgb colour = qRgb(30 + band * 50 + speckle, 200 - band * 45 + speckle / 2,
                                   (x * 3 + y * 2 + speckle) % 256);
                if (x >= 70)
                    colour = random() | 0xFF000000u;
                if (y == 0 && x < 9)
                    colour = qRgb(20 * x, 20 * x, 20 * x);
                if (y == 1 && x < 12)
                    colour = qRgb(K, K, K);
                if (y >= 2 && y <= 4 && x < 12)
                    colour = qRgb(greysBelowK[y - 2], greysBelowK[y - 2], greysBelowK[y - 2]);
                picture.setPixel(x, y, colour);
            }
        picture.setPixel(89, 59, qRgb(K, K, K));
        return WritePicture("speckled.png", picture);
    }

    // The window: open, the steps through its handlers (`placeBands` after the level count,
    // `afterOilify` after the Oilify clicks), then "Save As.." to `saved`.
    void RunWindow(const QString& file, const Steps& steps, const QString& saved,
                   const std::function<void()>& placeBands = {},
                   const std::function<void()>& afterOilify = {}) {
        Open(file);
        QRadioButton* const methods[] = {form->RadioButton1, form->RadioButton2,
                                         form->RadioButton3};
        methods[steps.method - 1]->setChecked(true);
        form->Edit2->SetText(QString::number(steps.levels));
        if (placeBands)
            placeBands();
        for (int click = 0; click < steps.oilify; ++click)
            form->Button2Click(form->Button2);
        if (afterOilify)
            afterOilify();
        if (steps.grid) {
            if (*steps.grid != "auto")
                form->NumberBox1->SetText(*steps.grid);
            if (steps.gridColour)
                form->ComboColorBox2->SetColor(*steps.gridColour);
            form->Button6Click(form->Button6);
        }
        desktop.saveAnswers.push_back(saved);
        form->Button5Click(form->Button5);
    }

    // The batch on the same file into its own folder; the path of what it wrote.
    QString RunBatch(const QString& file, const QStringList& arguments, const QString& format) {
        const QString out = folder.filePath("batch");
        QDir(out).removeRecursively();
        EXPECT_TRUE(QDir(folder.path()).mkdir("batch"));
        const BatchProgramRun run =
            RunBatchProgram(QStringList{file, "-o", out, "--format", format} + arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return out + '/' + QFileInfo(file).completeBaseName() + '.' + format;
    }
};

const Steps Cases[] = {
    {},
    {1, 6, 0, {}, {}},
    {3, 6, 0, {}, {}},
    {2, 2, 0, {}, {}},
    {1, 8, 0, {}, {}},
    {2, 13, 0, {}, {}},
    {2, 6, 1, {}, {}},
    {3, 4, 2, {}, {}},
    {1, 7, 3, {}, {}},
    {2, 13, 1, {}, {}},
    {3, 12, 4, {}, {}},
    {2, 6, 0, "auto", {}},
    {2, 6, 2, "7", {}},
    {2, 5, 1, "1", {}},
    {2, 6, 0, "auto", 0x80FF2040u},
    {1, 3, 1, "200", 0xFF0000FFu},
};

TEST_F(BatchLikeWindow, JpegBytesEqualTheWindowsSaveForEveryOption) {
    const QString picture = SpeckledPicture();
    for (const Steps& steps : Cases) {
        const QStringList arguments = BatchArgumentsFor(steps);
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const QString saved = folder.filePath("window.jpg");
        QFile::remove(saved);
        RunWindow(picture, steps, saved);
        const QString written = RunBatch(picture, arguments, "jpg");
        const QByteArray expected = FileBytes(saved);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_TRUE(FileBytes(written) == expected) << "the batch's JPEG differs from the window's";
    }
}

TEST_F(BatchLikeWindow, BandsAsTheWindowsValueBandsPlaceThem) {
    const QString picture = SpeckledPicture();
    struct BandCase {
        Steps steps;
        BandPreset preset;
        QString name;
    };
    for (const BandCase& c :
         {BandCase{{2, 6, 1, {}, {}}, BandPreset::EqualAreas, "areas"},
          BandCase{{1, 9, 0, "auto", {}}, BandPreset::EqualLightness, "lightness"},
          BandCase{{3, 2, 2, {}, {}}, BandPreset::Notan2, "notan2"},
          BandCase{{2, 3, 0, {}, {}}, BandPreset::Notan3, "notan3"}}) {
        SCOPED_TRACE(c.name.toStdString());
        const QString saved = folder.filePath("window.jpg");
        QFile::remove(saved);
        RunWindow(picture, c.steps, saved, [&] {
            form->Study->ValueBandsItemClick(form->Study->ValueBandsItem);
            form->Study->PresetChosen(c.preset);
        });
        const QString written =
            RunBatch(picture, BatchArgumentsFor(c.steps) + QStringList{"--bands", c.name}, "jpg");
        ASSERT_FALSE(FileBytes(saved).isEmpty());
        EXPECT_TRUE(FileBytes(written) == FileBytes(saved));
    }

    // Edges dragged in the window, given to the batch as numbers.
    const Steps steps{2, 6, 1, "auto", {}};
    const QString saved = folder.filePath("dragged.jpg");
    RunWindow(picture, steps, saved, [&] {
        form->Study->ValueBandsItemClick(form->Study->ValueBandsItem);
        form->Study->EdgeMoved(0, 20);
        form->Study->EdgeMoved(3, 140);
        form->Study->EdgeMoved(5, 240);
    });
    QStringList edges;
    for (std::uint8_t edge : form->Bands.edges)
        edges << QString::number(edge);
    EXPECT_EQ(edges, (QStringList{"20", "84", "126", "140", "210", "240"}));
    const QString written = RunBatch(
        picture, BatchArgumentsFor(steps) + QStringList{"--edges", edges.join(',')}, "jpg");
    ASSERT_FALSE(FileBytes(saved).isEmpty());
    EXPECT_TRUE(FileBytes(written) == FileBytes(saved));
}

TEST_F(BatchLikeWindow, SimplifiedShapesAsTheWindowsSimplifyShapes) {
    const QString picture = SpeckledPicture();
    struct SimplifyCase {
        Steps steps;
        QString size;
        SimplifyDialog::Unit unit;
        double value;
    };
    for (const SimplifyCase& c :
         {SimplifyCase{{2, 6, 1, {}, {}}, "1%", SimplifyDialog::Unit::Percent, 1},
          SimplifyCase{{3, 8, 0, "auto", {}}, "25px", SimplifyDialog::Unit::Pixels, 25},
          SimplifyCase{{1, 13, 2, {}, {}}, "100%", SimplifyDialog::Unit::Percent, 100}}) {
        SCOPED_TRACE(c.size.toStdString());
        const QString saved = folder.filePath("window.jpg");
        QFile::remove(saved);
        RunWindow(picture, c.steps, saved, {}, [&] {
            desktop.dialogAnswers.push_back([&](QDialog& dialog) {
                auto& simplify = dynamic_cast<SimplifyDialog&>(dialog);
                simplify.UnitBox->setCurrentIndex(int(c.unit));
                simplify.SizeBox->setValue(c.value);
                return int(QDialog::Accepted);
            });
            form->Study->SimplifyItemClick(form->Study->SimplifyItem);
        });
        const QString written = RunBatch(
            picture, BatchArgumentsFor(c.steps) + QStringList{"--simplify", c.size}, "jpg");
        ASSERT_FALSE(FileBytes(saved).isEmpty());
        EXPECT_TRUE(FileBytes(written) == FileBytes(saved));
    }
}

// --crop-to frames as "Crop to Canvas..." first frames a picture for a canvas of those
// proportions, turned to the picture, or as given with --crop-exact.
TEST_F(BatchLikeWindow, CroppedAsTheWindowsCropToCanvas) {
    const QString picture = SpeckledPicture(); // 90 x 60
    struct CropCase {
        Steps steps;
        QStringList options;
        double canvasWidthCm, canvasHeightCm;
    };
    for (const CropCase& c :
         {CropCase{{2, 6, 1, {}, {}}, {"--crop-to", "30x40"}, 40, 30},
          CropCase{{3, 5, 0, "auto", {}}, {"--crop-to", "30x40", "--crop-exact"}, 30, 40}}) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const QString saved = folder.filePath("window.jpg");
        QFile::remove(saved);
        RunWindow(picture, c.steps, saved, [&] {
            desktop.dialogAnswers.push_back([&](QDialog& dialog) {
                auto& canvas = dynamic_cast<CanvasDialog&>(dialog);
                canvas.WidthBox->setValue(c.canvasWidthCm);
                canvas.HeightBox->setValue(c.canvasHeightCm);
                return int(CanvasDialog::Kept);
            });
            form->CanvasMenu->CanvasGridItemClick(form->CanvasMenu->CanvasGridItem);
            form->CanvasMenu->CropItemClick(form->CanvasMenu->CropItem);
            form->CanvasMenu->CropView->CropButton->click();
        });
        EXPECT_NE(SourceBitmap.Width(), 90) << "cropped";
        const QString written = RunBatch(picture, BatchArgumentsFor(c.steps) + c.options, "jpg");
        ASSERT_FALSE(FileBytes(saved).isEmpty());
        EXPECT_TRUE(FileBytes(written) == FileBytes(saved));
    }
}

TEST_F(BatchLikeWindow, PngHoldsTheWindowsPictureExactly) {
    const QString picture = SpeckledPicture();
    for (const Steps& steps : {Cases[0], Cases[8], Cases[12]}) {
        const QStringList arguments = BatchArgumentsFor(steps);
        SCOPED_TRACE(arguments.join(' ').toStdString());
        RunWindow(picture, steps, folder.filePath("unused.jpg"));
        QFile::remove(folder.filePath("unused.jpg"));
        const QImage written(RunBatch(picture, arguments, "png"));
        ASSERT_FALSE(written.isNull());
        EXPECT_FALSE(written.hasAlphaChannel());
        // The window's picture as its JPEG stores it: the channels held, without the alpha.
        QImage shown = form->Image1->Bitmap().ImageView().convertToFormat(QImage::Format_RGB32);
        const QImage held(form->Image1->Bitmap().ImageView().constBits(), shown.width(),
                          shown.height(), shown.bytesPerLine(), QImage::Format_RGB32);
        EXPECT_TRUE(written.convertToFormat(QImage::Format_RGB32) == held);
    }
}

// A PDF's bytes less the moment it was written.
QByteArray Undated(QByteArray pdf) {
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:[^)]*\\)"));
    return QString::fromLatin1(pdf).remove(date).toLatin1();
}

TEST_F(BatchLikeWindow, OutlineAsTheWindowsExportOutline) {
    const QString picture = SpeckledPicture();
    struct OutlineCase {
        QString format;
        std::optional<QSizeF> canvasCm; // none: the first canvas, turned to the picture
        Steps steps;
    };
    // A grid drawn into the study is left out of the outline's shapes, as of the value key.
    const Steps gridded{2, 6, 1, "7", {}};
    for (const OutlineCase& c :
         {OutlineCase{"png", {}, {}}, OutlineCase{"pdf", {}, {}},
          OutlineCase{"png", QSizeF(20, 50), {}}, OutlineCase{"pdf", QSizeF(20, 50), {}},
          OutlineCase{"png", {}, gridded}}) {
        const QStringList stepArguments = BatchArgumentsFor(c.steps);
        SCOPED_TRACE((c.format + ' ' + stepArguments.join(' ')).toStdString());
        RunWindow(picture, c.steps, folder.filePath("unused.jpg"));
        QFile::remove(folder.filePath("unused.jpg"));
        QStringList arguments = stepArguments + QStringList{"--outline", c.format};
        // The first canvas, as the batch takes it, unless one is set.
        form->Canvas = OrientedLike(CanvasSettings{}, SourceBitmap.Width(), SourceBitmap.Height());
        if (c.canvasCm) {
            form->Canvas.canvasWidthMm = c.canvasCm->width() * 10;
            form->Canvas.canvasHeightMm = c.canvasCm->height() * 10;
            arguments << "--canvas"
                      << QStringLiteral("%1x%2").arg(c.canvasCm->width()).arg(c.canvasCm->height());
        }
        const QString exported = folder.filePath("window-outline." + c.format);
        QFile::remove(exported);
        desktop.dialogAnswers.push_back([](QDialog&) { return int(QDialog::Accepted); });
        desktop.saveAnswers.push_back(exported);
        (c.format == "png" ? form->CanvasMenu->ExportOutlinePngItem
                           : form->CanvasMenu->ExportOutlinePdfItem)
            ->trigger();
        const QString study = RunBatch(picture, arguments, "jpg");
        const QString outline = QFileInfo(study).path() + "/speckled-outline." + c.format;
        ASSERT_FALSE(FileBytes(exported).isEmpty());
        if (c.format == "png")
            EXPECT_TRUE(FileBytes(outline) == FileBytes(exported));
        else
            EXPECT_TRUE(Undated(FileBytes(outline)) == Undated(FileBytes(exported)));
    }
}

TEST_F(BatchLikeWindow, PicturesTooSmallForAGridAsInTheWindow) {
    // One pixel wide: the window draws no grid, whatever the spacing.
    const QString narrow = WritePicture("narrow.png", TestPicture(1, 40));
    const Steps anyGrid{2, 6, 0, "1", 0xFFFF0000u};
    const QString saved = folder.filePath("narrow-window.jpg");
    RunWindow(narrow, anyGrid, saved);
    EXPECT_EQ(FileBytes(RunBatch(narrow, BatchArgumentsFor(anyGrid), "jpg")), FileBytes(saved));

    // A shorter side under 18 pixels: "Open.." proposes 0, which the window refuses to draw.
    const QString small = WritePicture("small.png", TestPicture(40, 17));
    Open(small);
    QString windowMessage;
    try {
        form->Button6Click(form->Button6);
    } catch (const AppError& error) {
        windowMessage = error.message();
    }
    EXPECT_EQ(windowMessage, "Grid spacing must be at least 1.");
    const BatchProgramRun run =
        RunBatchProgram({small, "--grid", "auto", "-o", folder.path(), "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, small + ": " + windowMessage + "\n");
}

TEST_F(BatchLikeWindow, JpegXrThroughTheHelperAsTheWindowOpensIt) {
    const QString file = folder.filePath("quads.wmp");
    ASSERT_TRUE(QFile::copy(TestDataPath("bgr24.wmp"), file));
    const Steps steps{3, 4, 1, "2", {}};
    const QString saved = folder.filePath("window.jpg");
    RunWindow(file, steps, saved);
    EXPECT_EQ(FileBytes(RunBatch(file, BatchArgumentsFor(steps), "jpg")), FileBytes(saved));
}

} // namespace
