// SPDX-License-Identifier: MIT
#include "OilifyKernel.h"

#include "Cores.h"
#include "OilifySlots.h"
#include "PixelRuns.h"
#include "VectorKernels.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr int Reach = OilifySlot::Reach;
constexpr int SlotCount = OilifySlot::Count;
constexpr int Centre = OilifySlot::Centre;

// A slot holds a colour or, before its first fill in the pass, a value above the colour range
// that differs from slot to slot, so that an unfilled slot never makes a repeat.
using SlotValue = std::uint64_t;
using Slots = std::array<SlotValue, SlotCount>;
using Line = std::array<TAlphaColor, SlotCount>;

constexpr Slots UnfilledSlots() {
    Slots filling{};
    for (int i = 0; i < SlotCount; ++i)
        filling[i] = (SlotValue{1} << 32) | SlotValue(i);
    return filling;
}

template <typename Values> bool IsRepeated(const Values& contents, int slot) {
    for (int other = 0; other < SlotCount; ++other)
        if (other != slot && contents[other] == contents[slot])
            return true;
    return false;
}

// The vote's winning colour, if a candidate passes. A winner is never an unfilled slot.
template <typename Values> std::optional<TAlphaColor> Winner(const Values& contents) {
    for (int slot : OilifySlot::WinnersFirst)
        if (IsRepeated(contents, slot))
            return TAlphaColor(contents[slot]);
    return std::nullopt;
}

// The slots first..last that a vote refills: those whose pixels lie in the picture.
struct Refill {
    int first = 0;
    int last = SlotCount - 1;
    bool WholeLine() const { return first == 0 && last == SlotCount - 1; }
};

// The nine slots of a pass. A voting pixel whose whole line lies in the picture refills every
// slot, so it only notes where its line is; the slots are copied from there when a pixel near an
// end of its line, which refills only some of them, needs the others.
class PassSlots {
public:
    // `step`: pixels from one slot's pixel to the next; `lineLength`: pixels on a whole line;
    // `start`: the slots' contents before the first vote.
    PassSlots(std::ptrdiff_t step, int lineLength, const Slots& start = UnfilledSlots())
        : step_(step), lineLength_(lineLength), slots_(start) {}

    std::ptrdiff_t Step() const { return step_; }

    // The slots a vote refills at `position` pixels from the start of its line.
    Refill RefillAt(int position) const {
        return {std::max(0, Reach - position),
                std::min(SlotCount - 1, Reach + lineLength_ - 1 - position)};
    }

    // The colour of slot `slot` for a vote at the pixel `centre`.
    TAlphaColor SlotPixel(const TAlphaColor* centre, int slot) const {
        return centre[(slot - Centre) * step_];
    }

    // The vote at the pixel `centre`, `position` pixels from the start of its line: its winner,
    // if any.
    std::optional<TAlphaColor> WinnerAt(const TAlphaColor* centre, int position) {
        const Refill refill = RefillAt(position);
        if (refill.WholeLine()) {
            NoteWholeLine(centre);
            return Winner(LineAt(centre));
        }
        if (lastWholeLine_ != nullptr) {
            const Line line = LineAt(lastWholeLine_);
            std::copy(line.begin(), line.end(), slots_.begin());
            lastWholeLine_ = nullptr;
        }
        for (int i = refill.first; i <= refill.last; ++i)
            slots_[i] = SlotPixel(centre, i);
        return Winner(slots_);
    }

    // The vote's colour: its winner, or `previous` when no candidate passes.
    TAlphaColor VoteAt(const TAlphaColor* centre, int position, TAlphaColor previous) {
        return WinnerAt(centre, position).value_or(previous);
    }

    // A vote at `centre`, whose whole line lies in the picture, was taken elsewhere.
    void NoteWholeLine(const TAlphaColor* centre) { lastWholeLine_ = centre; }

private:
    Line LineAt(const TAlphaColor* centre) const {
        Line line;
        for (int i = 0; i < SlotCount; ++i)
            line[i] = SlotPixel(centre, i);
        return line;
    }

