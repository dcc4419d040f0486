// SPDX-License-Identifier: MIT
#pragma once

#include "FakeDesktop.h"
#include "Faqja0.h"
#include "ImageCompare.h"
#include "Izoti.h"
#include "Startup.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// A picture as rows of colours, top row first.
using Rows = std::vector<std::vector<TAlphaColor>>;

// A fresh program: state at its start values, both windows created, the desktop scripted.
class FormTest : public testing::Test {
protected:
    FormTest();
    ~FormTest() override;

    // Four greys, dark to light, as posterize leaves them, and a colour no posterize makes.
    static constexpr TAlphaColor A = 0xFF2A2A2Au;
    static constexpr TAlphaColor B = 0xFF545454u;
    static constexpr TAlphaColor C = 0xFF7E7E7Eu;
    static constexpr TAlphaColor D = 0xFFD4D4D4u;
    static constexpr TAlphaColor Red = 0xFFFF0000u;

    // Gives the window a client size and runs its resize handling, as the window system would.
    void ResizeClient(int width, int height);
    // Writes a picture into the test's folder and returns its path.
    QString WritePicture(const QString& fileName, const QImage& picture);
    // A picture of the given size with a different colour in every pixel region.
    static QImage TestPicture(int width, int height);
    // Opens a file through "Open.." with the dialog answered.
    void Open(const QString& path);
    // The window at its first client size, 919 by 600, with a TestPicture of the given size
    // open; the warning of a picture narrower than 500 pixels is dismissed.
    void OpenInFirstSizeWindow(int width, int height);
    // Puts known pixels on screen, as a posterize would have left them.
    void Show(const Rows& rows);
    // The pixels on screen.
    Rows Shown();
    // "Colorize" pressed as a click on it presses it.
    void PressColorize();
    // The level text of every posterize run since the last call (each run that has pixels
    // releases its write access to PosterBitmap once).
    std::vector<QString> TakePosterizeRuns();
    // Text in the level spin box or the spacing box as the user types it, not yet confirmed.
    void TypeLevels(const QString& text);
    void TypeSpacing(const QString& text);
    // Makes the window the active one, so keyboard focus moves as for a user.
    void ShowActive();
    // The picture that posterizing `source` by a grey method and a level count shows.
    static QImage Expected(const QImage& source, int method, int levels);

    FakeDesktop desktop;
    QTemporaryDir folder;
    StartedProgram program;
    TForm1* const form = &program.MainWindow();
    TForm2* const about = &program.AboutWindow();

private:
    std::vector<QString> posterizeRuns_;
};

// Succeeds when the picture shown by a bitmap equals an image, pixel for pixel.
testing::AssertionResult Shows(TBitmap& bitmap, const QImage& expected);
