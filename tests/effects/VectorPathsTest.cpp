// SPDX-License-Identifier: MIT
// The vector loops of both paths against one pixel at a time, and against each other, on random
// pixels; runs of every length around the vector widths, starting at every alignment.
#include "GreyKernel.h"
#include "PosterizeKernel.h"
#include "ReferenceKernels.h"
#include "VectorKernels.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using Pixels = std::vector<TAlphaColor>;

// Lengths below, at and around whole blocks of vectors of either path, and a long one.
const std::size_t Lengths[] = {0, 1, 3, 4, 7, 8, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 1001};
// A run may start off the vector alignment; its output then starts one pixel a step further on.
constexpr std::size_t Offsets = 8;

std::vector<VectorPath> PathsOfThisCpu() {
    std::vector<VectorPath> paths = {VectorPath::Sse2};
    if (CpuRunsAvx2())
        paths.push_back(VectorPath::Avx2);
    return paths;
}

std::string NameOf(VectorPath path) {
    return path == VectorPath::Avx2 ? "AVX2" : "SSE2";
}

Pixels RandomPixels(std::size_t count, std::mt19937& random) {
    Pixels pixels(count);
    for (TAlphaColor& pixel : pixels)
        pixel = TAlphaColor(random());
    return pixels;
}

const GreyMethod GreyMethods[] = {GreyMethod::Red, GreyMethod::GreenLightened,
                                  GreyMethod::BlueLightened};

// Every rule the effects use: the three grey methods, then posterize for every level count.
std::vector<ToneRule> EffectRules() {
    std::vector<ToneRule> rules;
    for (const GreyMethod method : GreyMethods)
        rules.push_back(GreyRule(method));
    for (int n = MinLevels; n <= MaxLevels; ++n)
        rules.push_back(PosterizeRule(n));
    return rules;
}

TEST(VectorPaths, PosterizeRuleGivesTheTableForEveryGrey) {
    for (int n = MinLevels; n <= MaxLevels; ++n) {
        const ToneRule rule = PosterizeRule(n);
        const auto table = PosterizeTable(n);
        for (int d = 0; d < 256; ++d)
            ASSERT_EQ(ToneOf(rule, std::uint8_t(d)), table[d]) << "n=" << n << " d=" << d;
    }
}

// The tone loops of both paths, under the rule of each grey method, against the reference grey:
// for every value of every channel, over whole vectors and one pixel at a time (as at the ends of
// a run).
TEST(VectorPaths, GreyRulesGiveTheGreyOfEveryChannelValue) {
    // Pixel v has v in red and other values in alpha, green and blue; an odd factor takes each
    // channel through every value once.
    Pixels in(256);
    for (TAlphaColor v = 0; v < in.size(); ++v)
        in[v] = ((v * 5 + 1) & 0xFF) << 24 | v << 16 | ((v * 7 + 3) & 0xFF) << 8 |
                ((v * 13 + 5) & 0xFF);
    for (const GreyMethod method : GreyMethods)
        for (const VectorPath path : PathsOfThisCpu()) {
            SCOPED_TRACE(testing::Message() << NameOf(path) << ", method " << int(method) + 1);
            const ToneRule rule = GreyRule(method);
            Pixels whole(in.size(), 0xDEADBEEFu);
            KernelsOf(path).tone(in.data(), whole.data(), nullptr, in.size(), rule, false);
            for (std::size_t i = 0; i < in.size(); ++i) {
                TAlphaColor single = 0xDEADBEEFu;
                KernelsOf(path).tone(&in[i], &single, nullptr, 1, rule, false);
                const TAlphaColor expected = GreyOf(in[i], method);
                ASSERT_EQ(whole[i], expected) << "pixel " << std::hex << in[i];
                ASSERT_EQ(single, expected) << "pixel " << std::hex << in[i];
            }
        }
}

