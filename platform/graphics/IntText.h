// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Strict whole-number conversion of a text field: an optional sign followed by decimal digits,
// within 32 bits. Anything else raises "'%s' is not a valid integer value".
int StrToInt(const QString& text);
