// SPDX-License-Identifier: MIT
#pragma once

// How the program and its JPEG XR helper process talk. The program starts
//     halvane-jxr-decode <width> <height> <address-space bytes> <cpu seconds>
// with the file's bytes readable on kFileFd and a shared memory file of width * height * 4 bytes
// on kPixelsFd. The helper caps itself first, then writes the picture there as premultiplied
// 0xAARRGGBB pixels, rows top to bottom, and exits with kDecoded. Any other ending (another
// exit status, a signal, running out of time) means no picture.
namespace JxrHelperProtocol {

constexpr const char* kExecutableName = "halvane-jxr-decode";
constexpr int kFileFd = 0;
constexpr int kPixelsFd = 3;
constexpr int kArgumentCount = 4;

enum ExitStatus : int { kDecoded = 0, kNotDecoded = 1, kBadStart = 2 };

} // namespace JxrHelperProtocol
