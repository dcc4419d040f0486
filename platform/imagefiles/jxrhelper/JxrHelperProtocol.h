// SPDX-License-Identifier: MIT
#pragma once

// How the program and its JPEG XR helper process talk. The program starts
//     halvane-jxr-decode <width> <height> <address-space bytes> <cpu seconds>
// with the file's bytes readable on FileFd and a shared memory file of width * height * 4 bytes
// on PixelsFd. The helper caps itself first, then writes the picture there as premultiplied
// 0xAARRGGBB pixels, rows top to bottom, and exits with DecodedExitStatus. Any other ending
// (another exit status, a signal, running out of time) means no picture.
namespace JxrHelperProtocol {

constexpr const char* ExecutableName = "halvane-jxr-decode";
constexpr int FileFd = 0;
constexpr int PixelsFd = 3;
constexpr int ArgumentCount = 4;

enum ExitStatus : int { DecodedExitStatus = 0, NotDecodedExitStatus = 1, BadStart = 2 };

} // namespace JxrHelperProtocol
