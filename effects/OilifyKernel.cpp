// SPDX-License-Identifier: MIT
#include "OilifyKernel.h"

#include "PixelRuns.h"
#include "VectorKernels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr int Reach = 4;                 // slots on each side of the centre
constexpr int SlotCount = 2 * Reach + 1; // slot i holds the pixel at offset i - Reach on the line
constexpr int Centre = Reach;

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

// Every tally is at least 1 and those of -3, -4 and +4 stay at 1, so a counted candidate passes
// exactly when its colour is repeated in another slot, and -3, -4 and +4 never pass. The last to
// pass in the order C, +1, +2, +3, -1, -2 wins: the first repeated one in this order.
constexpr std::array<int, 6> WinnersFirst = {Centre - 2, Centre - 1, Centre + 3,
                                             Centre + 2, Centre + 1, Centre};

// The other slots of each slot, nearest first: in a posterized picture a repeat is mostly close.
constexpr std::array<std::array<int, SlotCount - 1>, SlotCount> OtherSlotsNearestFirst() {
    std::array<std::array<int, SlotCount - 1>, SlotCount> order{};
    for (int i = 0; i < SlotCount; ++i) {
        int n = 0;
        for (int distance = 1; distance < SlotCount; ++distance)
            for (int j : {i - distance, i + distance})
                if (j >= 0 && j < SlotCount)
                    order[i][n++] = j;
    }
    return order;
}
constexpr auto OtherSlots = OtherSlotsNearestFirst();

template <typename Values> bool IsRepeated(const Values& contents, int slot) {
#pragma GCC unroll 8
    for (int other : OtherSlots[slot])
        if (contents[other] == contents[slot])
            return true;
    return false;
}

// The vote's colour, or `previous` when no candidate passes. A winner is never an unfilled slot.
template <typename Values> TAlphaColor Vote(const Values& contents, TAlphaColor previous) {
#pragma GCC unroll 6
    for (int slot : WinnersFirst)
        if (IsRepeated(contents, slot))
            return TAlphaColor(contents[slot]);
    return previous;
}

// The nine slots of a pass. A voting pixel whose whole line lies in the picture refills every
// slot, so it only notes where its line is; the slots are copied from there when a pixel near an
// end of its line, which refills only some of them, needs the others.
class PassSlots {
public:
    // `step`: pixels from one slot's pixel to the next; `lineLength`: pixels on a whole line.
    PassSlots(std::ptrdiff_t step, int lineLength) : step_(step), lineLength_(lineLength) {}

    // The vote at the pixel `centre`, `position` pixels from the start of its line.
    TAlphaColor VoteAt(const TAlphaColor* centre, int position, TAlphaColor previous) {
        if (position >= Reach && position + Reach < lineLength_)
            return VoteWholeLine(centre, previous);
        return VotePartLine(centre, std::max(0, Reach - position),
                            std::min(SlotCount - 1, Reach + lineLength_ - 1 - position), previous);
    }

private:
    TAlphaColor VoteWholeLine(const TAlphaColor* centre, TAlphaColor previous) {
        lastWholeLine_ = centre;
        // Most votes go to -2, the first in precedence, repeated in a slot behind it or at the
        // centre: those are decided without reading the pixels ahead, which along a column lie
        // on rows not read yet.
        const TAlphaColor first = centre[-2 * step_];
        if ((first == centre[-3 * step_]) | (first == centre[-step_]) |
            (first == centre[-4 * step_]) | (first == *centre))
            return first;
        return Vote(LineAt(centre), previous);
    }

    // Refills only slots first..last, those whose pixels lie in the picture.
    TAlphaColor VotePartLine(const TAlphaColor* centre, int first, int last, TAlphaColor previous) {
        if (lastWholeLine_ != nullptr) {
            const Line line = LineAt(lastWholeLine_);
            std::copy(line.begin(), line.end(), slots_.begin());
            lastWholeLine_ = nullptr;
        }
        for (int i = first; i <= last; ++i)
            slots_[i] = centre[(i - Centre) * step_];
        return Vote(slots_, previous);
    }

