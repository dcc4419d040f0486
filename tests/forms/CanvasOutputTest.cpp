// SPDX-License-Identifier: MIT
// "Print...", "Export PDF..." and "Export PNG...": what is written, measured from the files, and
// that no existing file is ever replaced.
#include "AppError.h"
#include "CanvasCommands.h"
#include "CanvasPages.h"
#include "ColorComboBox.h"
#include "EventBoundary.h"
#include "FormFixture.h"
#include "PictureBox.h"
#include "PngFile.h"
#include "TestFiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

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

} // namespace
