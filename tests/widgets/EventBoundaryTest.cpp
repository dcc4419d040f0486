// SPDX-License-Identifier: MIT
#include "EventBoundary.h"
#include "AppError.h"
#include "FakeDesktop.h"
#include "RealScrollBar.h"
#include "ToggleButton.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(EventBoundary, AnErrorInAHandlerIsShownAndTheProgramGoesOn) {
    FakeDesktop desktop;
    ToggleButton button("Colorize");
    int runs = 0;
    button.OnClick = [&] {
        ++runs;
        throw AppError("'' is not a valid integer value");
    };
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(runs, 2);
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].text, "'' is not a valid integer value.");
}

TEST(EventBoundary, AnErrorFromAChangeMadeByCodeStopsTheCodeThatMadeIt) {
    FakeDesktop desktop;
    RealScrollBar bar(Qt::Vertical);
    bar.SetMaximum(100);
    bar.OnChange = [] { throw AppError("Bitmap size too big."); };
    bool finished = false;
    RunHandler([&] {
        bar.SetValue(10);
        finished = true;
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(bar.Value(), 10) << "what happened before the failing step stays";
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"Bitmap size too big."});
}

} // namespace
