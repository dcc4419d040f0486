// SPDX-License-Identifier: MIT
#pragma once

#include "AlphaColor.h"

#include <cstdint>

// Writes the end (one past the last column) of each run of equal pixels of a row to `ends`, left
// to right, the row's width last; returns how many. `ends` has room for width + 4. The value
// key's counts and the shape simplification find a picture's runs this way.
int RunEndsOf(const TAlphaColor* pixels, int width, std::int32_t* ends);
