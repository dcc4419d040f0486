// SPDX-License-Identifier: MIT
#pragma once

#include <cerrno>
#include <cstddef>
#include <unistd.h>

// Writes all `bytes` to `fd`, through interruptions and short writes; false on an error or when
// nothing more fits. Used on both sides of the decoder helper's descriptors.
inline bool WriteWhole(int fd, const void* data, std::size_t bytes) {
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
