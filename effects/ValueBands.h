// SPDX-License-Identifier: MIT
// Where the study's value bands fall: the tones a level count gives stay, dark to light, and the
// edges between them move. The presets place the edges for a picture's grey histogram; "Equal
// steps" is posterizing's own rule, so a study at that preset is pixel for pixel the study
// without bands.
#pragma once

#include "Bitmap.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Pixels of each grey value (the red byte of a grey picture).
using GreyHistogram = std::array<std::uint64_t, 256>;

GreyHistogram HistogramOf(const TBitmapData& grey);

// The bands of one study: tones.size() - 1 edges, rising, each within 1..255. A grey value below
// edges[k] falls into a band no lighter than band k; edges[k] and above into band k + 1 or
// lighter.
struct ValueBands {
    std::vector<std::uint8_t> tones;
    std::vector<std::uint8_t> edges;
    bool operator==(const ValueBands&) const = default;
};

enum class BandPreset {
    EqualSteps,     // posterizing's own bands for the level count
    EqualLightness, // edges at equal steps of CIE L*, grey values read as sRGB
    EqualAreas,     // each band as near its equal share of the pixels as whole greys allow
    Notan2,         // two values (2 levels), the edge by Otsu's method
    Notan3,         // three values (3 levels), both edges by Otsu's method
    Custom,         // edges the painter placed
};

// The level count a preset sets, if it sets one: 2 and 3 for the notans.
std::optional<int> PresetLevels(BandPreset preset);

// The tones of a level count (2..13), dark to light: N or N + 1 of them.
std::vector<std::uint8_t> BandTones(int levels);

// The bands a preset gives for a level count and a picture's histogram (only read by the presets
// that depend on the picture). A notan preset takes its own level count.
ValueBands BandsFor(BandPreset preset, int levels, const GreyHistogram& histogram);

// Whether the preset places its edges from the picture's histogram.
bool PresetReadsPicture(BandPreset preset);

// The bands with `edges` for a level count, where they are as many as the tones less one, rising
// and within 1..255; none otherwise.
std::optional<ValueBands> BandsWithEdges(int levels, const std::vector<std::uint8_t>& edges);

// Moves edge `index` to `value`, held strictly between its neighbours (and within 1..255).
void MoveEdge(ValueBands& bands, int index, int value);

// Each band's share of the picture's pixels, in band order; zeros for an empty picture.
std::vector<double> BandShares(const ValueBands& bands, const GreyHistogram& histogram);

// The batch's names of the presets ("equal", "lightness", "areas", "notan2", "notan3") and the
// window's ("Equal steps", ...).
std::optional<BandPreset> PresetNamed(const QString& batchName);
QString PresetTitle(BandPreset preset);
