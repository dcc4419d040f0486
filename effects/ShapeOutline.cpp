// SPDX-License-Identifier: MIT
#include "ShapeOutline.h"

#include "AppError.h"
#include "CanvasGridKernel.h"
#include "Cores.h"
#include "PatchRuns.h"
#include "ToneCensus.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <emmintrin.h>
#include <limits>
#include <optional>
#include <unordered_map>

namespace {

using Depth = std::uint16_t;

// One step further. It never passes the largest depth: going down, pixel (x, y) has at most
// x + 1 once its row is swept (a block's first row starts from the largest depth, which the
// sweep brings down before anything steps from it), and going up at most its distance to the
// right edge; and a side has at most TBitmap::MaxSide (65535) pixels.
inline Depth StepBeyond(Depth depth) {
    static_assert(TBitmap::MaxSide <= std::numeric_limits<Depth>::max());
    return Depth(depth + 1);
}

// A neighbour's offer for a pixel's depth: one step beyond its own where it has the pixel's
// colour, else 1, as it is of another colour itself.
inline Depth Offer(TAlphaColor colour, TAlphaColor neighbour, Depth neighbourDepth) {
    return neighbour == colour ? StepBeyond(neighbourDepth) : Depth(1);
}

// The lower of each lane's two depths (SSE2 has no unsigned 16-bit minimum).
inline __m128i LowerDepths(__m128i a, __m128i b) {
    return _mm_sub_epi16(a, _mm_subs_epu16(a, b));
}

// Each lane's depth one step beyond `shifted`'s, lanes shifted in from outside the vector offering
// nothing: the steps saturate, and no true depth comes near the top of the range.
inline __m128i Beyond(__m128i shifted, __m128i outside, int steps) {
    return _mm_adds_epu16(_mm_or_si128(shifted, outside), _mm_set1_epi16(short(steps)));
}

// A row's depths swept from the left: each at most one step beyond the one before it. The 1 of
// a run's first pixel stops whatever the run before offers. Eight at a time, each lane taking in
// one, two, then four lanes before it, then the depth carried from the eight before; a loop of
// single steps would wait on each depth before the next.
void SweepFromLeft(Depth* depth, int width) {
    const __m128i none = _mm_set1_epi16(-1);
    const __m128i lanesAfter = _mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8);
    __m128i carried = none;
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(depth + x));
        lanes = LowerDepths(lanes, Beyond(_mm_slli_si128(lanes, 2), _mm_srli_si128(none, 14), 1));
        lanes = LowerDepths(lanes, Beyond(_mm_slli_si128(lanes, 4), _mm_srli_si128(none, 12), 2));
        lanes = LowerDepths(lanes, Beyond(_mm_slli_si128(lanes, 8), _mm_srli_si128(none, 8), 4));
        lanes = LowerDepths(lanes, _mm_adds_epu16(carried, lanesAfter));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(depth + x), lanes);
        const __m128i last = _mm_shufflehi_epi16(lanes, 0xFF);
        carried = _mm_unpackhi_epi64(last, last);
    }
    for (x = std::max(x, 1); x < width; ++x)
        depth[x] = std::min(depth[x], StepBeyond(depth[x - 1]));
}

// The same from the right.
void SweepFromRight(Depth* depth, int width) {
    const __m128i none = _mm_set1_epi16(-1);
    const __m128i lanesBefore = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    __m128i carried = none;
    int end = width;
    for (; end >= 8; end -= 8) {
        Depth* eight = depth + end - 8;
        __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(eight));
        lanes = LowerDepths(lanes, Beyond(_mm_srli_si128(lanes, 2), _mm_slli_si128(none, 14), 1));
        lanes = LowerDepths(lanes, Beyond(_mm_srli_si128(lanes, 4), _mm_slli_si128(none, 12), 2));
        lanes = LowerDepths(lanes, Beyond(_mm_srli_si128(lanes, 8), _mm_slli_si128(none, 8), 4));
        lanes = LowerDepths(lanes, _mm_adds_epu16(carried, lanesBefore));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(eight), lanes);
        const __m128i first = _mm_shufflelo_epi16(lanes, 0x00);
        carried = _mm_unpacklo_epi64(first, first);
    }
    for (int x = std::min(end, width - 1) - 1; x >= 0; --x)
        depth[x] = std::min(depth[x], StepBeyond(depth[x + 1]));
}

