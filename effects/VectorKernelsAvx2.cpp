// SPDX-License-Identifier: MIT
// The AVX2 path. This file alone is compiled for AVX2; its loops run only where CpuRunsAvx2().
#include "VectorKernels.h"
#include "VectorWay.h"

#include <immintrin.h>

namespace {

struct Avx2 {
    using Vec = __m256i;
    static constexpr std::size_t Lanes = 8;

    static Vec Load(const TAlphaColor* p) {
        return _mm256_loadu_si256(reinterpret_cast<const Vec*>(p));
    }
    static void Store(TAlphaColor* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<Vec*>(p), v); }
    static void Stream(TAlphaColor* p, Vec v) { _mm256_stream_si256(reinterpret_cast<Vec*>(p), v); }
    static void Fence() { _mm_sfence(); }
    static Vec Splat32(TAlphaColor v) { return _mm256_set1_epi32(int(v)); }
    static Vec Splat8(std::uint8_t v) { return _mm256_set1_epi8(char(v)); }
    static Vec ShiftRight32(Vec v, int n) { return _mm256_srl_epi32(v, _mm_cvtsi32_si128(n)); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
    static Vec Add8(Vec a, Vec b) { return _mm256_add_epi8(a, b); }
    static Vec AddSaturated8(Vec a, Vec b) { return _mm256_adds_epu8(a, b); }
    static Vec Greater8(Vec a, Vec b) { return _mm256_cmpgt_epi8(a, b); }
    // The packs and unpacks work within each 128-bit half; unpacking undoes packing all the same.
    static Vec Pack32To16(Vec a, Vec b) { return _mm256_packs_epi32(a, b); }
    static Vec Pack16To8(Vec a, Vec b) { return _mm256_packus_epi16(a, b); }
    static Vec InterleaveLow8(Vec a, Vec b) { return _mm256_unpacklo_epi8(a, b); }
    static Vec InterleaveHigh8(Vec a, Vec b) { return _mm256_unpackhi_epi8(a, b); }
    static Vec InterleaveLow16(Vec a, Vec b) { return _mm256_unpacklo_epi16(a, b); }
    static Vec InterleaveHigh16(Vec a, Vec b) { return _mm256_unpackhi_epi16(a, b); }
    static Vec Sub32(Vec a, Vec b) { return _mm256_sub_epi32(a, b); }
    static Vec Equal32(Vec a, Vec b) { return _mm256_cmpeq_epi32(a, b); }
    static bool AnySet(Vec v) { return !_mm256_testz_si256(v, v); }
    static unsigned LaneBits32(Vec v) {
        return unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(v)));
    }
    static Vec Select(Vec mask, Vec ifSet, Vec ifClear) {
        return _mm256_blendv_epi8(ifClear, ifSet, mask);
    }
};
static_assert(VectorWay<Avx2>);

} // namespace

#include "VectorLoops.h"

// Constant: reading it runs no code of this file.
extern const VectorKernels Avx2KernelTable = KernelsOver<Avx2>();
