// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// Sets up what loading needs once per fuzzer process: an application object, and a silent log
// (the decoders warn about every damaged input).
void StartFuzzing(int* argc, char*** argv);

// Loads the bytes as the program opens a file: written to a file with `extension`, then through
// LoadBitmapFromFile. The working set is held to 256 MB, so that pictures which the size policy
// allows on this machine stay within the fuzzer's memory limit; JPEG XR files meet a helper that
// is not there (fuzz_jxr runs the decoder itself). Errors the load raises are expected outcomes.
void LoadAsFile(const std::uint8_t* data, std::size_t size, const QString& extension);
