// SPDX-License-Identifier: MIT
#include "ImageFile.h"

#include "AppError.h"
#include "BmpDecoder.h"
#include "JxrHeader.h"
#include "JxrHelper.h"
#include "PngDecoder.h"
#include "TiffDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRgb>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

using namespace std::string_view_literals;

enum class ImageKind { Bmp, Jpeg, Png, Gif, Tiff, Ico, Jxr };

// Enough for every signature and for the BMP and PNG headers read below.
constexpr qint64 kHeadBytes = 64;

struct DeclaredSize {
    quint64 width = 0;
    quint64 height = 0;
};

[[noreturn]] void ThrowLoadFailed(const QString& path) {
    throw AppError(QStringLiteral("Loading bitmap failed (%1).").arg(path));
}

bool HasImageExtension(const QString& path) {
    static const QStringList kExtensions{".bmp", ".jpg",  ".jpeg", ".png", ".gif",
                                         ".tif", ".tiff", ".ico",  ".wmp"};
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && kExtensions.contains(name.mid(dot), Qt::CaseInsensitive);
}

bool StartsWith(const QByteArray& head, std::string_view magic) {
    return head.size() >= qsizetype(magic.size()) &&
           std::memcmp(head.constData(), magic.data(), magic.size()) == 0;
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
    case ImageKind::Jpeg:
        return "jpeg";
    case ImageKind::Gif:
        return "gif";
    case ImageKind::Tiff:
        return "tiff";
    case ImageKind::Ico:
        return "ico";
    case ImageKind::Bmp:
    case ImageKind::Png:
    case ImageKind::Jxr:
        break; // decoders of ours
    }
    return "";
}

// The size the file's header declares, read without decoding anything: by hand where the field
// sits at a fixed place, from the Qt handler's header parser otherwise.
std::optional<DeclaredSize> ReadDeclaredSize(ImageKind kind, const QByteArray& head,
                                             QImageReader& reader) {
    if (kind == ImageKind::Gif) {
        if (head.size() < 10)
            return std::nullopt;
        return DeclaredSize{qFromLittleEndian<quint16>(head.constData() + 6),
                            qFromLittleEndian<quint16>(head.constData() + 8)};
    }
    const QSize size = reader.size();
    if (!size.isValid())
        return std::nullopt;
    return DeclaredSize{quint64(size.width()), quint64(size.height())};
}

void RequireWorkingSetFits(const DeclaredSize& size, const ImageLoadOptions& options) {
    const long double bytes =
        static_cast<long double>(size.width) * size.height * 4 * WorkingSetBitmaps;
    const std::uint64_t limit = options.memoryLimit.value_or(AvailableMemoryBytes());
    if (bytes > static_cast<long double>(limit))
        throw AppError(QStringLiteral("Bitmap size too big."));
}

// Qt refuses on its own any decode above 128 MB, an ordinary 8000 x 6000 photo included. While a
// file is read, the limit follows its declared size instead, with room for the widest format a
// handler decodes into (four floats a pixel): the size policy is RequireWorkingSetFits's.
class AllocationLimitScope {
public:
    explicit AllocationLimitScope(const DeclaredSize& size)
        : previous_(QImageReader::allocationLimit()) {
        const quint64 megabytes = size.width * size.height * 16 / (1024 * 1024) + 1;
        QImageReader::setAllocationLimit(int(std::min<quint64>(megabytes, INT_MAX)));
    }
    ~AllocationLimitScope() { QImageReader::setAllocationLimit(previous_); }
    AllocationLimitScope(const AllocationLimitScope&) = delete;
    AllocationLimitScope& operator=(const AllocationLimitScope&) = delete;

private:
    int previous_;
};

bool FitsMaxSide(QSize size) {
    return size.width() <= TBitmap::MaxSide && size.height() <= TBitmap::MaxSide;
}

// The largest size within a MaxSide square with the same proportions.
QSize FittedSize(QSize size) {
    const double scale = double(TBitmap::MaxSide) / std::max(size.width(), size.height());
    const auto side = [scale](int length) {
        return std::clamp(int(std::lround(length * scale)), 1, TBitmap::MaxSide);
    };
    return QSize(side(size.width()), side(size.height()));
}

