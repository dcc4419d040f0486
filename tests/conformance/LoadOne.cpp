// SPDX-License-Identifier: MIT
// Loads one picture as "Open.." does and prints "WIDTHxHEIGHT" or the error's message; with a
// second argument, also saves the loaded bitmap there as PNG, to compare with a reference.
// scripts/conformance runs it once per file.
#include "AppError.h"
#include "Bitmap.h"
#include "ImageFile.h"

#include <QCoreApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: %s PICTURE [SAVED.png]\n", argv[0]);
        return 2;
    }
    TBitmap bitmap;
    try {
        LoadBitmapFromFile(bitmap, arguments[1]);
    } catch (const AppError& error) {
        std::printf("error: %s\n", qPrintable(error.message()));
        return 1;
    }
    std::printf("%dx%d\n", bitmap.Width(), bitmap.Height());
    if (arguments.size() == 3 && !bitmap.ImageView().save(arguments[2], "PNG")) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(arguments[2]));
        return 3;
    }
    return 0;
}