// Row `y` of the first pass, down the rows: its depths from the row above (up-left, up,
// up-right) and then from the left. Offers from outside the picture are 1. With `fromAbove`
// false the row above offers nothing, as at the start of a block of rows whose row above is not
// known yet: each depth is then at least its true one.
void DepthRowFromAbove(const PatchRuns& runs, const TBitmapData& study, Depth* depths, int y,
                       bool fromAbove) {
    const int width = runs.width;
    Depth* depth = depths + std::size_t(y) * std::size_t(width);
    if (y == 0 || width < 3) {
        std::fill(depth, depth + width, Depth(1));
        return;
    }
    depth[0] = 1;
    depth[width - 1] = 1;
    if (fromAbove) {
        const TAlphaColor* row = RowStart(study, y);
        const TAlphaColor* above = RowStart(study, y - 1);
        const Depth* aboveDepth = depth - width;
        for (int x = 1; x < width - 1; ++x) {
            const TAlphaColor colour = row[x];
            depth[x] = std::min({Offer(colour, above[x - 1], aboveDepth[x - 1]),
                                 Offer(colour, above[x], aboveDepth[x]),
                                 Offer(colour, above[x + 1], aboveDepth[x + 1])});
        }
    } else {
        std::fill(depth + 1, depth + width - 1, std::numeric_limits<Depth>::max());
    }
    // From the left: a run's first pixel has another colour to its left, and its 1 stops
    // whatever the run before offers, so one sweep serves the whole row.
    for (std::uint32_t i = runs.rowStart[std::size_t(y)]; i < runs.rowStart[std::size_t(y) + 1];
         ++i)
        depth[runs.StartOf(i, y)] = 1;
    SweepFromLeft(depth, width);
}

// Each run's deepest pixel, the first of them.
struct RunDeepest {
    std::int32_t x;
    Depth depth;
};

// The higher of each lane's two depths.
inline __m128i HigherDepths(__m128i a, __m128i b) {
    return _mm_add_epi16(a, _mm_subs_epu16(b, a));
}

// The deepest of depths [start, end) and the first place it is: the greatest depth first, eight
// at a time, then the first lane holding it. A running maximum would wait on each depth in turn.
RunDeepest DeepestOf(const Depth* depth, std::int32_t start, std::int32_t end) {
    std::int32_t x = start;
    __m128i most = _mm_setzero_si128();
    for (; x + 8 <= end; x += 8)
        most = HigherDepths(most, _mm_loadu_si128(reinterpret_cast<const __m128i*>(depth + x)));
    most = HigherDepths(most, _mm_srli_si128(most, 8));
    most = HigherDepths(most, _mm_srli_si128(most, 4));
    most = HigherDepths(most, _mm_srli_si128(most, 2));
    auto greatest = Depth(_mm_extract_epi16(most, 0));
    for (; x < end; ++x)
        greatest = std::max(greatest, depth[x]);
    const __m128i wanted = _mm_set1_epi16(short(greatest));
    for (x = start; x + 8 <= end; x += 8) {
        const auto lanes = unsigned(_mm_movemask_epi8(
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depth + x)), wanted)));
        if (lanes != 0)
            return {x + std::int32_t(__builtin_ctz(lanes)) / 2, greatest};
    }
    while (depth[x] != greatest)
        ++x;
    return {x, greatest};
}

