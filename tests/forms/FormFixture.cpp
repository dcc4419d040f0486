// SPDX-License-Identifier: MIT
#include "FormFixture.h"
#include "ReferenceKernels.h"

#include "GreyKernel.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PosterizeKernel.h"
#include "SpinBox.h"
#include "ToggleButton.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <utility>

FormTest::FormTest() {
    PosterBitmap.SetObserver([this] { posterizeRuns_.push_back(form->Edit2->Text()); });
}

FormTest::~FormTest() {
    PosterBitmap.SetObserver(nullptr);
}

void FormTest::ResizeClient(int width, int height) {
    form->resize(width, height);
    form->FormResize(form);
}

QString FormTest::WritePicture(const QString& fileName, const QImage& picture) {
    const QString path = folder.filePath(fileName);
    EXPECT_TRUE(picture.save(path, "PNG")) << path.toStdString();
    return path;
}

QImage FormTest::TestPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
    return picture;
}

void FormTest::Open(const QString& path) {
    desktop.openAnswers.push_back(path);
    form->Button4Click(form->Button4);
    TakePosterizeRuns();
}

void FormTest::OpenInFirstSizeWindow(int width, int height) {
    ResizeClient(919, 600);
    Open(WritePicture("picture.png", TestPicture(width, height)));
    desktop.messages.clear();
}

void FormTest::Show(const Rows& rows) {
    FillBitmap(form->Image1->Bitmap(), rows);
}

Rows FormTest::Shown() {
    return PixelsOf(form->Image1->Bitmap());
}

void FormTest::PressColorize() {
    form->Button3->SetPressed(true);
    form->Button3Click(form->Button3);
}

std::vector<QString> FormTest::TakePosterizeRuns() {
    return std::exchange(posterizeRuns_, {});
}

void FormTest::TypeLevels(const QString& text) {
    form->Edit2->findChild<QLineEdit*>()->setText(text);
}

void FormTest::TypeSpacing(const QString& text) {
    // Qt's own setter, which the program cannot reach: it shows text without taking its value.
    static_cast<QLineEdit*>(form->NumberBox1)->setText(text);
}

void FormTest::ShowActive() {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
}

QImage FormTest::Expected(const QImage& source, int method, int levels) {
    const GreyMethod methods[] = {GreyMethod::Red, GreyMethod::GreenLightened,
                                  GreyMethod::BlueLightened};
    QImage expected(source.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const int grey = RedOf(GreyOf(source.pixel(x, y), methods[method - 1]));
            expected.setPixel(x, y, OpaqueGrey(std::uint8_t(PosterizeLevel(grey, levels))));
        }
    return expected;
}

testing::AssertionResult Shows(TBitmap& bitmap, const QImage& expected) {
    const QImage shown = bitmap.ImageView();
    if (shown.size() != expected.size())
        return testing::AssertionFailure()
               << "size " << shown.width() << "x" << shown.height() << ", expected "
               << expected.width() << "x" << expected.height();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = reinterpret_cast<const QRgb*>(shown.constScanLine(y))[x];
            const QRgb b = reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x];
            if (a != b)
                return testing::AssertionFailure()
                       << "first difference at (" << x << ", " << y << "): 0x" << std::hex << a
                       << ", expected 0x" << b;
        }
    return testing::AssertionSuccess();
}
