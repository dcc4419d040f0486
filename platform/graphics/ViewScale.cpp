// SPDX-License-Identifier: MIT
#include "ViewScale.h"

#include "Cores.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

int ViewScale::ShownLength(int imageLength) const {
    return int((2 * qint64(imageLength) * Shown + Image) / (2 * qint64(Image)));
}

QSize ViewScale::ShownSize(QSize imageSize) const {
    return {ShownLength(imageSize.width()), ShownLength(imageSize.height())};
}

int ViewScale::ImagePosition(double shownPosition) const {
    return int(std::floor(shownPosition * Image / Shown));
}

QString ViewScale::PercentText() const {
    const double percent = 100.0 * Shown / Image;
    const QString number =
        percent >= 100 ? QString::number(std::lround(percent)) : QString::number(percent, 'g', 3);
    return number + QStringLiteral(" %");
}

namespace {

// The source pixels each target pixel takes along one axis: those whose centres lie in it. In
// units of 1/(2 * Image) of a shown pixel, source pixel i has its centre at (2i + 1) * Shown and
// target pixel j spans [2j * Image, 2(j + 1) * Image).
std::vector<int> FirstSourcePixels(int sourceLength, int targetLength, ViewScale scale) {
    std::vector<int> first(std::size_t(targetLength) + 1);
    for (int j = 0; j <= targetLength; ++j) {
        // The first i with (2i + 1) * Shown >= 2j * Image.
        const qint64 boundary = 2 * qint64(j) * scale.Image;
        const qint64 i =
            (boundary - scale.Shown + 2 * qint64(scale.Shown) - 1) / (2 * qint64(scale.Shown));
        first[std::size_t(j)] = int(std::clamp<qint64>(i, 0, sourceLength));
    }
    first[std::size_t(targetLength)] = sourceLength;
    return first;
}

using Channels = std::uint32_t __attribute__((vector_size(16))); // blue, green, red, alpha
using NarrowChannels = std::uint16_t __attribute__((vector_size(8)));

// Sums `count` rows of bytes down each column into `sums`, four rows a pass so that the sums
// travel between cache and registers once per four rows; AVX2 where the processor has it.
__attribute__((target_clones("avx2", "default"))) void
SumByteRows(const std::uint8_t* const* rows, int count, std::uint16_t* sums, std::size_t length) {
    int r = 0;
    for (; r + 4 <= count; r += 4) {
        const std::uint8_t* __restrict a = rows[r];
        const std::uint8_t* __restrict b = rows[r + 1];
        const std::uint8_t* __restrict c = rows[r + 2];
        const std::uint8_t* __restrict d = rows[r + 3];
        std::uint16_t* __restrict out = sums;
        for (std::size_t k = 0; k < length; ++k)
            out[k] = std::uint16_t(out[k] + a[k] + b[k] + c[k] + d[k]);
    }
    for (; r < count; ++r) {
        const std::uint8_t* __restrict a = rows[r];
        std::uint16_t* __restrict out = sums;
        for (std::size_t k = 0; k < length; ++k)
            out[k] = std::uint16_t(out[k] + a[k]);
    }
}

// The rounded means of four channel sums that share one count of pixels: (2 * sum + count) /
// (2 * count) rounded down, in single precision: an estimate from the reciprocal, corrected by one
// either way by the exact remainder. Exact here: with at most 65 x 65 pixels a mean every value
// stays far below 2^24, where floats hold whole numbers exactly.
struct Divisor {
    using Floats = float __attribute__((vector_size(16)));
    using Ints = std::int32_t __attribute__((vector_size(16)));

    float count;
    Floats d;
    float reciprocal;
    explicit Divisor(std::uint32_t pixels)
        : count(float(pixels)), d(Floats{} + 2.0f * float(pixels)),
          reciprocal(1.0f / (2.0f * float(pixels))) {}