// Row `y` of the second pass, up the rows: the same from the row below and the right, which
// makes every depth exact (a chessboard distance needs no more than these two passes); then each
// run's deepest pixel. With `fromBelow` false the row below offers nothing.
void DepthRowFromBelow(const PatchRuns& runs, const TBitmapData& study, Depth* depths, int y,
                       bool fromBelow, RunDeepest* deepestOfRun) {
    const int width = runs.width;
    Depth* depth = depths + std::size_t(y) * std::size_t(width);
    if (y == runs.height - 1 || width < 3) {
        std::fill(depth, depth + width, Depth(1));
    } else if (fromBelow) {
        const TAlphaColor* row = RowStart(study, y);
        const TAlphaColor* below = RowStart(study, y + 1);
        const Depth* belowDepth = depth + width;
        for (int x = 1; x < width - 1; ++x) {
            const TAlphaColor colour = row[x];
            depth[x] = std::min({depth[x], Offer(colour, below[x - 1], belowDepth[x - 1]),
                                 Offer(colour, below[x], belowDepth[x]),
                                 Offer(colour, below[x + 1], belowDepth[x + 1])});
        }
    }
    const std::uint32_t firstRun = runs.rowStart[std::size_t(y)];
    const std::uint32_t endRun = runs.rowStart[std::size_t(y) + 1];
    for (std::uint32_t i = firstRun; i < endRun; ++i)
        depth[runs.ends[i] - 1] = 1;
    // From the right, as from the left; then each run's deepest pixel, the first of them.
    SweepFromRight(depth, width);
    for (std::uint32_t run = firstRun; run < endRun; ++run)
        deepestOfRun[run] = DeepestOf(depth, runs.StartOf(run, y), runs.ends[run]);
}

// Columns [first, last] of a row; empty where last < first.
struct Columns {
    int first;
    int last;
    bool Empty() const { return last < first; }
};

// Row `y` of the first pass made again where the row above went down in `changedAbove`, from
// the depths it holds: it takes the row above's new offers, and the lower depths run on to the
// right. Gives the columns that went down. As a row's depths are the row above's offers swept
// from the left, and a sweep of a sweep is the sweep, this is the row made from the new row
// above.
Columns DepthRowAgainFromAbove(const TBitmapData& study, Depth* depths, int width, int y,
                               Columns changedAbove) {
    const TAlphaColor* row = RowStart(study, y);
    const TAlphaColor* above = RowStart(study, y - 1);
    Depth* depth = depths + std::size_t(y) * std::size_t(width);
    const Depth* aboveDepth = depth - width;
    Columns changed{width, -1};
    const int from = std::max(1, changedAbove.first - 1);
    const int to = std::min(width - 2, changedAbove.last + 1);
    for (int x = from; x < width; ++x) {
        Depth made = std::min(depth[x], StepBeyond(depth[x - 1]));
        if (x <= to && x < width - 1) {
            const TAlphaColor colour = row[x];
            made = std::min({made, Offer(colour, above[x - 1], aboveDepth[x - 1]),
                             Offer(colour, above[x], aboveDepth[x]),
                             Offer(colour, above[x + 1], aboveDepth[x + 1])});
        } else if (made == depth[x]) {
            break; // past the row above's changes, and the sweep brings nothing lower
        }
        if (made < depth[x]) {
            depth[x] = made;
            changed.first = std::min(changed.first, x);
            changed.last = x;
        }
    }
    return changed;
}

