// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>

// What a file's name and first bytes say before anything is decoded: whether its extension is
// one of ours and which of the seven formats it holds; and whether a picture of the size its
// header declares may be decoded at all.

enum class ImageKind { Bmp, Jpeg, Png, Gif, Tiff, Ico, Jxr };

// Enough for every signature.
constexpr qsizetype ImageHeadBytes = 64;

// The file name's extension (from its last dot on) is one of .bmp .jpg .jpeg .png .gif .tif
// .tiff .ico .wmp, in any letter case.
bool HasImageExtension(const QString& path);

// True when the bytes start like a JPEG XR container.
bool IsJxrContent(const QByteArray& head);

// The format from the file's first ImageHeadBytes bytes, whatever its name says.
std::optional<ImageKind> RecogniseContent(const QByteArray& head);

// The size policy: throws "Bitmap size too big." when `bitmaps` bitmaps of the declared size, at
// 4 bytes a pixel, exceed `memoryLimit` bytes.
void RequireWorkingSetFits(QSize size, int bitmaps, std::uint64_t memoryLimit);

// The message of a file that is none of ours or that no decoder can read.
[[noreturn]] void ThrowLoadFailed(const QString& path);
