// SPDX-License-Identifier: MIT
#include "HelperChannel.h"

#include "DecoderProtocol.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>
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

bool SendPixels(TBitmap& picture) {
    iovec left{picture.Bits(), picture.ByteCount()};
    while (left.iov_len > 0) {
        const ssize_t moved = vmsplice(PixelsFd, &left, 1, 0);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0)
            return false;
        left.iov_base = static_cast<std::uint8_t*>(left.iov_base) + moved;
        left.iov_len -= std::size_t(moved);
    }
    return true;
}