// The same for the second pass, from the row below and to the left; the deepest pixels of the
// runs that went down are found again. The depths a row holds here are the first pass's taken
// down by the old row below, whose offers are never lower than the new one's: so taking the new
// offers into them gives the row made from the first pass's depths and the new row below.
Columns DepthRowAgainFromBelow(const PatchRuns& runs, const TBitmapData& study, Depth* depths,
                               int y, Columns changedBelow, RunDeepest* deepestOfRun) {
    const int width = runs.width;
    const TAlphaColor* row = RowStart(study, y);
    const TAlphaColor* below = RowStart(study, y + 1);
    Depth* depth = depths + std::size_t(y) * std::size_t(width);
    const Depth* belowDepth = depth + width;
    Columns changed{width, -1};
    const int from = std::min(width - 2, changedBelow.last + 1);
    const int to = std::max(1, changedBelow.first - 1);
    for (int x = from; x >= 0; --x) {
        Depth made = std::min(depth[x], StepBeyond(depth[x + 1]));
        if (x >= to && x > 0) {
            const TAlphaColor colour = row[x];
            made = std::min({made, Offer(colour, below[x - 1], belowDepth[x - 1]),
                             Offer(colour, below[x], belowDepth[x]),
                             Offer(colour, below[x + 1], belowDepth[x + 1])});
        } else if (made == depth[x]) {
            break;
        }
        if (made < depth[x]) {
            depth[x] = made;
            changed.first = x;
            changed.last = std::max(changed.last, x);
        }
    }
    if (!changed.Empty())
        for (std::uint32_t run = runs.FirstPast(y, changed.first);
             run < runs.rowStart[std::size_t(y) + 1] && runs.StartOf(run, y) <= changed.last; ++run)
            deepestOfRun[run] = DeepestOf(depth, runs.StartOf(run, y), runs.ends[run]);
    return changed;
}

// Runs a pass of depths over the rows, a block of rows a thread: `row(y, fromNeighbour)` makes
// each row, `down` telling whether from the one above it or from the one below. A block's first
// row is made without its neighbour row, which another block makes, so its depths may be too
// high. Then, block after block in the pass's order, `again(y, changed)` makes its rows again
// from their neighbour's new depths where these went down, while any do: the depths are those
// of one pass over all the rows, and the work made twice is about the patches at each seam.
template <typename Row, typename Again>
void RunDepthPass(int width, int height, bool down, const Row& row, const Again& again) {
    const RowBlocks blocks = RowBlocks::OnePerThread(height);
    const auto rowsIn = [&](int block) { return blocks.End(block) - blocks.First(block); };
    const auto nthRow = [&](int block, int i) {
        return down ? blocks.First(block) + i : blocks.End(block) - 1 - i;
    };
    blocks.ForEach([&](int block) {
        for (int i = 0; i < rowsIn(block); ++i)
            row(nthRow(block, i), i != 0);
    });
    for (int k = 1; k < blocks.Count(); ++k) {
        const int block = down ? k : blocks.Count() - 1 - k;
        Columns changed{0, width - 1};
        for (int i = 0; i < rowsIn(block) && !changed.Empty(); ++i)
            changed = again(nthRow(block, i), changed);
    }
}

// Both passes, and each patch's pole: its first pixel, row by row, of the greatest depth.
void FindDepths(const PatchRuns& runs, const TBitmapData& study, Depth* depths,
                std::vector<PatchPole>& poles) {
    RunDepthPass(
        runs.width, runs.height, true,
        [&](int y, bool fromAbove) { DepthRowFromAbove(runs, study, depths, y, fromAbove); },
        [&](int y, Columns changedAbove) {
            return DepthRowAgainFromAbove(study, depths, runs.width, y, changedAbove);
        });
    std::vector<RunDeepest> deepest(runs.ends.size());
    RunDepthPass(
        runs.width, runs.height, false,
        [&](int y, bool fromBelow) {
            DepthRowFromBelow(runs, study, depths, y, fromBelow, deepest.data());
        },
        [&](int y, Columns changedBelow) {
            return DepthRowAgainFromBelow(runs, study, depths, y, changedBelow, deepest.data());
        });
    for (int y = 0; y < runs.height; ++y)
        for (std::uint32_t i = runs.rowStart[std::size_t(y)]; i < runs.rowStart[std::size_t(y) + 1];
             ++i) {
            PatchPole& pole = poles[runs.patches[i]];
            if (deepest[i].depth > pole.depth)
                pole = {deepest[i].x, y, deepest[i].depth};
        }
}

