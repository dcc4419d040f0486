// SPDX-License-Identifier: MIT
#include "ImageHeader.h"

#include "AppError.h"

#include <QFileInfo>
#include <QStringList>
#include <QtEndian>
#include <cstring>
#include <string_view>

namespace {

using namespace std::string_view_literals;

bool StartsWith(const QByteArray& head, std::string_view magic) {
    return head.size() >= qsizetype(magic.size()) &&
           std::memcmp(head.constData(), magic.data(), magic.size()) == 0;
}

} // namespace

bool HasImageExtension(const QString& path) {
    static const QStringList Extensions{".bmp", ".jpg",  ".jpeg", ".png", ".gif",
                                        ".tif", ".tiff", ".ico",  ".wmp"};
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && Extensions.contains(name.mid(dot), Qt::CaseInsensitive);
}

bool IsJxrContent(const QByteArray& head) {
    // "II", the HD Photo identifier 0xBC and a container version of 0 or 1.
    return head.size() >= 4 && head.startsWith("II\xBC") && (head[3] == '\0' || head[3] == '\1');
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

void RequireWorkingSetFits(QSize size, int bitmaps, std::uint64_t memoryLimit) {
    const long double bytes = static_cast<long double>(size.width()) * size.height() * 4 * bitmaps;
    if (bytes > static_cast<long double>(memoryLimit))
        throw AppError(QStringLiteral("Bitmap size too big."));
}

void ThrowLoadFailed(const QString& path) {
    throw AppError(QStringLiteral("Loading bitmap failed (%1).").arg(path));
}
