// SPDX-License-Identifier: MIT
#include "StudySteps.h"

#include "CanvasGridKernel.h"
#include "GridKernel.h"
#include "OilifyKernel.h"
#include "PosterizeKernel.h"
#include "RecolourKernel.h"
#include "ShapeSimplify.h"

#include <cassert>

namespace {

bool SameSize(const TBitmap& a, const TBitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height();
}

// Runs a pass into `output` that, where `shown` is given and has the output's size, writes its
// copy too: `pass` gets the shown picture's map, or null, and says whether it wrote the copy.
// Where it did not, `shown` takes the copy afterwards, as Assign would.
template <typename Pass> void PassWithShownCopy(TBitmap& output, TBitmap* shown, Pass pass) {
    if (shown == nullptr) {
        pass(nullptr);
        return;
    }
    bool copied = false;
    {
        TBitmapData shownMap;
        std::optional<ScopedMap> shownAccess;
        if (SameSize(*shown, output))
            shownAccess.emplace(*shown, TMapAccess::Write, shownMap);
        copied = pass(shownAccess && shownAccess->Mapped() ? &shownMap : nullptr);
    }
    if (!copied)
        shown->Assign(output);
}

// One Oilify pass from `input` into `output`, and into `shown` where given.
void OilifyPassInto(TBitmap& input, TBitmap& output, OilifyDirection direction,
                    const PassState& state, TBitmap* shown = nullptr) {
    output.SetSize(input.Width(), input.Height());
    PassWithShownCopy(output, shown, [&](const TBitmapData* shownMap) {
        ScopedMap in(input, TMapAccess::Read, state.readMap);
        ScopedMap out(output, TMapAccess::Write, state.writeMap);
        const bool mapped = in.Mapped() && out.Mapped();
        if (mapped && shownMap != nullptr)
            OilifyPassWithCopy(state.readMap, state.writeMap, *shownMap, direction,
                               state.currentPixel, state.outputColour);
        else if (mapped)
            OilifyPass(state.readMap, state.writeMap, direction, state.currentPixel,
                       state.outputColour);
        out.Release();
        in.Release();
        return mapped && shownMap != nullptr;
    });
}

void OilifyCycle(const OilifyBitmaps& bitmaps, const PassState& state, TBitmap* shown) {
    OilifyPassInto(bitmaps.input, bitmaps.rows, OilifyDirection::Rows, state);
    OilifyPassInto(bitmaps.rows, bitmaps.output, OilifyDirection::Columns, state, shown);
}

} // namespace

void GreyStep(TBitmap& source, TBitmap& grey, GreyMethod method, const PassState& state) {
    ScopedMap in(source, TMapAccess::Read, state.readMap);
    grey.SetSize(source.Width(), source.Height());
    ScopedMap out(grey, TMapAccess::Write, state.writeMap);
    if (in.Mapped() && out.Mapped())
        GreyPass(state.readMap, state.writeMap, method, state.currentPixel, state.outputColour);
    out.Release();
    in.Release();
}

BandChoice BandChoice::Chosen(BandPreset preset) {
    BandChoice choice;
    choice.preset = preset;
    return choice;
}

BandChoice BandChoice::Placed(std::vector<std::uint8_t> edges, int levels, BandPreset basis) {
    return BandChoice{BandPreset::Custom, std::move(edges), levels,
                      basis == BandPreset::Custom ? BandPreset::EqualSteps : basis};
}

BandPreset BandChoice::PresetAt(int atLevels) const {
    const auto heldAt = [atLevels](BandPreset held) {
        const std::optional<int> own = PresetLevels(held);
        return own && *own != atLevels ? BandPreset::EqualSteps : held;
    };
    if (preset != BandPreset::Custom)
        return heldAt(preset);
    return atLevels == levels && BandsWithEdges(levels, edges) ? BandPreset::Custom : heldAt(basis);
}

ValueBands StudyBands(const BandChoice& choice, int levels,
                      const std::function<GreyHistogram()>& histogram) {
    const BandPreset preset = choice.PresetAt(levels);
    if (preset == BandPreset::Custom)
        return *BandsWithEdges(levels, choice.edges);
    return BandsFor(preset, levels, PresetReadsPicture(preset) ? histogram() : GreyHistogram{});
}