// Vertical boundaries: the picture's sides and every run's end inside a row, each joined with
// the same column's in the rows above while they go on.
void VerticalSegments(const PatchRuns& runs, std::vector<OutlineSegment>& segments) {
    struct Open {
        std::int32_t x;
        std::int32_t top;
    };
    std::vector<Open> open;
    std::vector<Open> next;
    for (int y = 0; y <= runs.height; ++y) {
        next.clear();
        std::size_t o = 0;
        const auto carry = [&](std::int32_t x) {
            while (o < open.size() && open[o].x < x) {
                segments.push_back({open[o].x, open[o].top, open[o].x, y});
                ++o;
            }
            if (o < open.size() && open[o].x == x)
                next.push_back(open[o++]);
            else
                next.push_back({x, y});
        };
        if (y < runs.height) {
            carry(0);
            for (std::uint32_t i = runs.rowStart[std::size_t(y)];
                 i < runs.rowStart[std::size_t(y) + 1]; ++i)
                carry(runs.ends[i]);
        }
        for (; o < open.size(); ++o)
            segments.push_back({open[o].x, open[o].top, open[o].x, y});
        std::swap(open, next);
    }
}

// Horizontal boundaries: the picture's top and bottom, and between two rows every stretch where
// the colours above and below differ.
void HorizontalSegments(const PatchRuns& runs, std::vector<OutlineSegment>& segments) {
    if (runs.width == 0 || runs.height == 0)
        return;
    segments.push_back({0, 0, runs.width, 0});
    for (int y = 1; y < runs.height; ++y) {
        std::uint32_t a = runs.rowStart[std::size_t(y) - 1];
        std::uint32_t b = runs.rowStart[std::size_t(y)];
        const std::uint32_t aEnd = b;
        const std::uint32_t bEnd = runs.rowStart[std::size_t(y) + 1];
        std::int32_t from = 0;
        std::int32_t openedAt = -1;
        while (a < aEnd && b < bEnd) {
            const std::int32_t to = std::min(runs.ends[a], runs.ends[b]);
            const bool differ = runs.colours[runs.patches[a]] != runs.colours[runs.patches[b]];
            if (differ && openedAt < 0)
                openedAt = from;
            if (!differ && openedAt >= 0) {
                segments.push_back({openedAt, y, from, y});
                openedAt = -1;
            }
            from = to;
            a += runs.ends[a] == to;
            b += runs.ends[b] == to;
        }
        if (openedAt >= 0)
            segments.push_back({openedAt, y, runs.width, y});
    }
    segments.push_back({0, runs.height, runs.width, runs.height});
}

// The study as it was under what was drawn over it, as near as its own pixels tell (see
// TraceOutline). `nearest` is room for a distance a pixel.
void Uncover(const TBitmapData& study, const StudyOverlay& overlay, const TBitmapData& uncovered,
             Depth* nearest) {
    const int width = study.FWidth;
    const int height = study.FHeight;
    constexpr Depth None = std::numeric_limits<Depth>::max();
    std::vector<std::uint8_t> covered(static_cast<std::size_t>(width));
    const auto coverRow = [&](int y) {
        const TAlphaColor* row = RowStart(study, y);
        for (int x = 0; x < width; ++x)
            covered[x] = std::find(overlay.colours.begin(), overlay.colours.end(), row[x]) !=
                         overlay.colours.end();
        for (const QRect& area : overlay.areas)
            if (y >= area.top() && y <= area.bottom())
                std::fill(covered.begin() + std::clamp(area.left(), 0, width),
                          covered.begin() + std::clamp(area.right() + 1, 0, width), 1);
    };
    // The nearest to the left or above, going down; then to the right or below, going up.
    std::vector<int> seenY(static_cast<std::size_t>(width));
    std::vector<TAlphaColor> seenColour(static_cast<std::size_t>(width));
    for (const bool down : {true, false}) {
        std::fill(seenY.begin(), seenY.end(), -1);
        for (int step = 0; step < height; ++step) {
            const int y = down ? step : height - 1 - step;
            coverRow(y);
            const TAlphaColor* row = RowStart(study, y);
            TAlphaColor* out = RowStart(uncovered, y);
            Depth* distance = nearest + std::size_t(y) * std::size_t(width);
            int seenX = -1;
            TAlphaColor seenInRow = 0;
            for (int x0 = 0; x0 < width; ++x0) {
                const int x = down ? x0 : width - 1 - x0;
                if (!covered[x]) {
                    out[x] = row[x];
                    seenX = x;
                    seenInRow = row[x];
                    seenY[x] = y;
                    seenColour[x] = row[x];
                    continue;
                }
                if (down) {
                    out[x] = row[x];
                    distance[x] = None;
                }
                const auto offer = [&](int far, TAlphaColor colour) {
                    if (far < distance[x]) {
                        distance[x] = Depth(far);
                        out[x] = colour;
                    }
                };
                if (seenX >= 0)
                    offer(std::min(std::abs(x - seenX), int(None) - 1), seenInRow);
                if (seenY[x] >= 0)
                    offer(std::min(std::abs(y - seenY[x]), int(None) - 1), seenColour[x]);
                // Where lines cross, no pixel of the study lies straight in any direction: the
                // crossing takes what its left (or upper) neighbour took.
                if (down && distance[x] == None && (x > 0 || y > 0))
                    out[x] = x > 0 ? out[x - 1] : RowStart(uncovered, y - 1)[x];
            }
        }
    }
}

} // namespace

