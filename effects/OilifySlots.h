// SPDX-License-Identifier: MIT
// The nine slots Oilify's vote looks at along a line (the row, or the column), by name: slot
// Centre holds the pixel itself, Behind1 .. Behind4 the pixels before it on the line, Ahead1 ..
// Ahead4 those after it.
#pragma once

#include <array>

namespace OilifySlot {

constexpr int Behind4 = 0;
constexpr int Behind3 = 1;
constexpr int Behind2 = 2;
constexpr int Behind1 = 3;
constexpr int Centre = 4;
constexpr int Ahead1 = 5;
constexpr int Ahead2 = 6;
constexpr int Ahead3 = 7;
constexpr int Ahead4 = 8;

constexpr int Count = 9;
// Slots on each side of the centre.
constexpr int Reach = Centre;

// Every tally is at least 1 and those of Behind3, Behind4 and Ahead4 stay at 1, so a counted
// candidate passes exactly when its colour is repeated in another slot, and Behind3, Behind4 and
// Ahead4 never pass. The last to pass in the order Centre, Ahead1, Ahead2, Ahead3, Behind1,
// Behind2 wins: the first repeated one in this order.
constexpr std::array<int, 6> WinnersFirst = {Behind2, Behind1, Ahead3, Ahead2, Ahead1, Centre};

} // namespace OilifySlot
