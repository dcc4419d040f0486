// SPDX-License-Identifier: MIT
#include "PictureMemory.h"

#include <cerrno>
#include <cstdint>
#include <gtest/gtest.h>
#include <numeric>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// Populating works on whole pages, so it reaches bytes of the page that are not the caller's: those
// and the caller's own keep what they hold.
TEST(PictureMemory, PopulatingChangesNoByte) {
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    std::vector<std::uint8_t> bytes(3 * page + 300);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t(7));
    const std::vector<std::uint8_t> before = bytes;
    PopulatePictureMemory(bytes.data() + 100, 2 * page + 50);
    EXPECT_EQ(bytes, before);
    PopulatePictureMemory(bytes.data(), 0);
    EXPECT_EQ(bytes, before);
}

// Memory never written is backed once populated, so that the writes to come take no page faults.
TEST(PictureMemory, PopulatedMemoryIsResident) {
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    const std::size_t pages = 64;
    void* fresh =
        mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(fresh, MAP_FAILED);
    if (madvise(fresh, page, MADV_POPULATE_WRITE) != 0 && errno == EINVAL) {
        munmap(fresh, pages * page);
        GTEST_SKIP() << "the kernel cannot populate memory on request (before Linux 5.14)";
    }
    madvise(fresh, page, MADV_DONTNEED);
    std::vector<unsigned char> resident(pages);
    ASSERT_EQ(mincore(fresh, pages * page, resident.data()), 0);
    EXPECT_EQ(resident.front() & 1, 0) << "fresh memory was backed already";
    PopulatePictureMemory(static_cast<char*>(fresh) + 10, pages * page - 20);
    ASSERT_EQ(mincore(fresh, pages * page, resident.data()), 0);
    for (std::size_t i = 0; i < pages; ++i)
        EXPECT_EQ(resident[i] & 1, 1) << "page " << i;
    munmap(fresh, pages * page);
}

} // namespace