// The pixels a tone loop writes, to `out` and to `copy`, laid one after the other.
Pixels ToneOutput(VectorPath path, const Pixels& in, std::size_t offset, const ToneRule& rule,
                  bool withCopy, bool stream) {
    const std::size_t count = in.size() - offset;
    // Outputs start one pixel further off the alignment than the input, and differ from each
    // other in alignment too.
    Pixels out(count + 2 * Offsets + 2, 0xDEADBEEFu);
    Pixels copy(count + 2 * Offsets + 2, 0xDEADBEEFu);
    KernelsOf(path).tone(in.data() + offset, out.data() + offset + 1,
                         withCopy ? copy.data() + 2 * offset % Offsets : nullptr, count, rule,
                         stream);
    out.insert(out.end(), copy.begin(), copy.end());
    return out;
}

TEST(VectorPaths, ToneLoopsWriteTheRuleOfEveryPixelOnBothPaths) {
    std::mt19937 random(16);
    const std::vector<ToneRule> rules = EffectRules();
    for (const std::size_t length : Lengths)
        for (std::size_t offset = 0; offset < Offsets; ++offset) {
            const Pixels in = RandomPixels(length + offset, random);
            for (std::size_t r = 0; r < rules.size(); ++r)
                for (const bool withCopy : {false, true}) {
                    const bool stream = (length + offset + r) % 2 == 0;
                    SCOPED_TRACE(testing::Message()
                                 << "length " << length << ", offset " << offset << ", rule " << r
                                 << ", copy " << withCopy << ", stream " << stream);
                    const Pixels sse2 =
                        ToneOutput(VectorPath::Sse2, in, offset, rules[r], withCopy, stream);
                    // The same layout, written one pixel at a time.
                    Pixels expected(sse2.size(), 0xDEADBEEFu);
                    const std::size_t half = sse2.size() / 2;
                    for (std::size_t i = 0; i < length; ++i) {
                        const TAlphaColor grey = OpaqueGrey(
                            ToneOf(rules[r], std::uint8_t(in[offset + i] >> rules[r].shift)));
                        expected[offset + 1 + i] = grey;
                        if (withCopy)
                            expected[half + 2 * offset % Offsets + i] = grey;
                    }
                    ASSERT_EQ(sse2, expected);
                    for (const VectorPath path : PathsOfThisCpu())
                        ASSERT_EQ(ToneOutput(path, in, offset, rules[r], withCopy, stream), sse2)
                            << NameOf(path);
                }
        }
}

struct ReplaceResult {
    Pixels pixels;
    Pixels copy;
    bool operator==(const ReplaceResult&) const = default;
};

ReplaceResult Replaced(VectorPath path, const Pixels& start, std::size_t offset, TAlphaColor from,
                       TAlphaColor to, bool withCopy, bool stream) {
    ReplaceResult result{start, Pixels(start.size() + 1, 0xDEADBEEFu)};
    KernelsOf(path).replace(result.pixels.data() + offset,
                            withCopy ? result.copy.data() + offset + 1 : nullptr,
                            start.size() - offset, from, to, stream);
    return result;
}

TEST(VectorPaths, ReplaceLoopsChangeExactMatchesOnlyOnBothPaths) {
    std::mt19937 random(21);
    for (const std::size_t length : Lengths)
        for (std::size_t offset = 0; offset < Offsets; ++offset)
            for (const bool withCopy : {false, true}) {
                const bool stream = (length + offset) % 2 == 1;
                SCOPED_TRACE(testing::Message() << "length " << length << ", offset " << offset
                                                << ", copy " << withCopy << ", stream " << stream);
                // Few colours, so that matches are common; some differ from `from` in alpha only.
                const TAlphaColor from = 0xFF2A2A2Au;
                Pixels start(length + offset);
                for (TAlphaColor& pixel : start)
                    pixel = (random() % 4 == 0 ? 0x01000000u : 0u) ^
                            (random() % 3 == 0 ? from : OpaqueGrey(std::uint8_t(random() % 3)));
                const TAlphaColor to = 0x80FF0000u;
                ReplaceResult expected{start, Pixels(start.size() + 1, 0xDEADBEEFu)};
                for (std::size_t i = offset; i < start.size(); ++i) {
                    if (withCopy)
                        expected.copy[i + 1] = start[i];
                    if (start[i] == from)
                        expected.pixels[i] = to;
                }
                for (const VectorPath path : PathsOfThisCpu())
                    ASSERT_EQ(Replaced(path, start, offset, from, to, withCopy, stream), expected)
                        << NameOf(path);
            }
}

