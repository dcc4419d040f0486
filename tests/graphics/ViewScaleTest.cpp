// SPDX-License-Identifier: MIT
// The view scale's arithmetic and the area-averaged reduction of a picture for display.
#include "ViewScale.h"
#include "ImageCompare.h"

#include <array>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

TEST(ViewScale, LengthsPositionsAndTexts) {
    struct Case {
        ViewScale scale;
        int image, shown;
        double at;
        int pixel;
        const char* text;
    };
    const Case cases[] = {
        {{1, 1}, 6000, 6000, 17.9, 17, "100 %"},
        {{1, 4}, 6000, 1500, 7.99, 31, "25 %"},
        {{1, 3}, 1001, 334, 2.5, 7, "33.3 %"},
        {{2, 3}, 5, 3, 1.4, 2, "66.7 %"},
        {{1, 16}, 8, 1, 0.5, 8, "6.25 %"},
        {{1, 12}, 6000, 500, 0.1, 1, "8.33 %"},
        {{3, 1}, 7, 21, 8.9, 2, "300 %"},
        {{16, 1}, 3, 48, 47.99, 2, "1600 %"},
        {{1546, 6000}, 6000, 1546, 100.0, 388, "25.8 %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.scale.ShownLength(c.image), c.shown);
        EXPECT_EQ(c.scale.ImagePosition(c.at), c.pixel);
        EXPECT_EQ(c.scale.PercentText(), c.text);
    }
}

// The mean of the source pixels whose centres lie in each target pixel, rounded half up, by
// brute force in real numbers.
QImage ReferenceReduction(const QImage& source, ViewScale scale) {
    const QSize shown = scale.ShownSize(source.size());
    QImage out(shown, QImage::Format_ARGB32_Premultiplied);
    const double perTarget = double(scale.Image) / scale.Shown; // source pixels per target pixel
    const auto targetOf = [&](int sourcePixel) { return int((sourcePixel + 0.5) / perTarget); };
    std::vector<std::array<qint64, 5>> sums(std::size_t(shown.width() * shown.height()));
    for (int sy = 0; sy < source.height(); ++sy)
        for (int sx = 0; sx < source.width(); ++sx) {
            const int tx = std::min(targetOf(sx), shown.width() - 1);
            const int ty = std::min(targetOf(sy), shown.height() - 1);
            auto& s = sums[std::size_t(ty * shown.width() + tx)];
            const QRgb p = source.pixel(sx, sy);
            s[0] += qBlue(p);
            s[1] += qGreen(p);
            s[2] += qRed(p);
            s[3] += qAlpha(p);
            s[4] += 1;
        }
    for (int ty = 0; ty < shown.height(); ++ty)
        for (int tx = 0; tx < shown.width(); ++tx) {
            const auto& s = sums[std::size_t(ty * shown.width() + tx)];
            const auto channel = [&](int c) { return int((2 * s[c] + s[4]) / (2 * s[4])); };
            out.setPixel(tx, ty, qRgba(channel(2), channel(1), channel(0), channel(3)));
        }
    return out;
}

QImage Reduce(const QImage& source, ViewScale scale) {
    QImage in = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(scale.ShownSize(in.size()), QImage::Format_ARGB32_Premultiplied);
    out.fill(0x12345678u); // every pixel must be written
    const TBitmapData from{TPixelFormat::BGRA, in.width(), in.height(), in.bits(),
                           int(in.bytesPerLine())};
    const TBitmapData to{TPixelFormat::BGRA, out.width(), out.height(), out.bits(),
                         int(out.bytesPerLine())};
    ReduceByAreaAverage(from, to, scale);
    return out;
}

TEST(AreaAverage, EachShownPixelIsTheMeanOfThePixelsItCovers) {
    std::mt19937 random(7);
    for (const ViewScale scale :
         {ViewScale{1, 2}, {1, 3}, {2, 3}, {1, 16}, {7, 10}, {100, 301}, {1, 12}}) {
        for (const QSize size : {QSize(37, 23), QSize(64, 48), QSize(1001, 5), QSize(3, 700)}) {
            SCOPED_TRACE(scale.PercentText().toStdString() + " of " + std::to_string(size.width()) +
                         "x" + std::to_string(size.height()));
            if (scale.ShownSize(size).isEmpty())
                continue; // nothing to show
            QImage source(size, QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    const int alpha = int(random() % 2 ? 255 : random() % 256);
                    source.setPixel(x, y,
                                    qRgba(int(random() % (alpha + 1)), int(random() % (alpha + 1)),
                                          int(random() % (alpha + 1)), alpha));
                }
            const QImage reduced = Reduce(source, scale);
            const QImage expected = ReferenceReduction(source, scale);
            ASSERT_EQ(reduced.size(), expected.size());
            for (int y = 0; y < reduced.height(); ++y)
                for (int x = 0; x < reduced.width(); ++x)
                    ASSERT_EQ(reduced.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(AreaAverage, FineTextureAndThinLinesShowAsTheirMeanTone) {
    QImage checks(60, 40, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            checks.setPixel(x, y, (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
    const QImage half = Reduce(checks, {1, 2});
    for (int y = 0; y < half.height(); ++y)
        for (int x = 0; x < half.width(); ++x)
            ASSERT_EQ(half.pixel(x, y), 0xFF808080u) << "no moire at " << x << "," << y;
    // A one-pixel line every fourth column at a quarter: a quarter of its tone everywhere.
    QImage lines(64, 8, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 64; ++x)
            lines.setPixel(x, y, x % 4 == 3 ? 0xFFFFFFFFu : 0xFF000000u);
    const QImage quarter = Reduce(lines, {1, 4});
    for (int x = 0; x < quarter.width(); ++x)
        EXPECT_EQ(quarter.pixel(x, 0), 0xFF404040u) << x;
}

} // namespace
