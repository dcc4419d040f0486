// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "FileCalls.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

// How a load may run. The defaults suit one bitmap on its own; the program states its working
// set, and tests and fuzzers narrow the rest.
struct ImageLoadOptions {
    // The decoder helper executable; empty: the one beside the program's executable, else where
    // the package installs it.
    QString decoderHelper;
    // How long the decoder helper may take to read the header, and then to decode; nullopt: as
    // long as the file's and the picture's sizes warrant.
    std::optional<std::chrono::milliseconds> decoderTimeLimit;
    // The bytes the picture's working set may take; nullopt: AvailableMemoryBytes().
    std::optional<std::uint64_t> memoryLimit;
    // How many bitmaps of the picture's size the caller keeps at once: the working set.
    int workingSetBitmaps = 1;
    // Whether to keep a decoder helper started ahead for the next load: the load takes a waiting
    // one where there is one and starts the next. Spares wait as child processes until they are
    // used or the process ends.
    bool spareHelper = false;
    // Reads the file's bytes; empty: read(2).
    ReadCall read;
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
//   "Cannot open file "<full path>". <reason>" when the file cannot be opened or read (the
//        extension is judged first): the system's description, or "Not a regular file" for a
//        FIFO, device or socket, which is refused at once rather than waited on;
//   "Bitmap size too big." when the size its header declares, times 4 bytes and the working
//        set's bitmaps, exceeds the memory limit (no pixel data is decoded then), or when the
//        file itself is larger than that limit (it is not read then).
// The whole file is read with checked reads before anything is decoded, so a read error can never
// end in a partly decoded picture. Every file is decoded by the confined helper process (none in
// this one); whatever stops it before every pixel is in (a crash, a cap, its wall, the time
// limit, a missing helper) ends in the load message.
// Loads into different bitmaps may run on several threads at once.
void LoadBitmapFromFile(TBitmap& target, const QString& path, const ImageLoadOptions& options = {});

// Starts the decoder helper beside the executable ahead of the first load that keeps spares
// (ImageLoadOptions::spareHelper), so that even that load finds one ready.
void StartSpareDecoderHelper();
