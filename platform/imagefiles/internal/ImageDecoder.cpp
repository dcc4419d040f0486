// SPDX-License-Identifier: MIT
#include "ImageDecoder.h"

#include "AppError.h"
#include "AvailableMemory.h"
#include "BmpDecoder.h"
#include "JxrHeader.h"
#include "JxrHelper.h"
#include "PngDecoder.h"
#include "TiffDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QRgb>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>

namespace {

void RequireWorkingSetFits(const DeclaredSize& size, const ImageLoadOptions& options) {
    RequireWorkingSetFits(size, options.workingSetBitmaps,
                          options.memoryLimit.value_or(AvailableMemoryBytes()));
}

// Qt refuses on its own any decode above 128 MB, an ordinary 8000 x 6000 photo included. While a
// file is read, the limit follows its declared size instead, with room for the widest format a
// handler decodes into (four floats a pixel): the size policy is RequireWorkingSetFits's.
// Qt's limit is one for the whole process, and loads may run on several threads at once: it is
// then the largest of their needs, so that none is refused below its own, and goes back to what
// it was when the last of them ends.
class AllocationLimitScope {
public:
    explicit AllocationLimitScope(const DeclaredSize& size)
        : megabytes_(
              int(std::min<quint64>(size.width * size.height * 16 / (1024 * 1024) + 1, INT_MAX))) {
        const std::lock_guard lock(mutex_);
        if (active_.empty())
            previous_ = QImageReader::allocationLimit();
        active_.insert(megabytes_);
        QImageReader::setAllocationLimit(*active_.rbegin());
    }
    ~AllocationLimitScope() {
        const std::lock_guard lock(mutex_);
        active_.erase(active_.find(megabytes_));
        QImageReader::setAllocationLimit(active_.empty() ? previous_ : *active_.rbegin());
    }
    AllocationLimitScope(const AllocationLimitScope&) = delete;
    AllocationLimitScope& operator=(const AllocationLimitScope&) = delete;

private:
    int megabytes_;
    static inline std::mutex mutex_;
    static inline std::multiset<int> active_; // the needs of the loads under way
    static inline int previous_ = 0;          // the limit before the first of them began
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
void ApplyIconMask(const QByteArray& file, TBitmap& bitmap) {
    const qint64 DirectoryEnd = 6 + 16; // header and the first entry, whose image Qt read
    const qint64 InfoHeader = 40;       // the versions of the bitmap header are 40 to 124 bytes
    const qint64 LargestInfoHeader = 124;
    const auto bytesAt = [&file](qint64 offset, qint64 count) -> const char* {
        return offset >= 0 && count <= file.size() - offset ? file.constData() + offset : nullptr;
    };
    const char* directory = bytesAt(0, DirectoryEnd);
    if (!directory)
        return;
    const qint64 imageStart = qFromLittleEndian<quint32>(directory + 18);
    const char* info = bytesAt(imageStart, InfoHeader);
    if (!info)
        return;
    const qint64 infoSize = qFromLittleEndian<quint32>(info);
    const qint64 width = qFromLittleEndian<qint32>(info + 4);
    const qint64 height = qFromLittleEndian<qint32>(info + 8) / 2; // colour + mask
    const int bitCount = qFromLittleEndian<quint16>(info + 14);
    const quint32 compression = qFromLittleEndian<quint32>(info + 16);
    // An image stored as PNG starts with its signature instead, and has no mask.
    if (infoSize < InfoHeader || infoSize > LargestInfoHeader ||
        (bitCount != 16 && bitCount != 24) || compression != 0 || width != bitmap.Width() ||
        height != bitmap.Height())
        return;
    const qint64 colourRowBytes = (width * bitCount + 31) / 32 * 4;
    const qint64 maskRowBytes = (width + 31) / 32 * 4;
    const char* mask =
        bytesAt(imageStart + infoSize + colourRowBytes * height, maskRowBytes * height);
    if (!mask)
        return;
    auto* pixels = reinterpret_cast<TAlphaColor*>(bitmap.Bits());
    for (qint64 y = 0; y < height; ++y) {
        const char* maskRow = mask + (height - 1 - y) * maskRowBytes; // bottom-up
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

void LoadWithQt(const QByteArray& bytes, ImageKind kind, TBitmap& into, const QString& path,
                const ImageLoadOptions& options) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QtFormatName(kind));
    // Only the handler of the recognised format may read the file, never another plug-in.
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    const QByteArray head = bytes.left(ImageHeadBytes);
    const std::optional<DeclaredSize> declared = ReadDeclaredSize(kind, head, reader);
    if (!declared || declared->width == 0 || declared->height == 0)
        ThrowLoadFailed(path);
    RequireWorkingSetFits(*declared, options);
    if (kind == ImageKind::Bmp && !BmpPixelsInsideFile(head, bytes.size()))
        ThrowLoadFailed(path);
    AllocationLimitScope allocationLimit(*declared);
    DecodeWithQt(reader, into, path);
    if (kind == ImageKind::Ico)
        ApplyIconMask(bytes, into);
}

void LoadJxr(const QByteArray& bytes, TBitmap& into, const QString& path,
             const ImageLoadOptions& options) {
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
bool LoadWithOwnDecoder(const QByteArray& bytes, ImageKind kind, TBitmap& into, const QString& path,
                        const ImageLoadOptions& options) {
    if (!HasOwnDecoder(kind))
        return false;
    const DecoderOpening opening = OpenOwnDecoder(kind, bytes);
    if (opening.leaveToQt)
        return false;
    if (!opening.decoder)
        ThrowLoadFailed(path);
    FormatDecoder& decoder = *opening.decoder;
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

} // namespace

void ThrowLoadFailed(const QString& path) {
    throw AppError(QStringLiteral("Loading bitmap failed (%1).").arg(path));
}

void DecodeImage(const QByteArray& bytes, ImageKind kind, const QString& path,
                 const ImageLoadOptions& options, TBitmap& into) {
    if (kind == ImageKind::Jxr)
        LoadJxr(bytes, into, path, options);
    else if (!LoadWithOwnDecoder(bytes, kind, into, path, options))
        LoadWithQt(bytes, kind, into, path, options);
}
