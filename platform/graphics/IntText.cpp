// SPDX-License-Identifier: MIT
#include "IntText.h"

#include "AppError.h"

#include <cstdint>
#include <limits>

int StrToInt(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        ThrowNotAnInteger(text);
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            ThrowNotAnInteger(text);
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > std::int64_t{std::numeric_limits<int>::max()} + 1)
            ThrowNotAnInteger(text);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        ThrowNotAnInteger(text);
    return static_cast<int>(value);
}
