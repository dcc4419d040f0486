// SPDX-License-Identifier: MIT
// Fuzzes the decode of one format (the corpus chooses which): what the helper process runs.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodeAsTheHelperDoes(data, size);
    return 0;
}