// Formats whose bytes are TBitmap's, or become them by premultiplying in place.
bool DecodesInPlace(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

void PremultiplyInPlace(TBitmap& bitmap) {
    auto* pixel = reinterpret_cast<TAlphaColor*>(bitmap.Bits());
    std::transform(pixel, pixel + bitmap.ByteCount() / sizeof(TAlphaColor), pixel,
                   [](TAlphaColor c) { return qPremultiply(c); });
}

// Converts a decoded image into `into` (which it resizes), reducing it to MaxSide if needed.
void StoreImage(QImage image, TBitmap& into, const QString& path) {
    if (image.isNull())
        ThrowLoadFailed(path);
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull() && !FitsMaxSide(image.size()))
        image =
            image.scaled(FittedSize(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Qt answers running out of memory, and some damaged files, with a null image.
    if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied)
        ThrowLoadFailed(path);
    into.SetSize(image.width(), image.height());
    const int rowBytes = into.Pitch();
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(into.Bits() + qsizetype(y) * rowBytes, image.constScanLine(y), rowBytes);
}

// Qt keeps the AND mask of palette icon images and the alpha channel of 32-bit ones, but shows
// 16- and 24-bit images opaque. The mask is applied here to those, as Windows does: a set bit
// makes the pixel transparent. A mask missing from the file leaves the image opaque.
void ApplyIconMask(QFile& file, TBitmap& bitmap) {
    const qint64 kDirectoryEnd = 6 + 16; // header and the first entry, whose image Qt read
    const qint64 kInfoHeader = 40;       // the versions of the bitmap header are 40 to 124 bytes
    const qint64 kLargestInfoHeader = 124;
    if (!file.seek(0))
        return;
    const QByteArray directory = file.read(kDirectoryEnd);
    if (directory.size() < kDirectoryEnd)
        return;
    const qint64 imageStart = qFromLittleEndian<quint32>(directory.constData() + 18);
    if (!file.seek(imageStart))
        return;
    const QByteArray info = file.read(kInfoHeader);
    if (info.size() < kInfoHeader)
        return;
    const qint64 infoSize = qFromLittleEndian<quint32>(info.constData());
    const qint64 width = qFromLittleEndian<qint32>(info.constData() + 4);
    const qint64 height = qFromLittleEndian<qint32>(info.constData() + 8) / 2; // colour + mask
    const int bitCount = qFromLittleEndian<quint16>(info.constData() + 14);
    const quint32 compression = qFromLittleEndian<quint32>(info.constData() + 16);
    // An image stored as PNG starts with its signature instead, and has no mask.
    if (infoSize < kInfoHeader || infoSize > kLargestInfoHeader ||
        (bitCount != 16 && bitCount != 24) || compression != 0 || width != bitmap.Width() ||
        height != bitmap.Height())
        return;
    const qint64 colourRowBytes = (width * bitCount + 31) / 32 * 4;
    const qint64 maskRowBytes = (width + 31) / 32 * 4;
    if (!file.seek(imageStart + infoSize + colourRowBytes * height))
        return;
    const QByteArray mask = file.read(maskRowBytes * height);
    if (mask.size() < maskRowBytes * height)
        return;
    auto* pixels = reinterpret_cast<TAlphaColor*>(bitmap.Bits());
    for (qint64 y = 0; y < height; ++y) {
        const char* maskRow = mask.constData() + (height - 1 - y) * maskRowBytes; // bottom-up
        for (qint64 x = 0; x < width; ++x)
            if (maskRow[x / 8] & (0x80 >> (x % 8)))
                pixels[y * width + x] = 0;
    }
}

// Decodes straight into `into`'s storage when the handler's format allows it: no second
// full-size buffer, no copy. Handlers that make an image of their own go through StoreImage.
void DecodeWithQt(QImageReader& reader, TBitmap& into, const QString& path) {
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    const bool inPlace = size.isValid() && FitsMaxSide(size) && DecodesInPlace(format) &&
                         reader.transformation() == QImageIOHandler::TransformationNone;
    if (!inPlace) {
        QImage image;
        if (!reader.read(&image))
            ThrowLoadFailed(path);
        StoreImage(std::move(image), into, path);
        return;
    }
    into.SetSize(size.width(), size.height());
    QImage canvas(into.Bits(), size.width(), size.height(), into.Pitch(), format);
    if (!reader.read(&canvas))
        ThrowLoadFailed(path);
    if (canvas.constBits() != into.Bits()) {
        StoreImage(std::move(canvas), into, path);
        return;
    }
    if (canvas.size() != size || !DecodesInPlace(canvas.format()))
        ThrowLoadFailed(path);
    if (canvas.format() == QImage::Format_ARGB32)
        PremultiplyInPlace(into);
}

void LoadWithQt(QFile& file, ImageKind kind, const QByteArray& head, TBitmap& into,
                const QString& path, const ImageLoadOptions& options) {
    QImageReader reader(&file, QtFormatName(kind));
    // Only the handler of the recognised format may read the file, never another plug-in.
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    const std::optional<DeclaredSize> declared = ReadDeclaredSize(kind, head, reader);
    if (!declared || declared->width == 0 || declared->height == 0)
        ThrowLoadFailed(path);
    RequireWorkingSetFits(*declared, options);
    AllocationLimitScope limit(*declared);
    DecodeWithQt(reader, into, path);
    if (kind == ImageKind::Ico)
        ApplyIconMask(file, into);
}

// BMP, PNG and TIFF are read by decoders of ours from the whole file in memory, except the kinds
// of file a decoder leaves to Qt's plug-in.
bool HasOwnDecoder(ImageKind kind) {
    return kind == ImageKind::Bmp || kind == ImageKind::Png || kind == ImageKind::Tiff;
}

DecoderOpening OpenOwnDecoder(ImageKind kind, QByteArrayView bytes) {
    switch (kind) {
    case ImageKind::Bmp:
        return OpenBmp(bytes);
    case ImageKind::Png:
        return OpenPng(bytes);
    default:
        return OpenTiff(bytes);
    }
}

// False when the file is left to Qt's plug-in.
bool LoadWithOwnDecoder(QFile& file, ImageKind kind, TBitmap& into, const QString& path,
                        const ImageLoadOptions& options) {
    if (!HasOwnDecoder(kind))
        return false;
    const QByteArray bytes = file.readAll();
    const DecoderOpening opening = OpenOwnDecoder(kind, bytes);
    if (opening.leaveToQt) {
        if (!file.seek(0))
            ThrowLoadFailed(path);
        return false;
    }
    if (!opening.decoder)
        ThrowLoadFailed(path);
    ImageDecoder& decoder = *opening.decoder;
    const QSize size = decoder.Size();
    RequireWorkingSetFits(DeclaredSize{quint64(size.width()), quint64(size.height())}, options);
    if (!decoder.DataComplete())
        ThrowLoadFailed(path);
    if (FitsMaxSide(size)) {
        into.SetSize(size.width(), size.height());
        QImage canvas(into.Bits(), size.width(), size.height(), into.Pitch(),
                      QImage::Format_ARGB32_Premultiplied);
        if (!decoder.DecodeInto(canvas))
            ThrowLoadFailed(path);
        return true;
    }
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull() || !decoder.DecodeInto(canvas))
        ThrowLoadFailed(path);
    StoreImage(std::move(canvas), into, path);
    return true;
}

