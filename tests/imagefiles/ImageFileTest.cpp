// SPDX-License-Identifier: MIT
#include "ImageFile.h"
#include "AppError.h"
#include "AvailableMemory.h"
#include "Bitmap.h"
#include "FileErrors.h"
#include "ImageCompare.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace {

constexpr TAlphaColor Red = 0xFFFF0000;
constexpr TAlphaColor Lime = 0xFF00FF00;
constexpr TAlphaColor Blue = 0xFF0000FF;
constexpr TAlphaColor Yellow = 0xFFFFFF00;
constexpr TAlphaColor White = 0xFFFFFFFF;
constexpr TAlphaColor Transparent = 0x00000000;

struct Probe {
    int x;
    int y;
    TAlphaColor colour;
};

void ExpectPixels(TBitmap& bitmap, const std::vector<Probe>& probes, int tolerance) {
    TBitmapData map;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Read, map));
    for (const Probe& probe : probes) {
        SCOPED_TRACE(testing::Message() << "pixel (" << probe.x << ", " << probe.y << ")");
        EXPECT_TRUE(NearColour(probe.colour, GetPixel(map, probe.x, probe.y), tolerance));
    }
    bitmap.Unmap(map);
}

// The reference picture of the fixtures: 16 x 8, quadrants red, lime / blue, yellow.
const std::vector<Probe> Quadrants = {{2, 1, Red}, {13, 1, Lime}, {2, 6, Blue}, {13, 6, Yellow}};

// Straight RGBA (255,0,0,128) (0,255,0,64) (200,100,50,128) (255,255,255,0) / (0,0,255,255)
// (10,20,30,255) (255,255,255,255) (128,128,128,51), premultiplied: c * a / 255, rounded.
const std::vector<Probe> SemiTransparent = {
    {0, 0, 0x80800000}, {1, 0, 0x40004000}, {2, 0, 0x80643219}, {3, 0, Transparent},
    {0, 1, Blue},       {1, 1, 0xFF0A141E}, {2, 1, White},      {3, 1, 0x331A1A1A}};

const std::vector<Probe> GreyLevels = {{0, 0, 0xFF000000}, {1, 0, 0xFF404040}, {2, 0, 0xFF808080},
                                       {3, 0, 0xFFFFFFFF}, {0, 1, 0xFF202020}, {1, 1, 0xFF606060},
                                       {2, 1, 0xFFA0A0A0}, {3, 1, 0xFFE0E0E0}};

// Green, with the AND mask hiding the top-left 2 x 2 pixels.
const std::vector<Probe> MaskedIcon = {
    {0, 0, Transparent}, {1, 1, Transparent}, {2, 0, Lime}, {0, 2, Lime}, {3, 3, Lime}};

struct LoadCase {
    const char* file;
    int width;
    int height;
    std::vector<Probe> probes;
    int tolerance = 0; // per channel, for lossy files
};

