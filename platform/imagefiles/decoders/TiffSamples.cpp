// SPDX-License-Identifier: MIT
#include "TiffSamples.h"

#include <QRgb>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <vector>

namespace {

// The most one strip or tile may take once decoded: a damaged header can declare any size.
constexpr tmsize_t LargestBlock = tmsize_t(1) << 30;

// Whether the product of the factors (each at least 0) stays within LargestBlock; headers can
// declare sizes whose products overflow.
bool FitsBlock(std::initializer_list<qint64> factors) {
    unsigned __int128 product = 1;
    for (const qint64 factor : factors) {
        product *= static_cast<unsigned __int128>(std::max<qint64>(factor, 0));
        if (product > static_cast<unsigned __int128>(LargestBlock))
            return false;
    }
    return true;
}

enum class Colours { Grey, GreyInverted, Rgb, Palette, Cmyk };

// Room for a decoded strip or tile, left unwritten until libtiff fills it: a header can declare
// strips far larger than its data, and a read fails before touching most of it.
class Block {
public:
    explicit Block(size_t bytes) : bytes_(new uchar[bytes]) {}
    Block(const Block& other) = delete;
    Block(Block&&) = default;
    uchar* Data() const { return bytes_.get(); }

private:
    std::unique_ptr<uchar[]> bytes_;
};

std::vector<Block> Blocks(int count, size_t bytes) {
    std::vector<Block> blocks;
    for (int i = 0; i < count; ++i)
        blocks.emplace_back(bytes);
    return blocks;
}

struct Layout {
    Colours colours = Colours::Grey;
    int bits = 8;          // a sample
    int samples = 1;       // a pixel
    int colourSamples = 1; // the first samples: 1 grey or index, 3 RGB, 4 CMYK
    int alphaSample = -1;  // the sample that holds alpha, if any
    bool premultiplied = false;
    quint16 format = SAMPLEFORMAT_UINT;
    bool planar = false; // each sample in a plane of its own
    double minimum = 0;  // floating point's black and white
    double maximum = 1;
};

quint64 MaskOf(int bits) {
    return bits == 64 ? ~quint64{0} : (quint64{1} << bits) - 1;
}

// Sample `index` of a row: whole bytes in the machine's order (libtiff has swapped them), any
// other width packed most significant bit first.
quint64 RawSample(const uchar* row, qint64 index, int bits) {
    const uchar* at = row + index * (bits / 8);
    switch (bits) {
    case 8:
        return *at;
    case 16: {
        quint16 value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    case 24:
        return quint64(at[0]) | quint64(at[1]) << 8 | quint64(at[2]) << 16;
    case 32: {
        quint32 value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    case 64: {
        quint64 value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    default:
        break;
    }
    quint64 value = 0;
    qint64 bit = index * bits;
    for (int left = bits; left > 0;) {
        const int used = int(bit & 7);
        const int take = std::min(8 - used, left);
        value = value << take | ((row[bit >> 3] >> (8 - used - take)) & ((1u << take) - 1));
        bit += take;
        left -= take;
    }
    return value;
}

// A float of 16 or 24 bits: a sign bit, 5 or 7 exponent bits, the rest mantissa.
double SmallFloat(quint64 raw, int bits) {
    const int exponentBits = bits == 16 ? 5 : 7;
    const int mantissaBits = bits - 1 - exponentBits;
    const int exponent = int(raw >> mantissaBits) & ((1 << exponentBits) - 1);
    const quint64 mantissa = raw & MaskOf(mantissaBits);
    const int bias = (1 << (exponentBits - 1)) - 1;
    double value;
    if (exponent == 0)
        value = std::ldexp(double(mantissa), 1 - bias - mantissaBits);
    else if (exponent == (1 << exponentBits) - 1)
        value = mantissa != 0 ? std::numeric_limits<double>::quiet_NaN()
                              : std::numeric_limits<double>::infinity();
    else
        value = std::ldexp(double(mantissa | quint64{1} << mantissaBits),
                           exponent - bias - mantissaBits);
    return raw >> (bits - 1) & 1 ? -value : value;
}

// A sample as a level 0-255 (see TiffSamples.h).
int Level(quint64 raw, const Layout& layout) {
    const int bits = layout.bits;
    if (layout.format == SAMPLEFORMAT_IEEEFP) {
        double value;
        if (bits == 32) {
            float single;
            const auto word = quint32(raw);
            std::memcpy(&single, &word, sizeof single);
            value = single;
        } else if (bits == 64) {
            std::memcpy(&value, &raw, sizeof value);
        } else {
            value = SmallFloat(raw, bits);
        }
        value = (value - layout.minimum) / (layout.maximum - layout.minimum);
        if (!(value > 0)) // not-a-number too
            return 0;
        return int(std::lround(std::min(value, 1.0) * 255));
    }
    const quint64 mask = MaskOf(bits);
    if (layout.format == SAMPLEFORMAT_INT)
        raw = (raw + (quint64{1} << (bits - 1))) & mask;
    using Wide = unsigned __int128;
    return int((Wide(raw) * 510 + mask) / (Wide(mask) * 2));
}

class SampleReader final : public TiffSampleReader {
public:
    SampleReader(TIFF* tiff, quint32 width, quint32 height, const Layout& layout)
        : tiff_(tiff), width_(width), height_(height), layout_(layout) {}

    // The colour map of a palette picture; false when it is missing.
    bool TakePalette() {
        quint16 *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tiff_, TIFFTAG_COLORMAP, &red, &green, &blue))
            return false;
        const size_t entries = size_t(1) << layout_.bits;
        // Old writers stored 8-bit entries; libtiff's RGBA interface tells them apart the same way.
        const bool eightBit =
            std::all_of(red, red + entries, [](quint16 v) { return v < 256; }) &&
            std::all_of(green, green + entries, [](quint16 v) { return v < 256; }) &&
            std::all_of(blue, blue + entries, [](quint16 v) { return v < 256; });
        const auto eight = [eightBit](quint16 v) {
            return eightBit ? int(v) : int((quint32(v) * 255 + 32767) / 65535);
        };
        palette_.resize(entries);
        for (size_t i = 0; i < entries; ++i)
            palette_[i] = qRgb(eight(red[i]), eight(green[i]), eight(blue[i]));
        return true;
    }

    bool Paint(QImage& canvas, quint16 orientation) override {
        std::vector<QRgb> pixels(width_);
        return ForEachRow([&](quint32 y, const std::vector<const uchar*>& planes) {
            Convert(planes, pixels.data());
            Place(canvas, orientation, y, pixels);
        });
    }

private:
    using RowVisit = std::function<void(quint32 y, const std::vector<const uchar*>& planes)>;

    // The planes read: in separate planes, only those of the colour and the alpha (an extra
    // sample of another kind may even be missing from the file).
    int Planes() const {
        return layout_.planar ? layout_.colourSamples + (layout_.alphaSample >= 0 ? 1 : 0) : 1;
    }
    // Bits a pixel takes in one plane.
    qint64 PlanePixelBits() const {
        return qint64(layout_.bits) * (layout_.planar ? 1 : layout_.samples);
    }

    // Calls `visit` for every stored row, top to bottom, with the row's bytes in each plane.
    bool ForEachRow(const RowVisit& visit) {
        return TIFFIsTiled(tiff_) ? ForEachTiledRow(visit) : ForEachStripRow(visit);
    }

    bool ForEachStripRow(const RowVisit& visit) {
        quint32 rowsPerStrip = height_;
        TIFFGetFieldDefaulted(tiff_, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        rowsPerStrip = std::clamp<quint32>(rowsPerStrip, 1, height_);
        const qint64 rowBytes = (qint64(width_) * PlanePixelBits() + 7) / 8;
        if (!FitsBlock({rowBytes, rowsPerStrip, Planes()}))
            return false;
        std::vector<Block> strips = Blocks(Planes(), size_t(rowBytes * rowsPerStrip));
        auto rows = std::vector<const uchar*>(std::size_t(Planes()));
        for (quint32 top = 0; top < height_; top += rowsPerStrip) {
            const quint32 count = std::min(rowsPerStrip, height_ - top);
            const tmsize_t wanted = tmsize_t(rowBytes * count);
            for (int plane = 0; plane < Planes(); ++plane) {
                const quint32 strip = TIFFComputeStrip(tiff_, top, quint16(plane));
                if (strip >= TIFFNumberOfStrips(tiff_) ||
                    TIFFGetStrileByteCount(tiff_, strip) == 0 ||
                    TIFFReadEncodedStrip(tiff_, strip, strips[size_t(plane)].Data(), wanted) <
                        wanted)
                    return false;
            }
            for (quint32 y = 0; y < count; ++y) {
                for (int plane = 0; plane < Planes(); ++plane)
                    rows[size_t(plane)] = strips[size_t(plane)].Data() + rowBytes * y;
                visit(top + y, rows);
            }
        }
        return true;
    }

    bool ForEachTiledRow(const RowVisit& visit) {
        quint32 tileWidth = 0, tileHeight = 0;
        if (!TIFFGetField(tiff_, TIFFTAG_TILEWIDTH, &tileWidth) ||
            !TIFFGetField(tiff_, TIFFTAG_TILELENGTH, &tileHeight) || tileWidth == 0 ||
            tileHeight == 0 || tileWidth * PlanePixelBits() % 8 != 0)
            return false;
        const qint64 tileRowBytes = qint64(tileWidth) * PlanePixelBits() / 8;
        const qint64 across = (qint64(width_) + tileWidth - 1) / tileWidth;
        // Only the tiles' rows inside the picture are decoded and kept: a tile may be declared
        // far taller than the picture.
        const quint32 bandRows = std::min(tileHeight, height_);
        if (!FitsBlock({tileRowBytes, bandRows}) ||
            !FitsBlock({across, tileRowBytes, bandRows, Planes()}))
            return false;
        const qint64 bandRowBytes = across * tileRowBytes;
        Block tile{size_t(tileRowBytes * bandRows)};
        std::vector<Block> bands = Blocks(Planes(), size_t(bandRowBytes * bandRows));
        auto rows = std::vector<const uchar*>(std::size_t(Planes()));
        for (quint32 top = 0; top < height_; top += tileHeight) {
            const quint32 inside = std::min(tileHeight, height_ - top);
            const tmsize_t wanted = tmsize_t(tileRowBytes * inside);
            for (int plane = 0; plane < Planes(); ++plane)
                for (qint64 column = 0; column < across; ++column) {
                    const quint32 index =
                        TIFFComputeTile(tiff_, quint32(column * tileWidth), top, 0, quint16(plane));
                    if (index >= TIFFNumberOfTiles(tiff_) ||
                        TIFFGetStrileByteCount(tiff_, index) == 0 ||
                        TIFFReadEncodedTile(tiff_, index, tile.Data(), wanted) < wanted)
                        return false;
                    for (quint32 y = 0; y < inside; ++y)
                        std::memcpy(bands[size_t(plane)].Data() + bandRowBytes * y +
                                        column * tileRowBytes,
                                    tile.Data() + tileRowBytes * y, size_t(tileRowBytes));
                }
            for (quint32 y = 0; y < inside; ++y) {
                for (int plane = 0; plane < Planes(); ++plane)
                    rows[size_t(plane)] = bands[size_t(plane)].Data() + bandRowBytes * y;
                visit(top + y, rows);
            }
        }
        return true;
    }

    // One stored row, every sample read, as premultiplied pixels.
    void Convert(const std::vector<const uchar*>& planes, QRgb* out) const {
        const Layout& l = layout_;
        const auto raw = [&](quint32 x, int sample) {
            return l.planar ? RawSample(planes[size_t(sample)], x, l.bits)
                            : RawSample(planes[0], qint64(x) * l.samples + sample, l.bits);
        };
        for (quint32 x = 0; x < width_; ++x) {
            QRgb colour = 0;
            switch (l.colours) {
            case Colours::Grey:
            case Colours::GreyInverted: {
                const int level = Level(raw(x, 0), l);
                const int grey = l.colours == Colours::Grey ? level : 255 - level;
                colour = qRgb(grey, grey, grey);
                break;
            }
            case Colours::Rgb:
                colour = qRgb(Level(raw(x, 0), l), Level(raw(x, 1), l), Level(raw(x, 2), l));
                break;
            case Colours::Palette: {
                const quint64 index = raw(x, 0);
                colour = index < palette_.size() ? palette_[index] : qRgb(0, 0, 0);
                break;
            }
            case Colours::Cmyk: {
                const int k = 255 - (l.colourSamples == 4 ? Level(raw(x, 3), l) : 0);
                colour = qRgb(k * (255 - Level(raw(x, 0), l)) / 255,
                              k * (255 - Level(raw(x, 1), l)) / 255,
                              k * (255 - Level(raw(x, 2), l)) / 255);
                break;
            }
            }
            if (l.alphaSample >= 0) {
                const int alpha = Level(raw(x, l.alphaSample), l);
                colour =
                    l.premultiplied
                        ? qRgba(std::min(qRed(colour), alpha), std::min(qGreen(colour), alpha),
                                std::min(qBlue(colour), alpha), alpha)
                        : qPremultiply(qRgba(qRed(colour), qGreen(colour), qBlue(colour), alpha));
            }
            out[x] = colour;
        }
    }

    // A stored row put where the orientation shows it.
    void Place(QImage& canvas, quint16 orientation, quint32 y, const std::vector<QRgb>& row) const {
        for (quint32 x = 0; x < width_; ++x) {
            const QPoint at = TiffPlace(orientation, x, y, width_, height_);
            reinterpret_cast<QRgb*>(canvas.scanLine(at.y()))[at.x()] = row[x];
        }
    }

    TIFF* tiff_;
    quint32 width_;
    quint32 height_;
    Layout layout_;
    std::vector<QRgb> palette_;
};

} // namespace

QPoint TiffPlace(quint16 orientation, quint32 x, quint32 y, quint32 width, quint32 height) {
    const int right = int(width - 1 - x);
    const int bottom = int(height - 1 - y);
    switch (orientation) {
    case ORIENTATION_TOPRIGHT:
        return {right, int(y)};
    case ORIENTATION_BOTRIGHT:
        return {right, bottom};
    case ORIENTATION_BOTLEFT:
        return {int(x), bottom};
    case ORIENTATION_LEFTTOP: // rows stored as columns from here on
        return {int(y), int(x)};
    case ORIENTATION_RIGHTTOP:
        return {bottom, int(x)};
    case ORIENTATION_RIGHTBOT:
        return {bottom, right};
    case ORIENTATION_LEFTBOT:
        return {int(y), right};
    default:
        return {int(x), int(y)};
    }
}

std::unique_ptr<TiffSampleReader> TiffSampleReader::For(TIFF* tiff, quint32 width, quint32 height) {
    Layout layout;
    quint16 bits = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &layout.format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    // A picture without the tag is grey, as libtiff and the other readers take it.
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = PHOTOMETRIC_MINISBLACK;
    layout.bits = bits;
    layout.samples = samples;
    layout.planar = planar == PLANARCONFIG_SEPARATE && samples > 1;
    const bool wholeBytes = bits % 8 == 0;
    if (bits < 1 || bits > 64 ||
        (wholeBytes && bits != 8 && bits != 16 && bits != 24 && bits != 32 && bits != 64))
        return nullptr;
    switch (layout.format) {
    case SAMPLEFORMAT_UINT:
    case SAMPLEFORMAT_VOID:
    case SAMPLEFORMAT_INT:
        break;
    case SAMPLEFORMAT_IEEEFP: {
        if (bits != 16 && bits != 24 && bits != 32 && bits != 64)
            return nullptr;
        double least = 0, most = 1;
        if (TIFFGetField(tiff, TIFFTAG_SMINSAMPLEVALUE, &least) &&
            TIFFGetField(tiff, TIFFTAG_SMAXSAMPLEVALUE, &most) && std::isfinite(least) &&
            std::isfinite(most) && most > least) {
            layout.minimum = least;
            layout.maximum = most;
        }
        break;
    }
    default:
        return nullptr;
    }
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
        layout.colours = Colours::Grey;
        break;
    case PHOTOMETRIC_MINISWHITE:
        layout.colours = Colours::GreyInverted;
        break;
    case PHOTOMETRIC_RGB:
        layout.colours = Colours::Rgb;
        layout.colourSamples = 3;
        break;
    case PHOTOMETRIC_PALETTE:
        if (bits > 16 || layout.format == SAMPLEFORMAT_IEEEFP || layout.format == SAMPLEFORMAT_INT)
            return nullptr;
        layout.colours = Colours::Palette;
        break;
    case PHOTOMETRIC_SEPARATED: {
        quint16 inkSet = INKSET_CMYK;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
        if (inkSet != INKSET_CMYK)
            return nullptr;
        // Three inks are cyan, magenta and yellow without black.
        layout.colours = Colours::Cmyk;
        layout.colourSamples = samples == 3 ? 3 : 4;
        break;
    }
    default:
        return nullptr;
    }
    if (layout.samples < layout.colourSamples)
        return nullptr;
    quint16 extraCount = 0;
    quint16* extraKinds = nullptr;
    if (layout.colours != Colours::Cmyk && layout.samples > layout.colourSamples &&
        TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds) &&
        extraCount > 0 && extraKinds != nullptr &&
        (extraKinds[0] == EXTRASAMPLE_ASSOCALPHA || extraKinds[0] == EXTRASAMPLE_UNASSALPHA)) {
        layout.alphaSample = layout.colourSamples;
        layout.premultiplied = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    auto reader = std::make_unique<SampleReader>(tiff, width, height, layout);
    if (layout.colours == Colours::Palette && !reader->TakePalette())
        return nullptr;
    return reader;
}
