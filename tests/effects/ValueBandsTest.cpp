// SPDX-License-Identifier: MIT
// The value bands: the presets' edges against computations of their own here, equal steps as
// posterizing's own table for every level count, edges that move only between their neighbours,
// and posterizing at the edges.
#include "ValueBands.h"
#include "KernelRun.h"
#include "PosterizeKernel.h"
#include "ReferenceKernels.h"
#include "StudySteps.h"

#include <cmath>
#include <random>

namespace {

std::vector<int> Numbers(const std::vector<std::uint8_t>& values) {
    return {values.begin(), values.end()};
}

GreyHistogram HistogramOfPixels(const std::vector<int>& greys) {
    GreyHistogram histogram{};
    for (int grey : greys)
        ++histogram[grey];
    return histogram;
}

// The band a grey value falls into by the edges' definition.
int BandOf(int grey, const ValueBands& bands) {
    int band = 0;
    while (band < int(bands.edges.size()) && grey >= bands.edges[band])
        ++band;
    return band;
}

// Otsu's between-band variance straight from its definition: the pixels' weights and means.
double BetweenVariance(const std::vector<int>& greys, const std::vector<int>& edges) {
    const int bands = int(edges.size()) + 1;
    std::vector<double> count(bands), sum(bands);
    double mean = 0;
    for (int grey : greys) {
        int band = 0;
        while (band < int(edges.size()) && grey >= edges[band])
            ++band;
        count[band] += 1;
        sum[band] += grey;
        mean += grey;
    }
    mean /= double(greys.size());
    double variance = 0;
    for (int b = 0; b < bands; ++b)
        if (count[b] > 0)
            variance += count[b] / double(greys.size()) * std::pow(sum[b] / count[b] - mean, 2);
    return variance;
}

// The edges of greatest variance by trying every one; the first (darkest) of equals, with a
// tolerance for rounding.
std::vector<int> OtsuByTrying(const std::vector<int>& greys, int edgeCount) {
    std::vector<int> best;
    double bestVariance = -1;
    const auto consider = [&](const std::vector<int>& edges) {
        const double variance = BetweenVariance(greys, edges);
        if (variance > bestVariance + 1e-9) {
            bestVariance = variance;
            best = edges;
        }
    };
    for (int t1 = 1; t1 <= 255; ++t1) {
        if (edgeCount == 1)
            consider({t1});
        else
            for (int t2 = t1 + 1; t2 <= 255; ++t2)
                consider({t1, t2});
    }
    return best;
}

// CIE L* from the sRGB definition, written as the standard gives it.
double CieLightness(int grey) {
    const double v = grey / 255.0;
    const double linear = v > 0.04045 ? std::pow((v + 0.055) / 1.055, 2.4) : v / 12.92;
    const double delta = 6.0 / 29.0;
    const double f =
        linear > std::pow(delta, 3) ? std::cbrt(linear) : linear / (3 * delta * delta) + 4.0 / 29.0;
    return 116 * f - 16;
}

} // namespace

TEST(ValueBands, EqualStepsArePosterizingsOwnBandsForEveryLevelCount) {
    for (int n = MinLevels; n <= MaxLevels; ++n) {
        SCOPED_TRACE(testing::Message() << n << " levels");
        const ValueBands bands = BandsFor(BandPreset::EqualSteps, n, GreyHistogram{});
        ASSERT_EQ(bands.edges.size() + 1, bands.tones.size());
        EXPECT_TRUE(bands.tones.size() == std::size_t(n) ||
                    bands.tones.size() == std::size_t(n + 1));
        for (int d = 0; d < 256; ++d)
            ASSERT_EQ(bands.tones[BandOf(d, bands)], PosterizeLevel(d, n)) << "grey " << d;
    }
    const ValueBands six = BandsFor(BandPreset::EqualSteps, 6, GreyHistogram{});
    EXPECT_EQ(Numbers(six.tones), (std::vector<int>{0, 42, 84, 126, 168, 210, 255}));
    EXPECT_EQ(Numbers(six.edges), (std::vector<int>{42, 84, 126, 168, 210, 252}));
}

TEST(ValueBands, PosterizingAtTheEdgesPutsAnEdgeIntoTheBandAbove) {
    Rows ramp(1, std::vector<TAlphaColor>(256));
    for (int d = 0; d < 256; ++d)
        ramp[0][d] = OpaqueGrey(std::uint8_t(d));
    const std::optional<ValueBands> bands = BandsWithEdges(4, {10, 11, 250});
    ASSERT_TRUE(bands);
    TBitmap grey;
    FillBitmap(grey, ramp);
    TBitmap target;
    target.SetSize(256, 1);
    RunPass(grey, target, TMapAccess::Read, [&](auto& in, auto& out, auto& current, auto& output) {
        PosterizePass(in, out, *bands, current, output);
    });
    const Rows result = PixelsOf(target);
    for (int d = 0; d < 256; ++d) {
        const int expected = d < 10 ? 0 : d < 11 ? 64 : d < 250 ? 128 : 255;
        ASSERT_EQ(result[0][d], OpaqueGrey(std::uint8_t(expected))) << "grey " << d;
    }

    // At the equal steps, the same pixels as posterizing by the level count.
    for (int n : {2, 6, 13}) {
        TBitmap byLevels;
        byLevels.SetSize(256, 1);
        RunPass(grey, byLevels, TMapAccess::Read,
                [&](auto& in, auto& out, auto& current, auto& output) {
                    PosterizePass(in, out, n, current, output);
                });
        RunPass(
            grey, target, TMapAccess::Read, [&](auto& in, auto& out, auto& current, auto& output) {
                PosterizePass(in, out, BandsFor(BandPreset::EqualSteps, n, {}), current, output);
            });
        EXPECT_TRUE(SameBitmap(byLevels, target)) << n << " levels";
    }
}

