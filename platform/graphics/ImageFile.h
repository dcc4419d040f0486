// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

// How many bitmaps of the picture's size the program keeps at once; a picture whose working set
// does not fit in available memory is refused before any large allocation.
constexpr int WorkingSetBitmaps = 9;

// How a load may run. The defaults are the program's; tests and fuzzers narrow them.
struct ImageLoadOptions {
    // The JPEG XR helper executable; empty: JxrHelperBesideExecutable().
    QString jxrHelper;
    // How long the JPEG XR helper may run; nullopt: as long as the picture's size warrants.
    std::optional<std::chrono::milliseconds> jxrTimeLimit;
    // The bytes the picture's working set may take; nullopt: AvailableMemoryBytes().
    std::optional<std::uint64_t> memoryLimit;
};

// Decodes the file into `target`: the first image of a BMP, JPEG, PNG, GIF, TIFF, ICO or JPEG XR
// file, the format recognised from the content, upright as its orientation tag says, as
// premultiplied pixels, a side above TBitmap::MaxSide reduced to fit. Size and pixels are
// replaced only on success; on failure `target` is unchanged and an AppError is thrown:
//   "Loading bitmap failed (<path>)." when the file name's extension (from its last dot on) is
//        none of .bmp .jpg .jpeg .png .gif .tif .tiff .ico .wmp in any letter case, or no decoder
//        of the seven formats can read the content: a header that is not one of its format or
//        contradicts itself, pixel data missing (run-length data included), samples we cannot
//        show right (signed TIFF samples);
//   "Cannot open file "<full path>". <system's reason>" when the file cannot be opened for
//        reading (the extension is judged first);
//   "Bitmap size too big." when the size its header declares, times 4 bytes and
//        WorkingSetBitmaps, exceeds the memory limit; no pixel data is decoded then.
// JPEG XR files are decoded by the helper process; whatever stops it (a crash, a cap, the time
// limit, a missing helper) ends in the load message.
void LoadBitmapFromFile(TBitmap& target, const QString& path, const ImageLoadOptions& options = {});
