// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// How the program and its decoder helper process talk. The program starts
//     halvane-decode <address space> <address space ceiling> <cpu seconds> <cpu ceiling>
// with the file's bytes in a sealed memory file on FileFd, the writing end of a pipe for the
// pixels on PixelsFd and a socket to the program on ChannelFd. The helper caps itself (soft limits
// the first and third numbers, hard limits the second and fourth) and confines itself
// (DecoderWall.h) before it reads a byte of the file, then:
//   1. reads the header and sends the declared size as a PictureSize;
//   2. waits for one byte on the channel, the go-ahead: the program has checked the size against
//      its memory and set the helper's limits for it;
//   3. decodes, sends the decoded picture's size, writes its pixels to the pipe as premultiplied
//      0xAARRGGBB rows without padding, and exits with DecodedExitStatus.
// Any other ending (another exit status, a signal, the channel closed early, running out of time)
// means no picture.
namespace DecoderProtocol {

constexpr const char* ExecutableName = "halvane-decode";
constexpr int FileFd = 0;
constexpr int PixelsFd = 3;
constexpr int ChannelFd = 4;
constexpr int ArgumentCount = 4;

struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

enum ExitStatus : int { DecodedExitStatus = 0, NotDecodedExitStatus = 1, BadStart = 2 };

} // namespace DecoderProtocol
