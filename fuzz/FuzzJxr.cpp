// SPDX-License-Identifier: MIT
// Fuzzes JPEG XR loading: the program's own reading of the header and its size policy, then the
// helper process's decode, run here directly. Crashes inside the decoding library are what the
// helper contains; run.sh tells them apart from crashes in our code.
#include "FuzzSupport.h"
#include "JxrDecode.h"
#include "JxrHeader.h"

#include <QByteArray>
#include <optional>
#include <vector>

namespace {

// Larger declared pictures cost the fuzzer time without reaching other code.
constexpr qint64 LargestDecodedPixels = qint64(1) << 22;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LoadAsFile(data, size, QStringLiteral(".wmp"));
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QSize> declared = JxrImageSize(bytes);
    if (!declared || qint64(declared->width()) * declared->height() > LargestDecodedPixels)
        return 0;
    std::vector<unsigned char> pixels(std::size_t(declared->width()) *
                                      std::size_t(declared->height()) * 4);
    DecodeJxrInto(bytes, *declared, pixels.data());
    return 0;
}