OutlineTrace TraceOutline(const TBitmapData& study, const StudyOverlay& overlay) {
    OutlineTrace trace;
    if (study.FWidth <= 0 || study.FHeight <= 0)
        return trace;
    trace.depths = PictureArray<Depth>(std::size_t(study.FWidth) * std::size_t(study.FHeight));
    // The shapes are those of the study uncovered; the key is counted on the study as shown.
    TBitmap uncovered;
    TBitmapData uncoveredMap;
    std::optional<ScopedMap> uncoveredMapping;
    if (!overlay.colours.empty() || !overlay.areas.empty()) {
        uncovered.SetSize(study.FWidth, study.FHeight);
        uncoveredMapping.emplace(uncovered, TMapAccess::Write, uncoveredMap);
        Uncover(study, overlay, uncoveredMap, trace.depths.data());
    }
    const TBitmapData& shapes = uncoveredMapping ? uncoveredMap : study;
    const PatchRuns runs = FindPatchRuns(shapes);
    trace.width = runs.width;
    trace.height = runs.height;
    trace.colours.assign(runs.colours.begin(), runs.colours.end());
    trace.poles.assign(runs.PatchCount(), PatchPole{});
    FindDepths(runs, shapes, trace.depths.data(), trace.poles);
    trace.key = KeyRowsOf(CountStudyTones(study, overlay.colours, overlay.areas).tones);
    VerticalSegments(runs, trace.segments);
    HorizontalSegments(runs, trace.segments);
    return trace;
}

int LineBandOf(double lineWidth) {
    return std::max(1, int(std::lround(lineWidth / 2)));
}

OutlineLabels PlaceLabels(const OutlineTrace& trace, const LabelRule& rule) {
    std::unordered_map<TAlphaColor, int> numbers;
    for (const KeyRow& row : trace.key)
        if (!row.IsOther())
            numbers[row.colour] = row.number;
    // Lines reach this far from a boundary, on the picture and in the outline picture.
    const double lineReach = std::max(double(LineBandOf(rule.lineWidth)), rule.lineWidth / 2);
    OutlineLabels placed;
    for (std::uint32_t patch = 0; patch < trace.poles.size(); ++patch) {
        const auto found = numbers.find(trace.colours[patch]);
        if (found == numbers.end()) {
            ++placed.unkeyed;
            continue;
        }
        const PatchPole& pole = trace.poles[patch];
        // Every pixel within depth - 1 steps of the pole is of the patch, so a box reaching
        // less than depth - 1/2 from the pole's centre (less the lines) stays inside it; a hair
        // less, so that rounding never takes a box onto the next pixel.
        const double room = double(pole.depth) - 0.5 - lineReach - 1e-6;
        const double width = DigitWidthPerHeight * double(QString::number(found->second).size());
        const double height = std::min(rule.largest, 2 * room / std::max(width, 1.0));
        if (room <= 0 || height < rule.smallest) {
            ++placed.tooSmall;
            continue;
        }
        const QPointF centre(pole.x + 0.5, pole.y + 0.5);
        const QSizeF size(width * height, height);
        placed.labels.push_back(
            {patch, found->second,
             QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size)});
    }
    return placed;
}

