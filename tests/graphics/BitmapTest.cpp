// SPDX-License-Identifier: MIT
#include "Bitmap.h"
#include "AppError.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>

namespace {

struct ObservedBitmap {
    TBitmap bitmap;
    int notifications = 0;
    ObservedBitmap() {
        bitmap.SetObserver([this] { ++notifications; });
    }
};

TEST(Bitmap, NewBitmapIsEmptyAndCannotBeMapped) {
    TBitmap bitmap;
    TBitmapData map;
    map.Pitch = 1234;
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_FALSE(bitmap.Map(TMapAccess::Read, map));
    EXPECT_FALSE(bitmap.Map(TMapAccess::Write, map));
    EXPECT_EQ(map.Pitch, 1234) << "a failed Map leaves the record untouched";
}

TEST(Bitmap, MapFillsTheRecord) {
    TBitmap bitmap;
    bitmap.SetSize(7, 3);
    TBitmapData map;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Read, map));
    EXPECT_EQ(map.FPixelFormat, TPixelFormat::BGRA);
    EXPECT_EQ(map.FWidth, 7);
    EXPECT_EQ(map.FHeight, 3);
    EXPECT_EQ(map.Pitch, 28);
    EXPECT_NE(map.Data, nullptr);
    bitmap.Unmap(map);
    EXPECT_FALSE(bitmap.IsMapped());
}

TEST(Bitmap, PixelsAreStoredAsBlueGreenRedAlphaBytes) {
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    TBitmapData map;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Write, map));
    SetPixel(map, 1, 1, 0x80112233u);
    const auto* bytes = static_cast<const std::uint8_t*>(map.Data) + map.Pitch + 4;
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(bytes[1], 0x22);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0x80);
    EXPECT_EQ(GetPixel(map, 1, 1), 0x80112233u) << "no conversion on the way in or out";
    bitmap.Unmap(map);
}

TEST(Bitmap, WriteMappingShowsTheCurrentPixels) {
    TBitmap bitmap;
    FillBitmap(bitmap, {{0xFF010203u, 0xFF040506u}, {0xFF070809u, 0xFF0A0B0Cu}});
    TBitmapData read;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Read, read));
    const TAlphaColor throughRead = GetPixel(read, 1, 0);
    bitmap.Unmap(read);

    TBitmapData write;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Write, write));
    EXPECT_EQ(GetPixel(write, 1, 0), throughRead);
    SetPixel(write, 0, 0, claWhite);
    bitmap.Unmap(write);

    const auto expected =
        std::vector<std::vector<TAlphaColor>>{{claWhite, 0xFF040506u}, {0xFF070809u, 0xFF0A0B0Cu}};
    EXPECT_EQ(PixelsOf(bitmap), expected)
        << "pixels not written through the mapping keep their values";
}

TEST(Bitmap, OnlyReleasingAWriteMappingNotifies) {
    ObservedBitmap observed;
    observed.bitmap.SetSize(3, 3);
    const int afterResize = observed.notifications;
    EXPECT_GE(afterResize, 1);
    TBitmapData map;
    observed.bitmap.Map(TMapAccess::Read, map);
    observed.bitmap.Unmap(map);
    EXPECT_EQ(observed.notifications, afterResize);
    observed.bitmap.Map(TMapAccess::Write, map);
    EXPECT_EQ(observed.notifications, afterResize) << "nothing is announced before the release";
    observed.bitmap.Unmap(map);
    EXPECT_EQ(observed.notifications, afterResize + 1);
    observed.bitmap.Unmap(map);
    EXPECT_EQ(observed.notifications, afterResize + 1)
        << "Unmap of an unmapped bitmap does nothing";
}

TEST(Bitmap, ResizeToTheSameSizeKeepsPixels) {
    TBitmap bitmap;
    FillBitmap(bitmap, {{1, 2, 3}, {4, 5, 6}});
    bitmap.SetSize(3, 2);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<std::vector<TAlphaColor>>{{1, 2, 3}, {4, 5, 6}}));
}

