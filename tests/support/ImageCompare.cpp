// SPDX-License-Identifier: MIT
#include "ImageCompare.h"

#include <cstdlib>

void FillBitmap(TBitmap& bitmap, const std::vector<std::vector<TAlphaColor>>& rows) {
    const int height = int(rows.size());
    const int width = height ? int(rows[0].size()) : 0;
    bitmap.SetSize(width, height);
    TBitmapData map;
    if (!bitmap.Map(TMapAccess::Write, map))
        return;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(map, x, y, rows[y][x]);
    bitmap.Unmap(map);
}

std::vector<std::vector<TAlphaColor>> PixelsOf(TBitmap& bitmap) {
    std::vector<std::vector<TAlphaColor>> rows(bitmap.Height(),
                                               std::vector<TAlphaColor>(bitmap.Width()));
    TBitmapData map;
    if (!bitmap.Map(TMapAccess::Read, map))
        return rows;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            rows[y][x] = GetPixel(map, x, y);
    bitmap.Unmap(map);
    return rows;
}

testing::AssertionResult SameBitmap(TBitmap& expected, TBitmap& actual) {
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return testing::AssertionFailure()
               << "size " << actual.Width() << "x" << actual.Height() << ", expected "
               << expected.Width() << "x" << expected.Height();
    TBitmapData a;
    TBitmapData b;
    if (!expected.Map(TMapAccess::Read, a))
        return testing::AssertionSuccess();
    actual.Map(TMapAccess::Read, b);
    testing::AssertionResult result = testing::AssertionSuccess();
    for (int y = 0; y < expected.Height() && result; ++y)
        for (int x = 0; x < expected.Width(); ++x)
            if (GetPixel(a, x, y) != GetPixel(b, x, y)) {
                result = testing::AssertionFailure()
                         << "first difference at (" << x << ", " << y << "): 0x" << std::hex
                         << GetPixel(b, x, y) << ", expected 0x" << GetPixel(a, x, y);
                break;
            }
    actual.Unmap(b);
    expected.Unmap(a);
    return result;
}

testing::AssertionResult NearColour(TAlphaColor expected, TAlphaColor actual, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int difference = int((expected >> shift) & 0xFF) - int((actual >> shift) & 0xFF);
        if (std::abs(difference) > tolerance)
            return testing::AssertionFailure()
                   << std::hex << "expected 0x" << expected << ", got 0x" << actual
                   << " (tolerance " << std::dec << tolerance << ")";
    }
    return testing::AssertionSuccess();
}

QString TestDataPath(const QString& name) {
    return QStringLiteral(HALVANE_TEST_DATA_DIR) + QLatin1Char('/') + name;
}
