// SPDX-License-Identifier: MIT
#include "RowRuns.h"

#include <array>
#include <emmintrin.h>

namespace {

// The columns of the set bits of each 4-bit mask, in order.
constexpr auto BitColumns = [] {
    std::array<std::array<std::int32_t, 4>, 16> columns{};
    for (int mask = 0; mask < 16; ++mask)
        for (int bit = 0, n = 0; bit < 4; ++bit)
            if (mask & (1 << bit))
                columns[mask][n++] = bit;
    return columns;
}();

// How many bits each 4-bit mask has set (the baseline instruction set has no popcount).
constexpr std::array<int, 16> RunsEnding = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

} // namespace

// Each mask of four neighbour comparisons is written out by a table without a branch per run.
int RunEndsOf(const TAlphaColor* pixels, int width, std::int32_t* ends) {
    int n = 0;
    int x = 0;
    for (; x + 4 < width; x += 4) {
        const __m128i same =
            _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x + 1)));
        const unsigned differs = ~unsigned(_mm_movemask_ps(_mm_castsi128_ps(same))) & 0xFu;
        const __m128i columns =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(BitColumns[differs].data()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(ends + n),
                         _mm_add_epi32(columns, _mm_set1_epi32(x + 1)));
        n += RunsEnding[differs];
    }
    for (; x + 1 < width; ++x)
        if (pixels[x] != pixels[x + 1])
            ends[n++] = x + 1;
    ends[n++] = width;
    return n;
}