void LoadJxr(QFile& file, TBitmap& into, const QString& path, const ImageLoadOptions& options) {
    const QByteArray bytes = file.readAll();
    const std::optional<QSize> size = JxrImageSize(bytes);
    if (!size)
        ThrowLoadFailed(path);
    RequireWorkingSetFits(DeclaredSize{quint64(size->width()), quint64(size->height())}, options);
    JxrHelperLimits limits = JxrHelperLimitsFor(*size, std::size_t(bytes.size()));
    if (options.jxrTimeLimit)
        limits.wallTime = *options.jxrTimeLimit;
    const QString helper =
        options.jxrHelper.isEmpty() ? JxrHelperBesideExecutable() : options.jxrHelper;
    const std::optional<JxrPixels> pixels = DecodeJxrInHelper(helper, bytes, *size, limits);
    if (!pixels)
        ThrowLoadFailed(path);
    StoreImage(pixels->View(), into, path);
}

} // namespace

void LoadBitmapFromFile(TBitmap& target, const QString& path, const ImageLoadOptions& options) {
    if (!HasImageExtension(path))
        ThrowLoadFailed(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open file \"%1\". %2")
                           .arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
    const QByteArray head = file.peek(kHeadBytes);
    const std::optional<ImageKind> kind = RecogniseContent(head);
    if (!kind)
        ThrowLoadFailed(path);
    TBitmap decoded;
    if (*kind == ImageKind::Jxr)
        LoadJxr(file, decoded, path, options);
    else if (!LoadWithOwnDecoder(file, *kind, decoded, path, options))
        LoadWithQt(file, *kind, head, decoded, path, options);
    target.Swap(decoded);
}
