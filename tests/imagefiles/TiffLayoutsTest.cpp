// SPDX-License-Identifier: MIT
// TIFF sample layouts beyond 8 and 16 unsigned bits: pictures written here with libtiff in every
// group (odd and wide bit depths, signed, floating point, 16-bit CMYK, 2- and 4-bit RGB, 16-bit
// palettes, untyped samples; strips and tiles, interleaved and planar, both byte orders), each
// loaded and compared pixel by pixel with the level its sample stands for, and, where ImageMagick
// is installed and reads the group right, with ImageMagick's own reading. ImageMagick 6 does not
// for several: it misreads 24-bit samples, ignores min-is-white below 16 bits, offsets signed
// samples at 16 bits only, and turns CMYK into RGB its own way.
#include "AppError.h"
#include "Bitmap.h"
#include "ImageCompare.h"
#include "ImageFile.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <vector>

namespace {

constexpr int Width = 20; // odd bit depths cross byte edges; tiles of 16 leave partial ones
constexpr int Height = 18;

// One picture of a group: how it is laid out, and its samples as raw values and as the levels
// they stand for.
struct Layout {
    const char* name = "";
    quint16 photometric = PHOTOMETRIC_MINISBLACK;
    int bits = 8;
    quint16 format = SAMPLEFORMAT_UINT;
    int samples = 1;
    bool planar = false;
    bool tiled = false;
    bool bigEndian = false;
    bool imageMagickReadsIt = false; // ImageMagick 6 reads some groups wrong (see below)
    // A sample of pixel (x, y) as stored (the bits of the number, whatever its type) and the
    // level 0-255 it stands for.
    std::function<quint64(int x, int y, int s)> raw;
    std::function<double(quint64 raw)> level;
    std::function<void(TIFF*)> moreTags = [](TIFF*) {};
};

Layout Named(const char* name, int photometric, int bits) {
    Layout layout;
    layout.name = name;
    layout.photometric = quint16(photometric);
    layout.bits = bits;
    return layout;
}

quint64 Max(int bits) {
    return bits == 64 ? ~quint64{0} : (quint64{1} << bits) - 1;
}

// Spread over the whole range, different for every pixel and sample.
quint64 Spread(int x, int y, int s, int bits) {
    const double where = double((x * 7 + y * 13 + s * 5) % 64) / 63;
    return quint64(std::llround(std::ldexp(where, std::min(bits, 52)) - where))
           << std::max(0, bits - 52);
}

double UnsignedLevel(quint64 raw, int bits) {
    return double(raw) * 255 / double(Max(bits));
}

Layout Unsigned(const char* name, quint16 photometric, int bits, int samples = 1) {
    Layout layout = Named(name, photometric, bits);
    layout.samples = samples;
    layout.raw = [bits](int x, int y, int s) { return Spread(x, y, s, bits); };
    layout.level = [bits](quint64 raw) { return UnsignedLevel(raw, bits); };
    return layout;
}

// Signed samples: offset by 2^(n - 1), so that the most negative is black and 0 middle grey.
Layout Signed(const char* name, int bits, int samples = 1) {
    Layout layout = Named(name, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB, bits);
    layout.format = SAMPLEFORMAT_INT;
    layout.samples = samples;
    layout.raw = [bits](int x, int y, int s) {
        return (Spread(x, y, s, bits) - (quint64{1} << (bits - 1))) & Max(bits);
    };
    layout.level = [bits](quint64 raw) {
        const quint64 half = quint64{1} << (bits - 1);
        const qint64 value = raw >= half ? qint64(raw) - qint64(half) * 2 : qint64(raw);
        return (double(value) + double(half)) * 255 / double(Max(bits));
    };
    return layout;
}

// Floating-point samples from -0.25 to 1.25: clamped to 0..1.
double FloatValue(int x, int y, int s) {
    return ((x * 7 + y * 13 + s * 5) % 64) / 63.0 * 1.5 - 0.25;
}

quint64 HalfBits(double value) {
    // Exact for the values above, which need at most 11 significant bits.
    if (value == 0)
        return 0;
    int exponent;
    const double mantissa = std::frexp(std::abs(value), &exponent); // 0.5 <= m < 1
    const quint64 sign = value < 0 ? 0x8000 : 0;
    const int biased = exponent - 1 + 15;
    if (biased <= 0)
        return sign | quint64(std::lround(std::ldexp(std::abs(value), 24)));
    return sign | quint64(biased) << 10 | (quint64(std::lround(mantissa * 2048)) & 0x3FF);
}

Layout Float(const char* name, int bits, double least = 0, double most = 1) {
    Layout layout = Named(name, PHOTOMETRIC_MINISBLACK, bits);
    layout.format = SAMPLEFORMAT_IEEEFP;
    layout.raw = [bits](int x, int y, int s) -> quint64 {
        const double value = FloatValue(x, y, s);
        if (bits == 64) {
            quint64 out;
            std::memcpy(&out, &value, sizeof out);
            return out;
        }
        if (bits == 32) {
            const float single = float(value);
            quint32 out;
            std::memcpy(&out, &single, sizeof out);
            return out;
        }
        const quint64 half = HalfBits(value);
        // 24 bits: 7 exponent bits (bias 63) and 16 of mantissa, from the half's parts.
        if (bits == 24 && (half & 0x7FFF) != 0)
            return (half & 0x8000) << 8 | (((half >> 10 & 0x1F) - 15 + 63) << 16) |
                   (half & 0x3FF) << 6;
        return bits == 24 ? (half & 0x8000) << 8 : half;
    };
    layout.level = [bits, least, most](quint64 raw) {
        double value;
        if (bits == 64) {
            std::memcpy(&value, &raw, sizeof value);
        } else if (bits == 32) {
            float single;
            const auto word = quint32(raw);
            std::memcpy(&single, &word, sizeof single);
            value = single;
        } else {
            const int exponentBits = bits == 16 ? 5 : 7;
            const int mantissaBits = bits - 1 - exponentBits;
            const int exponent = int(raw >> mantissaBits & ((1u << exponentBits) - 1));
            const double mantissa = double(raw & ((quint64{1} << mantissaBits) - 1));
            const int bias = (1 << (exponentBits - 1)) - 1;
            value = exponent == 0 ? std::ldexp(mantissa, 1 - bias - mantissaBits)
                                  : std::ldexp(mantissa + std::ldexp(1, mantissaBits),
                                               exponent - bias - mantissaBits);
            if (raw >> (bits - 1) & 1)
                value = -value;
        }
        return std::clamp((value - least) / (most - least), 0.0, 1.0) * 255;
    };
    if (least != 0 || most != 1)
        layout.moreTags = [least, most](TIFF* tiff) {
            TIFFSetField(tiff, TIFFTAG_SMINSAMPLEVALUE, least);
            TIFFSetField(tiff, TIFFTAG_SMAXSAMPLEVALUE, most);
        };
    return layout;
}

// Packs one row of samples, most significant bit first, whole bytes in the machine's order
// (libtiff swaps them for a file of the other order).
std::vector<uchar> PackRow(const std::vector<quint64>& samples, int bits) {
    std::vector<uchar> row((samples.size() * size_t(bits) + 7) / 8);
    if (bits % 8 == 0) {
        for (size_t i = 0; i < samples.size(); ++i)
            std::memcpy(row.data() + i * size_t(bits / 8), &samples[i], size_t(bits / 8));
        return row;
    }
    size_t bit = 0;
    for (const quint64 value : samples)
        for (int b = bits - 1; b >= 0; --b, ++bit)
            if (value >> b & 1)
                row[bit / 8] |= uchar(0x80 >> (bit % 8));
    return row;
}

// The samples of row y: all interleaved, or of one plane.
std::vector<quint64> RowSamples(const Layout& layout, int y, int plane, int width) {
    std::vector<quint64> samples;
    for (int x = 0; x < width; ++x)
        for (int s = 0; s < layout.samples; ++s)
            if (!layout.planar || s == plane)
                samples.push_back(layout.raw(x, y, s));
    return samples;
}

void Write(const Layout& layout, const QString& path) {
    TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), layout.bigEndian ? "wb" : "wl");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, Width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, Height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, layout.format);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG,
                 layout.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    layout.moreTags(tiff);
    const int planes = layout.planar ? layout.samples : 1;
    if (layout.tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
        for (int plane = 0; plane < planes; ++plane)
            for (int top = 0; top < Height; top += 16)
                for (int left = 0; left < Width; left += 16) {
                    std::vector<uchar> tile;
                    for (int y = top; y < top + 16; ++y) {
                        std::vector<quint64> samples =
                            RowSamples(layout, std::min(y, Height - 1), plane, Width);
                        const size_t perPixel = layout.planar ? 1 : size_t(layout.samples);
                        samples.resize(
                            std::max<size_t>(samples.size(), size_t(left + 16) * perPixel));
                        const std::vector<quint64> part(
                            samples.begin() + std::ptrdiff_t(left * perPixel),
                            samples.begin() + std::ptrdiff_t((left + 16) * perPixel));
                        const std::vector<uchar> packed = PackRow(part, layout.bits);
                        tile.insert(tile.end(), packed.begin(), packed.end());
                    }
                    ASSERT_GE(TIFFWriteTile(tiff, tile.data(), quint32(left), quint32(top), 0,
                                            quint16(plane)),
                              0);
                }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 5);
        for (int plane = 0; plane < planes; ++plane)
            for (int y = 0; y < Height; ++y) {
                std::vector<uchar> row = PackRow(RowSamples(layout, y, plane, Width), layout.bits);
                ASSERT_EQ(TIFFWriteScanline(tiff, row.data(), quint32(y), quint16(plane)), 1);
            }
    }
    TIFFClose(tiff);
}

