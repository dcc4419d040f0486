// SPDX-License-Identifier: MIT
// Memory for data the size of a picture: bitmaps' pixels, and values kept per pixel.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

// Aligned to the cache lines, and where it is large in 2 MB pages: touching fresh memory of a
// picture's size then costs far fewer page faults. Null where it cannot be had; std::free
// gives it back.
void* AllocatePictureMemory(std::size_t bytes);

// Has the kernel back the `bytes` at `memory` now, as writing them would, without changing them:
// for a caller with time to spare before the writes, which then take no page faults. Where the
// kernel cannot do it, the writes fault as they would have.
void PopulatePictureMemory(void* memory, std::size_t bytes);

struct FreePictureMemory {
    void operator()(void* memory) const { std::free(memory); }
};

// `count` values of a plain type, left uninitialised, in picture memory.
template <typename T> class PictureArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PictureArray() = default;
    // Throws std::bad_alloc where the memory cannot be had.
    explicit PictureArray(std::size_t count)
        : values_(static_cast<T*>(AllocatePictureMemory(count * sizeof(T)))), count_(count) {
        if (values_ == nullptr && count != 0)
            throw std::bad_alloc();
    }

    std::size_t size() const { return count_; }
    T* data() { return values_.get(); }
    const T* data() const { return values_.get(); }
    T& operator[](std::size_t index) { return values_[index]; }
    const T& operator[](std::size_t index) const { return values_[index]; }

private:
    std::unique_ptr<T[], FreePictureMemory> values_;
    std::size_t count_ = 0;
};

// A standard allocator over picture memory, for lists as long as a picture's runs or patches
// that are made afresh for each picture: their fresh pages cost far fewer faults.
template <typename T> struct PictureAllocator {
    using value_type = T;

    PictureAllocator() = default;
    template <typename U> PictureAllocator(const PictureAllocator<U>&) {}

    T* allocate(std::size_t count) {
        if (count > std::size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        void* values = AllocatePictureMemory(count * sizeof(T));
        if (values == nullptr)
            throw std::bad_alloc();
        return static_cast<T*>(values);
    }
    void deallocate(T* values, std::size_t) { std::free(values); }

    template <typename U> bool operator==(const PictureAllocator<U>&) const { return true; }
};

template <typename T> using PictureVector = std::vector<T, PictureAllocator<T>>;
