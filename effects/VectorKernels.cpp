// SPDX-License-Identifier: MIT
// The SSE2 path, which every x86-64 CPU runs, and the choice of path.
#include "VectorKernels.h"
#include "VectorWay.h"

#include <cstdlib>
#include <cstring>
#include <emmintrin.h>

std::uint8_t ToneOf(const ToneRule& rule, std::uint8_t c) {
    const int lifted = c + rule.lift > 255 ? 255 : c + rule.lift;
    if (rule.stepCount == 0)
        return std::uint8_t(lifted);
    int level = rule.base;
    for (int i = 0; i < rule.stepCount; ++i)
        if (lifted >= rule.thresholds[i])
            level += rule.rises[i];
    return std::uint8_t(level);
}

namespace {

struct Sse2 {
    using Vec = __m128i;
    static constexpr std::size_t Lanes = 4;

    static Vec Load(const TAlphaColor* p) {
        return _mm_loadu_si128(reinterpret_cast<const Vec*>(p));
    }
    static void Store(TAlphaColor* p, Vec v) { _mm_storeu_si128(reinterpret_cast<Vec*>(p), v); }
    static void Stream(TAlphaColor* p, Vec v) { _mm_stream_si128(reinterpret_cast<Vec*>(p), v); }
    static void Fence() { _mm_sfence(); }
    static Vec Splat32(TAlphaColor v) { return _mm_set1_epi32(int(v)); }
    static Vec Splat8(std::uint8_t v) { return _mm_set1_epi8(char(v)); }
    static Vec ShiftRight32(Vec v, int n) { return _mm_srl_epi32(v, _mm_cvtsi32_si128(n)); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm_xor_si128(a, b); }
    static Vec Add8(Vec a, Vec b) { return _mm_add_epi8(a, b); }
    static Vec AddSaturated8(Vec a, Vec b) { return _mm_adds_epu8(a, b); }
    static Vec Greater8(Vec a, Vec b) { return _mm_cmpgt_epi8(a, b); }
    static Vec Pack32To16(Vec a, Vec b) { return _mm_packs_epi32(a, b); }
    static Vec Pack16To8(Vec a, Vec b) { return _mm_packus_epi16(a, b); }
    static Vec InterleaveLow8(Vec a, Vec b) { return _mm_unpacklo_epi8(a, b); }
    static Vec InterleaveHigh8(Vec a, Vec b) { return _mm_unpackhi_epi8(a, b); }
    static Vec InterleaveLow16(Vec a, Vec b) { return _mm_unpacklo_epi16(a, b); }
    static Vec InterleaveHigh16(Vec a, Vec b) { return _mm_unpackhi_epi16(a, b); }
    static Vec Sub32(Vec a, Vec b) { return _mm_sub_epi32(a, b); }
    static Vec Equal32(Vec a, Vec b) { return _mm_cmpeq_epi32(a, b); }
    static bool AnySet(Vec v) { return _mm_movemask_epi8(v) != 0; }
    static unsigned LaneBits32(Vec v) { return unsigned(_mm_movemask_ps(_mm_castsi128_ps(v))); }
    static Vec Select(Vec mask, Vec ifSet, Vec ifClear) {
        return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
    }
};
static_assert(VectorWay<Sse2>);

} // namespace

#include "VectorLoops.h"

// Defined in VectorKernelsAvx2.cpp, the one file compiled for AVX2.
extern const VectorKernels Avx2KernelTable;

namespace {

constexpr VectorKernels Sse2Kernels = KernelsOver<Sse2>();

// Larger than the last-level cache of most machines: such a picture's stores would only push
// the input out of the cache before it is read.
constexpr std::size_t StreamingFromBytes = std::size_t{32} << 20;

VectorPath PathFromEnvironment() {
    const char* wanted = std::getenv("HALVANE_VECTORS");
    if (wanted != nullptr && std::strcmp(wanted, "sse2") == 0)
        return VectorPath::Sse2;
    return CpuRunsAvx2() ? VectorPath::Avx2 : VectorPath::Sse2;
}

} // namespace

bool CpuRunsAvx2() {
    // Also false where the operating system does not save the AVX registers.
    return __builtin_cpu_supports("avx2");
}

const VectorKernels& KernelsOf(VectorPath path) {
    return path == VectorPath::Avx2 && CpuRunsAvx2() ? Avx2KernelTable : Sse2Kernels;
}

VectorPath ChosenVectorPath() {
    static const VectorPath chosen = PathFromEnvironment();
    return chosen;
}

const VectorKernels& ChosenKernels() {
    static const VectorKernels& chosen = KernelsOf(ChosenVectorPath());
    return chosen;
}

bool StreamsPictureOf(std::size_t bytes) {
    return bytes >= StreamingFromBytes;
}
