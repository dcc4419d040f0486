// SPDX-License-Identifier: MIT
#include "OilifyKernel.h"
#include "Cores.h"
#include "ImageCompare.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---- The pass transcribed step by step, as the reference for the kernel ----

enum Slot { Centre, Ahead1, Ahead2, Ahead3, Ahead4, Behind1, Behind2, Behind3, Behind4, SlotCount };

// An unfilled slot has no colour and equals nothing, not even another unfilled slot.
struct SlotContent {
    bool filled = false;
    TAlphaColor colour = 0;
};

bool SameColour(const SlotContent& a, const SlotContent& b) {
    return a.filled && b.filled && a.colour == b.colour;
}

struct SlotRule {
    Slot slot;
    int offset;
    bool (*filledWhen)(int p, int L);
};

// The slots in the order they are filled, with their bound tests.
const SlotRule FillTable[] = {
    {Behind1, -1, [](int p, int) { return p > 0; }},
    {Behind2, -2, [](int p, int) { return p > 1; }},
    {Behind3, -3, [](int p, int) { return p > 2; }},
    {Behind4, -4, [](int p, int) { return p > 3; }},
    {Centre, 0, [](int, int) { return true; }},
    {Ahead1, 1, [](int p, int L) { return p < L - 1; }},
    {Ahead2, 2, [](int p, int L) { return p + 1 < L - 1; }},
    {Ahead3, 3, [](int p, int L) { return p + 2 < L - 1; }},
    {Ahead4, 4, [](int p, int L) { return p + 3 < L - 1; }},
};

// Each counted candidate and the slots it is compared with; the other tallies stay at 1.
const std::pair<Slot, std::vector<Slot>> TallyTable[] = {
    {Centre, {Ahead1, Ahead2, Ahead3, Ahead4, Behind1, Behind2, Behind3, Behind4}},
    {Ahead1, {Centre, Ahead2, Ahead3, Ahead4, Behind1, Behind2, Behind3, Behind4}},
    {Ahead2, {Centre, Ahead1, Ahead3, Ahead4, Behind1, Behind2, Behind3, Behind4}},
    {Ahead3, {Centre, Ahead1, Ahead2, Ahead4, Behind1, Behind2, Behind3, Behind4}},
    {Behind1, {Centre, Ahead1, Ahead2, Ahead3, Ahead4, Behind2, Behind3, Behind4}},
    {Behind2, {Centre, Ahead1, Ahead2, Ahead3, Ahead4, Behind1, Behind3, Behind4}},
};

const Slot VoteOrder[] = {Centre,  Ahead1,  Ahead2,  Ahead3, Behind1,
                          Behind2, Behind3, Behind4, Ahead4};

void TranscribedPass(const TBitmapData& readMap, const TBitmapData& writeMap,
                     OilifyDirection direction, TAlphaColor& currentPixel,
                     TAlphaColor& outputColour) {
    const int W = readMap.FWidth;
    const int H = readMap.FHeight;
    SlotContent slotContents[SlotCount];
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            currentPixel = GetPixel(readMap, x, y);
            const TAlphaColor centre = currentPixel;
            if (y < H - 1)
                currentPixel = GetPixel(readMap, x, y + 1);
            const TAlphaColor below = currentPixel;
            if (y + 1 < H - 1 && x > 0)
                currentPixel = GetPixel(readMap, x - 1, y + 1);
            const TAlphaColor belowLeft = currentPixel;
            if (y + 1 < H - 1 && x < W - 1)
                currentPixel = GetPixel(readMap, x + 1, y + 1);
            const TAlphaColor belowRight = currentPixel;
            if (below == centre && belowLeft == centre && belowRight == centre) {
                SetPixel(writeMap, x, y, centre);
                continue;
            }

            const bool rows = direction == OilifyDirection::Rows;
            const int p = rows ? x : y;
            const int L = rows ? W : H;
            for (const SlotRule& rule : FillTable)
                if (rule.filledWhen(p, L)) {
                    currentPixel = rows ? GetPixel(readMap, x + rule.offset, y)
                                        : GetPixel(readMap, x, y + rule.offset);
                    slotContents[rule.slot] = {true, currentPixel};
                }

            int tallies[SlotCount];
            for (int& tally : tallies)
                tally = 1;
            for (const auto& [candidate, comparedWith] : TallyTable)
                for (Slot other : comparedWith)
                    if (SameColour(slotContents[candidate], slotContents[other]))
                        ++tallies[candidate];

            for (Slot candidate : VoteOrder) {
                bool passes = false;
                for (int other = 0; other < SlotCount; ++other)
                    if (other != candidate && tallies[candidate] > tallies[other])
                        passes = true;
                if (passes)
                    outputColour = slotContents[candidate].colour;
            }
            SetPixel(writeMap, x, y, outputColour);
        }
}

