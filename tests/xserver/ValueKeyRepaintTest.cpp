// SPDX-License-Identifier: MIT
// Under a real X server: after a change of the picture, the value key's rows on screen show the
// new counts, not the ones painted before.
#include "FormFixture.h"
#include "ValueKey.h"
#include "ValueKeyLink.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <random>

namespace {

using RealScreenKey = FormTest;

// What the X server holds of the tone list, and what the list paints now.
QImage OnScreen(QWidget& widget) {
    return widget.screen()
        ->grabWindow(widget.window()->winId(), widget.mapTo(widget.window(), QPoint(0, 0)).x(),
                     widget.mapTo(widget.window(), QPoint(0, 0)).y(), widget.width(),
                     widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}
QImage Rendered(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(RealScreenKey, TheRowsOnScreenFollowEveryChange) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb")
        << "run under xvfb-run with QT_QPA_PLATFORM=xcb";
    QImage picture(300, 200, QImage::Format_RGB32);
    std::mt19937 random(5);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int band = (x / 30 + y / 20) % 3;
            const int speckle = random() % 4 == 0 ? 90 : 0;
            picture.setPixel(x, y, qRgb(0, 30 + band * 70 + speckle, 0));
        }
    form->resize(900, 700);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    Open(WritePicture("speckled.png", picture));
    form->ValueKey->ValueKeyItemClick(form->ValueKey->ValueKeyItem);
    TValueKey& key = *form->ValueKey->KeyWindow;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&key));
    QTest::qWait(300);
    QWidget& rows = *key.ToneList->viewport();
    const QImage before = OnScreen(rows);
    ASSERT_EQ(before, Rendered(rows)) << "screen and rendering agree while nothing changes";

    form->Button2Click(form->Button2);
    QTest::qWait(300);
    const QImage after = OnScreen(rows);
    ASSERT_NE(Rendered(rows), before) << "the counts changed";
    EXPECT_EQ(after, Rendered(rows)) << "the screen shows the rows as they now are";
}

} // namespace