QString LabelReadout(const OutlineLabels& labels) {
    QString text = QStringLiteral("%1 shapes numbered, %2 too small")
                       .arg(labels.labels.size())
                       .arg(labels.tooSmall);
    if (labels.unkeyed != 0)
        text += QStringLiteral(", %1 without a number in the key").arg(labels.unkeyed);
    return text;
}

void DrawOutline(const OutlineTrace& trace, const OutlineLabels& labels, double lineWidth,
                 const OutlineGridPixels& grid, const TBitmapData& map) {
    for (int y = 0; y < trace.height; ++y)
        std::fill_n(RowStart(map, y), trace.width, PaperColour);
    if (grid.spacing > 0)
        DrawCanvasGrid(map, grid.spacing, GridUnderColour,
                       GridStyle{grid.lineWidth, grid.diagonals, false});
    const Depth band = Depth(LineBandOf(lineWidth));
    for (int y = 0; y < trace.height; ++y) {
        TAlphaColor* row = RowStart(map, y);
        const Depth* depth = trace.depths.data() + std::size_t(y) * std::size_t(trace.width);
        for (int x = 0; x < trace.width; ++x)
            row[x] = depth[x] <= band ? LineColour : row[x];
    }
    if (labels.labels.empty())
        return;
    QImage picture(static_cast<uchar*>(map.Data), map.FWidth, map.FHeight, map.Pitch,
                   QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The digits' outlines filled as paths, unhinted: the same pixels whatever fonts and glyph
    // caches the process has set up before, so that the window and the batch agree.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(1000);
    for (const OutlineLabel& label : labels.labels) {
        QPainterPath digits;
        digits.addText(QPointF(0, 0), font, QString::number(label.number));
        // Standing on the box's bottom, centred across it; the clip keeps any stray ink in it.
        const double scale = label.box.height() / (DigitHeightPerEm * 1000);
        const QRectF ink = digits.boundingRect();
        QTransform place;
        place.translate(label.box.center().x() - ink.center().x() * scale, label.box.bottom());
        place.scale(scale, scale);
        painter.setClipRect(label.box);
        painter.fillPath(place.map(digits), Qt::black);
    }
}

OutlineSheet::OutlineSheet(const TBitmapData& study, const StudyOverlay& overlay,
                           const CanvasSettings& canvas, const OutlineSettings& settings)
    : trace_(TraceOutline(study, overlay)), canvas_(canvas),
      plan_(PlanCanvas(canvas, trace_.width, trace_.height)) {
    if (trace_.width > 0)
        mmPerPixel_ = plan_.pictureWidthMm / trace_.width;
    Choose(settings);
}

void OutlineSheet::Choose(const OutlineSettings& settings) {
    settings_ = settings;
    labels_ = PlaceLabels(trace_, {settings.smallestNumberMm / mmPerPixel_,
                                   settings.largestNumberMm / mmPerPixel_, LineWidthPixels()});
}

OutlineGridPixels OutlineSheet::GridPixels() const {
    if (!settings_.grid)
        return {};
    return {plan_.spacing, plan_.lineWidth, canvas_.diagonals};
}

void OutlineSheet::Draw(TBitmap& picture) const {
    picture.SetSize(trace_.width, trace_.height);
    TBitmapData map;
    const ScopedMap mapped(picture, TMapAccess::Write, map);
    if (!mapped.Mapped())
        throw AppError(QStringLiteral("Saving bitmap failed."));
    DrawOutline(trace_, labels_, LineWidthPixels(), GridPixels(), map);
}
