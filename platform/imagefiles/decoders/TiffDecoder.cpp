// SPDX-License-Identifier: MIT
#include "TiffDecoder.h"

#include "TiffSamples.h"

#include <QRgb>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace {

// The most libtiff may allocate at once (a strip or tile buffer, a table): a damaged header can
// declare a strip of any size, and only the picture itself is allocated by us.
constexpr tmsize_t LargestLibtiffAllocation = tmsize_t(1) << 30;

// The file as libtiff's client procedures see it: read-only, mapped, never written.
struct MemoryFile {
    QByteArrayView bytes;
    qint64 position = 0;
};

MemoryFile& FileOf(thandle_t handle) {
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t ReadFile(thandle_t handle, void* buffer, tmsize_t size) {
    MemoryFile& file = FileOf(handle);
    const qint64 available = std::max<qint64>(0, file.bytes.size() - file.position);
    const qint64 count = std::min<qint64>(size, available);
    if (count > 0)
        std::memcpy(buffer, file.bytes.data() + file.position, size_t(count));
    file.position += count;
    return tmsize_t(count);
}

tmsize_t WriteFile(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t SeekFile(thandle_t handle, toff_t offset, int whence) {
    MemoryFile& file = FileOf(handle);
    const qint64 base = whence == SEEK_CUR   ? file.position
                        : whence == SEEK_END ? file.bytes.size()
                                             : 0;
    if (offset > toff_t(LLONG_MAX - base))
        return toff_t(-1);
    file.position = base + qint64(offset);
    return toff_t(file.position);
}

int CloseFile(thandle_t) {
    return 0;
}

toff_t FileSize(thandle_t handle) {
    return toff_t(FileOf(handle).bytes.size());
}

int MapFile(thandle_t handle, void** base, toff_t* size) {
    MemoryFile& file = FileOf(handle);
    *base = const_cast<char*>(file.bytes.data());
    *size = toff_t(file.bytes.size());
    return 1;
}

void UnmapFile(thandle_t, void*, toff_t) {}

// Damaged files are answered by the load's own message; libtiff's reports would only be noise.
int Quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// libtiff's RGBA pixels hold red in the low byte; ours hold blue there.
QRgb FromLibtiff(quint32 pixel) {
    return (pixel & 0xFF00FF00) | (pixel & 0xFF) << 16 | (pixel >> 16 & 0xFF);
}

using Matrix = std::array<std::array<double, 3>, 3>;
using Vector = std::array<double, 3>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                product[i][j] += a[i][k] * b[k][j];
    return product;
}

Vector Apply(const Matrix& m, const Vector& v) {
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
            m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

// CIE L*a*b* relative to the file's white point (D50 when the file names none, as Adobe's TIFF
// notes have it) to sRGB: to XYZ, Bradford-adapted to sRGB's D65 white, then sRGB's matrix and
// transfer curve. libtiff's own conversion skips the adaptation and is visibly off.
class LabToSrgb {
public:
    explicit LabToSrgb(const float* whiteChromaticity) {
        const double x = whiteChromaticity ? whiteChromaticity[0] : 0.3457;
        const double y = whiteChromaticity ? whiteChromaticity[1] : 0.3585;
        white_ = {x / y, 1.0, (1.0 - x - y) / y};
        static constexpr Matrix Bradford = {
            {{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
        static constexpr Matrix BradfordInverse = {{{0.9869929, -0.1470543, 0.1599627},
                                                    {0.4323053, 0.5183603, 0.0492912},
                                                    {-0.0085287, 0.0400428, 0.9684867}}};
        static constexpr Matrix XyzToLinearSrgb = {{{3.2404542, -1.5371385, -0.4985314},
                                                    {-0.9692660, 1.8760108, 0.0415560},
                                                    {0.0556434, -0.2040259, 1.0572252}}};
        const Vector source = Apply(Bradford, white_);
        const Vector target = Apply(Bradford, {0.95047, 1.0, 1.08883});
        Matrix scale{};
        for (int i = 0; i < 3; ++i)
            scale[i][i] = target[i] / source[i];
        toLinear_ = Multiply(XyzToLinearSrgb, Multiply(BradfordInverse, Multiply(scale, Bradford)));
    }

    // L* 0 to 100, a* and b* about -128 to 127; opaque sRGB.
    QRgb operator()(double lightness, double a, double b) const {
        const double fy = (lightness + 16) / 116;
        const auto inverse = [](double t) {
            return t > 6.0 / 29 ? t * t * t : (116 * t - 16) * 27 / 24389;
        };
        const Vector xyz = {inverse(fy + a / 500) * white_[0], inverse(fy) * white_[1],
                            inverse(fy - b / 200) * white_[2]};
        const Vector linear = Apply(toLinear_, xyz);
        const auto encode = [](double c) {
            c = std::clamp(c, 0.0, 1.0);
            c = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
            return int(std::lround(c * 255));
        };
        return qRgb(encode(linear[0]), encode(linear[1]), encode(linear[2]));
    }

private:
    Vector white_;
    Matrix toLinear_;
};

// libtiff's reading state with our Lab conversion beside it, for the put routine below.
struct LabImage {
    TIFFRGBAImage image;
    const LabToSrgb* convert;
};

// A libtiff put routine for interleaved 8- or 16-bit Lab: `w` x `h` pixels from `samples`
// into `raster`, each row then skipping `fromSkew` pixels of the source and `toSkew` of the
// raster. Writes libtiff's RGBA layout (red in the low byte) like the routine it replaces.
void PutLab(TIFFRGBAImage* image, quint32* raster, quint32, quint32, quint32 w, quint32 h,
            qint32 fromSkew, qint32 toSkew, unsigned char* samples) {
    const LabToSrgb& convert = *reinterpret_cast<LabImage*>(image)->convert;
    const bool wide = image->bitspersample == 16;
    const int step = image->samplesperpixel;
    for (; h > 0; --h) {
        for (quint32 x = 0; x < w; ++x) {
            QRgb colour;
            if (wide) {
                const auto* sample = reinterpret_cast<const quint16*>(samples) + x * step;
                colour = convert(sample[0] * 100.0 / 65535, qint16(sample[1]) / 256.0,
                                 qint16(sample[2]) / 256.0);
            } else {
                const unsigned char* sample = samples + x * step;
                colour = convert(sample[0] * 100.0 / 255, qint8(sample[1]), qint8(sample[2]));
            }
            *raster++ =
                0xFF000000 | quint32(qBlue(colour)) << 16 | qGreen(colour) << 8 | qRed(colour);
        }
        samples += (qint64(w) + fromSkew) * step * (wide ? 2 : 1);
        raster += toSkew;
    }
}

class TiffDecoder final : public CanvasDecoder {
public:
    explicit TiffDecoder(QByteArrayView bytes) { file_.bytes = bytes; }

    // False when the header is damaged or its layout is one neither libtiff's RGBA interface
    // nor our sample reader reads.
    bool Open() {
        std::unique_ptr<TIFFOpenOptions, decltype(&TIFFOpenOptionsFree)> options(
            TIFFOpenOptionsAlloc(), &TIFFOpenOptionsFree);
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &Quiet, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &Quiet, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), LargestLibtiffAllocation);
        tiff_.reset(TIFFClientOpenExt("", "r", &file_, &ReadFile, &WriteFile, &SeekFile, &CloseFile,
                                      &FileSize, &MapFile, &UnmapFile, options.get()));
        if (!tiff_)
            return false;
        if (!TIFFGetField(tiff_.get(), TIFFTAG_IMAGEWIDTH, &width_) ||
            !TIFFGetField(tiff_.get(), TIFFTAG_IMAGELENGTH, &height_) || width_ == 0 ||
            height_ == 0 || width_ > INT_MAX || height_ > INT_MAX)
            return false;
        TIFFGetFieldDefaulted(tiff_.get(), TIFFTAG_ORIENTATION, &orientation_);
        if (orientation_ < ORIENTATION_TOPLEFT || orientation_ > ORIENTATION_LEFTBOT)
            orientation_ = ORIENTATION_TOPLEFT;
        quint16 sampleFormat = SAMPLEFORMAT_UINT;
        quint16 photometric = 0;
        TIFFGetFieldDefaulted(tiff_.get(), TIFFTAG_SAMPLEFORMAT, &sampleFormat);
        TIFFGetField(tiff_.get(), TIFFTAG_PHOTOMETRIC, &photometric);
        // LogL and LogLuv pictures are turned to 8 bits by libtiff's own decoding; their sample
        // format describes the encoded data, not what is read.
        const bool logLuminance =
            photometric == PHOTOMETRIC_LOGL || photometric == PHOTOMETRIC_LOGLUV;
        if (logLuminance)
            TIFFSetField(tiff_.get(), TIFFTAG_SGILOGDATAFMT, SGILOGDATAFMT_8BIT);
        // Untyped samples are read as unsigned.
        const bool rgbaSamples =
            logLuminance || sampleFormat == SAMPLEFORMAT_UINT || sampleFormat == SAMPLEFORMAT_VOID;
        if (!rgbaSamples || !RgbaInterfaceReads()) {
            samples_ = TiffSampleReader::For(tiff_.get(), width_, height_);
            return samples_ != nullptr;
        }
        quint16 extraSamples = 0;
        quint16* extraKinds = nullptr;
        hasAlpha_ =
            TIFFGetFieldDefaulted(tiff_.get(), TIFFTAG_EXTRASAMPLES, &extraSamples, &extraKinds) &&
            extraSamples > 0;
        return true;
    }

    // libtiff's RGBA interface takes the layout: its check passes some it has no routine for
    // (16-bit CMYK, 2- and 4-bit RGB, 16-bit palettes), which only starting a read finds.
    bool RgbaInterfaceReads() {
        char message[1024];
        TIFFRGBAImage image{};
        if (!TIFFRGBAImageOK(tiff_.get(), message) ||
            !TIFFRGBAImageBegin(&image, tiff_.get(), 1, message))
            return false;
        TIFFRGBAImageEnd(&image);
        return true;
    }

    QSize Size() const override {
        return Transposed() ? QSize(int(height_), int(width_)) : QSize(int(width_), int(height_));
    }

private:
    bool Paint(QImage& canvas) override {
        if (samples_)
            return samples_->Paint(canvas, orientation_);
        if (!Transposed()) {
            // libtiff turns the rows and columns of the first four orientations itself.
            auto* pixels = reinterpret_cast<quint32*>(canvas.bits());
            if (!ReadRgba(pixels, ORIENTATION_TOPLEFT))
                return false;
            const qsizetype count = qsizetype(width_) * height_;
            std::transform(pixels, pixels + count, pixels, [this](quint32 p) { return Own(p); });
            return true;
        }
        // Rows stored as columns: read as stored (libtiff then turns nothing), then placed.
        std::vector<quint32> stored(size_t(width_) * height_);
        if (!ReadRgba(stored.data(), orientation_))
            return false;
        for (quint32 row = 0; row < height_; ++row)
            for (quint32 column = 0; column < width_; ++column) {
                const QPoint at = TiffPlace(orientation_, column, row, width_, height_);
                reinterpret_cast<QRgb*>(canvas.scanLine(at.y()))[at.x()] =
                    Own(stored[size_t(row) * width_ + column]);
            }
        return true;
    }

    // What TIFFReadRGBAImageOriented does, with Lab pixels converted by us.
    bool ReadRgba(quint32* raster, quint16 orientation) {
        char message[1024];
        LabImage state{};
        if (!TIFFRGBAImageBegin(&state.image, tiff_.get(), 1, message))
            return false;
        float* white = nullptr;
        TIFFGetField(tiff_.get(), TIFFTAG_WHITEPOINT, &white);
        const LabToSrgb convert(white);
        state.convert = &convert;
        if (state.image.photometric == PHOTOMETRIC_CIELAB && state.image.isContig &&
            (state.image.bitspersample == 8 || state.image.bitspersample == 16))
            state.image.put.contig = &PutLab;
        state.image.req_orientation = orientation;
        const bool read = TIFFRGBAImageGet(&state.image, raster, width_, height_);
        TIFFRGBAImageEnd(&state.image);
        return read;
    }

    bool Transposed() const { return orientation_ >= ORIENTATION_LEFTTOP; }

    // Premultiplied as the bitmap holds it; a file's associated alpha may claim colour above its
    // alpha, which premultiplied pixels cannot hold.
    QRgb Own(quint32 pixel) const {
        const QRgb colour = FromLibtiff(pixel);
        if (!hasAlpha_)
            return colour;
        const int alpha = qAlpha(colour);
        return qRgba(std::min(qRed(colour), alpha), std::min(qGreen(colour), alpha),
                     std::min(qBlue(colour), alpha), alpha);
    }

    MemoryFile file_;
    std::unique_ptr<TIFF, TiffCloser> tiff_;
    std::unique_ptr<TiffSampleReader> samples_; // where libtiff's RGBA interface cannot read
    quint32 width_ = 0;
    quint32 height_ = 0;
    quint16 orientation_ = ORIENTATION_TOPLEFT;
    bool hasAlpha_ = false;
};

} // namespace

std::unique_ptr<FormatDecoder> OpenTiff(QByteArrayView file) {
    auto decoder = std::make_unique<TiffDecoder>(file);
    if (!decoder->Open())
        return nullptr;
    return decoder;
}