QRgb Expected(const Layout& layout, int x, int y, const std::vector<QRgb>& palette) {
    const auto level = [&](int s) { return layout.level(layout.raw(x, y, s)); };
    switch (layout.photometric) {
    case PHOTOMETRIC_MINISBLACK: {
        const int grey = int(std::lround(level(0)));
        return qRgb(grey, grey, grey);
    }
    case PHOTOMETRIC_MINISWHITE: {
        const int grey = 255 - int(std::lround(level(0)));
        return qRgb(grey, grey, grey);
    }
    case PHOTOMETRIC_PALETTE:
        return palette[layout.raw(x, y, 0)];
    case PHOTOMETRIC_SEPARATED: {
        // Each ink to 8 bits, then as libtiff turns 8-bit CMYK into RGB.
        const int k = 255 - (layout.samples == 4 ? int(std::lround(level(3))) : 0);
        const auto ink = [&](int s) { return k * (255 - int(std::lround(level(s)))) / 255; };
        return qRgb(ink(0), ink(1), ink(2));
    }
    default:
        return qRgb(int(std::lround(level(0))), int(std::lround(level(1))),
                    int(std::lround(level(2))));
    }
}

// Within one level of each channel: the rounding of a reference may differ from ours.
::testing::AssertionResult Near(QRgb expected, QRgb actual) {
    for (const int shift : {0, 8, 16, 24})
        if (std::abs(int(expected >> shift & 0xFF) - int(actual >> shift & 0xFF)) > 1)
            return ::testing::AssertionFailure()
                   << std::hex << "expected " << expected << ", read " << actual;
    return ::testing::AssertionSuccess();
}

