// SPDX-License-Identifier: MIT
#include "ValueBands.h"

#include "Cores.h"
#include "PosterizeKernel.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numeric>

namespace {

// Posterizing's own bands: the tones of its table and the grey values where the tone changes.
ValueBands EqualStepBands(int levels) {
    const std::array<std::uint8_t, 256> table = PosterizeTable(HeldLevelCount(levels));
    ValueBands bands{{table[0]}, {}};
    for (int d = 1; d < 256; ++d)
        if (table[d] != table[d - 1]) {
            bands.tones.push_back(table[d]);
            bands.edges.push_back(std::uint8_t(d));
        }
    return bands;
}

void AddInto(GreyHistogram& sum, const GreyHistogram& part) {
    for (int g = 0; g < 256; ++g)
        sum[g] += part[g];
}

// Edges wished for (any whole numbers) made valid: rising by at least one, within 1..255, each
// as near its wish as the others allow.
std::vector<std::uint8_t> HeldEdges(const std::vector<int>& wished) {
    const int count = int(wished.size());
    std::vector<std::uint8_t> edges(count);
    for (int k = 0; k < count; ++k) {
        const int least = k == 0 ? 1 : edges[k - 1] + 1;
        const int most = 255 - (count - 1 - k);
        edges[k] = std::uint8_t(std::clamp(wished[k], least, most));
    }
    return edges;
}

// CIE L* of a grey value read as sRGB.
double LightnessOf(int grey) {
    const double c = grey / 255.0;
    const double y = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    return y > 216.0 / 24389.0 ? 116.0 * std::cbrt(y) - 16.0 : y * 24389.0 / 27.0;
}

std::vector<int> EqualLightnessEdges(int edgeCount) {
    std::vector<int> edges;
    const int bands = edgeCount + 1;
    for (int k = 1; k <= edgeCount; ++k) {
        // The first grey value at or above the boundary's lightness.
        const double boundary = 100.0 * k / bands;
        int grey = 0;
        while (grey < 255 && LightnessOf(grey) < boundary)
            ++grey;
        edges.push_back(grey);
    }
    return edges;
}

// Each edge where the pixels below it come nearest to their share, k / bands of all; the first
// such grey value on a tie.
std::vector<int> EqualAreaEdges(int edgeCount, const GreyHistogram& histogram) {
    std::array<std::uint64_t, 257> below{}; // below[g]: pixels darker than g
    for (int g = 0; g < 256; ++g)
        below[g + 1] = below[g] + histogram[g];
    const std::uint64_t total = below[256];
    const int bands = edgeCount + 1;
    std::vector<int> edges;
    for (int k = 1; k <= edgeCount; ++k) {
        // |below * bands - k * total|, compared without rounding.
        const auto distance = [&](int at) {
            const unsigned __int128 have = (unsigned __int128)below[at] * bands;
            const unsigned __int128 want = (unsigned __int128)total * k;
            return have > want ? have - want : want - have;
        };
        int best = 1;
        for (int g = 2; g <= 255; ++g)
            if (distance(g) < distance(best))
                best = g;
        edges.push_back(best);
    }
    return edges;
}

// Otsu's method: the edges that maximise the variance between the bands, which for fixed totals
// is the greatest sum over the bands of (sum of greys)^2 / pixels. By exhaustive search; the
// first edges found (the darkest) on a tie. One or two edges.
std::vector<int> OtsuEdges(int edgeCount, const GreyHistogram& histogram) {
    std::array<long double, 257> pixels{};
    std::array<long double, 257> sums{};
    for (int g = 0; g < 256; ++g) {
        pixels[g + 1] = pixels[g] + histogram[g];
        sums[g + 1] = sums[g] + (long double)histogram[g] * g;
    }
    const auto band = [&](int from, int to) { // greys from..to - 1
        const long double n = pixels[to] - pixels[from];
        const long double s = sums[to] - sums[from];
        return n > 0 ? s * s / n : 0.0L;
    };
    if (edgeCount == 1) {
        int best = 1;
        long double bestScore = -1;
        for (int t = 1; t <= 255; ++t) {
            const long double score = band(0, t) + band(t, 256);
            if (score > bestScore) {
                bestScore = score;
                best = t;
            }
        }
        return {best};
    }
    std::vector<int> best{1, 2};
    long double bestScore = -1;
    for (int t1 = 1; t1 <= 254; ++t1)
        for (int t2 = t1 + 1; t2 <= 255; ++t2) {
            const long double score = band(0, t1) + band(t1, t2) + band(t2, 256);
            if (score > bestScore) {
                bestScore = score;
                best = {t1, t2};
            }
        }
    return best;
}

// The histogram of rows [first, last): four counts per grey value, so that neighbouring pixels
// of one grey do not wait for each other's increments.
GreyHistogram HistogramOfRows(const TBitmapData& grey, int first, int last) {
    std::array<std::array<std::uint32_t, 256>, 4> counts{};
    GreyHistogram histogram{};
    const auto flush = [&] {
        for (auto& partial : counts) {
            for (int g = 0; g < 256; ++g)
                histogram[g] += partial[g];
            partial.fill(0);
        }
    };
    const int width = grey.FWidth;
    // Flushed well before a 32-bit count could overflow.
    const int rowsPerFlush = std::max(1, (1 << 30) / std::max(width, 1));
    for (int y = first; y < last; ++y) {
        const TAlphaColor* row = RowStart(grey, y);
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            ++counts[0][(row[x] >> 16) & 0xFF];
            ++counts[1][(row[x + 1] >> 16) & 0xFF];
            ++counts[2][(row[x + 2] >> 16) & 0xFF];
            ++counts[3][(row[x + 3] >> 16) & 0xFF];
        }
        for (; x < width; ++x)
            ++counts[0][(row[x] >> 16) & 0xFF];
        if ((y + 1 - first) % rowsPerFlush == 0)
            flush();
    }
    flush();
    return histogram;
}

} // namespace

