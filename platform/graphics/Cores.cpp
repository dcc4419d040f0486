// SPDX-License-Identifier: MIT
#include "Cores.h"

#include <algorithm>
#include <cstdlib>
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif
#include <tbb/global_control.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>
#include <tbb/task_arena.h>

namespace {

// Bytes of picture a block holds at most: half of the smallest second-level cache of the x86-64
// cores a painter's laptop has, so that a block's input and output fit in it together.
constexpr std::size_t BlockBytes = std::size_t(1) << 18;
// Blocks a thread at least, where the picture has the rows.
constexpr int BlocksPerThread = 4;

// HALVANE_THREADS, or 0 where it does not name a thread count.
int ThreadsSetting() {
    const char* text = std::getenv("HALVANE_THREADS");
    if (text == nullptr)
        return 0;
    char* end = nullptr;
    const long threads = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && threads >= 1 && threads <= 1024 ? int(threads) : 0;
}

// Read once; where it is set, oneTBB itself runs no more threads than it allows.
int ThreadLimit() {
    static const int limit = [] {
        const int setting = ThreadsSetting();
        if (setting > 0) {
            static const tbb::global_control control(tbb::global_control::max_allowed_parallelism,
                                                     std::size_t(setting));
        }
        return setting;
    }();
    return limit;
}

// oneTBB hands a block to a thread inside its own library, where ThreadSanitizer does not see
// it: in such a build the hand-over is announced to it, the pass's start before each block and
// each block's end before the pass goes on.
#if defined(__SANITIZE_THREAD__)
void HandOver(const void* pass) {
    __tsan_release(const_cast<void*>(pass));
}
void TakeOver(const void* pass) {
    __tsan_acquire(const_cast<void*>(pass));
}
#else
void HandOver(const void*) {}
void TakeOver(const void*) {}
#endif

} // namespace

int PassThreads() {
    const int arena = std::max(1, tbb::this_task_arena::max_concurrency());
    const int limit = ThreadLimit();
    return limit > 0 ? std::min(limit, arena) : arena;
}

void WithThreads(int threads, const std::function<void()>& work) {
    tbb::task_arena arena(std::max(1, threads));
    arena.execute(work);
}

RowBlocks::RowBlocks(int rows, std::size_t bytesPerRow) : rows_(std::max(rows, 0)) {
    const int threads = PassThreads();
    if (threads == 1 || rows_ == 0) {
        rowsPerBlock_ = std::max(rows_, 1);
    } else {
        const std::size_t cached = bytesPerRow == 0
                                       ? std::size_t(rows_)
                                       : std::max<std::size_t>(1, BlockBytes / bytesPerRow);
        const int shared = (rows_ + threads * BlocksPerThread - 1) / (threads * BlocksPerThread);
        rowsPerBlock_ = std::max(1, int(std::min<std::size_t>(cached, std::size_t(shared))));
    }
    count_ = (rows_ + rowsPerBlock_ - 1) / rowsPerBlock_;
}

RowBlocks RowBlocks::OnePerThread(int rows) {
    const int threads = PassThreads();
    return RowBlocks(rows, (std::max(rows, 1) + threads - 1) / threads, Sized{});
}

RowBlocks::RowBlocks(int rows, int rowsPerBlock, Sized)
    : rows_(std::max(rows, 0)), rowsPerBlock_(std::max(rowsPerBlock, 1)),
      count_((rows_ + rowsPerBlock_ - 1) / rowsPerBlock_) {}

int RowBlocks::End(int block) const {
    return std::min(rows_, (block + 1) * rowsPerBlock_);
}

void RowBlocks::ForEach(const std::function<void(int block)>& work) const {
    if (count_ == 1) {
        work(0);
        return;
    }
    // One task a block: the blocks are already sized for the cache and the threads.
    HandOver(this);
    tbb::parallel_for(
        tbb::blocked_range<int>(0, count_, 1),
        [&](const tbb::blocked_range<int>& blocks) {
            TakeOver(this);
            for (int block = blocks.begin(); block < blocks.end(); ++block)
                work(block);
            HandOver(this);
        },
        tbb::simple_partitioner());
    TakeOver(this);
}

void ForEachRowBlock(int rows, std::size_t bytesPerRow,
                     const std::function<void(int first, int end)>& rowRange) {
    const RowBlocks blocks(rows, bytesPerRow);
    blocks.ForEach([&](int block) { rowRange(blocks.First(block), blocks.End(block)); });
}