// A smaller size (down to half the storage), and a size back up to what the storage held, take
// no new memory and keep the bytes where they lay; a larger one or a much smaller one takes new
// storage; 0 gives it up.
TEST(Bitmap, ResizeKeepsTheStorageWhileItIsLargeEnough) {
    TBitmap bitmap;
    FillBitmap(bitmap, {{1, 2, 3}, {4, 5, 6}});
    const std::uint8_t* storage = bitmap.Bits();
    bitmap.SetSize(2, 2);
    EXPECT_EQ(bitmap.Bits(), storage);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<std::vector<TAlphaColor>>{{1, 2}, {3, 4}}));
    bitmap.SetSize(3, 2);
    EXPECT_EQ(bitmap.Bits(), storage);
    bitmap.SetSize(1, 6);
    EXPECT_EQ(bitmap.Bits(), storage);
    EXPECT_FALSE(bitmap.KeepsStorageFor(1, 2)) << "much smaller: the memory goes back";
    EXPECT_FALSE(bitmap.KeepsStorageFor(4, 2)) << "larger";
    bitmap.SetSize(4, 2);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_NE(bitmap.Bits(), nullptr);
    bitmap.SetSize(0, 0);
    EXPECT_EQ(bitmap.Bits(), nullptr);
}

TEST(Bitmap, ResizeRules) {
    struct Case {
        int width, height, expectedWidth, expectedHeight;
        bool tooBig;
    };
    const Case cases[] = {
        {10, 20, 10, 20, false},      {-5, 4, 0, 4, false},   {65535, 1, 65535, 1, false},
        {65536, 1, 4, 4, true},       {1, 65536, 4, 4, true}, {0, 0, 0, 0, false},
        {100000, 100000, 4, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        ObservedBitmap observed;
        FillBitmap(observed.bitmap,
                   std::vector<std::vector<TAlphaColor>>(4, std::vector<TAlphaColor>(4, 7u)));
        const int before = observed.notifications;
        if (c.tooBig) {
            try {
                observed.bitmap.SetSize(c.width, c.height);
                FAIL() << "no error";
            } catch (const AppError& e) {
                EXPECT_EQ(e.message(), "Bitmap size too big.");
            }
            EXPECT_EQ(observed.notifications, before);
            EXPECT_EQ(PixelsOf(observed.bitmap)[3][3], 7u) << "the bitmap keeps its pixels";
        } else {
            observed.bitmap.SetSize(c.width, c.height);
            EXPECT_EQ(observed.notifications, before + 1);
        }
        EXPECT_EQ(observed.bitmap.Width(), c.expectedWidth);
        EXPECT_EQ(observed.bitmap.Height(), c.expectedHeight);
    }
}

TEST(Bitmap, ClearFillsEveryPixelPremultiplied) {
    struct Case {
        TAlphaColor colour, stored;
    };
    const Case cases[] = {{0xFF000000u, 0xFF000000u},
                          {claWhite, 0xFFFFFFFFu},
                          {0xFF98FB98u, 0xFF98FB98u},
                          {0x80FF0000u, 0x80800000u},
                          {0x00FFFFFFu, 0x00000000u}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.colour);
        TBitmap bitmap;
        bitmap.SetSize(5, 4);
        bitmap.Clear(c.colour);
        for (const auto& row : PixelsOf(bitmap))
            for (TAlphaColor pixel : row)
                ASSERT_EQ(pixel, c.stored);
    }
    TBitmap empty;
    empty.Clear(claWhite);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(Bitmap, AssignCopiesSizeAndPixelsAndNotifies) {
    TBitmap source;
    FillBitmap(source, {{1, 2}, {3, 4}, {5, 6}});
    ObservedBitmap target;
    target.bitmap.SetSize(9, 9);
    const int before = target.notifications;
    target.bitmap.Assign(source);
    EXPECT_TRUE(SameBitmap(source, target.bitmap));
    EXPECT_GT(target.notifications, before);
    EXPECT_FALSE(source.IsMapped());
    EXPECT_FALSE(target.bitmap.IsMapped());

    TBitmap empty;
    target.bitmap.Assign(empty);
    EXPECT_EQ(target.bitmap.Width(), 0);
    EXPECT_EQ(target.bitmap.Height(), 0);
}

TEST(Bitmap, MappingTwiceIsAProgrammingError) {
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    TBitmapData first;
    TBitmapData second;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Read, first));
    EXPECT_THROW(bitmap.Map(TMapAccess::Write, second), std::logic_error);
    bitmap.Unmap(first);
    EXPECT_TRUE(bitmap.Map(TMapAccess::Write, second));
    bitmap.Unmap(second);
}

TEST(Bitmap, ImageViewSharesThePixels) {
    TBitmap bitmap;
    FillBitmap(bitmap, {{0x80402010u, claWhite}});
    const QImage view = bitmap.ImageView();
    EXPECT_EQ(view.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(view.constBits(), bitmap.Bits());
    EXPECT_EQ(reinterpret_cast<const QRgb*>(view.constScanLine(0))[0], 0x80402010u);
    EXPECT_TRUE(TBitmap().ImageView().isNull());
}

} // namespace