TEST(VectorPaths, CountKnownCountsEachKnownColourOnBothPaths) {
    std::mt19937 random(23);
    for (const std::size_t length : Lengths)
        for (int knownCount = 1; knownCount <= VectorKernels::MaxKnownTones; ++knownCount) {
            SCOPED_TRACE(testing::Message() << "length " << length << ", known " << knownCount);
            std::vector<TAlphaColor> known;
            for (int j = 0; j < knownCount; ++j)
                known.push_back(OpaqueGrey(std::uint8_t(30 * j)));
            // Every tenth pixel a colour none knows, some only differing in alpha.
            Pixels pixels(length);
            for (TAlphaColor& pixel : pixels)
                pixel = random() % 10 == 0 ? known[random() % knownCount] ^ 0x01000000u
                                           : known[random() % knownCount];
            std::vector<std::uint64_t> expected(knownCount, 0);
            std::size_t expectedMatched = 0;
            for (TAlphaColor pixel : pixels)
                for (int j = 0; j < knownCount; ++j)
                    if (pixel == known[j]) {
                        ++expected[j];
                        ++expectedMatched;
                    }
            for (const VectorPath path : PathsOfThisCpu()) {
                std::vector<std::uint64_t> counts(knownCount, 7);
                const std::size_t matched = KernelsOf(path).countKnown(
                    pixels.data(), pixels.size(), known.data(), knownCount, counts.data());
                for (std::uint64_t& count : counts)
                    count -= 7; // added to, not overwritten
                EXPECT_EQ(counts, expected) << NameOf(path);
                EXPECT_EQ(matched, expectedMatched) << NameOf(path);
            }
        }
}

TEST(VectorPaths, CopyLoopsCopyExactlyTheRunOnBothPaths) {
    std::mt19937 random(22);
    for (const std::size_t length : Lengths)
        for (std::size_t offset = 0; offset < Offsets; ++offset)
            for (const bool stream : {false, true}) {
                SCOPED_TRACE(testing::Message() << "length " << length << ", offset " << offset
                                                << ", stream " << stream);
                const Pixels in = RandomPixels(length, random);
                Pixels expected(length + offset + 1, 0xDEADBEEFu);
                std::copy(in.begin(), in.end(), expected.begin() + offset);
                for (const VectorPath path : PathsOfThisCpu()) {
                    Pixels out(length + offset + 1, 0xDEADBEEFu);
                    KernelsOf(path).copy(in.data(), out.data() + offset, length, stream);
                    ASSERT_EQ(out, expected) << NameOf(path);
                }
            }
}

// Oilify's verdict on one pixel, written from the rule: copied where it equals the three pixels
// below, else the first of the slots at -2, -1, +3, +2, +1 and 0 whose colour another slot has.
struct OilifyVerdict {
    bool voting = false;
    bool decided = false;
    TAlphaColor colour = 0;
};

OilifyVerdict OilifyVerdictOf(const std::vector<Pixels>& slotRuns, const TAlphaColor* below,
                              std::size_t i) {
    const TAlphaColor centre = slotRuns[4][i];
    if (centre == below[i - 1] && centre == below[i] && centre == below[i + 1])
        return {false, true, centre};
    for (int offset : {-2, -1, 3, 2, 1, 0}) {
        const TAlphaColor candidate = slotRuns[4 + offset][i];
        int holders = 0;
        for (const Pixels& slot : slotRuns)
            holders += slot[i] == candidate;
        if (holders > 1)
            return {true, true, candidate};
    }
    return {true, false, 0};
}

