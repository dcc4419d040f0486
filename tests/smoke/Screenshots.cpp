// SPDX-License-Identifier: MIT
// Takes the README's screenshots on a real X server: the main window with a photograph opened
// and fitted to the window, then the About window, then the study after one Oilify with the value
// key beside it. The open dialog is answered by the scripted desktop.
// Usage: halvane_screenshots PHOTO OUTPUT_FOLDER
#include "Application.h"
#include "FakeDesktop.h"
#include "Faqja0.h"
#include "Izoti.h"
#include "PictureView.h"
#include "Startup.h"
#include "ValueKey.h"
#include "ValueKeyLink.h"

#include <QAction>
#include <QDir>
#include <QPainter>
#include <QPushButton>
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
    if (!QTest::qWaitForWindowExposed(&key) || !QTest::qWaitForWindowExposed(&mainWindow))
        return 1;
    QTest::qWait(200);
    // Both windows side by side as they stand on the screen, the key to the right.
    const QPixmap study = mainWindow.grab();
    const QPixmap keyShot = key.grab();
    QImage both(study.width() + 8 + keyShot.width(), std::max(study.height(), keyShot.height()),
                QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, study);
    painter.drawPixmap(study.width() + 8, 0, keyShot);
    painter.end();
    const QString keyPath = output.filePath(QStringLiteral("value-key.png"));
    if (!both.save(keyPath)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(keyPath));
        return 1;
    }
    std::printf("%s\n", qPrintable(keyPath));
    return desktop.messages.empty() ? 0 : 1;
}
