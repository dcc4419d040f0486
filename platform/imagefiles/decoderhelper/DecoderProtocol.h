// SPDX-License-Identifier: MIT
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>

// How the program and its decoder helper process talk. The program starts
//     halvane-decode <address space> <cpu seconds> <width> <height>
// with a socket to the program on ChannelFd and nothing else open but /dev/null. The helper caps
// itself at those soft limits, makes storage ready for a picture of width x height (the size of
// the program's last load, 0 x 0 for none) and confines itself (DecoderWall.h), and waits; it can
// be started ahead of the file it will decode. Then:
//   1. the program sends one byte with two descriptors: the file's bytes in a sealed memory file
//      and the writing end of a pipe for the pixels, and raises the helper's limits to what the
//      file needs;
//   2. the helper reads the header and sends the declared size as a PictureSize;
//   3. it waits for one byte on the channel, the go-ahead: the program has checked the size
//      against its memory and set the helper's limits for it;
//   4. it decodes, sends the decoded picture's size, writes its pixels to the pipe as
//      premultiplied 0xAARRGGBB rows without padding, and exits with DecodedExitStatus. The
//      program has the picture once every pixel is in, and then ends the helper itself.
// Any other ending before every pixel is in (an exit, a signal, the channel closed early, running
// out of time) means no picture; a helper whose channel closes before a file comes ends quietly.
namespace DecoderProtocol {

constexpr const char* ExecutableName = "halvane-decode";
constexpr int ChannelFd = 3;
constexpr int ArgumentCount = 4;

// A number on the helper's command line: decimal digits only.
inline std::optional<std::uint64_t> ArgumentNumber(const char* text) {
    std::uint64_t value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

enum ExitStatus : int { DecodedExitStatus = 0, NotDecodedExitStatus = 1, BadStart = 2 };

} // namespace DecoderProtocol
