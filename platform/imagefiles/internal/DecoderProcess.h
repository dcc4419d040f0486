// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"
#include "ImageFile.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>

// The program's side of the decoder helper process (decoderhelper/DecoderProtocol.h). Every
// picture is decoded there, behind the helper's wall: whatever a damaged or hostile file does to
// a decoder ends the helper, never the program, and cannot reach the painter's files.

struct DecoderLimits {
    std::uint64_t addressSpace = 0;
    std::chrono::seconds cpuTime{0};
    std::chrono::milliseconds wallTime{0};
};

// Room for the helper's own code and libraries, the file (mapped, and copied by some decoders),
// the picture on its way through a decoder (up to 16 bytes a pixel, the output included); time
// for the slowest format on a busy machine. A size of 0 x 0: what reading the header may take.
DecoderLimits DecoderLimitsFor(QSize size, std::size_t fileBytes);

// The helper of a program whose executable lies in `programDir`: beside it, as in the build
// tree, else where the package installs helpers (lib/halvane/ beside the program's bin/). When
// neither is an executable file, the installed place, so that a failure names where it belongs.
QString DecoderHelperFor(const QString& programDir);

// The running program's helper: DecoderHelperFor() the folder of its executable.
QString DecoderHelperBesideExecutable();

// Decodes the file's bytes in the options' helper and swaps the picture into `into`. The size the
// helper reads from the header is held to the options' working set before it may decode; the
// pixels come through a pipe the helper hands its pages to, read once into a bitmap made ready
// while the helper decodes. Throws AppError: "Bitmap size too big." from the size policy,
// "Loading bitmap failed (<path>)." when the helper cannot be started, runs out of time, dies or
// reports failure (the cause is logged); `into` is then unchanged.
void DecodeInHelper(const QByteArray& bytes, const QString& path, const ImageLoadOptions& options,
                    TBitmap& into);