TEST(VectorPaths, OilifyVotesFollowTheRuleOnBothPaths) {
    std::mt19937 random(23);
    for (const std::size_t length : Lengths)
        for (const int colourCount : {2, 4, 9})
            for (std::size_t offset = 1; offset < Offsets; offset += 3) {
                SCOPED_TRACE(testing::Message() << "length " << length << ", " << colourCount
                                                << " colours, offset " << offset);
                // Few colours, so that every candidate wins somewhere and some votes find no
                // repeat; below mostly equal to the centre, so that whole vectors pass.
                const auto colour = [&] {
                    return 0xFF000000u + TAlphaColor(random() % colourCount);
                };
                std::vector<Pixels> slotRuns(9, Pixels(length + Offsets));
                for (Pixels& slot : slotRuns)
                    for (TAlphaColor& pixel : slot)
                        pixel = colour();
                Pixels belowRow(length + Offsets + 2);
                for (std::size_t i = 0; i < belowRow.size(); ++i) {
                    const std::size_t under = std::min(i, length + Offsets) - (i > 0);
                    belowRow[i] = random() % 4 == 0 ? colour() : slotRuns[4][under];
                }
                for (Pixels& slot : slotRuns)
                    slot.erase(slot.begin(), slot.begin() + std::ptrdiff_t(offset));
                const TAlphaColor* below = belowRow.data() + offset + 1;
                const TAlphaColor* slotStarts[9];
                for (int k = 0; k < 9; ++k)
                    slotStarts[k] = slotRuns[k].data();
                // The carried colour is not one of the picture's, so every use of it shows.
                const TAlphaColor carriedIn = 0xFFABCDEFu;
                Pixels expected(length);
                TAlphaColor expectedCarry = carriedIn;
                std::ptrdiff_t expectedLastVoter = -1;
                for (std::size_t i = 0; i < length; ++i) {
                    const OilifyVerdict verdict = OilifyVerdictOf(slotRuns, below, i);
                    expected[i] = verdict.decided ? verdict.colour : expectedCarry;
                    if (verdict.voting) {
                        expectedCarry = expected[i];
                        expectedLastVoter = std::ptrdiff_t(i);
                    }
                }
                for (const VectorPath path : PathsOfThisCpu())
                    for (const bool stream : {false, true})
                        for (const bool withCopy : {false, true}) {
                            SCOPED_TRACE(testing::Message()
                                         << NameOf(path) << (stream ? ", streamed" : "")
                                         << (withCopy ? ", with a copy" : ""));
                            // The output starts off the vector alignment by the same offset,
                            // the copy one pixel further on.
                            Pixels out(length + Offsets + 2, 0x12345678u);
                            Pixels copy = out;
                            TAlphaColor carry = carriedIn;
                            const std::ptrdiff_t lastVoter = KernelsOf(path).oilifyVotes(
                                slotStarts, below, length, out.data() + offset,
                                withCopy ? copy.data() + offset + 1 : nullptr, carry, stream);
                            Pixels written(length + Offsets + 2, 0x12345678u);
                            std::copy(expected.begin(), expected.end(),
                                      written.begin() + std::ptrdiff_t(offset));
                            ASSERT_EQ(out, written);
                            if (withCopy) {
                                written.insert(written.begin(), 0x12345678u);
                                written.pop_back();
                            }
                            ASSERT_EQ(copy, withCopy ? written : Pixels(out.size(), 0x12345678u));
                            EXPECT_EQ(carry, expectedCarry);
                            EXPECT_EQ(lastVoter, expectedLastVoter);
                        }
            }
}

TEST(VectorPaths, Avx2IsChosenWhereTheCpuHasItUnlessSse2IsAskedFor) {
    const char* wanted = std::getenv("HALVANE_VECTORS");
    const bool sse2Wanted = wanted != nullptr && std::string(wanted) == "sse2";
    EXPECT_EQ(ChosenVectorPath(),
              CpuRunsAvx2() && !sse2Wanted ? VectorPath::Avx2 : VectorPath::Sse2);
}

} // namespace