    std::ptrdiff_t step_;
    int lineLength_;
    Slots slots_;
    const TAlphaColor* lastWholeLine_ = nullptr;
};

// Whether `row[x]` passes the uniform check against `below`, the next row. Below-left and
// below-right count only when `withDiagonals` and they lie in the picture.
bool PassesUniformCheck(const TAlphaColor* row, const TAlphaColor* below, int x, int width,
                        bool withDiagonals) {
    const TAlphaColor centre = row[x];
    if (centre != below[x])
        return false;
    if (!withDiagonals)
        return true;
    return (x == 0 || centre == below[x - 1]) && (x == width - 1 || centre == below[x + 1]);
}

// The pixels of a row whose uniform check reads all three pixels below and whose line lies
// whole in the picture: they vote a vector at a time, without the slots. A row without such
// pixels has the empty span at its end, so that all its pixels come before it.
struct Span {
    int first = 0;
    int end = 0;
};

Span VectorSpan(OilifyDirection direction, int y, int width, int height) {
    const bool withDiagonals = y + 2 < height;
    const Span none{width, width};
    if (direction == OilifyDirection::Rows)
        return withDiagonals && width > 2 * Reach ? Span{Reach, width - Reach} : none;
    const bool wholeColumns = y >= Reach && y + Reach < height;
    return withDiagonals && wholeColumns && width > 2 ? Span{1, width - 1} : none;
}

// The span's votes, straight into the output row (and the copy's, if any). `vote` is the last
// vote's colour on entry and on exit.
void VoteSpan(const VectorKernels& kernels, PassSlots& passSlots, const TAlphaColor* row,
              const TAlphaColor* below, Span span, TAlphaColor* out, TAlphaColor* copy, bool stream,
              TAlphaColor& vote) {
    const TAlphaColor* centres = row + span.first;
    const TAlphaColor* slotRuns[SlotCount];
    for (int k = 0; k < SlotCount; ++k)
        slotRuns[k] = centres + (k - Centre) * passSlots.Step();
    const std::ptrdiff_t lastVoter =
        kernels.oilifyVotes(slotRuns, below + span.first, std::size_t(span.end - span.first),
                            out + span.first, copy ? copy + span.first : nullptr, vote, stream);
    if (lastVoter >= 0)
        passSlots.NoteWholeLine(centres + lastVoter);
}

// The column pass reads four rows below the one it votes on, most of them sparsely; each row is
// fetched whole one row before its first use, so the votes do not wait for memory.
constexpr int PrefetchRowsAhead = Reach + 1;
constexpr int PixelsPerCacheLine = 64 / sizeof(TAlphaColor);

void PrefetchRow(const TAlphaColor* row, int width) {
    for (int x = 0; x < width; x += PixelsPerCacheLine)
        __builtin_prefetch(row + x);
}

// What every part of one pass reads.
struct Pass {
    const TBitmapData& input;
    const TBitmapData& output;
    const TBitmapData* copy;
    bool alongRows;
    int width;
    int height;
    std::ptrdiff_t step; // pixels from one slot's pixel to the next
    const VectorKernels& kernels;
    bool stream;

    int LineLength() const { return alongRows ? width : height; }
    int Position(int x, int y) const { return alongRows ? x : y; }
    // Whether pixel (x, y) votes rather than keeping its colour; the last row never votes.
    bool Votes(int x, int y) const {
        return y + 1 < height && !PassesUniformCheck(RowStart(input, y), RowStart(input, y + 1), x,
                                                     width, y + 2 < height);
    }
    // Writes `colour` at (x, y) into the output and the copy.
    void Write(int x, int y, TAlphaColor colour) const {
        RowStart(output, y)[x] = colour;
        if (copy != nullptr)
            RowStart(*copy, y)[x] = colour;
    }
};

Pass PassOver(const TBitmapData& input, const TBitmapData& output, const TBitmapData* copy,
              OilifyDirection direction) {
    const bool alongRows = direction == OilifyDirection::Rows;
    // Rows of a 32-bit bitmap are a whole number of pixels apart.
    return {input,
            output,
            copy,
            alongRows,
            input.FWidth,
            input.FHeight,
            alongRows ? 1 : input.Pitch / std::ptrdiff_t(sizeof(TAlphaColor)),
            ChosenKernels(),
            StreamsPictureOf(PictureBytes(output))};
}

