// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

// Sets up what decoding needs once per fuzzer process: an application object, and a silent log
// (the decoders warn about every damaged input).
void StartFuzzing(int* argc, char*** argv);

// Decodes the bytes in this process as the decoder helper does: the format from the content, the
// size policy, the pixels. The working set is held to 256 MB, so that pictures which the size
// policy allows stay within the fuzzer's memory limit. Errors the decode raises are expected
// outcomes.
void DecodeAsTheHelperDoes(const std::uint8_t* data, std::size_t size);
