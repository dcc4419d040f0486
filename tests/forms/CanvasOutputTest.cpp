// SPDX-License-Identifier: MIT
// "Print...", "Export PDF..." and "Export PNG...": what is written, measured from the files, and
// that no existing file is ever replaced.
#include "AppError.h"
#include "CanvasCommands.h"
#include "CanvasPages.h"
#include "ColorComboBox.h"
#include "DrawnOverlay.h"
#include "EventBoundary.h"
#include "FormFixture.h"
#include "OutlineDialog.h"
#include "OutlinePages.h"
#include "PictureBox.h"
#include "PngFile.h"
#include "SpinBox.h"
#include "StudySteps.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <cstring>

namespace {

// Runs a poppler tool on a file and returns what it printed.
QString Poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << tool.toStdString() << " did not finish";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PdfInfo {
    int pages = 0;
    QString pageSize; // of the first page, as pdfinfo shows it: "595 x 842 pts (A4)"
};

PdfInfo InfoOf(const QString& path) {
    PdfInfo info;
    for (const QString& line : Poppler("pdfinfo", {path}).split(u'\n')) {
        if (line.startsWith("Pages:"))
            info.pages = line.mid(6).trimmed().toInt();
        if (line.startsWith("Page size:"))
            info.pageSize = line.mid(10).trimmed();
    }
    return info;
}

struct PdfImage {
    int page, width, height;
    QString encoding, interpolated;
    double ppiX, ppiY;
    // The printed size in millimetres, from the pixels and their density on the page.
    double WidthMm() const { return width / ppiX * 25.4; }
    double HeightMm() const { return height / ppiY * 25.4; }
};

std::vector<PdfImage> ImagesOf(const QString& path) {
    std::vector<PdfImage> images;
    const QStringList lines = Poppler("pdfimages", {"-list", path}).split(u'\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (f.size() >= 14)
            images.push_back({f[0].toInt(), f[3].toInt(), f[4].toInt(), f[8], f[9],
                              f[12].toDouble(), f[13].toDouble()});
    }
    return images;
}

// The decompressed content of every stream of a PDF, one after the other.
QByteArray PdfContents(const QString& path) {
    const QByteArray pdf = FileBytes(path);
    QByteArray contents;
    for (qsizetype start = 0; (start = pdf.indexOf("stream", start)) >= 0;) {
        start = pdf.indexOf('\n', start) + 1;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (start <= 0 || end < 0)
            break;
        // qUncompress takes zlib data after the expected size, big-endian; a hint suffices.
        QByteArray zlib("\x00\x10\x00\x00", 4);
        zlib += pdf.mid(start, end - start);
        contents += qUncompress(zlib);
        start = end + qsizetype(std::strlen("endstream"));
    }
    return contents;
}

class CanvasOutput : public FormTest {
protected:
    void OpenPicture(int width, int height) {
        ResizeClient(919, 600);
        Open(WritePicture("picture.png", TestPicture(width, height)));
        out = folder.filePath("out");
        QDir().mkpath(out);
    }
    void SetCanvas(double widthMm, double heightMm, Paper paper = Paper::A4, bool fit = false) {
        form->Canvas.canvasWidthMm = widthMm;
        form->Canvas.canvasHeightMm = heightMm;
        form->Canvas.paper = paper;
        form->Canvas.fitToOnePage = fit;
    }
    // A menu item run with the export dialog answered.
    void Export(QAction* item, std::initializer_list<std::optional<QString>> answers) {
        for (const auto& answer : answers)
            desktop.saveAnswers.push_back(answer);
        item->trigger();
        EXPECT_TRUE(desktop.saveAnswers.empty()) << "every scripted dialog was shown";
    }
    // An outline item run with its dialog answered by `choose` (accepted unless it says) and the
    // export dialog answered.
    void ExportOutline(QAction* item, std::initializer_list<std::optional<QString>> answers,
                       std::function<int(OutlineDialog&)> choose = {}) {
        desktop.dialogAnswers.push_back([choose](QDialog& dialog) {
            return choose ? choose(dynamic_cast<OutlineDialog&>(dialog)) : int(QDialog::Accepted);
        });
        Export(item, answers);
        EXPECT_TRUE(desktop.dialogAnswers.empty()) << "the outline's dialog was shown";
    }
    QString At(const QString& name) const { return out + "/" + name; }
    QStringList FilesInOut() const {
        return QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString out;
};

TEST_F(CanvasOutput, PngHoldsEveryPixelOfTheShownPictureAsItIs) {
    OpenPicture(300, 200);
    // Opaque, and a grid colour whose alpha is written as it is over opaque tones.
    for (TAlphaColor colour : {0xFF98FB98u, 0x40FF0000u}) {
        SCOPED_TRACE(colour);
        form->ComboColorBox2->SetColor(colour);
        form->Canvas.cellsAcrossShortSide = 4;
        form->Canvas.cellNames = true;
        form->InsertCanvasGrid();
        const QString name = At(QString::number(colour, 16));
        Export(form->CanvasMenu->ExportPngItem, {name});
        QImageReader reader(name + ".png");
        EXPECT_EQ(reader.format(), "png");
        const QImage written = reader.read().convertToFormat(QImage::Format_ARGB32);
        const auto shown = PixelsOf(form->Image1->Bitmap());
        ASSERT_EQ(written.size(), QSize(300, 200));
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                ASSERT_EQ(written.pixel(x, y), shown[y][x]) << x << "," << y;
        form->Button8Click(form->Button8);
    }
    EXPECT_EQ(FilesInOut(), (QStringList{"40ff0000.png", "ff98fb98.png"})) << "no temporary left";
    EXPECT_EQ(desktop.saveCalls.at(0).filter, "*.Png | *.Png");
}

TEST_F(CanvasOutput, ExportsOfferThePicturesNameWhereTheLastOfTheirKindWent) {
    OpenPicture(300, 200);
    desktop.saveAnswers.push_back(std::nullopt);
    form->CanvasMenu->ExportPngItem->trigger();
    ASSERT_EQ(desktop.saveCalls.size(), 1u);
    EXPECT_EQ(desktop.saveCalls[0].fileName, "picture.png") << "the opened picture's own name";
    EXPECT_TRUE(QFileInfo(desktop.saveCalls[0].initialFolder).isDir());

    Export(form->CanvasMenu->ExportPngItem, {At("study")});
    desktop.saveAnswers.push_back(std::nullopt);
    form->CanvasMenu->ExportPngItem->trigger();
    EXPECT_EQ(desktop.saveCalls.back().initialFolder, out) << "where the last PNG went";
    desktop.saveAnswers.push_back(std::nullopt);
    form->CanvasMenu->ExportPdfItem->trigger();
    EXPECT_EQ(desktop.saveCalls.back().fileName, "picture.pdf");
    EXPECT_NE(desktop.saveCalls.back().initialFolder, out) << "no PDF has gone there yet";
    EXPECT_TRUE(QFileInfo(desktop.saveCalls.back().initialFolder).isDir());
}

TEST_F(CanvasOutput, ExportsRefuseExistingNamesAndAskAgain) {
    OpenPicture(300, 200);
    struct Case {
        QAction* item;
        QString existing, chosen, written;
    };
    for (const Case& c : {Case{form->CanvasMenu->ExportPngItem, "a.png", "a", "a2.png"},
                          Case{form->CanvasMenu->ExportPngItem, "b.PNG", "b.PNG", "b2.png"},
                          Case{form->CanvasMenu->ExportPdfItem, "c.pdf", "c", "c2.pdf"},
                          Case{form->CanvasMenu->ExportPdfItem, "d", "d", "d2.pdf"}}) {
        SCOPED_TRACE(c.chosen.toStdString());
        desktop.messages.clear();
        {
            QFile existing(At(c.existing));
            ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        }
        Export(c.item, {At(c.chosen), At(c.written.chopped(4))});
        EXPECT_EQ(desktop.MessageTexts(), QStringList{"File name exists!"});
        EXPECT_EQ(QFile(At(c.existing)).size(), 0) << "the existing file is untouched";
        EXPECT_GT(QFile(At(c.written)).size(), 0);
    }
    EXPECT_EQ(FilesInOut().size(), 8) << "no temporary left";
}

TEST_F(CanvasOutput, AFileThatAppearsBeforePublishingIsNotReplaced) {
    OpenPicture(30, 20);
    for (const QString name : {"late.png", "late.pdf"}) {
        SCOPED_TRACE(name.toStdString());
        {
            QFile late(At(name));
            ASSERT_TRUE(late.open(QIODevice::WriteOnly));
            late.write("mine");
        }
        try {
            if (name.endsWith(".png"))
                SaveBitmapAsPng(form->Image1->Bitmap(), At(name));
            else
                WriteCanvasPdf(form->Image1->Bitmap(), form->Canvas, At(name));
            ADD_FAILURE() << "written over an existing file";
        } catch (const AppError& error) {
            EXPECT_EQ(error.message(), "Cannot create file \"" + At(name) + "\". File exists");
        }
        EXPECT_EQ(FileBytes(At(name)), "mine");
    }
    EXPECT_EQ(FilesInOut(), (QStringList{"late.pdf", "late.png"}));
}

// The PDF's pages and the picture's printed size, read back with pdfinfo and pdfimages.
TEST_F(CanvasOutput, PdfPrintsThePictureAtTheCanvasSizeOnAsManyPagesAsItNeeds) {
    struct Case {
        const char* what;
        int width, height;
        double canvasWidthMm, canvasHeightMm;
        Paper paper;
        bool fit;
        int pages;
        QString pageSize;
        double printedWidthMm, printedHeightMm;
    };
    const Case cases[] = {
        {"one A4 page, turned as the canvas", 1200, 600, 150, 100, Paper::A4, false, 1,
         "842 x 595 pts (A4)", 150, 75},
        {"four A4 pages", 1200, 1600, 300, 400, Paper::A4, false, 4, "595 x 842 pts (A4)", 300,
         400},
        {"fitted to one page: the picture area's 182 mm width", 1200, 1600, 300, 400, Paper::A4,
         true, 1, "595 x 842 pts (A4)", 182, 182 * 4 / 3.0},
        {"landscape letter: one page, where portrait needs two", 1200, 600, 200, 100, Paper::Letter,
         false, 1, "792 x 612 pts (letter)", 200, 100},
        {"40 x 30 cm on A4: four landscape pages, not six portrait", 1600, 1200, 400, 300,
         Paper::A4, false, 4, "842 x 595 pts (A4)", 400, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenPicture(c.width, c.height);
        SetCanvas(c.canvasWidthMm, c.canvasHeightMm, c.paper, c.fit);
        const QString path = At(QString::number(&c - cases) + ".pdf");
        Export(form->CanvasMenu->ExportPdfItem, {path});
        ASSERT_TRUE(QFile::exists(path));
        const PdfInfo info = InfoOf(path);
        EXPECT_EQ(info.pages, c.pages);
        EXPECT_EQ(info.pageSize, c.pageSize);
        const std::vector<PdfImage> images = ImagesOf(path);
        ASSERT_EQ(int(images.size()), c.pages) << "one piece of the picture per page";
        // Every piece at one density: the whole picture's size follows from it. pdfimages
        // rounds the density to whole pixels per inch.
        for (const PdfImage& image : images) {
            EXPECT_NE(image.encoding, "jpeg") << "stored losslessly";
            EXPECT_EQ(image.interpolated, "no") << "pixels are not smoothed";
            EXPECT_NEAR(c.width / image.ppiX * 25.4, c.printedWidthMm, c.printedWidthMm * 0.01);
            EXPECT_NEAR(c.height / image.ppiY * 25.4, c.printedHeightMm, c.printedHeightMm * 0.01);
        }
    }
}

TEST_F(CanvasOutput, FourPagesOverlapByOneCentimetre) {
    OpenPicture(1200, 1600); // 4 pixels per millimetre on the 30 x 40 cm canvas
    SetCanvas(300, 400);
    Export(form->CanvasMenu->ExportPdfItem, {At("tiles.pdf")});
    const std::vector<PdfImage> images = ImagesOf(At("tiles.pdf"));
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(images[0].page, 1);
    EXPECT_EQ(images[3].page, 4);
    // Page 1 carries the top left, page 2 the top right: together the width and 1 cm twice.
    EXPECT_NEAR(images[0].width + images[1].width, 1200 + 40, 2);
    EXPECT_NEAR(images[0].height + images[2].height, 1600 + 40, 2);
    EXPECT_EQ(images[0].height, images[1].height);
    EXPECT_EQ(images[0].width, images[2].width);
}

TEST_F(CanvasOutput, PrintGoesThroughThePrintDialogSetToTheChosenPaper) {
    OpenPicture(1200, 1600);
    SetCanvas(300, 400, Paper::A3);
    const QString path = At("printed.pdf");
    desktop.printAnswers.push_back([&](QPrinter& printer) {
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A3);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    });
    RunHandler([this] { form->CanvasMenu->PrintItemClick(form->CanvasMenu->PrintItem); });
    EXPECT_TRUE(desktop.messages.empty());
    // A3 turned landscape, the way that needs fewer pages: 300 x 400 mm on 1 x 2 pages, where
    // portrait takes 2 x 2.
    EXPECT_EQ(InfoOf(path).pages, 2);
    EXPECT_EQ(InfoOf(path).pageSize, "1191 x 842 pts (A3)");

    desktop.printAnswers.push_back([](QPrinter&) { return false; });
    RunHandler([this] { form->CanvasMenu->PrintItemClick(form->CanvasMenu->PrintItem); });
    EXPECT_EQ(FilesInOut(), QStringList{"printed.pdf"}) << "a cancelled dialog prints nothing";
}

// The outline sheet takes the study's pages exactly, and draws on them in vectors and text.
TEST_F(CanvasOutput, OutlinePdfOnTheStudysPagesWithVectorLinesNumbersAndLegend) {
    struct Case {
        const char* what;
        double canvasWidthMm, canvasHeightMm;
        Paper paper;
        bool fit;
    };
    const Case cases[] = {{"four A4 pages", 300, 400, Paper::A4, false},
                          {"fitted to one page", 300, 400, Paper::A4, true},
                          {"two A3 pages", 300, 400, Paper::A3, false},
                          {"one page", 150, 200, Paper::A4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenPicture(600, 800);
        SetCanvas(c.canvasWidthMm, c.canvasHeightMm, c.paper, c.fit);
        const QString number = QString::number(&c - cases);
        Export(form->CanvasMenu->ExportPdfItem, {At(number + ".pdf")});
        ExportOutline(form->CanvasMenu->ExportOutlinePdfItem, {At(number + "-outline.pdf")});
        const PdfInfo study = InfoOf(At(number + ".pdf"));
        const PdfInfo outline = InfoOf(At(number + "-outline.pdf"));
        EXPECT_EQ(outline.pages, study.pages);
        EXPECT_EQ(outline.pageSize, study.pageSize);
        EXPECT_TRUE(ImagesOf(At(number + "-outline.pdf")).empty()) << "no picture in it";
        // Each boundary piece a move and a line of a stroked path.
        const QByteArray contents = PdfContents(At(number + "-outline.pdf"));
        const OutlineSheet sheet = OutlineStep(form->Image1->Bitmap(), DrawnOverlay(*form->Image1),
                                               form->Canvas, form->CanvasMenu->Outline);
        EXPECT_GE(contents.count(" l\n"), qsizetype(sheet.Trace().segments.size()));
        EXPECT_TRUE(contents.contains("\nS\n"));
        // The numbers and the legend's greys as text on the pages.
        ASSERT_FALSE(sheet.Labels().labels.empty());
        const QString text = Poppler("pdftotext", {At(number + "-outline.pdf"), "-"});
        for (const KeyRow& row : sheet.Trace().key)
            EXPECT_TRUE(text.contains(ToneNameOf(row))) << ToneNameOf(row).toStdString();
        for (const OutlineLabel& label : sheet.Labels().labels)
            EXPECT_TRUE(text.contains(QString::number(label.number)));
    }
}

// On the PNG against the study: a line between every two pixels of different tones, none
// inside a patch, the numbers only in their boxes, every one in a patch of its tone.
TEST_F(CanvasOutput, OutlinePngHasLinesAtTheBoundariesAndNumbersInTheirPatches) {
    OpenPicture(300, 200);
    form->Edit2->SetText("4");
    for (const double lineWidthMm : {0.3, 1.2}) {
        SCOPED_TRACE(lineWidthMm);
        const QString path = At(QString::number(lineWidthMm) + ".png");
        ExportOutline(form->CanvasMenu->ExportOutlinePngItem, {path}, [&](OutlineDialog& dialog) {
            dialog.LineWidthBox->setValue(lineWidthMm);
            dialog.GridBox->setChecked(false);
            return int(QDialog::Accepted);
        });
        const QImage written = QImage(path).convertToFormat(QImage::Format_ARGB32);
        const auto study = PixelsOf(form->Image1->Bitmap());
        const OutlineSheet sheet = OutlineStep(form->Image1->Bitmap(), DrawnOverlay(*form->Image1),
                                               form->Canvas, form->CanvasMenu->Outline);
        const int band = LineBandOf(sheet.LineWidthPixels());
        ASSERT_EQ(written.size(), QSize(300, 200));
        ASSERT_FALSE(sheet.Labels().labels.empty());
        std::vector<std::vector<int>> numberAt(200, std::vector<int>(300, 0));
        std::map<TAlphaColor, int> numberOf;
        for (const KeyRow& row : sheet.Trace().key)
            numberOf[row.colour] = row.number;
        for (const OutlineLabel& label : sheet.Labels().labels)
            for (int y = int(label.box.top()); y < int(std::ceil(label.box.bottom())); ++y)
                for (int x = int(label.box.left()); x < int(std::ceil(label.box.right())); ++x) {
                    EXPECT_EQ(numberAt[y][x], 0) << "labels overlap at " << x << "," << y;
                    numberAt[y][x] = label.number;
                    EXPECT_EQ(numberOf.at(study[y][x]), label.number) << "of the patch's tone";
                }
        // Within `band` steps of another tone or of the picture's edge.
        const auto nearBoundary = [&](int x, int y) {
            for (int v = y - band; v <= y + band; ++v)
                for (int u = x - band; u <= x + band; ++u)
                    if (u < 0 || v < 0 || u >= 300 || v >= 200 || study[v][u] != study[y][x])
                        return true;
            return false;
        };
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) {
                const TAlphaColor pixel = written.pixel(x, y);
                if (numberAt[y][x] != 0) {
                    ASSERT_FALSE(nearBoundary(x, y)) << "a number on a line at " << x << "," << y;
                    continue;
                }
                ASSERT_EQ(pixel, nearBoundary(x, y) ? LineColour : PaperColour) << x << "," << y;
                // Every pair of neighbours of different tones has the line between them.
                if ((x + 1 < 300 && study[y][x] != study[y][x + 1]) ||
                    (y + 1 < 200 && study[y][x] != study[y + 1][x])) {
                    ASSERT_EQ(pixel, LineColour);
                }
            }
    }
}

TEST_F(CanvasOutput, OutlineDialogCountsTheNumberedShapesAndKeepsItsChoices) {
    OpenPicture(300, 200);
    const OutlineSheet sheet = OutlineStep(form->Image1->Bitmap(), DrawnOverlay(*form->Image1),
                                           form->Canvas, form->CanvasMenu->Outline);
    const auto patches = sheet.Trace().poles.size();
    ExportOutline(form->CanvasMenu->ExportOutlinePngItem, {}, [&](OutlineDialog& dialog) {
        EXPECT_EQ(dialog.CountReadout->text(), LabelReadout(sheet.Labels()));
        dialog.SmallestBox->setValue(100);
        EXPECT_EQ(dialog.CountReadout->text(),
                  QStringLiteral("0 shapes numbered, %1 too small").arg(patches));
        EXPECT_EQ(dialog.LargestBox->value(), 100) << "the largest is never below the smallest";
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(desktop.saveCalls.empty()) << "cancelled: no file asked for";
    ExportOutline(form->CanvasMenu->ExportOutlinePngItem, {std::nullopt},
                  [&](OutlineDialog& dialog) {
                      EXPECT_EQ(dialog.SmallestBox->value(), OutlineSettings{}.smallestNumberMm)
                          << "a cancelled dialog keeps nothing";
                      dialog.LineWidthBox->setValue(0.8);
                      dialog.GridBox->setChecked(false);
                      return int(QDialog::Accepted);
                  });
    EXPECT_EQ(desktop.saveCalls.back().fileName, "picture-outline.png");
    ExportOutline(form->CanvasMenu->ExportOutlinePdfItem, {std::nullopt},
                  [&](OutlineDialog& dialog) {
                      EXPECT_EQ(dialog.LineWidthBox->value(), 0.8) << "OK keeps the choices";
                      EXPECT_FALSE(dialog.GridBox->isChecked());
                      return int(QDialog::Accepted);
                  });
    EXPECT_EQ(desktop.saveCalls.back().fileName, "picture-outline.pdf");
    EXPECT_TRUE(FilesInOut().isEmpty());
}

TEST_F(CanvasOutput, OutlineExportsNeverReplaceAFile) {
    OpenPicture(300, 200);
    for (QAction* item :
         {form->CanvasMenu->ExportOutlinePdfItem, form->CanvasMenu->ExportOutlinePngItem}) {
        const QString extension = item == form->CanvasMenu->ExportOutlinePngItem ? ".png" : ".pdf";
        SCOPED_TRACE(extension.toStdString());
        desktop.messages.clear();
        {
            QFile existing(At("mine" + extension));
            ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
            existing.write("mine");
        }
        ExportOutline(item, {At("mine"), At("new")});
        EXPECT_EQ(desktop.MessageTexts(), QStringList{"File name exists!"});
        EXPECT_EQ(FileBytes(At("mine" + extension)), "mine");
        EXPECT_GT(QFile(At("new" + extension)).size(), 0);
    }
    // A file that appears between the dialog and the writing is not replaced either.
    const OutlineSheet sheet = OutlineStep(form->Image1->Bitmap(), {}, form->Canvas, {});
    try {
        WriteOutlinePdf(sheet, At("mine.pdf"));
        ADD_FAILURE() << "written over an existing file";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(), "Cannot create file \"" + At("mine.pdf") + "\". File exists");
    }
    EXPECT_EQ(FileBytes(At("mine.pdf")), "mine");
    EXPECT_EQ(FilesInOut(), (QStringList{"mine.pdf", "mine.png", "new.pdf", "new.png"}));
}

TEST_F(CanvasOutput, PrintOutlineOnThePagesPrintWouldUse) {
    OpenPicture(1200, 1600);
    SetCanvas(300, 400, Paper::A3);
    const QString path = At("printed-outline.pdf");
    desktop.dialogAnswers.push_back([](QDialog&) { return int(QDialog::Accepted); });
    desktop.printAnswers.push_back([&](QPrinter& printer) {
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A3);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    });
    RunHandler(
        [this] { form->CanvasMenu->PrintOutlineItemClick(form->CanvasMenu->PrintOutlineItem); });
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(InfoOf(path).pages, 2);
    EXPECT_TRUE(ImagesOf(path).empty());
}

} // namespace