// The pass from pixel `fromX` of row `first` to the end of row `end` - 1, in pixel order. `vote`
// is the last vote's colour on entry and on exit.
void OilifyRows(const Pass& pass, PassSlots& passSlots, int first, int fromX, int end,
                TAlphaColor& vote) {
    const int width = pass.width;
    const int height = pass.height;
    const OilifyDirection direction =
        pass.alongRows ? OilifyDirection::Rows : OilifyDirection::Columns;
    for (int y = first; y < end; ++y, fromX = 0) {
        const TAlphaColor* row = RowStart(pass.input, y);
        TAlphaColor* out = RowStart(pass.output, y);
        TAlphaColor* copyRow = pass.copy ? RowStart(*pass.copy, y) : nullptr;
        if (y == height - 1) {
            // Every pixel of the last row passes the check.
            for (TAlphaColor* to : {out, copyRow})
                if (to != nullptr)
                    pass.kernels.copy(row + fromX, to + fromX, std::size_t(width - fromX),
                                      pass.stream);
            break;
        }
        if (!pass.alongRows && y + PrefetchRowsAhead < height)
            PrefetchRow(RowStart(pass.input, y + PrefetchRowsAhead), width);
        const TAlphaColor* below = RowStart(pass.input, y + 1);
        const bool withDiagonals = y + 2 < height;
        const auto onePixel = [&](int x) {
            if (PassesUniformCheck(row, below, x, width, withDiagonals))
                out[x] = row[x];
            else
                out[x] = vote = passSlots.VoteAt(row + x, pass.Position(x, y), vote);
            if (copyRow != nullptr)
                copyRow[x] = out[x];
        };
        const Span span = VectorSpan(direction, y, width, height);
        const Span rest{std::max(span.first, fromX), span.end};
        for (int x = fromX; x < span.first; ++x)
            onePixel(x);
        if (rest.first < rest.end)
            VoteSpan(pass.kernels, passSlots, row, below, rest, out, copyRow, pass.stream, vote);
        for (int x = std::max(span.end, fromX); x < width; ++x)
            onePixel(x);
    }
}

// ---- The pass split over row blocks ----
// A vote without a winner takes the colour of the vote before it, and a vote near an end of its
// line reads slots that earlier votes filled, so a block cannot simply start where it lies. What
// the slots hold depends on the input alone (which pixels vote does, not how they vote), so each
// block's starting slots are found first. The carried colour is not known until the blocks
// before have voted: each block votes from its first vote with a winner on, and once the
// blocks' last votes are known in order, the votes before that take the colour carried in.

// Slots some votes of a block filled last, where they did.
struct SlotFills {
    Slots values{};
    std::array<bool, SlotCount> filled{};
};

// What the votes in rows [first, end) leave in the slots, found from the last pixel backwards.
SlotFills LastFillsOf(const Pass& pass, const PassSlots& passSlots, int first, int end) {
    SlotFills fills;
    int left = SlotCount;
    for (int y = end - 1; y >= first && left > 0; --y)
        for (int x = pass.width - 1; x >= 0 && left > 0; --x) {
            if (!pass.Votes(x, y))
                continue;
            const Refill refill = passSlots.RefillAt(pass.Position(x, y));
            const TAlphaColor* centre = RowStart(pass.input, y) + x;
            for (int i = refill.first; i <= refill.last; ++i)
                if (!fills.filled[i]) {
                    fills.values[i] = passSlots.SlotPixel(centre, i);
                    fills.filled[i] = true;
                    --left;
                }
        }
    return fills;
}

// A block's votes: where its first vote with a winner is (the block's end without one) and the
// colour of its last vote, if one has a winner.
struct BlockVotes {
    int decidedY = 0;
    int decidedX = 0;
    std::optional<TAlphaColor> lastVote;
};