// ---- Running a pass on bitmaps ----

using PassFunction = void (*)(const TBitmapData&, const TBitmapData&, OilifyDirection, TAlphaColor&,
                              TAlphaColor&);
using Picture = std::vector<std::vector<TAlphaColor>>;

struct PassColours {
    TAlphaColor currentPixel;
    TAlphaColor outputColour;
};

// Maps `input`, sizes and clears `output` to opaque black, runs the pass and unmaps both.
void RunPass(PassFunction pass, TBitmap& input, TBitmap& output, OilifyDirection direction,
             PassColours& colours) {
    TBitmapData readMap;
    ASSERT_TRUE(input.Map(TMapAccess::Read, readMap));
    output.SetSize(input.Width(), input.Height());
    output.Clear(claBlack);
    TBitmapData writeMap;
    ASSERT_TRUE(output.Map(TMapAccess::Write, writeMap));
    pass(readMap, writeMap, direction, colours.currentPixel, colours.outputColour);
    output.Unmap(writeMap);
    input.Unmap(readMap);
}

const char* NameOf(OilifyDirection direction) {
    return direction == OilifyDirection::Rows ? "rows" : "columns";
}

// ---- The kernel against the transcription ----

// A posterized-looking picture: runs and patches of a few colours, with some scattered pixels.
Picture RandomPosterized(int width, int height, int colourCount, int patchiness,
                         std::mt19937& random) {
    std::vector<TAlphaColor> palette(colourCount);
    for (int i = 0; i < colourCount; ++i)
        palette[i] = OpaqueGrey(std::uint8_t(i * 255 / std::max(colourCount - 1, 1)));
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> anyColour(0, colourCount - 1);
    Picture picture(height, std::vector<TAlphaColor>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int roll = percent(random);
            if (x > 0 && roll < patchiness / 2)
                picture[y][x] = picture[y][x - 1];
            else if (y > 0 && roll < patchiness)
                picture[y][x] = picture[y - 1][x];
            else
                picture[y][x] = palette[anyColour(random)];
        }
    return picture;
}

