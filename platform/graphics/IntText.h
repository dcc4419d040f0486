// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The whole number a text field holds: an optional sign followed by decimal digits, nothing else.
// Numbers beyond 64 bits saturate at the 64-bit limits with their sign, so a long row of digits
// still reads as "very large"; callers hold the result within their own range.
std::optional<qint64> WholeNumberOf(QStringView text);

// Strict whole-number conversion of a text field, within 32 bits. Anything else raises
// "'%s' is not a valid integer value".
int StrToInt(const QString& text);