// Rows [first, end) voted with the slots `entrySlots` on entry; the votes before the first with a
// winner are left for FillCarried.
BlockVotes VoteBlock(const Pass& pass, const Slots& entrySlots, int first, int end) {
    PassSlots passSlots(pass.step, pass.LineLength(), entrySlots);
    for (int y = first; y < end; ++y)
        for (int x = 0; x < pass.width; ++x) {
            if (!pass.Votes(x, y)) {
                pass.Write(x, y, GetPixel(pass.input, x, y));
                continue;
            }
            const std::optional<TAlphaColor> winner =
                passSlots.WinnerAt(RowStart(pass.input, y) + x, pass.Position(x, y));
            if (!winner)
                continue;
            pass.Write(x, y, *winner);
            TAlphaColor vote = *winner;
            OilifyRows(pass, passSlots, x + 1 < pass.width ? y : y + 1,
                       x + 1 < pass.width ? x + 1 : 0, end, vote);
            return {y, x, vote};
        }
    return {end, 0, std::nullopt};
}

// Writes `carried` at every vote of rows [first, ..) before (decidedX, decidedY).
void FillCarried(const Pass& pass, int first, const BlockVotes& votes, TAlphaColor carried) {
    for (int y = first; y <= votes.decidedY && y < pass.height; ++y)
        for (int x = 0; x < (y == votes.decidedY ? votes.decidedX : pass.width); ++x)
            if (pass.Votes(x, y))
                pass.Write(x, y, carried);
}

void OilifyInBlocks(const Pass& pass, const RowBlocks& blocks, TAlphaColor& outputColour) {
    const int count = blocks.Count();
    const auto blockCount = std::size_t(count);
    const PassSlots shape(pass.step, pass.LineLength());
    std::vector<SlotFills> lastFills(blockCount);
    blocks.ForEach([&](int block) {
        if (block + 1 < count)
            lastFills[block] = LastFillsOf(pass, shape, blocks.First(block), blocks.End(block));
    });
    std::vector<Slots> entrySlots(blockCount, UnfilledSlots());
    for (int block = 1; block < count; ++block)
        for (int i = 0; i < SlotCount; ++i)
            entrySlots[block][i] = lastFills[block - 1].filled[i] ? lastFills[block - 1].values[i]
                                                                  : entrySlots[block - 1][i];
    std::vector<BlockVotes> votes(blockCount);
    blocks.ForEach([&](int block) {
        votes[block] = VoteBlock(pass, entrySlots[block], blocks.First(block), blocks.End(block));
    });
    std::vector<TAlphaColor> carried(blockCount);
    for (int block = 0; block < count; ++block) {
        carried[block] = outputColour;
        outputColour = votes[block].lastVote.value_or(outputColour);
    }
    blocks.ForEach(
        [&](int block) { FillCarried(pass, blocks.First(block), votes[block], carried[block]); });
}

void Oilify(const TBitmapData& input, const TBitmapData& output, const TBitmapData* copy,
            OilifyDirection direction, TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    const int width = input.FWidth;
    const int height = input.FHeight;
    if (width <= 0 || height <= 0)
        return;
    const Pass pass = PassOver(input, output, copy, direction);
    // Blocks sized by the threads alone: each block first finds its slots, its first winning
    // vote and, later, its carried colour, and the pass streams its rows through the cache
    // anyway (measured: blocks sized for the cache were a sixth slower on two threads).
    const RowBlocks blocks(height, 0);
    if (blocks.Count() == 1) {
        PassSlots passSlots(pass.step, pass.LineLength());
        OilifyRows(pass, passSlots, 0, 0, height, outputColour);
    } else {
        OilifyInBlocks(pass, blocks, outputColour);
    }
    // The last pixel visited lies on the last row, where only the centre is read.
    currentPixel = GetPixel(input, width - 1, height - 1);
}

} // namespace

void OilifyPass(const TBitmapData& input, const TBitmapData& output, OilifyDirection direction,
                TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    Oilify(input, output, nullptr, direction, currentPixel, outputColour);
}

void OilifyPassWithCopy(const TBitmapData& input, const TBitmapData& output,
                        const TBitmapData& copy, OilifyDirection direction,
                        TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    Oilify(input, output, &copy, direction, currentPixel, outputColour);
}