    Line LineAt(const TAlphaColor* centre) const {
        Line line;
        for (int i = 0; i < SlotCount; ++i)
            line[i] = centre[(i - Centre) * step_];
        return line;
    }

    std::ptrdiff_t step_;
    int lineLength_;
    Slots slots_ = UnfilledSlots();
    const TAlphaColor* lastWholeLine_ = nullptr;
};

// Calls visit(x) in order for every pixel of `row` that fails the uniform check against `below`,
// the next row. Below-left and below-right count only when `withDiagonals`. A read skipped at an
// end of the row repeats a colour already compared, so comparing that one again gives the same
// verdict. `differing` holds a bit for each pixel of the row.
template <typename Visit>
void ForEachVotingPixel(const TAlphaColor* row, const TAlphaColor* below, int width,
                        bool withDiagonals, std::uint64_t* differing, Visit visit) {
    if (!withDiagonals || width == 1) {
        for (int x = 0; x < width; ++x)
            if (row[x] != below[x])
                visit(x);
        return;
    }
    if ((row[0] != below[0]) | (row[0] != below[1]))
        visit(0);
    const int last = width - 1;
    // Pixels 1 .. last - 1 have all three pixels below; most words of them pass the check whole.
    ChosenKernels().differsBelow(row + 1, below + 1, std::size_t(last - 1), differing);
    for (int word = 0; word * 64 < last - 1; ++word)
        for (std::uint64_t bits = differing[word]; bits != 0; bits &= bits - 1)
            visit(1 + word * 64 + std::countr_zero(bits));
    if ((row[last] != below[last - 1]) | (row[last] != below[last]))
        visit(last);
}

// The column pass reads four rows below the one it votes on, most of them sparsely; each row is
// fetched whole one row before its first use, so the votes do not wait for memory.
constexpr int PrefetchRowsAhead = Reach + 1;
constexpr int PixelsPerCacheLine = 64 / sizeof(TAlphaColor);

void PrefetchRow(const TAlphaColor* row, int width) {
    for (int x = 0; x < width; x += PixelsPerCacheLine)
        __builtin_prefetch(row + x);
}

} // namespace

void OilifyPass(const TBitmapData& input, const TBitmapData& output, OilifyDirection direction,
                TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    const int width = input.FWidth;
    const int height = input.FHeight;
    if (width <= 0 || height <= 0)
        return;
    const bool alongRows = direction == OilifyDirection::Rows;
    // Rows of a 32-bit bitmap are a whole number of pixels apart.
    PassSlots passSlots(alongRows ? 1 : input.Pitch / std::ptrdiff_t(sizeof(TAlphaColor)),
                        alongRows ? width : height);
    std::vector<std::uint64_t> differing(std::size_t(width) / 64 + 1);
    // Each output row is made in the cache, then written out in one go.
    std::vector<TAlphaColor> line(width);
    const VectorKernels& kernels = ChosenKernels();
    const bool stream = StreamsPictureOf(PictureBytes(output));
    TAlphaColor vote = outputColour;
    for (int y = 0; y < height; ++y) {
        const TAlphaColor* row = RowStart(input, y);
        TAlphaColor* out = RowStart(output, y);
        if (y == height - 1) {
            kernels.copy(row, out, std::size_t(width), stream); // every pixel passes the check
            break;
        }
        if (!alongRows && y + PrefetchRowsAhead < height)
            PrefetchRow(RowStart(input, y + PrefetchRowsAhead), width);
        // What the pixels that pass the uniform check get.
        std::copy(row, row + width, line.begin());
        ForEachVotingPixel(row, RowStart(input, y + 1), width, y + 2 < height, differing.data(),
                           [&](int x) {
                               vote = passSlots.VoteAt(row + x, alongRows ? x : y, vote);
                               line[x] = vote;
                           });
        kernels.copy(line.data(), out, std::size_t(width), stream);
    }
    // The last pixel visited lies on the last row, where only the centre is read.
    currentPixel = GetPixel(input, width - 1, height - 1);
    outputColour = vote;
}
