// SPDX-License-Identifier: MIT
#include "ImageHeader.h"

#include "AppError.h"
#include "JxrHeader.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStringList>
#include <QtEndian>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace std::string_view_literals;

bool StartsWith(const QByteArray& head, std::string_view magic) {
    return head.size() >= qsizetype(magic.size()) &&
           std::memcmp(head.constData(), magic.data(), magic.size()) == 0;
}

struct BmpHeader {
    quint32 pixelOffset = 0;
    quint64 width = 0;
    quint64 height = 0;
    quint32 bitCount = 0;
    quint32 compression = 0;
};

std::optional<BmpHeader> ReadBmpHeader(const QByteArray& head) {
    const char* bytes = head.constData();
    if (head.size() < 26)
        return std::nullopt;
    BmpHeader header;
    header.pixelOffset = qFromLittleEndian<quint32>(bytes + 10);
    if (qFromLittleEndian<quint32>(bytes + 14) == 12) {
        // OS/2 core header: unsigned 16-bit sizes, never compressed.
        header.width = qFromLittleEndian<quint16>(bytes + 18);
        header.height = qFromLittleEndian<quint16>(bytes + 20);
        header.bitCount = qFromLittleEndian<quint16>(bytes + 24);
        return header;
    }
    if (head.size() < 34)
        return std::nullopt;
    const qint64 width = qFromLittleEndian<qint32>(bytes + 18);
    const qint64 height = qFromLittleEndian<qint32>(bytes + 22); // negative: rows top-down
    if (width <= 0)
        return std::nullopt;
    header.width = quint64(width);
    header.height = quint64(std::abs(height));
    header.bitCount = qFromLittleEndian<quint16>(bytes + 28);
    header.compression = qFromLittleEndian<quint32>(bytes + 30);
    return header;
}

} // namespace

bool HasImageExtension(const QString& path) {
    static const QStringList Extensions{".bmp", ".jpg",  ".jpeg", ".png", ".gif",
                                        ".tif", ".tiff", ".ico",  ".wmp"};
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && Extensions.contains(name.mid(dot), Qt::CaseInsensitive);
}

std::optional<ImageKind> RecogniseContent(const QByteArray& head) {
    if (StartsWith(head, "BM"sv))
        return ImageKind::Bmp;
    if (StartsWith(head, "\xFF\xD8\xFF"sv))
        return ImageKind::Jpeg;
    if (StartsWith(head, "\x89PNG\r\n\x1A\n"sv))
        return ImageKind::Png;
    if (StartsWith(head, "GIF87a"sv) || StartsWith(head, "GIF89a"sv))
        return ImageKind::Gif;
    // Classic and big TIFF, either byte order.
    if (StartsWith(head, "II*\0"sv) || StartsWith(head, "MM\0*"sv) || StartsWith(head, "II+\0"sv) ||
        StartsWith(head, "MM\0+"sv))
        return ImageKind::Tiff;
    // Icon resource type 1 (not a cursor) with at least one image.
    if (StartsWith(head, "\0\0\1\0"sv) && head.size() >= 6 &&
        qFromLittleEndian<quint16>(head.constData() + 4) > 0)
        return ImageKind::Ico;
    if (IsJxrContent(head))
        return ImageKind::Jxr;
    return std::nullopt;
}

const char* QtFormatName(ImageKind kind) {
    switch (kind) {
    case ImageKind::Bmp:
        return "bmp";
    case ImageKind::Jpeg:
        return "jpeg";
    case ImageKind::Png:
        return "png";
    case ImageKind::Gif:
        return "gif";
    case ImageKind::Tiff:
        return "tiff";
    case ImageKind::Ico:
        return "ico";
    case ImageKind::Jxr:
        break;
    }
    return "";
}

bool BmpPixelsInsideFile(const QByteArray& head, qint64 fileSize) {
    const std::optional<BmpHeader> header = ReadBmpHeader(head);
    if (!header || header->pixelOffset >= quint64(fileSize))
        return false;
    constexpr quint32 Rgb = 0, BitFields = 3, AlphaBitFields = 6;
    if (header->compression != Rgb && header->compression != BitFields &&
        header->compression != AlphaBitFields)
        return true; // run-length and embedded data have no fixed size
    const quint64 rowBytes = (header->width * header->bitCount + 31) / 32 * 4;
    return rowBytes * header->height <= quint64(fileSize) - header->pixelOffset;
}

std::optional<DeclaredSize> ReadDeclaredSize(ImageKind kind, const QByteArray& head,
                                             QImageReader& reader) {
    const char* bytes = head.constData();
    switch (kind) {
    case ImageKind::Png:
        if (head.size() < 24 || !StartsWith(head.mid(12), "IHDR"sv))
            return std::nullopt;
        return DeclaredSize{qFromBigEndian<quint32>(bytes + 16),
                            qFromBigEndian<quint32>(bytes + 20)};
    case ImageKind::Bmp:
        if (const std::optional<BmpHeader> header = ReadBmpHeader(head))
            return DeclaredSize{header->width, header->height};
        return std::nullopt;
    case ImageKind::Gif:
        if (head.size() < 10)
            return std::nullopt;
        return DeclaredSize{qFromLittleEndian<quint16>(bytes + 6),
                            qFromLittleEndian<quint16>(bytes + 8)};
    default:
        break;
    }
    const QSize size = reader.size();
    if (!size.isValid())
        return std::nullopt;
    return DeclaredSize{quint64(size.width()), quint64(size.height())};
}

void RequireWorkingSetFits(const DeclaredSize& size, int bitmaps, std::uint64_t memoryLimit) {
    const long double bytes = static_cast<long double>(size.width) * size.height * 4 * bitmaps;
    if (bytes > static_cast<long double>(memoryLimit))
        throw AppError(QStringLiteral("Bitmap size too big."));
}
