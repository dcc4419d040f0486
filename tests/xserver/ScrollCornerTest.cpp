// SPDX-License-Identifier: MIT
// Under a real X server: a picture much larger than the window scrolls to its last column and its
// last row, and they are on screen just inside the scroll bars.
#include "FormFixture.h"
#include "PictureBox.h"
#include "RealScrollBar.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

using RealScreen = FormTest;

TEST_F(RealScreen, APictureScrolledToItsEndShowsItsLastColumnAndRow) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb")
        << "run under xvfb-run with QT_QPA_PLATFORM=xcb";
    // Dark everywhere but the last column and the last row, which posterize to white.
    QImage picture(2400, 1800, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 0));
    for (int y = 0; y < picture.height(); ++y)
        picture.setPixel(picture.width() - 1, y, qRgb(255, 255, 255));
    for (int x = 0; x < picture.width(); ++x)
        picture.setPixel(x, picture.height() - 1, qRgb(255, 255, 255));
    form->resize(900, 700);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    Open(WritePicture("large.png", picture));

    // As a user dragging both thumbs to their ends.
    form->ScrollBar1->triggerAction(QAbstractSlider::SliderToMaximum);
    form->ScrollBar2->triggerAction(QAbstractSlider::SliderToMaximum);
    form->repaint();
    const QImage screenshot =
        form->screen()->grabWindow(form->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    screenshot.save(QStringLiteral(HALVANE_TEST_BINARY_DIR "/scrolled-to-corner.png"));
    ASSERT_EQ(screenshot.size(), form->size());

    const int lastColumn = form->ScrollBar1->x() - 1;
    const int lastRow = form->ScrollBar2->y() - 1;
    const QRgb white = qRgb(255, 255, 255);
    const QRgb dark = qRgb(42, 42, 42);
    EXPECT_EQ(screenshot.pixel(lastColumn, lastRow), white) << "the picture's corner";
    EXPECT_EQ(screenshot.pixel(lastColumn, lastRow - 200), white) << "its last column";
    EXPECT_EQ(screenshot.pixel(lastColumn - 300, lastRow), white) << "its last row";
    EXPECT_EQ(screenshot.pixel(lastColumn - 1, lastRow - 1), dark) << "the pixel inside the corner";
}

} // namespace