const LoadCase LoadCases[] = {
    {"quads.bmp", 16, 8, Quadrants},
    {"quads.png", 16, 8, Quadrants},
    {"quads_palette.png", 16, 8, Quadrants},
    {"quads_interlaced.png", 16, 8, Quadrants},
    {"quads.jpg", 16, 8, Quadrants, 8},
    {"gray.jpg", 8, 8, {{4, 4, 0xFF7F7F7F}}, 2},
    {"bgr24.wmp", 16, 8, Quadrants},
    {"rgb24.wmp", 16, 8, Quadrants},
    {"width499.wmp", 499, 2, {{0, 0, White}, {498, 1, White}}},
    {"gray8.wmp", 4, 2, GreyLevels},
    {"gray16.wmp", 4, 2, GreyLevels},
    {"alpha.png", 4, 2, SemiTransparent},
    {"bgra32.wmp", 4, 2, SemiTransparent},
    {"rgba64.wmp", 4, 2, SemiTransparent, 1},
    {"width499.png", 499, 2, {{0, 0, White}, {498, 1, White}}},
    {"width500.png", 500, 2, {{0, 0, White}, {499, 1, White}}},
    // The format comes from the content: a PNG named .jpg keeps its exact colours.
    {"png_named.jpg", 16, 8, Quadrants},
    // Extensions in any letter case.
    {"upper_case.PNG", 16, 8, Quadrants},
    {"mixed_case.Jpg", 16, 8, Quadrants, 8},
    {"upper_case.JPEG", 16, 8, Quadrants, 8},
    {"mixed_case.Bmp", 16, 8, Quadrants},
    {"upper_case.WMP", 16, 8, Quadrants},
    // First frame (red; the second is blue), first page (8 x 6 lime; the second 4 x 4 blue),
    // first icon image (16 x 16 red; the second 32 x 32 blue).
    {"anim.gif", 8, 8, {{0, 0, Red}, {7, 7, Red}}},
    {"mixed_case.Gif", 8, 8, {{0, 0, Red}, {7, 7, Red}}},
    {"pages.tif", 8, 6, {{0, 0, Lime}, {7, 5, Lime}}},
    {"mixed_case.Tif", 8, 6, {{0, 0, Lime}, {7, 5, Lime}}},
    {"upper_case.TIFF", 8, 6, {{0, 0, Lime}, {7, 5, Lime}}},
    {"two.ico", 16, 16, {{0, 0, Red}, {15, 15, Red}}},
    {"upper_case.ICO", 16, 16, {{0, 0, Red}, {15, 15, Red}}},
    {"mask.ico", 4, 4, MaskedIcon},
    {"mask_palette.ico", 4, 4, MaskedIcon},
    // Stored 16 x 8 with EXIF orientation 6: shown turned a quarter clockwise, so the stored
    // left column (red over blue) becomes the top row (blue, red).
    {"rotated6.jpg", 8, 16, {{2, 4, Blue}, {6, 4, Red}, {2, 12, Yellow}, {6, 12, Lime}}, 8},
    // 70000 x 10, red then blue halves: reduced to fit a 65535 square, proportions kept.
    {"wide.png", 65535, 9, {{0, 0, Red}, {16000, 4, Red}, {49000, 4, Blue}, {65534, 8, Blue}}},
    // Run-length BMPs: pixels the data skips (delta escape, end of line, end of bitmap) are
    // transparent; 4-bit literal runs and runs of two alternating indices.
    {"rle8_delta.bmp",
     4,
     3,
     {{0, 2, Red},
      {1, 2, Red},
      {2, 2, Transparent},
      {3, 2, Transparent},
      {0, 1, Transparent},
      {3, 1, Blue},
      {0, 0, Transparent},
      {3, 0, Transparent}}},
    {"rle4_literal.bmp",
     4,
     2,
     {{0, 1, Red},
      {1, 1, Lime},
      {2, 1, Blue},
      {3, 1, Transparent},
      {0, 0, Red},
      {1, 0, Lime},
      {2, 0, Red},
      {3, 0, Lime}}},
    // Channel masks rounded to 8 bits: 10 bits (1023, 0, 512) and (3, 1023, 0); 5 and 6 bits
    // with and without masks, full scale to 255 and (3, 7, 24) to (25, 28 or 58, 197); an empty
    // mask; the 56-byte header; odd widths with 4-bit alpha (8 of 15 is 136).
    {"masks_101010.bmp", 2, 1, {{0, 0, 0xFFFF0080}, {1, 0, 0xFF01FF00}}},
    {"masks_565.bmp", 2, 1, {{0, 0, White}, {1, 0, 0xFF191CC5}}},
    {"rgb555.bmp", 2, 1, {{0, 0, White}, {1, 0, 0xFF193AC5}}},
    {"v3_565.bmp", 2, 1, {{0, 0, Red}, {1, 0, Blue}}},
    {"masks_no_red.bmp", 1, 1, {{0, 0, 0xFF00FFFF}}},
    {"masks_rgba_1924.bmp", 2, 1, {{0, 0, White}, {1, 0, 0x88880000}}},
    // OS/2 1.x with a two-colour palette of three-byte entries: red top-left, blue elsewhere.
    {"os2_small_palette.bmp",
     3,
     2,
     {{0, 0, Red}, {1, 0, Blue}, {2, 0, Blue}, {0, 1, Blue}, {2, 1, Blue}}},
    // 16-bit PNGs with a colour key: only the key is transparent, not its 8-bit look-alike.
    {"key16_rgb.png",
     4,
     2,
     {{0, 0, Transparent},
      {1, 0, 0xFF12569A},
      {2, 0, 0xFFFF8000},
      {0, 1, Transparent},
      {3, 1, 0xFFFF8000}}},
    {"key16_grey.png", 4, 2, {{0, 0, Transparent}, {1, 0, 0xFF434343}, {3, 1, White}}},
    // TIFF: tiles of 8 and 16 bits, 16-bit separate planes, CIELab (8 bits with the default D50
    // white, within what its whole-number a* and b* can hold; 16 bits with a D65 white point),
    // stored turned or mirrored across a diagonal.
    {"tiled.tif", 16, 8, Quadrants},
    {"tiled16.tif", 16, 8, Quadrants},
    {"planar16.tif", 16, 8, Quadrants},
    {"lab8.tif", 16, 8, Quadrants, 10},
    {"lab16.tif", 16, 8, Quadrants, 1},
    {"rotated6.tif", 16, 8, Quadrants},
    {"rotated8.tif", 16, 8, Quadrants},
    {"rotated5.tif", 16, 8, Quadrants},
    {"rotated7.tif", 16, 8, Quadrants},
    // JPEG XR pixel formats converted in the helper: 48-bit RGB, 1-bit black and white (black
    // and white halves), half-float RGB (linear light, given sRGB's curve), 32bppBGR.
    {"rgb48.wmp", 16, 8, Quadrants},
    {"bw1.wmp", 16, 8, {{0, 0, 0xFF000000}, {7, 7, 0xFF000000}, {8, 0, White}, {15, 7, White}}},
    {"rgb48half.wmp", 16, 8, Quadrants},
    {"bgr32.wmp", 16, 8, Quadrants},
};