GreyHistogram HistogramOf(const TBitmapData& grey) {
    // Counting runs at about a pixel a cycle, slower than memory: each block of rows is counted
    // apart, then the counts are summed.
    const RowBlocks blocks(grey.FHeight,
                           std::size_t(std::max(grey.FWidth, 0)) * sizeof(TAlphaColor));
    std::vector<GreyHistogram> parts(std::size_t(blocks.Count()));
    blocks.ForEach([&](int block) {
        parts[block] = HistogramOfRows(grey, blocks.First(block), blocks.End(block));
    });
    GreyHistogram histogram{};
    for (const GreyHistogram& part : parts)
        AddInto(histogram, part);
    return histogram;
}

std::optional<int> PresetLevels(BandPreset preset) {
    switch (preset) {
    case BandPreset::Notan2:
        return 2;
    case BandPreset::Notan3:
        return 3;
    default:
        return std::nullopt;
    }
}

std::vector<std::uint8_t> BandTones(int levels) {
    return EqualStepBands(levels).tones;
}

bool PresetReadsPicture(BandPreset preset) {
    return preset == BandPreset::EqualAreas || preset == BandPreset::Notan2 ||
           preset == BandPreset::Notan3;
}

ValueBands BandsFor(BandPreset preset, int levels, const GreyHistogram& histogram) {
    levels = HeldLevelCount(PresetLevels(preset).value_or(levels));
    ValueBands bands = EqualStepBands(levels);
    const int edgeCount = int(bands.edges.size());
    switch (preset) {
    case BandPreset::EqualSteps:
    case BandPreset::Custom:
        break;
    case BandPreset::EqualLightness:
        bands.edges = HeldEdges(EqualLightnessEdges(edgeCount));
        break;
    case BandPreset::EqualAreas:
        bands.edges = HeldEdges(EqualAreaEdges(edgeCount, histogram));
        break;
    case BandPreset::Notan2:
    case BandPreset::Notan3:
        bands.edges = HeldEdges(OtsuEdges(edgeCount, histogram));
        break;
    }
    return bands;
}

std::optional<ValueBands> BandsWithEdges(int levels, const std::vector<std::uint8_t>& edges) {
    ValueBands bands{BandTones(levels), edges};
    if (edges.size() + 1 != bands.tones.size())
        return std::nullopt;
    for (std::size_t k = 0; k < edges.size(); ++k)
        if (edges[k] < 1 || (k > 0 && edges[k] <= edges[k - 1]))
            return std::nullopt;
    return bands;
}

void MoveEdge(ValueBands& bands, int index, int value) {
    const int count = int(bands.edges.size());
    assert(index >= 0 && index < count);
    const int least = index == 0 ? 1 : bands.edges[index - 1] + 1;
    const int most = index == count - 1 ? 255 : bands.edges[index + 1] - 1;
    bands.edges[index] = std::uint8_t(std::clamp(value, least, most));
}

std::vector<double> BandShares(const ValueBands& bands, const GreyHistogram& histogram) {
    const std::uint64_t total = std::accumulate(histogram.begin(), histogram.end(), 0ull);
    std::vector<double> shares(bands.tones.size(), 0.0);
    if (total == 0)
        return shares;
    std::size_t band = 0;
    for (int g = 0; g < 256; ++g) {
        while (band < bands.edges.size() && g >= bands.edges[band])
            ++band;
        shares[band] += double(histogram[g]);
    }
    for (double& share : shares)
        share /= double(total);
    return shares;
}

std::optional<BandPreset> PresetNamed(const QString& batchName) {
    const std::pair<const char*, BandPreset> names[] = {{"equal", BandPreset::EqualSteps},
                                                        {"lightness", BandPreset::EqualLightness},
                                                        {"areas", BandPreset::EqualAreas},
                                                        {"notan2", BandPreset::Notan2},
                                                        {"notan3", BandPreset::Notan3}};
    for (const auto& [name, preset] : names)
        if (batchName == QLatin1String(name))
            return preset;
    return std::nullopt;
}

QString PresetTitle(BandPreset preset) {
    switch (preset) {
    case BandPreset::EqualSteps:
        return QStringLiteral("Equal steps");
    case BandPreset::EqualLightness:
        return QStringLiteral("Equal lightness");
    case BandPreset::EqualAreas:
        return QStringLiteral("Equal areas");
    case BandPreset::Notan2:
        return QStringLiteral("Notan, 2 values");
    case BandPreset::Notan3:
        return QStringLiteral("Notan, 3 values");
    case BandPreset::Custom:
        return QStringLiteral("Custom");
    }
    return {};
}