TEST(OilifyKernel, MatchesTheTranscriptionOnRandomPosterizedPictures) {
    std::vector<std::pair<int, int>> sizes;
    for (int width = 1; width <= 10; ++width)
        for (int height = 1; height <= 10; ++height)
            sizes.emplace_back(width, height);
    for (auto size :
         {std::pair{17, 13}, {40, 9}, {9, 40}, {64, 48}, {123, 31}, {3, 77}, {200, 2}, {300, 40}})
        sizes.push_back(size);
    // A column pass on the picture itself, then two cycles, carrying the colours along.
    const OilifyDirection chain[] = {OilifyDirection::Columns, OilifyDirection::Rows,
                                     OilifyDirection::Columns, OilifyDirection::Rows,
                                     OilifyDirection::Columns};
    std::mt19937 random(20240611);
    for (const auto& [width, height] : sizes)
        for (const auto& [colourCount, patchiness] :
             {std::pair{2, 60}, {3, 90}, {4, 30}, {6, 80}, {10, 0}}) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << ", " << colourCount
                                            << " colours, patchiness " << patchiness);
            TBitmap expected[2];
            TBitmap actual[2];
            FillBitmap(expected[0],
                       RandomPosterized(width, height, colourCount, patchiness, random));
            FillBitmap(actual[0], PixelsOf(expected[0]));
            // Half the time the carried vote colour is one of the picture's, half not.
            const TAlphaColor startColour =
                random() % 2 ? PixelsOf(expected[0])[0][0] : TAlphaColor(random());
            PassColours expectedColours{TAlphaColor(random()), startColour};
            PassColours actualColours = expectedColours;
            int from = 0;
            for (std::size_t pass = 0; pass < std::size(chain); ++pass) {
                const OilifyDirection direction = chain[pass];
                SCOPED_TRACE(testing::Message()
                             << "pass " << pass << " along " << NameOf(direction));
                RunPass(TranscribedPass, expected[from], expected[1 - from], direction,
                        expectedColours);
                RunPass(OilifyPass, actual[from], actual[1 - from], direction, actualColours);
                from = 1 - from;
                ASSERT_TRUE(SameBitmap(expected[from], actual[from]));
                ASSERT_EQ(actualColours.currentPixel, expectedColours.currentPixel);
                ASSERT_EQ(actualColours.outputColour, expectedColours.outputColour);
            }
        }
}

// ---- Behaviour both the transcription and the kernel must show ----

// Pictures written as text, one character a colour.
TAlphaColor ColourOf(char symbol) {
    return OpaqueGrey(std::uint8_t(symbol));
}

Picture PictureOf(const std::vector<std::string>& rows) {
    Picture picture;
    for (const std::string& row : rows) {
        picture.emplace_back();
        for (char symbol : row)
            picture.back().push_back(ColourOf(symbol));
    }
    return picture;
}

struct Implementation {
    const char* name;
    PassFunction pass;
};

void PrintTo(const Implementation& implementation, std::ostream* out) {
    *out << implementation.name;
}

class OilifyBehaviour : public testing::TestWithParam<Implementation> {
protected:
    // One pass from `rows`; `colours.outputColour` is the colour carried in.
    void Pass(const std::vector<std::string>& rows, OilifyDirection direction,
              PassColours& colours) {
        FillBitmap(input_, PictureOf(rows));
        RunPass(GetParam().pass, input_, output_, direction, colours);
    }
    // A row pass then a column pass, as one cycle does.
    void Cycle(const Picture& picture, PassColours& colours) {
        FillBitmap(input_, picture);
        RunPass(GetParam().pass, input_, output_, OilifyDirection::Rows, colours);
        RunPass(GetParam().pass, output_, result_, OilifyDirection::Columns, colours);
    }
    testing::AssertionResult OutputIs(const std::vector<std::string>& rows) {
        TBitmap expected;
        FillBitmap(expected, PictureOf(rows));
        return SameBitmap(expected, output_);
    }

    TBitmap input_;
    TBitmap output_;
    TBitmap result_;
};