    // The means packed as a pixel: blue in the low byte, alpha in the high one.
    TAlphaColor Means(Channels sums) const {
        const Floats n = __builtin_convertvector(Ints(sums), Floats) * 2.0f + count;
        const Ints estimate = __builtin_convertvector(n * reciprocal, Ints);
        const Floats remainder = n - __builtin_convertvector(estimate, Floats) * d;
        // A comparison gives all ones (minus one) where it holds.
        const Ints q = estimate - Ints(remainder >= d) + Ints(remainder < 0.0f);
        return TAlphaColor(q[0]) | TAlphaColor(q[1]) << 8 | TAlphaColor(q[2]) << 16 |
               TAlphaColor(q[3]) << 24;
    }
};

} // namespace

namespace {

// The target rows [first, end) of ReduceByAreaAverage; `columns` and `rows` give the first source
// pixel of each target column and row, and one past the last.
void ReduceRows(const TBitmapData& source, const TBitmapData& target,
                const std::vector<int>& columns, const std::vector<int>& rows, int first, int end) {
    const int sourceWidth = source.FWidth;
    const int targetWidth = target.FWidth;
    const std::size_t channels = std::size_t(sourceWidth) * 4;
    std::vector<std::uint16_t> narrow(channels);
    std::vector<Divisor> divisors;
    int divisorsRowCount = 0;

    // Sums the rows [from, to) down each channel of each column into `narrow`: at most 65 rows
    // of bytes, well within 16 bits.
    std::vector<const std::uint8_t*> bandRows;
    const auto sumRows = [&](int from, int to) {
        bandRows.clear();
        for (int sy = from; sy < to; ++sy)
            bandRows.push_back(reinterpret_cast<const std::uint8_t*>(RowStart(source, sy)));
        std::fill(narrow.begin(), narrow.end(), 0);
        SumByteRows(bandRows.data(), int(bandRows.size()), narrow.data(), channels);
    };
    const auto narrowColumn = [&](int x) {
        NarrowChannels column;
        std::memcpy(&column, &narrow[std::size_t(x) * 4], sizeof column);
        return __builtin_convertvector(column, Channels);
    };

    for (int y = first; y < end; ++y) {
        const int rowsFrom = rows[std::size_t(y)];
        const int rowsTo = rows[std::size_t(y) + 1];
        sumRows(rowsFrom, rowsTo);
        // Then across the columns of each target pixel, and the mean rounded half up; the
        // divisors change with the number of rows, which takes one or two values.
        const int rowCount = rowsTo - rowsFrom;
        if (rowCount != divisorsRowCount) {
            divisorsRowCount = rowCount;
            divisors.clear();
            for (int x = 0; x < targetWidth; ++x)
                divisors.emplace_back(
                    std::uint32_t(rowCount) *
                    std::uint32_t(columns[std::size_t(x) + 1] - columns[std::size_t(x)]));
        }
        TAlphaColor* out = RowStart(target, y);
        for (int x = 0; x < targetWidth; ++x) {
            Channels sums{};
            for (int sx = columns[std::size_t(x)]; sx < columns[std::size_t(x) + 1]; ++sx)
                sums += narrowColumn(sx);
            out[x] = divisors[std::size_t(x)].Means(sums);
        }
    }
}

} // namespace

void ReduceByAreaAverage(const TBitmapData& source, const TBitmapData& target, ViewScale scale) {
    Q_ASSERT(scale.Reduces() && qint64(scale.Shown) * ViewScale::MostReduction >= scale.Image);
    const std::vector<int> columns = FirstSourcePixels(source.FWidth, target.FWidth, scale);
    const std::vector<int> rows = FirstSourcePixels(source.FHeight, target.FHeight, scale);
    // Each block sums its rows into buffers of its own, a source row long.
    ForEachRowBlock(target.FHeight, 0, [&](int first, int end) {
        ReduceRows(source, target, columns, rows, first, end);
    });
}