ValueBands StudyBands(const BandChoice& choice, int levels, TBitmap& grey) {
    return StudyBands(choice, levels, [&grey] {
        TBitmapData map;
        ScopedMap mapped(grey, TMapAccess::Read, map);
        return mapped.Mapped() ? HistogramOf(map) : GreyHistogram{};
    });
}

void PosterizeStep(TBitmap& grey, TBitmap& poster, const ValueBands& bands, const PassState& state,
                   TBitmap* shown) {
    poster.SetSize(grey.Width(), grey.Height());
    PassWithShownCopy(poster, shown, [&](const TBitmapData* shownMap) {
        ScopedMap out(poster, TMapAccess::Write, state.writeMap);
        // The grey picture is only read; a write mapping shows its current pixels all the same.
        ScopedMap in(grey, TMapAccess::Write, state.readMap);
        const bool mapped = out.Mapped() && in.Mapped();
        if (mapped && shownMap != nullptr)
            PosterizePassWithCopy(state.readMap, state.writeMap, *shownMap, bands,
                                  state.currentPixel, state.outputColour);
        else if (mapped)
            PosterizePass(state.readMap, state.writeMap, bands, state.currentPixel,
                          state.outputColour);
        out.Release();
        in.Release();
        return mapped && shownMap != nullptr;
    });
}

void OilifyStep(const OilifyBitmaps& bitmaps, const PassState& state, TBitmap* shown) {
    OilifyCycle(bitmaps, state, nullptr);
    // The first cycle's result goes on as the next click's start; the second cycle writes all of
    // the output.
    bitmaps.input.Swap(bitmaps.output);
    OilifyCycle(bitmaps, state, shown);
}

void SimplifyStep(TBitmap& picture, std::uint64_t minimumPixels, TBitmapData& map, TBitmap* result,
                  TBitmap* nextStart, const ShapeMerger* patches) {
    {
        ScopedMap mapped(picture, TMapAccess::Write, map);
        if (!mapped.Mapped())
            return;
        std::optional<ShapeMerger> found;
        if (patches == nullptr)
            found.emplace(map);
        const ShapeMerger& merger = patches != nullptr ? *patches : *found;
        std::optional<ScopedMap> resultAccess;
        TBitmapData resultMap;
        if (result != nullptr) {
            result->SetSize(picture.Width(), picture.Height());
            resultAccess.emplace(*result, TMapAccess::Write, resultMap);
        }
        merger.Merge(minimumPixels, map,
                     resultAccess && resultAccess->Mapped() ? &resultMap : nullptr);
    }
    if (nextStart != nullptr)
        nextStart->Assign(picture);
}

bool SnapshotFitsPass(const TBitmap& snapshot, const TBitmap& picture) {
    return SameSize(snapshot, picture);
}

void RecolourStep(TBitmap& picture, std::optional<TAlphaColor> from, TAlphaColor to,
                  TBitmapData& map, TBitmap* snapshot) {
    assert(snapshot == nullptr || SnapshotFitsPass(*snapshot, picture));
    ScopedMap mapped(picture, TMapAccess::Write, map);
    if (!mapped.Mapped() || !from)
        return;
    if (snapshot == nullptr) {
        ReplaceColour(map, *from, to);
        return;
    }
    TBitmapData snapshotMap;
    ScopedMap snapshotAccess(*snapshot, TMapAccess::Write, snapshotMap);
    ReplaceColourAfterCopy(map, snapshotMap, *from, to);
}

std::vector<QRect> GridStep(TBitmap& picture, int spacing, TAlphaColor colour,
                            const GridStyle& style, TBitmapData& map, TBitmap* snapshot) {
    assert(snapshot == nullptr || SnapshotFitsPass(*snapshot, picture));
    if (!GridDrawsOn(picture))
        return {};
    ScopedMap mapped(picture, TMapAccess::Write, map);
    if (!mapped.Mapped())
        return {};
    if (snapshot == nullptr)
        return DrawCanvasGrid(map, spacing, colour, style);
    TBitmapData snapshotMap;
    ScopedMap snapshotAccess(*snapshot, TMapAccess::Write, snapshotMap);
    DrawGridAfterCopy(map, snapshotMap, spacing, colour);
    return {};
}

OutlineSheet OutlineStep(TBitmap& study, const StudyOverlay& overlay, const CanvasSettings& canvas,
                         const OutlineSettings& settings) {
    TBitmapData map;
    const ScopedMap mapped(study, TMapAccess::Read, map);
    return OutlineSheet(map, overlay, canvas, settings);
}
