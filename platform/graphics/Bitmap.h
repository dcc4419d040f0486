// SPDX-License-Identifier: MIT
#pragma once

#include "AlphaColor.h"
#include "PictureMemory.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

enum class TPixelFormat : std::int32_t { None = 0, BGRA = 1 };
enum class TMapAccess : std::int32_t { Read = 0, Write = 1 };

// The record a successful Map fills: where row 0 starts and how far apart rows are.
struct TBitmapData {
    TPixelFormat FPixelFormat = TPixelFormat::None;
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    void* Data = nullptr;
    std::int32_t Pitch = 0;
};

// Pixel access without bounds checks or conversion: the caller keeps 0 <= x < FWidth and
// 0 <= y < FHeight.
inline TAlphaColor* PixelAddress(const TBitmapData& map, int x, int y) {
    return reinterpret_cast<TAlphaColor*>(static_cast<std::uint8_t*>(map.Data) +
                                          std::ptrdiff_t{y} * map.Pitch) +
           x;
}
inline TAlphaColor GetPixel(const TBitmapData& map, int x, int y) {
    return *PixelAddress(map, x, y);
}
inline void SetPixel(const TBitmapData& map, int x, int y, TAlphaColor c) {
    *PixelAddress(map, x, y) = c;
}
inline TAlphaColor* RowStart(const TBitmapData& map, int y) {
    return PixelAddress(map, 0, y);
}

// An in-memory raster of 32-bit premultiplied BGRA pixels.
//
// Mapping rules: Map fails on an empty bitmap and leaves the record untouched; a Write mapping
// shows the bitmap's current pixels (one buffer serves both access modes); releasing a Write
// mapping notifies the observer; a bitmap is mapped at most once at a time.
class TBitmap {
public:
    static constexpr int MaxSide = 65535;

    TBitmap() = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }

    // Keeps the pixels when the size does not change, and keeps the storage with the bytes in
    // it where KeepsStorageFor says so (a crop, or a picture back to a size the bitmap had,
    // takes no new memory); a size of 0 gives the storage up. Raises "Bitmap size too big."
    // above MaxSide or when the storage cannot be had, leaving the bitmap as it was.
    void SetSize(int width, int height);
    // Whether a new size would keep the storage: it needs no more than the storage holds, and at
    // least half of it, so that a much smaller picture gives the memory back.
    bool KeepsStorageFor(int width, int height) const;
    // How many bytes SetSize may take beyond the storage it gives up: AvailableMemoryBytes()
    // unless set. A process that may not read the system's figures sets its own.
    void SetAvailableMemory(std::function<std::uint64_t()> available) {
        availableMemory_ = std::move(available);
    }

    bool Map(TMapAccess access, TBitmapData& data);
    void Unmap(TBitmapData& data);
    bool IsMapped() const { return mapped_; }

    void Clear(TAlphaColor colour);
    void Assign(const TBitmap& source);
    // Exchanges size and pixels with `other` without copying; each keeps its own observer, and
    // both are notified.
    void Swap(TBitmap& other);

    // Called after the pixels changed: a released Write mapping, Clear, Assign, a resize.
    void SetObserver(std::function<void()> observer) { observer_ = std::move(observer); }
    // Counts those changes, so that something derived from the pixels knows when it is stale.
    std::uint64_t Generation() const { return generation_; }

    // A view of the pixels for painting and encoding; valid until the next resize.
    QImage ImageView() const;
    // Direct access for codecs that decode straight into the bitmap.
    std::uint8_t* Bits() { return pixels_.get(); }
    int Pitch() const { return width_ * 4; }
    std::size_t ByteCount() const { return std::size_t(width_) * std::size_t(height_) * 4; }

private:
    void Notify();

    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint8_t[], FreePictureMemory> pixels_;
    std::size_t capacity_ = 0; // bytes of pixels_, at least ByteCount()
    bool mapped_ = false;
    TMapAccess mappedAccess_ = TMapAccess::Read;
    std::function<void()> observer_;
    std::function<std::uint64_t()> availableMemory_;
    std::uint64_t generation_ = 0;
};

// Maps a bitmap into a record for as long as it lives, and releases the mapping on every way
// out, early ones included. Release() gives it up earlier, where the order of releases matters.
class ScopedMap {
public:
    ScopedMap(TBitmap& bitmap, TMapAccess access, TBitmapData& data)
        : bitmap_(bitmap), data_(data), mapped_(bitmap.Map(access, data)) {}
    ~ScopedMap() { Release(); }
    ScopedMap(const ScopedMap&) = delete;
    ScopedMap& operator=(const ScopedMap&) = delete;

    bool Mapped() const { return mapped_; }
    void Release() {
        if (mapped_)
            bitmap_.Unmap(data_);
        mapped_ = false;
    }

private:
    TBitmap& bitmap_;
    TBitmapData& data_;
    bool mapped_;
};
