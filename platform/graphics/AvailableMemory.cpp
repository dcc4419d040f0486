// SPDX-License-Identifier: MIT
#include "AvailableMemory.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstdint>
#include <sys/resource.h>

namespace {

std::uint64_t MemAvailableFromProc() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return UINT64_MAX;
    // /proc files report size 0, so read them whole rather than testing for their end.
    for (const QByteArray& line : meminfo.readAll().split('\n')) {
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const std::uint64_t kib = line.mid(13).trimmed().split(' ').value(0).toULongLong(&ok);
            return ok ? kib * 1024 : UINT64_MAX;
        }
    }
    return UINT64_MAX;
}

} // namespace

std::uint64_t AvailableMemoryBytes() {
    std::uint64_t available = MemAvailableFromProc();
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        available = std::min<std::uint64_t>(available, limit.rlim_cur);
    return available;
}
