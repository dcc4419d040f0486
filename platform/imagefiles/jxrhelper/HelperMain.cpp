// SPDX-License-Identifier: MIT
// The JPEG XR helper process: decodes one file for the program, under caps it sets on itself
// before it reads a byte of the file. See JxrHelperProtocol.h.
#include "JxrDecode.h"
#include "JxrHelperProtocol.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace JxrHelperProtocol;

struct Arguments {
    int width = 0;
    int height = 0;
    std::uint64_t addressSpaceBytes = 0;
    std::uint64_t cpuSeconds = 0;
};

template <typename Number> std::optional<Number> ParseNumber(const char* text) {
    Number value{};
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::optional<Arguments> ParseArguments(int argc, char** argv) {
    if (argc != ArgumentCount + 1)
        return std::nullopt;
    const auto width = ParseNumber<int>(argv[1]);
    const auto height = ParseNumber<int>(argv[2]);
    const auto addressSpace = ParseNumber<std::uint64_t>(argv[3]);
    const auto cpuSeconds = ParseNumber<std::uint64_t>(argv[4]);
    if (!width || !height || !addressSpace || !cpuSeconds || *width <= 0 || *height <= 0)
        return std::nullopt;
    return Arguments{*width, *height, *addressSpace, *cpuSeconds};
}

// Lowers both limits, never above what this process already has.
bool Cap(int resource, std::uint64_t value) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0)
        return false;
    const rlim_t capped = std::min<rlim_t>(value, limit.rlim_max);
    limit.rlim_cur = capped;
    limit.rlim_max = capped;
    return setrlimit(resource, &limit) == 0;
}

// Past the CPU time the kernel sends SIGXCPU, and SIGKILL a second later. No core files: a
// damaged picture is not worth one.
bool CapSelf(const Arguments& arguments) {
    rlimit cpu{};
    if (getrlimit(RLIMIT_CPU, &cpu) != 0)
        return false;
    cpu.rlim_cur = std::min<rlim_t>(arguments.cpuSeconds, cpu.rlim_max);
    cpu.rlim_max = std::min<rlim_t>(arguments.cpuSeconds + 1, cpu.rlim_max);
    return setrlimit(RLIMIT_CPU, &cpu) == 0 && Cap(RLIMIT_CORE, 0) &&
           Cap(RLIMIT_AS, arguments.addressSpaceBytes);
}

// The shared memory file the program made for the picture, mapped for writing.
unsigned char* MapPixels(std::size_t bytes) {
    struct stat file {};
    if (fstat(PixelsFd, &file) != 0 || std::uint64_t(file.st_size) < bytes)
        return nullptr;
    void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, PixelsFd, 0);
    return pixels == MAP_FAILED ? nullptr : static_cast<unsigned char*>(pixels);
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Arguments> arguments = ParseArguments(argc, argv);
    if (!arguments || !CapSelf(*arguments))
        return BadStart;
    QFile input;
    if (!input.open(FileFd, QIODevice::ReadOnly))
        return BadStart;
    const QByteArray fileBytes = input.readAll();
    unsigned char* pixels =
        MapPixels(std::size_t(arguments->width) * std::size_t(arguments->height) * 4);
    if (!pixels)
        return BadStart;
    const bool decoded =
        DecodeJxrInto(fileBytes, QSize(arguments->width, arguments->height), pixels);
    return decoded ? DecodedExitStatus : NotDecodedExitStatus;
}
