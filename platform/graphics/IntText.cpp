// SPDX-License-Identifier: MIT
#include "IntText.h"

#include "AppError.h"

#include <limits>

std::optional<qint64> WholeNumberOf(QStringView text) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    // Accumulated as a negative number, whose range reaches one further than the positive one.
    constexpr qint64 Lowest = std::numeric_limits<qint64>::min();
    qint64 value = 0;
    bool saturated = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (Lowest + digit) / 10)
            saturated = true;
        else
            value = value * 10 - digit;
    }
    if (saturated)
        return negative ? Lowest : std::numeric_limits<qint64>::max();
    if (negative)
        return value;
    return value == Lowest ? std::numeric_limits<qint64>::max() : -value;
}

int StrToInt(const QString& text) {
    const std::optional<qint64> number = WholeNumberOf(text);
    if (!number || *number < std::numeric_limits<int>::min() ||
        *number > std::numeric_limits<int>::max())
        ThrowNotAnInteger(text);
    return int(*number);
}
