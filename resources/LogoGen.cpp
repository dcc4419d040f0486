// SPDX-License-Identifier: MIT
// Build-time tool: renders the logos into the directory given as its only argument.
// Paths and QImage need no application object, so none is created and no platform plugin or
// font is needed on the build machine.
#include "LogoPainter.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <array>
#include <cstdio>
#include <exception>

namespace {

constexpr std::array ProductSides = {16, 24, 32, 48, 64, 128, 256};

bool Save(const QImage& image, const QString& path) {
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "halvane_logogen: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvane_logogen <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "halvane_logogen: cannot create %s\n", argv[1]);
        return 1;
    }
    try {
        bool saved = true;
        for (const int side : ProductSides)
            saved &= Save(PaintProductLogo(side),
                          out.filePath(QStringLiteral("product-%1.png").arg(side)));
        saved &= Save(PaintMakerLogo(), out.filePath(QStringLiteral("maker.png")));
        return saved ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "halvane_logogen: %s\n", error.what());
        return 1;
    }
}
