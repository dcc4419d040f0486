// SPDX-License-Identifier: MIT
#include "ImageCompare.h"

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
