// SPDX-License-Identifier: MIT
#include "ViewScale.h"

#include <algorithm>
#include <cmath>
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

// Which source pixels a target pixel covers along one axis. In units of 1/Image of a shown
// pixel, source pixel i spans [i * Shown, (i + 1) * Shown) and target pixel j spans
// [j * Image, (j + 1) * Image); a source pixel is shorter than a target pixel, so each target
// pixel takes a run of source pixels whose first and last may count only in part.
struct Cover {
    int first; // first source pixel
    int last;  // last source pixel, >= first
    std::uint32_t firstWeight;
    std::uint32_t lastWeight; // when last > first; the pixels between weigh Shown each
    std::uint64_t total;      // the sum of the weights
};

std::vector<Cover> Covers(int sourceLength, int targetLength, ViewScale scale) {
    std::vector<Cover> covers(std::size_t(std::max(targetLength, 0)));
    const qint64 sourceEnd = qint64(sourceLength) * scale.Shown;
    for (int j = 0; j < targetLength; ++j) {
        const qint64 start = qint64(j) * scale.Image;
        const qint64 end = std::min(start + scale.Image, sourceEnd);
        Cover& c = covers[std::size_t(j)];
        c.first = int(start / scale.Shown);
        c.last = int((end - 1) / scale.Shown);
        const auto overlap = [&](int i) {
            const qint64 from = std::max(start, qint64(i) * scale.Shown);
            const qint64 to = std::min(end, qint64(i + 1) * scale.Shown);
            return std::uint32_t(std::max<qint64>(to - from, 0));
        };
        c.firstWeight = overlap(c.first);
        c.lastWeight = c.last > c.first ? overlap(c.last) : 0;
        c.total = std::uint64_t(std::max<qint64>(end - start, 0));
    }
    return covers;
}

// Channel sums of a run of pixels: blue and red, green and alpha in 16-bit lanes of two words.
// Up to 257 pixels fit a lane.
constexpr int PixelsPerLaneSum = 257;

void AddChannels(const TAlphaColor* pixels, int count, std::uint32_t sums[4]) {
    while (count > 0) {
        const int run = std::min(count, PixelsPerLaneSum);
        std::uint32_t evenLanes = 0; // blue | red << 16
        std::uint32_t oddLanes = 0;  // green | alpha << 16
        for (int i = 0; i < run; ++i) {
            evenLanes += pixels[i] & 0x00FF00FFu;
            oddLanes += (pixels[i] >> 8) & 0x00FF00FFu;
        }
        sums[0] += evenLanes & 0xFFFFu;
        sums[1] += oddLanes & 0xFFFFu;
        sums[2] += evenLanes >> 16;
        sums[3] += oddLanes >> 16;
        pixels += run;
        count -= run;
    }
}

void AddWeighted(TAlphaColor pixel, std::uint32_t weight, std::uint32_t sums[4]) {
    for (int c = 0; c < 4; ++c)
        sums[c] += ((pixel >> (8 * c)) & 0xFFu) * weight;
}

} // namespace

void ReduceByAreaAverage(const TBitmapData& source, const TBitmapData& target, ViewScale scale) {
    const int targetWidth = target.FWidth;
    const int targetHeight = target.FHeight;
    const std::vector<Cover> columns = Covers(source.FWidth, targetWidth, scale);
    const std::vector<Cover> rows = Covers(source.FHeight, targetHeight, scale);
    // One source row summed across each target column, channel by channel.
    std::vector<std::uint32_t> rowSums(std::size_t(targetWidth) * 4);
    // The weighted sums of the target row being made.
    std::vector<std::uint64_t> sums(std::size_t(targetWidth) * 4);

    int summedRow = -1; // a source row shared by two target rows is summed once
    const auto sumSourceRow = [&](int y) {
        if (y == summedRow)
            return;
        summedRow = y;
        const TAlphaColor* row = RowStart(source, y);
        for (int x = 0; x < targetWidth; ++x) {
            const Cover& c = columns[std::size_t(x)];
            std::uint32_t* out = &rowSums[std::size_t(x) * 4];
            std::uint32_t middle[4] = {0, 0, 0, 0};
            AddChannels(row + c.first + 1, c.last - c.first - 1, middle);
            for (int k = 0; k < 4; ++k)
                out[k] = middle[k] * std::uint32_t(scale.Shown);
            AddWeighted(row[c.first], c.firstWeight, out);
            if (c.last > c.first)
                AddWeighted(row[c.last], c.lastWeight, out);
        }
    };
    const auto addSourceRow = [&](int y, std::uint32_t weight) {
        sumSourceRow(y);
        for (std::size_t k = 0; k < sums.size(); ++k)
            sums[k] += std::uint64_t(rowSums[k]) * weight;
    };

    for (int y = 0; y < targetHeight; ++y) {
        const Cover& r = rows[std::size_t(y)];
        std::fill(sums.begin(), sums.end(), 0);
        addSourceRow(r.first, r.firstWeight);
        for (int sy = r.first + 1; sy < r.last; ++sy)
            addSourceRow(sy, std::uint32_t(scale.Shown));
        if (r.last > r.first)
            addSourceRow(r.last, r.lastWeight);
        TAlphaColor* out = RowStart(target, y);
        for (int x = 0; x < targetWidth; ++x) {
            const std::uint64_t total = columns[std::size_t(x)].total * r.total;
            TAlphaColor pixel = 0;
            for (int c = 0; c < 4; ++c)
                pixel |= TAlphaColor((sums[std::size_t(x) * 4 + c] + total / 2) / total) << (8 * c);
            out[x] = pixel;
        }
    }
}
