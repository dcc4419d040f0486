// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// Bytes of memory this process may still allocate without pushing the machine into swap or the
// OOM killer: the smaller of the system's available memory and the address-space limit.
std::uint64_t AvailableMemoryBytes();
