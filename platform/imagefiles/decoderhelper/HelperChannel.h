// SPDX-License-Identifier: MIT
#pragma once

#include "Bitmap.h"

#include <QByteArray>
#include <QSize>
#include <cstddef>
#include <optional>

// The helper's side of DecoderProtocol.h: the descriptors it was given, used behind the wall.

// The file's bytes, mapped read-only for the rest of the process's life; nullopt when the file
// descriptor cannot be mapped.
std::optional<QByteArray> MapFileBytes();

// Sends a picture size to the program.
bool SendSize(QSize size);

// Waits for the program's go-ahead; false when the channel closes instead.
bool AwaitGoAhead();

// Hands the picture's pixels to the pixels pipe. The pipe takes references to the pages rather
// than copies, so the picture must not change or be freed until the program has read them; the
// program's read is the one copy.
bool SendPixels(TBitmap& picture);
