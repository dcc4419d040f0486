// SPDX-License-Identifier: MIT
#include "OilifyKernel.h"

#include "OilifySlots.h"
#include "PixelRuns.h"
#include "VectorKernels.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

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

// The vote's colour, or `previous` when no candidate passes. A winner is never an unfilled slot.
template <typename Values> TAlphaColor Vote(const Values& contents, TAlphaColor previous) {
    for (int slot : OilifySlot::WinnersFirst)
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

    std::ptrdiff_t Step() const { return step_; }

    // The vote at the pixel `centre`, `position` pixels from the start of its line.
    TAlphaColor VoteAt(const TAlphaColor* centre, int position, TAlphaColor previous) {
        if (position >= Reach && position + Reach < lineLength_) {
            NoteWholeLine(centre);
            return Vote(LineAt(centre), previous);
        }
        return VotePartLine(centre, std::max(0, Reach - position),
                            std::min(SlotCount - 1, Reach + lineLength_ - 1 - position), previous);
    }

    // A vote at `centre`, whose whole line lies in the picture, was taken elsewhere.
    void NoteWholeLine(const TAlphaColor* centre) { lastWholeLine_ = centre; }

private:
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

void Oilify(const TBitmapData& input, const TBitmapData& output, const TBitmapData* copy,
            OilifyDirection direction, TAlphaColor& currentPixel, TAlphaColor& outputColour) {
    const int width = input.FWidth;
    const int height = input.FHeight;
    if (width <= 0 || height <= 0)
        return;
    const bool alongRows = direction == OilifyDirection::Rows;
    // Rows of a 32-bit bitmap are a whole number of pixels apart.
    PassSlots passSlots(alongRows ? 1 : input.Pitch / std::ptrdiff_t(sizeof(TAlphaColor)),
                        alongRows ? width : height);
    const VectorKernels& kernels = ChosenKernels();
    const bool stream = StreamsPictureOf(PictureBytes(output));
    TAlphaColor vote = outputColour;
    for (int y = 0; y < height; ++y) {
        const TAlphaColor* row = RowStart(input, y);
        TAlphaColor* out = RowStart(output, y);
        TAlphaColor* copyRow = copy ? RowStart(*copy, y) : nullptr;
        if (y == height - 1) {
            // Every pixel of the last row passes the check.
            for (TAlphaColor* to : {out, copyRow})
                if (to != nullptr)
                    kernels.copy(row, to, std::size_t(width), stream);
            break;
        }
        if (!alongRows && y + PrefetchRowsAhead < height)
            PrefetchRow(RowStart(input, y + PrefetchRowsAhead), width);
        const TAlphaColor* below = RowStart(input, y + 1);
        const bool withDiagonals = y + 2 < height;
        const auto onePixel = [&](int x) {
            if (PassesUniformCheck(row, below, x, width, withDiagonals))
                out[x] = row[x];
            else
                out[x] = vote = passSlots.VoteAt(row + x, alongRows ? x : y, vote);
            if (copyRow != nullptr)
                copyRow[x] = out[x];
        };
        const Span span = VectorSpan(direction, y, width, height);
        for (int x = 0; x < span.first; ++x)
            onePixel(x);
        if (span.first < span.end)
            VoteSpan(kernels, passSlots, row, below, span, out, copyRow, stream, vote);
        for (int x = span.end; x < width; ++x)
            onePixel(x);
    }
    // The last pixel visited lies on the last row, where only the centre is read.
    currentPixel = GetPixel(input, width - 1, height - 1);
    outputColour = vote;
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
