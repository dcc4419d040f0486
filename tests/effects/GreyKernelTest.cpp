// SPDX-License-Identifier: MIT
#include "GreyKernel.h"
#include "ImageCompare.h"
#include "KernelRun.h"
#include "ReferenceKernels.h"

#include <gtest/gtest.h>

namespace {

TEST(GreyKernel, MethodsOnExamplePixels) {
    struct Case {
        TAlphaColor source;
        std::uint8_t red, green, blue; // grey under methods 1, 2, 3
    };
    const Case cases[] = {
        {0xFF102030u, 16, 82, 98},    // red 16, green 32, blue 48
        {0xFF000000u, 0, 50, 50},     // opaque black
        {0xFFFFFFFFu, 255, 255, 255}, // opaque white
        {0x00000000u, 0, 50, 50},     // fully transparent: premultiplied channels are 0
        {0xFF00CDCDu, 0, 255, 255},   // 205 + 50 is exactly 255
        {0xFF00CCCCu, 0, 254, 254},   // 204 gives 254
        {0xFF00CECEu, 0, 255, 255},   // 206 and above are cut to 255
        {0x80808080u, 128, 178, 178}, // alpha is not looked at
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.source);
        EXPECT_EQ(GreyOf(c.source, GreyMethod::Red), OpaqueGrey(c.red));
        EXPECT_EQ(GreyOf(c.source, GreyMethod::GreenLightened), OpaqueGrey(c.green));
        EXPECT_EQ(GreyOf(c.source, GreyMethod::BlueLightened), OpaqueGrey(c.blue));
    }
}

TEST(GreyKernel, PassConvertsEveryPixelAndKeepsTheLastColours) {
    TBitmap source;
    TBitmap target;
    const std::vector<std::vector<TAlphaColor>> rows = {{0xFF102030u, 0x00000000u, 0xFFCDCDCDu},
                                                        {0xFFFFFFFFu, 0xFF000000u, 0xFF010203u}};
    FillBitmap(source, rows);
    target.SetSize(3, 2);
    for (GreyMethod method :
         {GreyMethod::Red, GreyMethod::GreenLightened, GreyMethod::BlueLightened}) {
        const auto [current, output] =
            RunPass(source, target, TMapAccess::Read,
                    [&](auto& in, auto& out, auto& current, auto& output) {
                        GreyPass(in, out, method, current, output);
                    });
        const auto result = PixelsOf(target);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(result[y][x], GreyOf(rows[y][x], method)) << x << "," << y;
        EXPECT_EQ(current, rows[1][2]);
        EXPECT_EQ(output, GreyOf(rows[1][2], method));
    }
}

} // namespace
