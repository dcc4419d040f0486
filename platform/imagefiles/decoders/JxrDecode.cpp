// SPDX-License-Identifier: MIT
#include "JxrDecode.h"

#include <QFloat16>
#include <QImage>
#include <QRgb>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

// Last: the library's headers define short macro names.
#include <JXRGlue.h>

namespace {

struct StreamCloser {
    void operator()(WMPStream* stream) const { stream->Close(&stream); }
};
struct DecoderReleaser {
    void operator()(PKImageDecode* decoder) const { decoder->Release(&decoder); }
};

// The decoder over a private copy of the file. Members are destroyed in reverse order, so the
// decoder goes before the stream it reads and the stream before the bytes under it.
class JxrFile {
public:
    explicit JxrFile(const QByteArray& fileBytes);
    JxrFile(const JxrFile&) = delete;
    JxrFile& operator=(const JxrFile&) = delete;

    // Null when the container or the codestream header could not be read.
    PKImageDecode* Decoder() const { return decoder_.get(); }

private:
    QByteArray bytes_;
    std::unique_ptr<WMPStream, StreamCloser> stream_;
    std::unique_ptr<PKImageDecode, DecoderReleaser> decoder_;
};

// The library's memory stream reports success for reads past its end and leaves the buffer as it
// was, so a directory or an image plane beyond the end would be parsed or decoded from stale
// bytes. Both must lie in the file.
bool DirectoryInsideFile(const QByteArray& bytes) {
    if (bytes.size() < 8)
        return false;
    const quint64 directory = qFromLittleEndian<quint32>(bytes.constData() + 4);
    if (directory + 2 > quint64(bytes.size()))
        return false;
    const quint64 entries = qFromLittleEndian<quint16>(bytes.constData() + directory);
    return directory + 2 + entries * 12 <= quint64(bytes.size());
}

// The alpha plane's byte count is not checked: the library's own encoder writes the end offset
// there, and its reference decoder ignores the excess.
bool PlanesInsideFile(const PKImageDecode& decoder, qsizetype fileSize) {
    const WmpDEMisc& planes = decoder.WMP.wmiDEMisc;
    return quint64(planes.uImageOffset) + planes.uImageByteCount <= quint64(fileSize) &&
           (!decoder.WMP.bHasAlpha || planes.uAlphaOffset < quint64(fileSize));
}

JxrFile::JxrFile(const QByteArray& fileBytes) : bytes_(fileBytes) {
    if (!DirectoryInsideFile(bytes_))
        return;
    WMPStream* stream = nullptr;
    // data() detaches: the library reads its own copy, never the caller's bytes.
    const ERR created = CreateWS_Memory(&stream, bytes_.data(), std::size_t(bytes_.size()));
    stream_.reset(stream);
    if (created != WMP_errSuccess || !stream)
        return;
    PKImageDecode* decoder = nullptr;
    const ERR made = PKImageDecode_Create_WMP(&decoder);
    std::unique_ptr<PKImageDecode, DecoderReleaser> owned(decoder);
    if (made != WMP_errSuccess || !decoder ||
        decoder->Initialize(decoder, stream) != WMP_errSuccess ||
        !PlanesInsideFile(*decoder, bytes_.size()))
        return;
    decoder_ = std::move(owned);
}

bool SameGuid(const PKPixelFormatGUID& a, const PKPixelFormatGUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Rows of a stored pixel format turned into premultiplied 0xAARRGGBB pixels.
using RowConverter = void (*)(const uchar* stored, QRgb* pixels, int width);

// High dynamic range samples are linear light (scRGB): clamped to 0..1 and given sRGB's transfer
// curve, as the library's own conversions to 8 bits do; alpha is clamped only.
quint8 LinearToSrgb8(float linear) {
    if (!(linear > 0.0f))
        return 0;
    if (linear >= 1.0f)
        return 255;
    const float encoded =
        linear <= 0.0031308f ? 12.92f * linear : 1.055f * std::pow(linear, 1 / 2.4f) - 0.055f;
    return quint8(std::lround(encoded * 255));
}
quint8 Unit8(float value) {
    return quint8(std::lround(std::clamp(value, 0.0f, 1.0f) * 255));
}

// The sample types of the high dynamic range formats.
struct Half {
    static constexpr int Bytes = 2;
    static float Read(const uchar* at) {
        qfloat16 value;
        std::memcpy(&value, at, Bytes);
        return float(value);
    }
};
struct Fixed16 { // signed, 13 fraction bits
    static constexpr int Bytes = 2;
    static float Read(const uchar* at) { return float(qFromLittleEndian<qint16>(at)) / 8192; }
};
struct Fixed32 { // signed, 24 fraction bits
    static constexpr int Bytes = 4;
    static float Read(const uchar* at) {
        return float(qFromLittleEndian<qint32>(at)) / float(1 << 24);
    }
};
struct Float32 {
    static constexpr int Bytes = 4;
    static float Read(const uchar* at) {
        float value;
        std::memcpy(&value, at, Bytes);
        return value;
    }
};

// `Samples` samples a pixel: grey, or red, green, blue, then alpha or padding.
template <typename Sample, int Samples, bool Grey, bool Alpha>
void ConvertHdrRow(const uchar* stored, QRgb* pixels, int width) {
    constexpr int Step = Sample::Bytes;
    for (int x = 0; x < width; ++x, stored += Samples * Step) {
        const quint8 red = LinearToSrgb8(Sample::Read(stored));
        const quint8 green = Grey ? red : LinearToSrgb8(Sample::Read(stored + Step));
        const quint8 blue = Grey ? red : LinearToSrgb8(Sample::Read(stored + 2 * Step));
        const quint8 alpha = Alpha ? Unit8(Sample::Read(stored + 3 * Step)) : 255;
        pixels[x] = qPremultiply(qRgba(red, green, blue, alpha));
    }
}

quint8 Narrow16(quint16 value) {
    return quint8((quint32(value) * 255 + 32767) / 65535);
}

void ConvertRgb48Row(const uchar* stored, QRgb* pixels, int width) {
    for (int x = 0; x < width; ++x, stored += 6)
        pixels[x] = qRgb(Narrow16(qFromLittleEndian<quint16>(stored)),
                         Narrow16(qFromLittleEndian<quint16>(stored + 2)),
                         Narrow16(qFromLittleEndian<quint16>(stored + 4)));
}

// The fourth byte is padding, whatever it holds.
void ConvertBgr32Row(const uchar* stored, QRgb* pixels, int width) {
    for (int x = 0; x < width; ++x, stored += 4)
        pixels[x] = qRgb(stored[2], stored[1], stored[0]);
}

// One bit a pixel, the first pixel in the top bit; a set bit is white.
void ConvertBlackWhiteRow(const uchar* stored, QRgb* pixels, int width) {
    for (int x = 0; x < width; ++x)
        pixels[x] = (stored[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFFF : 0xFF000000;
}

// Ink amounts to light: each colour is what its ink and the black ink leave of white.
template <int Bits> void ConvertCmykRow(const uchar* stored, QRgb* pixels, int width) {
    constexpr int Bytes = Bits / 8;
    const auto ink = [](const uchar* at) {
        return Bits == 8 ? float(*at) / 255 : float(qFromLittleEndian<quint16>(at)) / 65535;
    };
    for (int x = 0; x < width; ++x, stored += 4 * Bytes) {
        const float white = 1 - ink(stored + 3 * Bytes);
        pixels[x] = qRgb(Unit8((1 - ink(stored)) * white), Unit8((1 - ink(stored + Bytes)) * white),
                         Unit8((1 - ink(stored + 2 * Bytes)) * white));
    }
}

// A pixel format the decoder can hand out as it is stored, with the Qt format of the same bytes
// or, where Qt has none, a converter of ours.
struct StoredFormat {
    const PKPixelFormatGUID& guid;
    int bitsPerPixel;
    QImage::Format qtFormat;
    RowConverter convert = nullptr;
};

const StoredFormat StoredFormats[] = {
    {GUID_PKPixelFormat24bppBGR, 24, QImage::Format_BGR888},
    {GUID_PKPixelFormat24bppRGB, 24, QImage::Format_RGB888},
    {GUID_PKPixelFormat32bppBGRA, 32, QImage::Format_ARGB32},
    {GUID_PKPixelFormat32bppPBGRA, 32, QImage::Format_ARGB32_Premultiplied},
    {GUID_PKPixelFormat32bppRGBA, 32, QImage::Format_RGBA8888},
    {GUID_PKPixelFormat32bppPRGBA, 32, QImage::Format_RGBA8888_Premultiplied},
    {GUID_PKPixelFormat8bppGray, 8, QImage::Format_Grayscale8},
    {GUID_PKPixelFormat16bppGray, 16, QImage::Format_Grayscale16},
    {GUID_PKPixelFormat64bppRGBA, 64, QImage::Format_RGBA64},
    {GUID_PKPixelFormat64bppPRGBA, 64, QImage::Format_RGBA64_Premultiplied},
    {GUID_PKPixelFormat16bppRGB555, 16, QImage::Format_RGB555},
    {GUID_PKPixelFormat16bppRGB565, 16, QImage::Format_RGB16},
    {GUID_PKPixelFormat32bppBGR, 32, QImage::Format_Invalid, &ConvertBgr32Row},
    {GUID_PKPixelFormat48bppRGB, 48, QImage::Format_Invalid, &ConvertRgb48Row},
    {GUID_PKPixelFormatBlackWhite, 1, QImage::Format_Invalid, &ConvertBlackWhiteRow},
    {GUID_PKPixelFormat32bppCMYK, 32, QImage::Format_Invalid, &ConvertCmykRow<8>},
    {GUID_PKPixelFormat64bppCMYK, 64, QImage::Format_Invalid, &ConvertCmykRow<16>},
    {GUID_PKPixelFormat16bppGrayHalf, 16, QImage::Format_Invalid,
     &ConvertHdrRow<Half, 1, true, false>},
    {GUID_PKPixelFormat48bppRGBHalf, 48, QImage::Format_Invalid,
     &ConvertHdrRow<Half, 3, false, false>},
    {GUID_PKPixelFormat64bppRGBHalf, 64, QImage::Format_Invalid,
     &ConvertHdrRow<Half, 4, false, false>},
    {GUID_PKPixelFormat64bppRGBAHalf, 64, QImage::Format_Invalid,
     &ConvertHdrRow<Half, 4, false, true>},
    {GUID_PKPixelFormat16bppGrayFixedPoint, 16, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed16, 1, true, false>},
    {GUID_PKPixelFormat48bppRGBFixedPoint, 48, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed16, 3, false, false>},
    {GUID_PKPixelFormat64bppRGBFixedPoint, 64, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed16, 4, false, false>},
    {GUID_PKPixelFormat64bppRGBAFixedPoint, 64, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed16, 4, false, true>},
    {GUID_PKPixelFormat32bppGrayFixedPoint, 32, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed32, 1, true, false>},
    {GUID_PKPixelFormat96bppRGBFixedPoint, 96, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed32, 3, false, false>},
    {GUID_PKPixelFormat128bppRGBFixedPoint, 128, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed32, 4, false, false>},
    {GUID_PKPixelFormat128bppRGBAFixedPoint, 128, QImage::Format_Invalid,
     &ConvertHdrRow<Fixed32, 4, false, true>},
    {GUID_PKPixelFormat32bppGrayFloat, 32, QImage::Format_Invalid,
     &ConvertHdrRow<Float32, 1, true, false>},
    {GUID_PKPixelFormat96bppRGBFloat, 96, QImage::Format_Invalid,
     &ConvertHdrRow<Float32, 3, false, false>},
    {GUID_PKPixelFormat128bppRGBFloat, 128, QImage::Format_Invalid,
     &ConvertHdrRow<Float32, 4, false, false>},
    {GUID_PKPixelFormat128bppRGBAFloat, 128, QImage::Format_Invalid,
     &ConvertHdrRow<Float32, 4, false, true>},
};

const StoredFormat* FindStoredFormat(const PKPixelFormatGUID& guid) {
    for (const StoredFormat& format : StoredFormats)
        if (SameGuid(format.guid, guid))
            return &format;
    return nullptr;
}

// Asks for the whole image, at full resolution, in the file's own pixel format (with its alpha
// plane where it has one), as the library's reference decoder sets it up.
void RequestNativeOutput(PKImageDecode& decoder) {
    PKPixelInfo info{};
    info.pGUIDPixFmt = &decoder.guidPixFormat;
    PixelFormatLookup(&info, LOOKUP_FORWARD);
    CWMImageInfo& image = decoder.WMP.wmiI;
    image.cfColorFormat = info.cfColorFormat;
    image.bdBitDepth = info.bdBitDepth;
    image.cBitsPerUnit = info.cbitUnit;
    image.bSkipFlexbits = FALSE;
    image.cThumbnailWidth = image.cWidth;
    image.cThumbnailHeight = image.cHeight;
    image.cROILeftX = 0;
    image.cROITopY = 0;
    image.cROIWidth = image.cWidth;
    image.cROIHeight = image.cHeight;
    decoder.WMP.wmiSCP.uAlphaMode = (info.grBit & PK_pixfmtHasAlpha) ? 2 : 0;
}

std::optional<QSize> OutputSize(PKImageDecode& decoder) {
    I32 width = 0;
    I32 height = 0;
    if (decoder.GetSize(&decoder, &width, &height) != WMP_errSuccess || width <= 0 || height <= 0)
        return std::nullopt;
    return QSize(width, height);
}

// Row by row, so no second full-size image is made, and in this thread: Qt spreads a large
// conversion over threads that the helper's address-space cap may not leave room for.
bool ConvertRows(const StoredFormat& format, const uchar* stored, qsizetype storedRowBytes,
                 QSize size, unsigned char* pixels) {
    const qsizetype rowBytes = qsizetype(size.width()) * 4;
    for (int y = 0; y < size.height(); ++y) {
        const uchar* storedRow = stored + y * storedRowBytes;
        auto* pixelRow = reinterpret_cast<QRgb*>(pixels + y * rowBytes);
        if (format.convert) {
            format.convert(storedRow, pixelRow, size.width());
            continue;
        }
        const QImage row(storedRow, size.width(), 1, storedRowBytes, format.qtFormat);
        const QImage converted = row.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (converted.isNull())
            return false;
        std::memcpy(pixelRow, converted.constBits(), std::size_t(rowBytes));
    }
    return true;
}

} // namespace

bool DecodeJxrInto(const QByteArray& fileBytes, QSize size, unsigned char* pixels) {
    JxrFile file(fileBytes);
    PKImageDecode* decoder = file.Decoder();
    if (!decoder)
        return false;
    const StoredFormat* format = FindStoredFormat(decoder->guidPixFormat);
    if (!format || OutputSize(*decoder) != size)
        return false;
    RequestNativeOutput(*decoder);
    // The rows below are sized by our table; the library writes what its own table says.
    if (decoder->WMP.wmiI.cBitsPerUnit != size_t(format->bitsPerPixel))
        return false;
    // Rows padded to 16 bytes, as the library's own tools allocate them.
    const qsizetype storedRowBytes =
        (qsizetype(size.width()) * format->bitsPerPixel + 127) / 128 * 16;
    std::vector<uchar> stored;
    try {
        stored.resize(std::size_t(storedRowBytes) * std::size_t(size.height()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const PKRect whole{0, 0, size.width(), size.height()};
    if (decoder->Copy(decoder, &whole, stored.data(), U32(storedRowBytes)) != WMP_errSuccess)
        return false;
    return ConvertRows(*format, stored.data(), storedRowBytes, size, pixels);
}