// ImageMagick's reading of a file, as 8-bit RGBA rows; empty where it is not installed.
std::vector<QRgb> ImageMagickPixels(const QString& path) {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        return {};
    QProcess process;
    process.start(convert,
                  {path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgba:-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    const QByteArray bytes = process.readAllStandardOutput();
    if (bytes.size() != Width * Height * 4)
        return {};
    std::vector<QRgb> pixels;
    for (int i = 0; i < Width * Height; ++i) {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + i * 4;
        pixels.push_back(qRgba(p[0], p[1], p[2], p[3]));
    }
    return pixels;
}

std::vector<Layout> Groups() {
    std::vector<Layout> groups;
    for (const int bits : {3, 5, 6, 7, 10, 12, 14})
        groups.push_back(Unsigned("grey of odd depth", PHOTOMETRIC_MINISBLACK, bits));
    groups.back().imageMagickReadsIt = true; // 14 bits
    Layout bigEndian = Unsigned("12-bit big-endian tiles", PHOTOMETRIC_MINISBLACK, 12);
    bigEndian.bigEndian = true;
    bigEndian.tiled = true;
    bigEndian.imageMagickReadsIt = true;
    groups.push_back(bigEndian);
    groups.push_back(Unsigned("min-is-white", PHOTOMETRIC_MINISWHITE, 6));
    for (const int bits : {24, 32, 64})
        groups.push_back(Unsigned("wide unsigned grey", PHOTOMETRIC_MINISBLACK, bits));
    groups.back().bigEndian = true;
    Layout planar32 = Unsigned("32-bit RGB in planes", PHOTOMETRIC_RGB, 32, 3);
    planar32.planar = true;
    planar32.imageMagickReadsIt = true;
    groups.push_back(planar32);
    for (const int bits : {8, 16, 32})
        groups.push_back(Signed("signed grey", bits));
    Layout signedRgb = Signed("signed 16-bit RGB, big-endian", 16, 3);
    signedRgb.bigEndian = true;
    groups.push_back(signedRgb);
    for (const int bits : {16, 24, 32, 64})
        groups.push_back(Float("floating-point grey", bits));
    groups.back().tiled = true;
    groups.push_back(Float("32-bit float with its own range", 32, -1, 0.5));
    // ImageMagick turns CMYK into RGB by a formula of its own, up to two levels away.
    Layout cmyk = Unsigned("16-bit CMYK", PHOTOMETRIC_SEPARATED, 16, 4);
    groups.push_back(cmyk);
    Layout cmykPlanar = cmyk;
    cmykPlanar.name = "16-bit CMYK in planes";
    cmykPlanar.planar = true;
    groups.push_back(cmykPlanar);
    groups.push_back(Unsigned("16-bit CMY", PHOTOMETRIC_SEPARATED, 16, 3));
    for (const int bits : {2, 4})
        groups.push_back(Unsigned("RGB of few bits", PHOTOMETRIC_RGB, bits, 3));
    Layout palette = Unsigned("16-bit palette", PHOTOMETRIC_PALETTE, 16);
    palette.raw = [](int x, int y, int) { return quint64((x * 977 + y * 3001) % 65536); };
    groups.push_back(palette);
    Layout untyped = Unsigned("untyped 8-bit tiles", PHOTOMETRIC_RGB, 8, 3);
    untyped.format = SAMPLEFORMAT_VOID;
    untyped.tiled = true;
    untyped.imageMagickReadsIt = true;
    groups.push_back(untyped);
    return groups;
}

TEST(TiffLayouts, EveryGroupReadsAsItsSamplesSay) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // The 16-bit palette: entry i a colour of its own.
    std::vector<quint16> red(65536), green(65536), blue(65536);
    std::vector<QRgb> palette(65536);
    for (int i = 0; i < 65536; ++i) {
        red[size_t(i)] = quint16(i);
        green[size_t(i)] = quint16(65535 - i);
        blue[size_t(i)] = quint16(i * 7);
        palette[size_t(i)] = qRgb((i * 255 + 32767) / 65535, ((65535 - i) * 255 + 32767) / 65535,
                                  (quint16(i * 7) * 255 + 32767) / 65535);
    }
    int comparedWithImageMagick = 0;
    for (Layout layout : Groups()) {
        const std::string trace =
            std::string(layout.name) + ", " + std::to_string(layout.bits) + " bits";
        SCOPED_TRACE(trace);
        if (layout.photometric == PHOTOMETRIC_PALETTE)
            layout.moreTags = [&](TIFF* tiff) {
                TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
            };
        const QString path = folder.filePath(QString::fromStdString(trace) + ".tif");
        Write(layout, path);
        TBitmap bitmap;
        try {
            LoadBitmapFromFile(bitmap, path);
        } catch (const AppError& error) {
            ADD_FAILURE() << error.message().toStdString();
            continue;
        }
        ASSERT_EQ(bitmap.Width(), Width);
        ASSERT_EQ(bitmap.Height(), Height);
        const auto rows = PixelsOf(bitmap);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                ASSERT_TRUE(Near(Expected(layout, x, y, palette), rows[size_t(y)][size_t(x)]))
                    << x << "," << y;
        if (!layout.imageMagickReadsIt)
            continue;
        const std::vector<QRgb> reference = ImageMagickPixels(path);
        if (reference.empty())
            continue;
        ++comparedWithImageMagick;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                ASSERT_TRUE(Near(reference[size_t(y * Width + x)], rows[size_t(y)][size_t(x)]))
                    << "ImageMagick, " << x << "," << y;
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty()) {
        EXPECT_GT(comparedWithImageMagick, 0);
    }
}

// LogL pictures are turned to 8 bits by libtiff's own decoding, whatever sample format their
// header names: a ramp of luminance reads as a grey ramp from black to white.
TEST(TiffLayouts, LogLuminanceReadsAsAGreyRamp) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("logl.tif"));
    TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 16);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_INT);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_LOGL);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_SGILOG);
    TIFFSetField(tiff, TIFFTAG_SGILOGDATAFMT, SGILOGDATAFMT_FLOAT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1);
    std::vector<float> luminance(16);
    for (int x = 0; x < 16; ++x)
        luminance[size_t(x)] = float(x) / 15;
    ASSERT_EQ(TIFFWriteScanline(tiff, luminance.data(), 0, 0), 1);
    TIFFClose(tiff);

    TBitmap bitmap;
    LoadBitmapFromFile(bitmap, path);
    const auto row = PixelsOf(bitmap)[0];
    ASSERT_EQ(row.size(), 16u);
    EXPECT_EQ(row.front(), 0xFF000000u);
    EXPECT_EQ(row.back(), 0xFFFFFFFFu);
    for (size_t x = 1; x < row.size(); ++x) {
        EXPECT_EQ(qRed(row[x]), qBlue(row[x])) << "grey";
        EXPECT_GT(qRed(row[x]), qRed(row[x - 1])) << x;
    }
}

} // namespace
