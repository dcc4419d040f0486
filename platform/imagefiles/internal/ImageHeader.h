// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>

class QImageReader;

// What a file's name and first bytes say before anything is decoded: whether its extension is
// one of ours, which of the seven formats it holds, the size its header declares, and whether the
// picture may be decoded at all.

enum class ImageKind { Bmp, Jpeg, Png, Gif, Tiff, Ico, Jxr };

// Enough for every signature and for the BMP and PNG headers read here.
constexpr qsizetype ImageHeadBytes = 64;

// The file name's extension (from its last dot on) is one of .bmp .jpg .jpeg .png .gif .tif
// .tiff .ico .wmp, in any letter case.
bool HasImageExtension(const QString& path);

// The format from the file's first ImageHeadBytes bytes, whatever its name says.
std::optional<ImageKind> RecogniseContent(const QByteArray& head);

// The name of the Qt handler that decodes the kind; JPEG XR has none.
const char* QtFormatName(ImageKind kind);

struct DeclaredSize {
    quint64 width = 0;
    quint64 height = 0;
};

// The size the file's header declares, read without decoding anything: by hand where the field
// sits at a fixed place, from the Qt handler's header parser otherwise.
std::optional<DeclaredSize> ReadDeclaredSize(ImageKind kind, const QByteArray& head,
                                             QImageReader& reader);

// Qt leaves the rows it cannot read black and reports success, so a BMP whose uncompressed pixel
// rows do not all lie inside the file is refused: false then.
bool BmpPixelsInsideFile(const QByteArray& head, qint64 fileSize);

// The size policy: throws "Bitmap size too big." when `bitmaps` bitmaps of the declared size, at
// 4 bytes a pixel, exceed `memoryLimit` bytes.
void RequireWorkingSetFits(const DeclaredSize& size, int bitmaps, std::uint64_t memoryLimit);
