// SPDX-License-Identifier: MIT
#include "AppError.h"
#include "IntText.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <stdexcept>

namespace {

TEST(ErrorText, FullStopIsAppendedAfterCharactersAboveTheDot) {
    struct Case {
        const char16_t* message;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"Bitmap size too big.", u"Bitmap size too big."},
        {u"'' is not a valid integer value", u"'' is not a valid integer value."},
        {u"Loading failed 7", u"Loading failed 7."},
        {u"File name exists!", u"File name exists!"},
        {u"Loading bitmap failed (x.png)", u"Loading bitmap failed (x.png)"},
        {u"100%", u"100%"},
        {u"ends in a space ", u"ends in a space "},
        {u"ends in a comma,", u"ends in a comma,"},
        {u"ends in a slash/", u"ends in a slash/."},
        {u"ends in a quote'", u"ends in a quote'"},
        {u"Größe", u"Größe."},
        {u"", u""},
    };
    for (const Case& c : cases) {
        const QString message = QString::fromUtf16(c.message);
        SCOPED_TRACE(message.toStdString());
        EXPECT_EQ(WithFullStop(message), QString::fromUtf16(c.shown));
        EXPECT_EQ(ErrorDisplayText(std::make_exception_ptr(AppError(message))),
                  QString::fromUtf16(c.shown));
    }
}

struct WrappingError : AppError, std::nested_exception {
    using AppError::AppError;
};

std::exception_ptr Wrapped(const QString& outer, const QString& inner) {
    try {
        throw AppError(inner);
    } catch (...) {
        try {
            throw WrappingError(outer);
        } catch (...) {
            return std::current_exception();
        }
    }
}

TEST(ErrorText, TheInnermostNonEmptyMessageIsShown) {
    EXPECT_EQ(ErrorDisplayText(Wrapped("outer", "inner")), "inner.");
    EXPECT_EQ(ErrorDisplayText(Wrapped("outer", "")), "outer.");
}

TEST(ErrorText, OtherErrorsShowTheirOwnText) {
    EXPECT_EQ(ErrorDisplayText(std::make_exception_ptr(std::runtime_error("disk on fire"))),
              "disk on fire.");
    EXPECT_EQ(ErrorDisplayText(std::make_exception_ptr(std::bad_alloc())), "Out of memory.");
    EXPECT_EQ(ErrorDisplayText(std::make_exception_ptr(42)), "");
}

TEST(StrToInt, AcceptsOnlySignedDecimalWholeNumbers) {
    struct Good {
        const char* text;
        int value;
    };
    const Good good[] = {{"0", 0},
                         {"6", 6},
                         {"07", 7},
                         {"+7", 7},
                         {"-12", -12},
                         {"200", 200},
                         {"2147483647", 2147483647},
                         {"-2147483648", -2147483647 - 1}};
    for (const Good& g : good) {
        SCOPED_TRACE(g.text);
        EXPECT_EQ(StrToInt(QString::fromLatin1(g.text)), g.value);
    }
    const char* bad[] = {"",    "+",    "-",   " 7",         "7 ",          "7.0",
                         "1e3", "0x10", "abc", "2147483648", "-2147483649", "99999999999999999999"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        try {
            StrToInt(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
}

TEST(WholeNumberOf, SaturatesBeyondSixtyFourBitsWithItsSign) {
    constexpr qint64 Highest = std::numeric_limits<qint64>::max();
    constexpr qint64 Lowest = std::numeric_limits<qint64>::min();
    struct Case {
        const char* text;
        std::optional<qint64> number;
    };
    const Case cases[] = {{"-0", 0},
                          {"+007", 7},
                          {"9223372036854775807", Highest},
                          {"9223372036854775808", Highest},
                          {"-9223372036854775808", Lowest},
                          {"-9223372036854775809", Lowest},
                          {"123456789012345678901234567890", Highest},
                          {"-123456789012345678901234567890", Lowest},
                          {"", std::nullopt},
                          {"--1", std::nullopt},
                          {"12a", std::nullopt},
                          {"\u0661", std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(WholeNumberOf(QString::fromUtf8(c.text)), c.number);
    }
}

} // namespace
