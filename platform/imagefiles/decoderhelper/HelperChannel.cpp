// SPDX-License-Identifier: MIT
#include "HelperChannel.h"

#include "DecoderProtocol.h"

#include <cerrno>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using namespace DecoderProtocol;

bool WriteAll(int fd, const void* data, std::size_t bytes) {
    const auto* next = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t written = write(fd, next, bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        bytes -= std::size_t(written);
    }
    return true;
}

} // namespace

// The size from lseek() rather than fstat(): glibc makes fstat() a call that can also look a path
// up, which the wall does not allow.
std::optional<QByteArray> MapFileBytes() {
    const off_t size = lseek(FileFd, 0, SEEK_END);
    if (size < 0)
        return std::nullopt;
    if (size == 0)
        return QByteArray();
    void* bytes = mmap(nullptr, std::size_t(size), PROT_READ, MAP_SHARED, FileFd, 0);
    if (bytes == MAP_FAILED)
        return std::nullopt;
    return QByteArray::fromRawData(static_cast<const char*>(bytes), qsizetype(size));
}

bool SendSize(QSize size) {
    const PictureSize message{size.width(), size.height()};
    return WriteAll(ChannelFd, &message, sizeof message);
}

bool AwaitGoAhead() {
    char go = 0;
    for (;;) {
        const ssize_t got = read(ChannelFd, &go, 1);
        if (got < 0 && errno == EINTR)
            continue;
        return got == 1;
    }
}

PixelStorage SharedPixels(std::size_t bytes) {
    if (ftruncate(PixelsFd, off_t(bytes)) != 0)
        return PixelStorage();
    void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, PixelsFd, 0);
    if (pixels == MAP_FAILED)
        return PixelStorage();
    return PixelStorage(static_cast<std::uint8_t*>(pixels), bytes,
                        [](std::uint8_t* data, std::size_t size) { munmap(data, size); });
}
