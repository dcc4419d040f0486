// SPDX-License-Identifier: MIT
// Takes the README's screenshots on a real X server: the main window with a photograph opened
// and fitted to the window, then the About window, then the study after one Oilify with the value
// key beside it, then simplified to shapes of 0.1 % with the key, then with the value bands
// beside it, the first page of its outline sheet (drawn by poppler's pdftoppm), then the frame of
// "Crop to Canvas...". The open dialog is answered by the scripted
// desktop. Usage: halvane_screenshots PHOTO OUTPUT_FOLDER
#include "Application.h"
#include "CanvasCommands.h"
#include "CanvasDialog.h"
#include "CropFrameView.h"
#include "FakeDesktop.h"
#include "Faqja0.h"
#include "Izoti.h"
#include "OutlinePages.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "ShapeSimplify.h"
#include "Startup.h"
#include "StudyMenu.h"
#include "StudySteps.h"
#include "ValueBandsWindow.h"
#include "ValueKey.h"
#include "ValueKeyLink.h"

#include <QAction>
#include <QDir>
#include <QDoubleSpinBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

bool SaveWhenShown(QWidget& window, const QString& path) {
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "%s was never shown\n", qPrintable(window.windowTitle()));
        return false;
    }
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The main window and a tool window side by side as they stand on the screen, the tool to the
// right.
bool SaveSideBySide(QWidget& mainWindow, QWidget& tool, const QString& path) {
    if (!QTest::qWaitForWindowExposed(&tool) || !QTest::qWaitForWindowExposed(&mainWindow))
        return false;
    QTest::qWait(200);
    const QPixmap study = mainWindow.grab();
    const QPixmap toolShot = tool.grab();
    QImage both(study.width() + 8 + toolShot.width(), std::max(study.height(), toolShot.height()),
                QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, study);
    painter.drawPixmap(study.width() + 8, 0, toolShot);
    painter.end();
    if (!both.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The first page of the shown study's outline sheet on the first canvas, as a picture.
bool SaveOutlinePage(TForm1& mainWindow, const QString& path) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("outline.pdf"));
    WriteOutlinePdf(
        OutlineStep(mainWindow.Image1->Bitmap(), {}, mainWindow.Canvas, OutlineSettings{}), pdf);
    const QString stem = folder.filePath(QStringLiteral("page"));
    if (QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-f"),
                           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                           QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem}) !=
            0 ||
        !QFile::copy(stem + QStringLiteral(".png"), path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Application application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PHOTO OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString photo = QString::fromLocal8Bit(argv[1]);
    const QDir output(QString::fromLocal8Bit(argv[2]));

    FakeDesktop desktop;
    const StartedProgram program;
    TForm1& mainWindow = program.MainWindow();
    TForm2& aboutWindow = program.AboutWindow();

    desktop.openAnswers.push_back(photo);
    mainWindow.Button4Click(mainWindow.Button4);
    for (const QString& message : desktop.MessageTexts())
        std::fprintf(stderr, "message: %s\n", qPrintable(message));
    mainWindow.resize(1280, 800);
    mainWindow.show();
    mainWindow.View->FitToWindowItemClick(mainWindow.View->FitToWindowItem);
    if (!SaveWhenShown(mainWindow, output.filePath(QStringLiteral("main-window.png"))))
        return 1;

    mainWindow.MenuItem6Click(mainWindow.MenuItem6);
    if (!SaveWhenShown(aboutWindow, output.filePath(QStringLiteral("about-window.png"))))
        return 1;
    aboutWindow.hide();
    mainWindow.resize(1000, 700);
    mainWindow.Button2Click(mainWindow.Button2);
    mainWindow.ValueKey->ValueKeyItemClick(mainWindow.ValueKey->ValueKeyItem);
    TValueKey& key = *mainWindow.ValueKey->KeyWindow;
    if (!SaveSideBySide(mainWindow, key, output.filePath(QStringLiteral("value-key.png"))))
        return 1;
    // The same study with its patches below 0.1 % of the picture merged, the key beside it.
    mainWindow.Study->SimplifyShapes(
        ShapeSize{}.MinimumPixels(std::uint64_t(SourceBitmap.Width()) * SourceBitmap.Height()));
    if (!SaveSideBySide(mainWindow, key, output.filePath(QStringLiteral("simplified.png"))))
        return 1;
    key.hide();
    QFile::remove(output.filePath(QStringLiteral("outline-page.png")));
    if (!SaveOutlinePage(mainWindow, output.filePath(QStringLiteral("outline-page.png"))))
        return 1;

    // The bands placed for equal areas of the picture, the window beside the study.
    mainWindow.Study->ValueBandsItemClick(mainWindow.Study->ValueBandsItem);
    mainWindow.Study->PresetChosen(BandPreset::EqualAreas);
    if (!SaveSideBySide(mainWindow, *mainWindow.Study->BandsWindow,
                        output.filePath(QStringLiteral("value-bands.png"))))
        return 1;
    mainWindow.Study->BandsWindow->hide();

    // "Crop to Canvas..." for a 40 x 30 cm canvas, the frame moved a little to the right.
    desktop.dialogAnswers.push_back([&](QDialog& dialog) {
        auto& settings = dynamic_cast<CanvasDialog&>(dialog);
        settings.WidthBox->setValue(40);
        settings.HeightBox->setValue(30);
        return int(CanvasDialog::Kept);
    });
    mainWindow.CanvasMenu->CanvasGridItemClick(mainWindow.CanvasMenu->CanvasGridItem);
    mainWindow.CanvasMenu->CropItemClick(mainWindow.CanvasMenu->CropItem);
    CropFrameView& frame = *mainWindow.CanvasMenu->CropView;
    const QRect first = frame.Frame();
    frame.SetFrame(ResizedFrame(first.topLeft(), first.topLeft() + QPoint(first.width() * 4 / 5, 0),
                                frame.Proportions(),
                                QSize(SourceBitmap.Width(), SourceBitmap.Height()))
                       .translated(first.width() / 8, first.height() / 10));
    if (!SaveWhenShown(mainWindow, output.filePath(QStringLiteral("crop-frame.png"))))
        return 1;
    return desktop.messages.empty() ? 0 : 1;
}
