// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

// This process's memory in bytes, as /proc/self/status reports it.
std::optional<std::uint64_t> ResidentBytes();     // VmRSS: resident now
std::optional<std::uint64_t> PeakResidentBytes(); // VmHWM: highest resident since the last reset

// Restarts the peak from the resident size now; false where the system does not allow it.
bool ResetPeakResident();
