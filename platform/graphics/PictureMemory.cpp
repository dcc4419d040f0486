// SPDX-License-Identifier: MIT
#include "PictureMemory.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

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

void PopulatePictureMemory(void* memory, std::size_t bytes) {
    if (bytes == 0)
        return;
    // The whole pages the bytes lie in: populating leaves what else they hold as it is.
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(memory) / page * page;
    const std::uintptr_t end =
        (reinterpret_cast<std::uintptr_t>(memory) + bytes + page - 1) / page * page;
    madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}
