// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QByteArray>
#include <QSize>
#include <optional>

// The helper's side of DecoderProtocol.h, used behind the wall.

// The size of picture to make storage ready for, from the helper's command line; empty when the
// program names none or the arguments are not numbers.
QSize ReadySizeFromArguments(int argc, char** argv);

// What the program hands over: the file's bytes and the pipe for the pixels.
struct HelperFiles {
    int file = -1;
    int pixels = -1;
};

// Waits for the program's file; nullopt when the channel closes instead or brings no two
// descriptors.
std::optional<HelperFiles> ReceiveFiles();

// The file's bytes, mapped read-only for the rest of the process's life; nullopt when the
// descriptor cannot be mapped.
std::optional<QByteArray> MapFileBytes(int file);

// Sends a picture size to the program.
bool SendSize(QSize size);

// Waits for the program's go-ahead; false when the channel closes instead.
bool AwaitGoAhead();

// Hands the picture's pixels to the pixels pipe. The pipe takes references to the pages rather
// than copies, so the picture must not change or be freed until the program has read them; the
// program's read is the one copy.
bool SendPixels(int pipe, TBitmap& picture);
