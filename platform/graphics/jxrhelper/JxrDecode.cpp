// SPDX-License-Identifier: MIT
#include "JxrDecode.h"

#include <QImage>
#include <QtEndian>
#include <cstring>
#include <memory>
#include <optional>

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

// A pixel format the decoder can hand out as it is stored, with the Qt format of the same bytes.
struct NativeFormat {
    const PKPixelFormatGUID& guid;
    QImage::Format qtFormat;
};

const NativeFormat kNativeFormats[] = {
    {GUID_PKPixelFormat24bppBGR, QImage::Format_BGR888},
    {GUID_PKPixelFormat24bppRGB, QImage::Format_RGB888},
    {GUID_PKPixelFormat32bppBGRA, QImage::Format_ARGB32},
    {GUID_PKPixelFormat8bppGray, QImage::Format_Grayscale8},
    {GUID_PKPixelFormat16bppGray, QImage::Format_Grayscale16},
    {GUID_PKPixelFormat64bppRGBA, QImage::Format_RGBA64},
};

const NativeFormat* FindNativeFormat(const PKPixelFormatGUID& guid) {
    for (const NativeFormat& format : kNativeFormats)
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
bool ConvertRows(const QImage& stored, unsigned char* pixels) {
    const qsizetype rowBytes = qsizetype(stored.width()) * 4;
    for (int y = 0; y < stored.height(); ++y) {
        const QImage row(stored.constScanLine(y), stored.width(), 1, stored.bytesPerLine(),
                         stored.format());
        const QImage converted = row.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (converted.isNull())
            return false;
        std::memcpy(pixels + y * rowBytes, converted.constBits(), std::size_t(rowBytes));
    }
    return true;
}

} // namespace

bool DecodeJxrInto(const QByteArray& fileBytes, QSize size, unsigned char* pixels) {
    JxrFile file(fileBytes);
    PKImageDecode* decoder = file.Decoder();
    if (!decoder)
        return false;
    const NativeFormat* native = FindNativeFormat(decoder->guidPixFormat);
    if (!native || OutputSize(*decoder) != size)
        return false;
    RequestNativeOutput(*decoder);
    QImage stored(size, native->qtFormat);
    if (stored.isNull())
        return false;
    const PKRect whole{0, 0, size.width(), size.height()};
    if (decoder->Copy(decoder, &whole, stored.bits(), U32(stored.bytesPerLine())) != WMP_errSuccess)
        return false;
    return ConvertRows(stored, pixels);
}
