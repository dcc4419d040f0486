// SPDX-License-Identifier: MIT
// The vector loops of every family, written once over a way `V` (SSE2 or AVX2, see VectorWay.h),
// and the table of one path's loops. Included by the file of each path only, which compiles them
// for its instruction set. Everything the family headers define is a template or lives in that
// file's unnamed namespace, so no function compiled for AVX2 can be shared with the baseline code.
//
// The families, one header each: ToneLoops.h (grey, posterize), ReplaceLoops.h (recolour),
// CopyLoops.h (the grid's copy before it draws, Oilify's last row), OilifyVoteLoops.h (Oilify's
// votes), CountKnownLoops.h (the value key's tones).
#pragma once

#include "CopyLoops.h"
#include "CountKnownLoops.h"
#include "OilifyVoteLoops.h"
#include "ReplaceLoops.h"
#include "ToneLoops.h"
#include "VectorKernels.h"
#include "VectorWay.h"

namespace {

template <VectorWay V> constexpr VectorKernels KernelsOver() {
    return {
        .tone = Tone<V>,
        .replace = Replace<V>,
        .copy = Copy<V>,
        .oilifyVotes = OilifyVotes<PairOf<V>>,
        .countKnown = CountKnown<V>,
    };
}

} // namespace