void PrintTo(const LoadCase& c, std::ostream* out) {
    *out << c.file;
}

class LoadsFixture : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadsFixture, WithItsSizeAndPixels) {
    const LoadCase& c = GetParam();
    TBitmap bitmap;
    int notifications = 0;
    bitmap.SetObserver([&notifications] { ++notifications; });
    ASSERT_EQ(LoadError(bitmap, TestDataPath(c.file)), std::nullopt);
    EXPECT_EQ(bitmap.Width(), c.width);
    EXPECT_EQ(bitmap.Height(), c.height);
    EXPECT_GE(notifications, 1);
    if (bitmap.Width() == c.width && bitmap.Height() == c.height)
        ExpectPixels(bitmap, c.probes, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(ImageFile, LoadsFixture, testing::ValuesIn(LoadCases),
                         [](const testing::TestParamInfo<LoadCase>& info) {
                             QString name = QString::fromLatin1(info.param.file);
                             name.replace(QLatin1Char('.'), QLatin1Char('_'));
                             return name.toStdString();
                         });

// A target holding a small known picture, to see that a failed load leaves it alone.
class LoadFailure : public testing::Test {
protected:
    void SetUp() override {
        FillBitmap(target_, {{Red, Lime, Blue}, {Yellow, White, 0x80402010}});
        FillBitmap(before_, {{Red, Lime, Blue}, {Yellow, White, 0x80402010}});
        target_.SetObserver([this] { ++notifications_; });
    }

    void ExpectFailure(const QString& path, const QString& message) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(LoadError(target_, path), message);
        EXPECT_TRUE(SameBitmap(before_, target_));
        EXPECT_EQ(notifications_, 0);
    }

    TBitmap target_;
    TBitmap before_;
    int notifications_ = 0;
};

TEST_F(LoadFailure, ExtensionOutsideTheNineIsRefusedBeforeTheFileIsOpened) {
    const QString paths[] = {
        TestDataPath("quads.jpe"),        // JPEG content, extension not accepted
        TestDataPath("make_fixtures.sh"), // exists, not an image
        TestDataPath("missing.jpe"),      // missing: still the extension's message
        TestDataPath("missing_without_extension"),
        TestDataPath("folder.png/missing"), // a dot in a folder name is no extension
        TestDataPath("missing.png.bak"),    // the last dot counts
        TestDataPath("missing.png."),
    };
    for (const QString& path : paths)
        ExpectFailure(path, LoadFailedMessage(path));
}

TEST_F(LoadFailure, ContentNoDecoderReadsGivesTheLoadMessage) {
    const char* files[] = {
        "random.png", "empty.bmp", "webp_named.png", // not one of the seven formats
        "damaged.bmp", "damaged.jpg", "damaged.png", "damaged.gif", "damaged.tif", "damaged.ico",
        "damaged.wmp", "damaged_directory.wmp",
        // Pixel data missing: the offset lies past the end, or the file stops half way.
        "offset_past_end.bmp", "truncated.bmp",
        // Run-length data without its end-of-bitmap marker: 12 pixels, and 100 bytes claiming
        // 8000 x 6000.
        "rle8_no_end.bmp", "rle_bomb.bmp",
        // A text starting with a signature: its letters are no header, not a huge picture.
        "text.bmp"};
    for (const char* file : files)
        ExpectFailure(TestDataPath(file), LoadFailedMessage(TestDataPath(file)));
}

TEST_F(LoadFailure, MissingFileWithAcceptedExtensionCannotBeOpened) {
    const QString path = TestDataPath("missing.png");
    ExpectFailure(path, QStringLiteral("Cannot open file \"%1\". %2")
                            .arg(QFileInfo(path).absoluteFilePath(),
                                 QString::fromLocal8Bit(std::strerror(ENOENT))));
}

TEST_F(LoadFailure, RelativeMissingPathIsNamedInFull) {
    const QString relative =
        QStringLiteral("missing-%1.png").arg(QCoreApplication::applicationPid());
    ExpectFailure(relative, QStringLiteral("Cannot open file \"%1\". %2")
                                .arg(QDir::current().absoluteFilePath(relative),
                                     QString::fromLocal8Bit(std::strerror(ENOENT))));
}

TEST_F(LoadFailure, FolderWithImageNameCannotBeOpened) {
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QString folder = temporary.filePath(QStringLiteral("pictures.png"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const std::optional<QString> message = LoadError(target_, folder);
    ASSERT_TRUE(message.has_value());
    EXPECT_TRUE(message->startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(folder)))
        << message->toStdString();
    EXPECT_GT(message->size(), QStringLiteral("Cannot open file \"%1\". ").arg(folder).size());
    EXPECT_TRUE(SameBitmap(before_, target_));
}

// Headers alone, declaring 100000 x 100000: refused from the header. Decoding was not tried,
// since these files hold no pixel data and a decode would end in the load message.
TEST_F(LoadFailure, DeclaredSizeBeyondMemoryIsRefusedFromTheHeader) {
    for (const char* file : {"bomb.png", "bomb.bmp"})
        ExpectFailure(TestDataPath(file), QStringLiteral("Bitmap size too big."));
}

// Cut in half: either the intact part loads at the declared size, or the load message; never a
// crash, another message or another size.
TEST_F(LoadFailure, TruncatedFilesLoadTheirIntactPartOrFail) {
    struct Truncated {
        const char* file;
        int width;
        int height;
    };
    const Truncated files[] = {{"truncated.jpg", 16, 8},  {"truncated.png", 16, 8},
                               {"truncated.gif", 8, 8},   {"truncated.tif", 8, 6},
                               {"truncated.ico", 16, 16}, {"truncated.wmp", 16, 8}};
    for (const Truncated& t : files) {
        SCOPED_TRACE(t.file);
        TBitmap bitmap;
        const std::optional<QString> message = LoadError(bitmap, TestDataPath(t.file));
        if (message) {
            EXPECT_EQ(*message, LoadFailedMessage(TestDataPath(t.file)));
            EXPECT_TRUE(bitmap.IsEmpty());
        } else {
            EXPECT_EQ(bitmap.Width(), t.width);
            EXPECT_EQ(bitmap.Height(), t.height);
        }
    }
}

// An 8-bit BMP, 2 x 1, with the given colour count in its header, a palette of red and blue
// after the 40-byte header, and the pixel offset declared as `offset`.
QByteArray PaletteBmp(quint32 colourCount, quint32 offset) {
    QByteArray info(40, '\0');
    const auto put32 = [](QByteArray& bytes, int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char(value >> (8 * i));
    };
    put32(info, 0, 40);
    put32(info, 4, 2); // width
    put32(info, 8, 1); // height
    info[12] = 1;      // planes
    info[14] = 8;      // bits
    put32(info, 32, colourCount);
    const QByteArray palette("\0\0\xff\0\xff\0\0\0", 8); // red, blue
    const QByteArray pixels("\x01\x00\0\0", 4);          // blue, red
    QByteArray file("BM", 2);
    file += QByteArray(12, '\0');
    put32(file, 2, quint32(14 + 40 + 8 + 4));
    put32(file, 10, offset);
    return file + info + palette + pixels;
}

// A pixel offset that leaves no room for the palette (at the palette's start, or inside the
// headers) is read as the references read it: the palette after the headers, the pixels after
// the palette. A colour count beyond what 8 bits index contradicts the header.
TEST(BmpPalette, AnOffsetAtThePaletteReadsPastItAndTooManyColoursAreRefused) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto load = [&](const QByteArray& bytes) {
        const QString path = folder.filePath(QStringLiteral("p.bmp"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        TBitmap bitmap;
        LoadBitmapFromFile(bitmap, path);
        return PixelsOf(bitmap);
    };
    const std::vector<std::vector<TAlphaColor>> blueRed{{0xFF0000FFu, 0xFFFF0000u}};
    for (const quint32 offset : {14u + 40 + 8, 14u + 40, 14u + 20, 0u}) {
        SCOPED_TRACE(offset);
        EXPECT_EQ(load(PaletteBmp(2, offset)), blueRed);
    }
    // An offset inside the headers with no room for the palette after them is damage.
    EXPECT_THROW(load(PaletteBmp(2, 14 + 20).left(14 + 40 + 4)), AppError);
    EXPECT_THROW(load(PaletteBmp(1u << 30, 14 + 40 + 8)), AppError);
    EXPECT_THROW(load(PaletteBmp(257, 14 + 40 + 8)), AppError);
}

TEST(ImageFile, LoadReplacesThePreviousPictureAndAFailedLoadKeepsIt) {
    TBitmap bitmap;
    ASSERT_EQ(LoadError(bitmap, TestDataPath("anim.gif")), std::nullopt);
    ASSERT_EQ(LoadError(bitmap, TestDataPath("quads.png")), std::nullopt);
    ASSERT_EQ(bitmap.Width(), 16);
    ExpectPixels(bitmap, Quadrants, 0);
    EXPECT_NE(LoadError(bitmap, TestDataPath("damaged.png")), std::nullopt);
    ASSERT_EQ(bitmap.Width(), 16);
    ExpectPixels(bitmap, Quadrants, 0);
}

// Fills heap blocks of many sizes with `pattern` and frees them, so that the next allocations
// likely reuse memory holding it.
void DirtyHeap(unsigned char pattern) {
    std::vector<void*> blocks;
    for (std::size_t size = 16; size <= (std::size_t{1} << 20); size *= 2)
        for (int copy = 0; copy < 4; ++copy) {
            void* block = std::malloc(size);
            std::memset(block, pattern, size);
            asm volatile("" : : "r"(block) : "memory"); // the fill must reach memory
            blocks.push_back(block);
        }
    for (void* block : blocks)
        std::free(block);
}

// Pixels a decoder never writes hold whatever the heap held: two loads over differently dirtied
// heaps then differ.
TEST(ImageFile, SameFileLoadsToEqualBitmapsWhateverTheHeapHeld) {
    for (const char* file :
         {"quads.jpg", "alpha.png", "bgra32.wmp", "rotated6.jpg", "rle8_delta.bmp",
          "rle4_literal.bmp", "key16_rgb.png", "planar16.tif", "tiled16.tif", "rotated6.tif",
          "anim.gif", "two.ico", "truncated.jpg", "truncated.gif", "truncated.ico"}) {
        SCOPED_TRACE(file);
        TBitmap first;
        TBitmap second;
        DirtyHeap(0x5A);
        const std::optional<QString> firstError = LoadError(first, TestDataPath(file));
        DirtyHeap(0xA5);
        const std::optional<QString> secondError = LoadError(second, TestDataPath(file));
        EXPECT_EQ(firstError, secondError);
        EXPECT_TRUE(SameBitmap(first, second));
    }
}

// 100 megapixels: above Qt's own 128 MB decoding limit, within ours. The GIF's screen is
// 10000 x 10000 white with one red pixel at the top left.
TEST(ImageFile, HundredMegapixelPictureLoads) {
    constexpr std::uint64_t Side = 10000;
    constexpr std::uint64_t ProgramsWorkingSet = 9; // bitmaps of the picture's size
    if (AvailableMemoryBytes() < Side * Side * 4 * ProgramsWorkingSet)
        GTEST_SKIP() << "not enough free memory for a 100-megapixel working set";
    TBitmap bitmap;
    ASSERT_EQ(LoadError(bitmap, TestDataPath("hundred_mp.gif")), std::nullopt);
    EXPECT_EQ(bitmap.Width(), int(Side));
    EXPECT_EQ(bitmap.Height(), int(Side));
    ExpectPixels(bitmap, {{0, 0, Red}, {1, 0, White}, {9999, 9999, White}}, 0);
}

TEST(BitmapSwap, ExchangesSizeAndPixelsAndNotifiesBoth) {
    TBitmap a;
    TBitmap b;
    FillBitmap(a, {{Red, Lime}});
    FillBitmap(b, {{Blue}, {Yellow}, {White}});
    int notifiedA = 0;
    int notifiedB = 0;
    a.SetObserver([&notifiedA] { ++notifiedA; });
    b.SetObserver([&notifiedB] { ++notifiedB; });
    a.Swap(b);
    EXPECT_EQ(PixelsOf(a), (std::vector<std::vector<TAlphaColor>>{{Blue}, {Yellow}, {White}}));
    EXPECT_EQ(PixelsOf(b), (std::vector<std::vector<TAlphaColor>>{{Red, Lime}}));
    EXPECT_EQ(notifiedA, 1);
    EXPECT_EQ(notifiedB, 1);
}

TEST(BitmapSwap, RefusedWhileMapped) {
    TBitmap a;
    TBitmap b;
    FillBitmap(a, {{Red}});
    TBitmapData map;
    ASSERT_TRUE(a.Map(TMapAccess::Read, map));
    EXPECT_THROW(a.Swap(b), std::logic_error);
    EXPECT_THROW(b.Swap(a), std::logic_error);
    a.Unmap(map);
    EXPECT_EQ(a.Width(), 1);
    EXPECT_TRUE(b.IsEmpty());
}

} // namespace
