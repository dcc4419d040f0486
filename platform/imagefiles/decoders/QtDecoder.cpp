// SPDX-License-Identifier: MIT
#include "QtDecoder.h"

#include "BmpInfoHeader.h"
#include "DataEnds.h"

#include <QBuffer>
#include <QImageReader>
#include <QRgb>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <mutex>
#include <optional>
#include <set>

namespace {

const char* QtFormatName(ImageKind kind) {
    switch (kind) {
    case ImageKind::Jpeg:
        return "jpeg";
    case ImageKind::Gif:
        return "gif";
    case ImageKind::Ico:
        return "ico";
    case ImageKind::Bmp: // read by decoders of ours, never by Qt
    case ImageKind::Png:
    case ImageKind::Tiff:
    case ImageKind::Jxr:
        break;
    }
    return "";
}

// Qt refuses on its own any decode above 128 MB, an ordinary 8000 x 6000 photo included. While a
// file is read, the limit follows its declared size instead, with room for the widest format a
// handler decodes into (four floats a pixel): the size policy is RequireWorkingSetFits's.
// Qt's limit is one for the whole process, and loads may run on several threads at once: it is
// then the largest of their needs, so that none is refused below its own, and goes back to what
// it was when the last of them ends.
class AllocationLimitScope {
public:
    explicit AllocationLimitScope(QSize size)
        : megabytes_(int(std::min<quint64>(
              quint64(size.width()) * quint64(size.height()) * 16 / (1024 * 1024) + 1, INT_MAX))) {
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

// Qt keeps the AND mask of palette icon images and the alpha channel of 32-bit ones, but shows
// 16- and 24-bit images opaque. The mask is applied here to those, as Windows does: a set bit
// makes the pixel transparent. A mask missing from the file leaves the image opaque.
void ApplyIconMask(const QByteArray& file, TBitmap& bitmap) {
    const qint64 DirectoryEnd = 6 + 16; // header and the first entry, whose image Qt read
    const quint32 InfoHeader = 40;      // the versions of the bitmap header are 40 to 124 bytes
    const quint32 LargestInfoHeader = 124;
    const auto bytesAt = [&file](qint64 offset, qint64 count) -> const char* {
        return offset >= 0 && count <= file.size() - offset ? file.constData() + offset : nullptr;
    };
    const char* directory = bytesAt(0, DirectoryEnd);
    if (!directory)
        return;
    const qint64 imageStart = qFromLittleEndian<quint32>(directory + 18);
    if (imageStart > file.size())
        return;
    const std::optional<BmpInfoHeader> info =
        ReadBmpInfoHeader(QByteArrayView(file).sliced(imageStart));
    // An image stored as PNG starts with its signature instead, and has no mask.
    if (!info || info->bytes < InfoHeader || info->bytes > LargestInfoHeader)
        return;
    const qint64 width = info->width;
    const qint64 height = info->height / 2; // colour + mask
    if ((info->bitCount != 16 && info->bitCount != 24) || info->compression != 0 ||
        width != bitmap.Width() || height != bitmap.Height())
        return;
    const qint64 colourRowBytes = (width * info->bitCount + 31) / 32 * 4;
    const qint64 maskRowBytes = (width + 31) / 32 * 4;
    const char* mask =
        bytesAt(imageStart + info->bytes + colourRowBytes * height, maskRowBytes * height);
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

class QtDecoder final : public FormatDecoder {
public:
    QtDecoder(const QByteArray& bytes, ImageKind kind) : bytes_(bytes), kind_(kind) {
        buffer_.setData(bytes);
        buffer_.open(QIODevice::ReadOnly);
        // Only the handler of the recognised format may read the file, never another plug-in.
        reader_.setAutoDetectImageFormat(false);
        reader_.setAutoTransform(true);
    }

    // Reads the size the header declares, by hand where the field sits at a fixed place; false
    // when there is none, or a side is 0.
    bool ReadDeclaredSize() {
        if (kind_ == ImageKind::Gif) {
            if (bytes_.size() < 10)
                return false;
            size_ = QSize(qFromLittleEndian<quint16>(bytes_.constData() + 6),
                          qFromLittleEndian<quint16>(bytes_.constData() + 8));
        } else {
            size_ = reader_.size();
        }
        return size_.isValid() && !size_.isEmpty();
    }

    QSize Size() const override { return size_; }

    // A file cut short is damaged, though Qt's reader would show the part it has.
    bool DataComplete() override {
        if (kind_ == ImageKind::Jpeg)
            return JpegReachesItsEnd(bytes_);
        if (kind_ == ImageKind::Gif)
            return GifReachesItsEnd(bytes_);
        return true;
    }

    bool DecodeInto(TBitmap& into) override {
        const AllocationLimitScope allocationLimit(size_);
        if (!Decode(into))
            return false;
        if (kind_ == ImageKind::Ico)
            ApplyIconMask(bytes_, into);
        return true;
    }

private:
    // Decodes straight into `into`'s storage when the handler's format allows it: no second
    // full-size buffer, no copy. Handlers that make an image of their own go through StoreImage.
    bool Decode(TBitmap& into) {
        const QSize size = reader_.size();
        const QImage::Format format = reader_.imageFormat();
        const bool inPlace = size.isValid() && FitsMaxSide(size) && DecodesInPlace(format) &&
                             reader_.transformation() == QImageIOHandler::TransformationNone;
        if (!inPlace) {
            QImage image;
            return reader_.read(&image) && StoreImage(std::move(image), into);
        }
        into.SetSize(size.width(), size.height());
        QImage canvas(into.Bits(), size.width(), size.height(), into.Pitch(), format);
        if (!reader_.read(&canvas))
            return false;
        if (canvas.constBits() != into.Bits())
            return StoreImage(std::move(canvas), into);
        if (canvas.size() != size || !DecodesInPlace(canvas.format()))
            return false;
        if (canvas.format() == QImage::Format_ARGB32)
            PremultiplyInPlace(into);
        return true;
    }

    const QByteArray bytes_;
    ImageKind kind_;
    QSize size_;
    QBuffer buffer_;
    QImageReader reader_{&buffer_, QtFormatName(kind_)};
};

} // namespace

std::unique_ptr<FormatDecoder> OpenWithQt(const QByteArray& bytes, ImageKind kind) {
    auto decoder = std::make_unique<QtDecoder>(bytes, kind);
    if (!decoder->ReadDeclaredSize())
        return nullptr;
    return decoder;
}

void PrepareQtDecoders() {
    for (const ImageKind kind : {ImageKind::Jpeg, ImageKind::Gif, ImageKind::Ico}) {
        QBuffer empty;
        empty.open(QIODevice::ReadOnly);
        QImageReader reader(&empty, QtFormatName(kind));
        reader.setAutoDetectImageFormat(false);
        reader.canRead(); // creates the handler, which loads its plug-in
    }
}
