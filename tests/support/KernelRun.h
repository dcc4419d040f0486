// SPDX-License-Identifier: MIT
// Running a kernel on bitmaps the way the program does: mapped, the kernel, released.
#pragma once

#include "Bitmap.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>
#include <vector>

using Rows = std::vector<std::vector<TAlphaColor>>;

// A picture with a kernel drawn over it in place (grid, recolour), as rows.
template <typename Draw> Rows DrawnOver(const Rows& picture, Draw draw) {
    TBitmap bitmap;
    FillBitmap(bitmap, picture);
    TBitmapData map;
    if (bitmap.Map(TMapAccess::Write, map)) {
        draw(map);
        bitmap.Unmap(map);
    }
    return PixelsOf(bitmap);
}

// The colours a pass leaves in the program's pixel-access globals: the last read, the last written.
struct CarriedColours {
    TAlphaColor current = 0;
    TAlphaColor output = 0;
};

// Runs a pass from `source` into `target` (sized already), both mapped for the pass, each
// mapping released after; `access` is how the source is mapped.
template <typename Pass>
CarriedColours RunPass(TBitmap& source, TBitmap& target, TMapAccess access, Pass pass) {
    CarriedColours colours;
    TBitmapData in;
    TBitmapData out;
    EXPECT_TRUE(source.Map(access, in));
    EXPECT_TRUE(target.Map(TMapAccess::Write, out));
    pass(in, out, colours.current, colours.output);
    target.Unmap(out);
    source.Unmap(in);
    return colours;
}