INSTANTIATE_TEST_SUITE_P(BothImplementations, OilifyBehaviour,
                         testing::Values(Implementation{"Transcription", TranscribedPass},
                                         Implementation{"Kernel", OilifyPass}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(OilifyBehaviour, OneColourIsUnchangedAndHoldsNoVote) {
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {9, 9}, {13, 6}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        const Picture picture(height, std::vector<TAlphaColor>(width, ColourOf('A')));
        PassColours colours{0, ColourOf('P')};
        Cycle(picture, colours);
        EXPECT_EQ(PixelsOf(result_), picture);
        EXPECT_EQ(colours.outputColour, ColourOf('P'));
        EXPECT_EQ(colours.currentPixel, ColourOf('A'));
    }
}

TEST_P(OilifyBehaviour, OnePixelHighIsUnchanged) {
    for (const std::string row : {"A", "AB", "ABABA", "0123456789abcdefghij"})
        for (OilifyDirection direction : {OilifyDirection::Rows, OilifyDirection::Columns}) {
            SCOPED_TRACE(testing::Message() << row << ", " << NameOf(direction));
            PassColours colours{0, ColourOf('P')};
            Pass({row}, direction, colours);
            EXPECT_TRUE(OutputIs({row}));
            EXPECT_EQ(colours.outputColour, ColourOf('P'));
            EXPECT_EQ(colours.currentPixel, ColourOf(row.back()));
        }
}

TEST_P(OilifyBehaviour, BottomRowIsUnchangedByACycle) {
    std::mt19937 random(7);
    for (const auto& [width, height] : {std::pair{1, 2}, {5, 2}, {12, 3}, {30, 20}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        const Picture picture = RandomPosterized(width, height, 9, 20, random);
        PassColours colours{0, ColourOf('P')};
        Cycle(picture, colours);
        EXPECT_EQ(PixelsOf(result_).back(), picture.back());
    }
}

TEST_P(OilifyBehaviour, SecondLastRowComparesOnlyThePixelBelow) {
    struct Case {
        std::vector<std::string> rows, expected;
    };
    const Case cases[] = {
        // The lone B is out-voted where its diagonals below are read, copied on the second-last
        // row.
        {{"AAAABAAAA", "AAAABAAAA", "AAAABAAAA"}, {"AAAAAAAAA", "AAAABAAAA", "AAAABAAAA"}},
        {{"AAAABAAAA", "AAAABAAAA"}, {"AAAABAAAA", "AAAABAAAA"}},
        // On the second-last row a pixel differing from the one below still goes to the vote.
        {{"AAAABAAAA", "AAAABAAAA", "AAAAAAAAA"}, {"AAAAAAAAA", "AAAAAAAAA", "AAAAAAAAA"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows[0] << "/" << c.rows[1] << "/" << c.rows.back());
        PassColours colours{0, ColourOf('P')};
        Pass(c.rows, OilifyDirection::Rows, colours);
        EXPECT_TRUE(OutputIs(c.expected));
    }
}

// A line of runs, laid along row 0 above rows of another colour, or down the middle of three
// columns between columns of another colour: every pixel on it goes to the vote.
TEST_P(OilifyBehaviour, RunsGainTwoPixelsFromTheRunBefore) {
    struct Case {
        std::string line, expected;
    };
    const Case cases[] = {
        {"AAAAAAAABBBBBBBB", "AAAAAAAAAABBBBBB"},         // the A/B boundary moves two pixels
        {"AAAAAAAABDDDDDDDD", "AAAAAAAAAADDDDDDD"},       // a lone B and the first D become A
        {"AAAAAAAABBBBDDDDDDDD", "AAAAAAAAAABBBBDDDDDD"}, // both boundaries move
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const int length = int(c.line.size());
        const std::string other(length, 'E');
        PassColours colours{0, ColourOf('P')};
        Pass({c.line, other, other}, OilifyDirection::Rows, colours);
        EXPECT_TRUE(OutputIs({c.expected, other, other}));

        std::vector<std::string> columns;
        std::vector<std::string> expectedColumns;
        for (int i = 0; i < length; ++i) {
            columns.push_back(std::string("E") + c.line[i] + "E");
            expectedColumns.push_back(std::string("E") + c.expected[i] + "E");
        }
        Pass(columns, OilifyDirection::Columns, colours);
        EXPECT_TRUE(OutputIs(expectedColumns));
    }
}

TEST_P(OilifyBehaviour, NineDifferentColoursTakeThePreviousVote) {
    struct Case {
        std::string row;
        char carried;
        std::string expected;
    };
    const Case cases[] = {
        // x = 8 sees 0..8: it takes the B voted at x = 5 and carried by the votes between.
        {"BBBB012345678", 'P', "BBBBBBBBB8888"},
        {"BBBB012345678", 'Q', "BBBBBBBBB8888"},
        // The first votes of the pass find nothing repeated and take the colour carried in.
        {"012345678", 'P', "PPPPP8888"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row + " carrying " + c.carried);
        const std::string other(c.row.size(), 'Z');
        PassColours colours{0, ColourOf(c.carried)};
        Pass({c.row, other, other}, OilifyDirection::Rows, colours);
        EXPECT_TRUE(OutputIs({c.expected, other, other}));
        EXPECT_EQ(colours.outputColour, ColourOf('8'));
    }
}

// The slots a pixel near an end of its line cannot refill keep what the pass last put there:
// in the row pass the ahead slots from earlier pixels of the row and the behind slots from the
// end of the row above, in the column pass the ahead slots from pixels of other columns.
TEST_P(OilifyBehaviour, SlotsPastTheEndOfALineKeepColoursReadEarlierInThePass) {
    struct Case {
        OilifyDirection direction;
        std::vector<std::string> rows, expected;
    };
    const Case cases[] = {
        // Row 0: from x = 2 the +4 slot still holds the 5 read at x = 1, so 5 is repeated.
        // Row 1, x = 0: the -2 slot still holds the 3 read at the end of row 0.
        {OilifyDirection::Rows,
         {"012345", "3abcde", "ZZZZZZ", "ZZZZZZ"},
         {"PP5555", "33eeee", "ZZZZZZ", "ZZZZZZ"}},
        // At (1, 2) the +3 and +4 slots hold the f read for column 2.
        {OilifyDirection::Columns,
         {"Zag", "Zbg", "Zcg", "Zdg", "Zef"},
         {"ZZg", "ZZg", "Zfg", "Zfg", "Zef"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NameOf(c.direction));
        PassColours colours{0, ColourOf('P')};
        Pass(c.rows, c.direction, colours);
        EXPECT_TRUE(OutputIs(c.expected));
    }
}

// ---- The pass split over row blocks ----

// Sixteen rows of nine pixels, each of its own colour but for the two that end row 1, which are
// `Won`: the votes at the end of row 1 are won by it, and no vote after them has a winner. On 2,
// 3 and 8 threads a block starts at row 2, so its thread votes before the colour it carries in,
// the last of the block before, is known; each thread count also sets the carried colour and the
// slots across other block borders.
TEST(OilifyKernel, ABlockWhoseVotesHaveNoWinnerCarriesTheColourOfTheBlockBefore) {
    constexpr TAlphaColor Won = 0xFF0000FEu;
    Picture picture(16, std::vector<TAlphaColor>(9));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 9; ++x)
            picture[y][x] = 0xFF000000u | TAlphaColor(y * 9 + x + 1) << 8;
    picture[1][7] = picture[1][8] = Won;
    for (OilifyDirection direction : {OilifyDirection::Rows, OilifyDirection::Columns}) {
        TBitmap input;
        FillBitmap(input, picture);
        TBitmap expected;
        PassColours expectedColours{0, 0xFF123456u};
        RunPass(TranscribedPass, input, expected, direction, expectedColours);
        for (int threads : {1, 2, 3, 8}) {
            SCOPED_TRACE(testing::Message()
                         << "along " << NameOf(direction) << ", " << threads << " threads");
            TBitmap actual;
            PassColours actualColours{0, 0xFF123456u};
            WithThreads(threads,
                        [&] { RunPass(OilifyPass, input, actual, direction, actualColours); });
            EXPECT_TRUE(SameBitmap(expected, actual));
            EXPECT_EQ(actualColours.currentPixel, expectedColours.currentPixel);
            EXPECT_EQ(actualColours.outputColour, expectedColours.outputColour);
            if (direction == OilifyDirection::Rows) {
                EXPECT_EQ(PixelsOf(actual)[2][0], Won);
            }
        }
    }
}

} // namespace
