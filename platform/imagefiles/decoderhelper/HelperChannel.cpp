// SPDX-License-Identifier: MIT
#include "HelperChannel.h"

#include "DecoderProtocol.h"
#include "WholeWrite.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

using namespace DecoderProtocol;

QSize ReadySizeFromArguments(int argc, char** argv) {
    if (argc != ArgumentCount + 1)
        return QSize();
    const std::optional<std::uint64_t> width = ArgumentNumber(argv[3]);
    const std::optional<std::uint64_t> height = ArgumentNumber(argv[4]);
    if (!width || !height || *width > TBitmap::MaxSide || *height > TBitmap::MaxSide)
        return QSize();
    return QSize(int(*width), int(*height));
}

std::optional<HelperFiles> ReceiveFiles() {
    char byte = 0;
    iovec data{&byte, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = 0;
    while ((got = recvmsg(ChannelFd, &message, MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
    }
    const cmsghdr* header = CMSG_FIRSTHDR(&message);
    if (got != 1 || (message.msg_flags & MSG_CTRUNC) != 0 || !header ||
        header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS ||
        header->cmsg_len != CMSG_LEN(2 * sizeof(int)))
        return std::nullopt;
    int descriptors[2];
    std::memcpy(descriptors, CMSG_DATA(header), sizeof descriptors);
    return HelperFiles{descriptors[0], descriptors[1]};
}

// The size from lseek() rather than fstat(): glibc makes fstat() a call that can also look a path
// up, which the wall does not allow.
std::optional<QByteArray> MapFileBytes(int file) {
    const off_t size = lseek(file, 0, SEEK_END);
    if (size < 0)
        return std::nullopt;
    if (size == 0)
        return QByteArray();
    void* bytes = mmap(nullptr, std::size_t(size), PROT_READ, MAP_SHARED, file, 0);
    if (bytes == MAP_FAILED)
        return std::nullopt;
    return QByteArray::fromRawData(static_cast<const char*>(bytes), qsizetype(size));
}

bool SendSize(QSize size) {
    const PictureSize message{size.width(), size.height()};
    return WriteWhole(ChannelFd, &message, sizeof message);
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

bool SendPixels(int pipe, TBitmap& picture) {
    iovec left{picture.Bits(), picture.ByteCount()};
    while (left.iov_len > 0) {
        const ssize_t moved = vmsplice(pipe, &left, 1, 0);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0)
            return false;
        left.iov_base = static_cast<std::uint8_t*>(left.iov_base) + moved;
        left.iov_len -= std::size_t(moved);
    }
    return true;
}