TEST(ValueBands, EdgesGivenMustFitTheLevelCount) {
    EXPECT_TRUE(BandsWithEdges(6, {1, 2, 3, 4, 5, 255}));
    EXPECT_FALSE(BandsWithEdges(6, {1, 2, 3, 4, 5})) << "one too few";
    EXPECT_FALSE(BandsWithEdges(6, {1, 2, 3, 4, 5, 6, 7})) << "one too many";
    EXPECT_FALSE(BandsWithEdges(6, {0, 2, 3, 4, 5, 6})) << "0 leaves the first band empty";
    EXPECT_FALSE(BandsWithEdges(6, {1, 2, 3, 3, 5, 6})) << "not rising";
    EXPECT_FALSE(BandsWithEdges(2, {}));
    EXPECT_TRUE(BandsWithEdges(2, {200}));
}

TEST(ValueBands, AnEdgeMovesAloneAndNeverPastANeighbour) {
    ValueBands bands = BandsFor(BandPreset::EqualSteps, 6, GreyHistogram{});
    MoveEdge(bands, 2, 100);
    EXPECT_EQ(Numbers(bands.edges), (std::vector<int>{42, 84, 100, 168, 210, 252}));
    MoveEdge(bands, 2, 30);
    EXPECT_EQ(Numbers(bands.edges), (std::vector<int>{42, 84, 85, 168, 210, 252}))
        << "held just above the edge below";
    MoveEdge(bands, 2, 200);
    EXPECT_EQ(Numbers(bands.edges), (std::vector<int>{42, 84, 167, 168, 210, 252}));
    MoveEdge(bands, 0, -5);
    MoveEdge(bands, 5, 900);
    EXPECT_EQ(Numbers(bands.edges), (std::vector<int>{1, 84, 167, 168, 210, 255}))
        << "the outer edges within 1..255";
}

TEST(ValueBands, NotansFindOtsusEdgesAsTryingEveryEdgeDoes) {
    std::mt19937 random(3);
    std::vector<std::vector<int>> pictures = {
        std::vector<int>(50, 120), // one grey
        {50, 50, 50, 200, 200},    // two greys
        {0, 0, 255, 255},          // the extremes
    };
    for (int trial = 0; trial < 6; ++trial) {
        std::vector<int> greys;
        // Two or three lumps of greys, as a backlit or a foggy photo gives.
        for (int lump = 0; lump < 2 + trial % 2; ++lump) {
            std::normal_distribution<double> spread(40 + 80 * lump + trial * 7, 12 + trial);
            for (int i = 0; i < 150; ++i)
                greys.push_back(std::clamp(int(std::lround(spread(random))), 0, 255));
        }
        pictures.push_back(greys);
    }
    for (const std::vector<int>& greys : pictures) {
        SCOPED_TRACE(testing::Message() << greys.size() << " pixels from " << greys.front());
        const GreyHistogram histogram = HistogramOfPixels(greys);
        const ValueBands two = BandsFor(BandPreset::Notan2, 9, histogram);
        EXPECT_EQ(Numbers(two.tones), (std::vector<int>{0, 255})) << "two values whatever N";
        EXPECT_EQ(Numbers(two.edges), OtsuByTrying(greys, 1));
        const ValueBands three = BandsFor(BandPreset::Notan3, 9, histogram);
        EXPECT_EQ(Numbers(three.tones), (std::vector<int>{0, 85, 255}));
        EXPECT_EQ(Numbers(three.edges), OtsuByTrying(greys, 2));
    }
}

TEST(ValueBands, EqualLightnessEdgesStepEvenlyInCieLightness) {
    for (int n = MinLevels; n <= MaxLevels; ++n) {
        SCOPED_TRACE(testing::Message() << n << " levels");
        const ValueBands bands = BandsFor(BandPreset::EqualLightness, n, GreyHistogram{});
        const int bandCount = int(bands.tones.size());
        ASSERT_EQ(int(bands.edges.size()), bandCount - 1);
        for (int k = 1; k < bandCount; ++k) {
            const double boundary = 100.0 * k / bandCount;
            const int edge = bands.edges[k - 1];
            EXPECT_GE(CieLightness(edge), boundary - 1e-9) << "edge " << k;
            EXPECT_LT(CieLightness(edge - 1), boundary)
                << "edge " << k << " is the first such grey";
        }
    }
    // Mid-grey lightness, L* 50, is sRGB 118 or 119: the two-band edge.
    EXPECT_EQ(Numbers(BandsFor(BandPreset::EqualLightness, 2, {}).edges), std::vector<int>{119});
}

