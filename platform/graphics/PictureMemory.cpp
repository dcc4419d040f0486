// SPDX-License-Identifier: MIT
#include "PictureMemory.h"

#include <algorithm>
#include <sys/mman.h>

namespace {

constexpr std::size_t Alignment = 64;
constexpr std::size_t HugePage = std::size_t{2} << 20;

} // namespace

void* AllocatePictureMemory(std::size_t bytes) {
    const std::size_t alignment = bytes >= HugePage ? HugePage : Alignment;
    const std::size_t rounded =
        (std::max<std::size_t>(bytes, 1) + alignment - 1) / alignment * alignment;
    void* memory = std::aligned_alloc(alignment, rounded);
    if (memory != nullptr && alignment == HugePage)
        madvise(memory, rounded, MADV_HUGEPAGE);
    return memory;
}
