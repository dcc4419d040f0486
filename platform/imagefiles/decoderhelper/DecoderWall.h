// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

// The wall around the decoder helper process: resource caps, then a system-call filter, both set
// by the helper on itself before it reads a byte of the file. Behind the wall the process can
// only compute, manage its own memory and threads, and read and write the descriptors it was
// given: opening files, sockets, starting programs and making processes kill it.

// Soft limits, which the program raises as the file and the picture need; the filter keeps the
// helper from raising them itself.
struct DecoderCaps {
    std::uint64_t addressSpace = 0;
    std::uint64_t cpuSeconds = 0;
};

// The caps from the helper's command line (DecoderProtocol.h); nullopt when it is not that.
std::optional<DecoderCaps> CapsFromArguments(int argc, char** argv);

// Caps address space and CPU time at the given soft limits, never above the hard limits the
// process has, and turns core files off. False when a limit cannot be set.
bool CapSelf(const DecoderCaps& caps);

// Sets no-new-privileges and the system-call filter. False when the kernel refuses either: the
// helper must then not decode.
bool ConfineSelf();