TEST(ValueBands, EqualAreasShareThePixelsAsEvenlyAsWholeGreysAllow) {
    std::vector<int> everyGrey(256);
    for (int g = 0; g < 256; ++g)
        everyGrey[g] = g;
    // Every grey once: quarters at 64, 128, 192 for four levels (four bands).
    EXPECT_EQ(Numbers(BandsFor(BandPreset::EqualAreas, 4, HistogramOfPixels(everyGrey)).edges),
              (std::vector<int>{64, 128, 192}));

    // Two greys, three quarters dark: a quarter off a half below the edge beats a half off, so
    // the two-band edge lies just above the dark grey.
    std::vector<int> twoGreys(300, 40);
    twoGreys.insert(twoGreys.end(), 100, 220);
    EXPECT_EQ(Numbers(BandsFor(BandPreset::EqualAreas, 2, HistogramOfPixels(twoGreys)).edges),
              std::vector<int>{41});

    // One grey: edges still valid, rising, within 1..255.
    const ValueBands one = BandsFor(BandPreset::EqualAreas, 13, HistogramOfPixels({90, 90, 90}));
    EXPECT_TRUE(BandsWithEdges(13, one.edges));

    // A picture's shares come out near equal where its greys allow.
    std::mt19937 random(9);
    std::vector<int> greys;
    std::uniform_int_distribution<int> any(0, 255);
    for (int i = 0; i < 20000; ++i)
        greys.push_back(any(random) * any(random) / 255); // dark-heavy
    const GreyHistogram histogram = HistogramOfPixels(greys);
    const ValueBands bands = BandsFor(BandPreset::EqualAreas, 5, histogram);
    for (double share : BandShares(bands, histogram))
        EXPECT_NEAR(share, 1.0 / bands.tones.size(), 0.02);
}

TEST(ValueBands, SharesAndTheHistogramCountEveryPixelOnce) {
    std::mt19937 random(1);
    Rows picture(37, std::vector<TAlphaColor>(53));
    std::vector<int> greys;
    for (auto& row : picture)
        for (TAlphaColor& pixel : row) {
            const int grey = int(random() % 256);
            pixel = OpaqueGrey(std::uint8_t(grey));
            greys.push_back(grey);
        }
    TBitmap bitmap;
    FillBitmap(bitmap, picture);
    TBitmapData map;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Read, map));
    const GreyHistogram histogram = HistogramOf(map);
    bitmap.Unmap(map);
    EXPECT_EQ(histogram, HistogramOfPixels(greys));

    const ValueBands bands = BandsFor(BandPreset::EqualSteps, 3, GreyHistogram{});
    std::vector<double> expected(bands.tones.size());
    for (int grey : greys)
        expected[BandOf(grey, bands)] += 1.0 / double(greys.size());
    const std::vector<double> shares = BandShares(bands, histogram);
    ASSERT_EQ(shares.size(), expected.size());
    for (std::size_t b = 0; b < shares.size(); ++b)
        EXPECT_NEAR(shares[b], expected[b], 1e-12);
    EXPECT_EQ(BandShares(bands, GreyHistogram{}), std::vector<double>(bands.tones.size(), 0.0));
}

TEST(ValueBands, PlacedEdgesHoldForTheirLevelCountOnly) {
    const BandChoice placed = BandChoice::Placed({10, 100}, 3, BandPreset::EqualLightness);
    EXPECT_EQ(placed.PresetAt(3), BandPreset::Custom);
    EXPECT_EQ(placed.PresetAt(4), BandPreset::EqualLightness) << "their preset at another count";
    EXPECT_EQ(BandChoice::Placed({10, 100}, 3, BandPreset::Custom).basis, BandPreset::EqualSteps);
    EXPECT_EQ(BandChoice::Chosen(BandPreset::Notan3).PresetAt(3), BandPreset::Notan3);
    EXPECT_EQ(BandChoice::Chosen(BandPreset::Notan3).PresetAt(6), BandPreset::EqualSteps)
        << "a notan holds at its own level count only";
    EXPECT_EQ(BandChoice::Placed({128}, 2, BandPreset::Notan2).PresetAt(6), BandPreset::EqualSteps);

    TBitmap grey;
    FillBitmap(grey, Rows(2, std::vector<TAlphaColor>(3, OpaqueGrey(50))));
    EXPECT_EQ(Numbers(StudyBands(placed, 3, grey).edges), (std::vector<int>{10, 100}));
    EXPECT_EQ(StudyBands(placed, 4, grey), BandsFor(BandPreset::EqualLightness, 4, {}));
    // A picture-dependent preset reads the grey picture: one grey of 50, so Otsu's edge falls at
    // the first grey value, as every edge scores alike.
    EXPECT_EQ(Numbers(StudyBands(BandChoice::Chosen(BandPreset::Notan2), 2, grey).edges),
              (std::vector<int>{1}));
}
