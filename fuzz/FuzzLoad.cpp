// SPDX-License-Identifier: MIT
// Fuzzes the load of one Qt-decoded format, named by the file extension it is built with.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LoadAsFile(data, size, QStringLiteral(HALVANE_FUZZ_EXTENSION));
    return 0;
}
