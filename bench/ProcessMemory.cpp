// SPDX-License-Identifier: MIT
#include "ProcessMemory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

// A "Name:   1234 B" line of /proc/self/status.
std::optional<std::uint64_t> StatusBytes(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name + ':', 0) != 0)
            continue;
        std::istringstream fields(line.substr(name.size() + 1));
        std::uint64_t kib = 0;
        if (fields >> kib)
            return kib * 1024;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::uint64_t> ResidentBytes() {
    return StatusBytes("VmRSS");
}

std::optional<std::uint64_t> PeakResidentBytes() {
    return StatusBytes("VmHWM");
}

bool ResetPeakResident() {
    // Writing 5 resets the peak resident size (Linux 4.0 and later).
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return clearRefs.good();
}
