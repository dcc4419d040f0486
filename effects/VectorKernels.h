// SPDX-License-Identifier: MIT
#pragma once

#include "AlphaColor.h"

#include <cstddef>
#include <cstdint>

// The loops over runs of pixels that the effects spend their time in, in one version for the
// x86-64 baseline (SSE2) and one for AVX2, chosen once at run time. Both give the same pixels.
// The loops themselves are in VectorLoops.h and the family headers it names.

// How a channel byte c of a pixel becomes the grey value of an opaque grey pixel: c is lifted
// (saturating at 255), then passed through a step function that starts at `base` and rises by
// `rises[i]` from `thresholds[i]` on, for the first `stepCount` steps; with no steps, the lifted
// value is the grey value.
struct ToneRule {
    static constexpr int MaxSteps = 16;
    int shift = 16; // 16: red, 8: green, 0: blue
    std::uint8_t lift = 0;
    std::uint8_t base = 0;
    int stepCount = 0;
    std::uint8_t thresholds[MaxSteps] = {}; // rising, each at least 1
    std::uint8_t rises[MaxSteps] = {};      // the step functions' values never pass 255
};

// The grey value of channel byte `c` under `rule`, one pixel at a time.
std::uint8_t ToneOf(const ToneRule& rule, std::uint8_t c);

// The vector loops. `count` pixels from `in` on; `copy`, where a loop has one and it is not null,
// receives the same pixels as the main output. With `stream`, stores bypass the caches: for
// pictures much larger than the caches, whose output is not read again soon.
struct VectorKernels {
    // out[i] (and copy[i]) = OpaqueGrey(ToneOf(rule, channel of in[i])).
    void (*tone)(const TAlphaColor* in, TAlphaColor* out, TAlphaColor* copy, std::size_t count,
                 const ToneRule& rule, bool stream);
    // copy[i] = pixels[i] when copy is not null, then pixels[i] = to where it was `from`. Pixels
    // that do not change are not written, so memory without a match stays untouched.
    void (*replace)(TAlphaColor* pixels, TAlphaColor* copy, std::size_t count, TAlphaColor from,
                    TAlphaColor to, bool stream);
    // out[i] = in[i].
    void (*copy)(const TAlphaColor* in, TAlphaColor* out, std::size_t count, bool stream);
    // Oilify's uniform check and vote for `count` pixels of a line, into out[0 .. count) (and
    // copy[0 .. count) where it is not null).
    // slotRuns[k][i] is the colour in slot k (see OilifySlots.h) for pixel i,
    // slotRuns[OilifySlot::Centre][i] the pixel itself; below[i - 1], below[i] and below[i + 1]
    // are the pixels below it (below[-1] and below[count] are read). A pixel equal to all three
    // below is copied. Any other votes: it gets the first slot of OilifySlot::WinnersFirst whose
    // colour is in another slot too, or where none is, the colour of the vote before it:
    // `previous` on entry, the last vote's colour on exit. Returns the index of the last pixel
    // that voted, or -1.
    std::ptrdiff_t (*oilifyVotes)(const TAlphaColor* const* slotRuns, const TAlphaColor* below,
                                  std::size_t count, TAlphaColor* out, TAlphaColor* copy,
                                  TAlphaColor& previous, bool stream);
    // Adds to counts[j] how many of the `count` pixels are known[j], for the first `knownCount`
    // (1 to MaxKnownTones) distinct colours; returns how many pixels matched any of them.
    static constexpr int MaxKnownTones = 8;
    std::size_t (*countKnown)(const TAlphaColor* pixels, std::size_t count,
                              const TAlphaColor* known, int knownCount, std::uint64_t* counts);
};

enum class VectorPath { Sse2, Avx2 };

// Whether this CPU (and its operating system) can run the AVX2 loops.
bool CpuRunsAvx2();

// The loops of one path; the AVX2 ones only where CpuRunsAvx2().
const VectorKernels& KernelsOf(VectorPath path);

// The path the effects use: AVX2 where the CPU has it, unless the environment variable
// HALVANE_VECTORS is "sse2" at the first call.
VectorPath ChosenVectorPath();
const VectorKernels& ChosenKernels();

// Whether a picture of this many bytes is written with stores that bypass the caches.
bool StreamsPictureOf(std::size_t bytes);
