// SPDX-License-Identifier: MIT
#include "Bitmap.h"

#include "AppError.h"
#include "AvailableMemory.h"
#include "PictureMemory.h"

#include <QRgb>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

[[noreturn]] void ThrowTooBig() {
    throw AppError(QStringLiteral("Bitmap size too big."));
}

} // namespace

bool TBitmap::KeepsStorageFor(int width, int height) const {
    const std::size_t bytes =
        std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)) * 4;
    return bytes > 0 && bytes <= capacity_ && bytes >= capacity_ / 2;
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_)
        return;
    if (width > MaxSide || height > MaxSide)
        ThrowTooBig();
    if (mapped_)
        throw std::logic_error("TBitmap resized while mapped");
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    if (KeepsStorageFor(width, height)) {
        width_ = width;
        height_ = height;
        Notify();
        return;
    }
    std::unique_ptr<std::uint8_t[], FreePictureMemory> storage;
    if (bytes > 0) {
        // The old storage goes as soon as the new one is had, so it counts as available.
        const std::uint64_t available =
            availableMemory_ ? availableMemory_() : AvailableMemoryBytes();
        if (bytes > available && bytes - available > capacity_)
            ThrowTooBig();
        storage.reset(static_cast<std::uint8_t*>(AllocatePictureMemory(bytes)));
        if (!storage)
            ThrowTooBig();
    }
    pixels_ = std::move(storage);
    capacity_ = bytes;
    width_ = width;
    height_ = height;
    Notify();
}

bool TBitmap::Map(TMapAccess access, TBitmapData& data) {
    if (IsEmpty())
        return false;
    if (mapped_)
        throw std::logic_error("TBitmap mapped twice");
    mapped_ = true;
    mappedAccess_ = access;
    data.FPixelFormat = TPixelFormat::BGRA;
    data.FWidth = width_;
    data.FHeight = height_;
    data.Data = pixels_.get();
    data.Pitch = Pitch();
    return true;
}

void TBitmap::Unmap(TBitmapData& data) {
    if (!mapped_ || data.Data != pixels_.get())
        return;
    mapped_ = false;
    if (mappedAccess_ != TMapAccess::Read)
        Notify();
}

void TBitmap::Clear(TAlphaColor colour) {
    TBitmapData map;
    if (!Map(TMapAccess::Write, map))
        return;
    // Colours are stored premultiplied; opaque colours are unchanged by it.
    const TAlphaColor stored = qPremultiply(colour);
    auto* first = static_cast<TAlphaColor*>(map.Data);
    std::fill(first, first + std::size_t(width_) * height_, stored);
    Unmap(map);
}

void TBitmap::Assign(const TBitmap& source) {
    if (&source == this)
        return;
    SetSize(source.width_, source.height_);
    TBitmapData from;
    TBitmapData to;
    if (!const_cast<TBitmap&>(source).Map(TMapAccess::Read, from)) {
        Notify();
        return;
    }
    Map(TMapAccess::Write, to);
    std::memcpy(to.Data, from.Data, source.ByteCount());
    const_cast<TBitmap&>(source).Unmap(from);
    Unmap(to);
}

void TBitmap::Swap(TBitmap& other) {
    if (&other == this)
        return;
    if (mapped_ || other.mapped_)
        throw std::logic_error("TBitmap swapped while mapped");
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(capacity_, other.capacity_);
    pixels_.swap(other.pixels_);
    Notify();
    other.Notify();
}

QImage TBitmap::ImageView() const {
    if (IsEmpty())
        return QImage();
    return QImage(pixels_.get(), width_, height_, Pitch(), QImage::Format_ARGB32_Premultiplied);
}

void TBitmap::Notify() {
    ++generation_;
    if (observer_)
        observer_();
}
