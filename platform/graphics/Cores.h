// SPDX-License-Identifier: MIT
// How a pass is split over the machine's cores: its rows in blocks, run by oneTBB. Every pass
// that splits goes through RowBlocks, so one setting (HALVANE_THREADS) limits them all, and on
// one thread a pass is one block of every row, its sequential code.
#pragma once

#include <cstddef>
#include <functional>

// The threads a pass may use here: the current task arena's, at most HALVANE_THREADS (a whole
// number from 1, read at the first call; unset or invalid: every core).
int PassThreads();

// Runs `work` with the passes inside it on at most `threads` threads (1: sequentially).
void WithThreads(int threads, const std::function<void()>& work);

// A pass's rows in blocks of neighbouring rows, the same for a given picture and thread count.
// A block stays within a core's second-level cache, and with several threads there are a few
// blocks a thread, so that a thread left without work takes over part of another's.
class RowBlocks {
public:
    // Blocks of rows of `bytesPerRow` bytes each. With `bytesPerRow` 0, the blocks are sized by
    // the threads alone: for a pass whose every block costs a setting up of its own (a forest of
    // patches, sums across a whole row) and that streams its rows through the cache anyway.
    RowBlocks(int rows, std::size_t bytesPerRow);
    // A block a thread, for a pass whose blocks are put together afterwards on one thread, at a
    // cost that grows with the seams between them.
    static RowBlocks OnePerThread(int rows);

    int Count() const { return count_; }
    int First(int block) const { return block * rowsPerBlock_; }
    int End(int block) const;

    // Calls work(block) once for every block: in order on one thread, else on the pass's threads
    // in any order; returns when all have run.
    void ForEach(const std::function<void(int block)>& work) const;

private:
    struct Sized {};
    RowBlocks(int rows, int rowsPerBlock, Sized);

    int rows_;
    int rowsPerBlock_;
    int count_;
};

// Calls rows(first, end) for every block of RowBlocks(rows, bytesPerRow).
void ForEachRowBlock(int rows, std::size_t bytesPerRow,
                     const std::function<void(int first, int end)>& rowRange);
