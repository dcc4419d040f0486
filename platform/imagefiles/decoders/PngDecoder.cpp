// SPDX-License-Identifier: MIT
#include "PngDecoder.h"

#include <QRgb>
#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <png.h>

namespace {

constexpr qsizetype SignatureBytes = 8;
constexpr qsizetype HeaderEnd = SignatureBytes + 8 + 13; // IHDR's length, type and fields

struct MemoryReader {
    QByteArrayView bytes;
    qsizetype position = 0;
};

void ReadBytes(png_structp png, png_bytep target, size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (qsizetype(count) > reader->bytes.size() - reader->position)
        png_error(png, "file ends early");
    std::memcpy(target, reader->bytes.data() + reader->position, count);
    reader->position += qsizetype(count);
}

// Damaged files are answered by the load's own message.
void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void Ignore(png_structp, png_const_charp) {}

// The fixed fields of IHDR, checked the way libpng will: a header that is not one is damaged
// before anything is allocated for its size.
bool ValidHeader(QByteArrayView file, QSize& size) {
    if (file.size() < HeaderEnd || std::memcmp(file.data() + 12, "IHDR", 4) != 0 ||
        qFromBigEndian<quint32>(file.data() + 8) != 13)
        return false;
    const quint32 width = qFromBigEndian<quint32>(file.data() + 16);
    const quint32 height = qFromBigEndian<quint32>(file.data() + 20);
    const int depth = quint8(file[24]);
    const int colourType = quint8(file[25]);
    const bool depthFits =
        (colourType == 0 &&
         (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
        (colourType == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
        ((colourType == 2 || colourType == 4 || colourType == 6) && (depth == 8 || depth == 16));
    if (width == 0 || height == 0 || width > PNG_UINT_31_MAX || height > PNG_UINT_31_MAX ||
        !depthFits || file[26] != 0 || file[27] != 0 || quint8(file[28]) > 1)
        return false;
    size = QSize(int(width), int(height));
    return true;
}

class PngDecoder final : public CanvasDecoder {
public:
    PngDecoder(QByteArrayView file, QSize size) : size_(size) { reader_.bytes = file; }

    ~PngDecoder() override { png_destroy_read_struct(&png_, &info_, nullptr); }

    QSize Size() const override { return size_; }

private:
    bool Paint(QImage& canvas) override {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &Fail, &Ignore);
        if (!png_)
            return false;
        info_ = png_create_info_struct(png_);
        if (!info_)
            return false;
        if (!Read(canvas))
            return false;
        if (hasAlpha_)
            for (int y = 0; y < size_.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(y));
                std::transform(row, row + size_.width(), row,
                               [](QRgb c) { return qPremultiply(c); });
            }
        return true;
    }

    // Every libpng call that may fail is made here, below the setjmp it returns to; nothing in
    // this frame needs destroying. Rows are read one at a time, each pass of an interlaced file
    // adding its pixels to the rows in the canvas.
    bool Read(QImage& canvas) {
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_set_read_fn(png_, &reader_, &ReadBytes);
        png_read_info(png_, info_);
        if (png_get_image_width(png_, info_) != quint32(size_.width()) ||
            png_get_image_height(png_, info_) != quint32(size_.height()))
            return false;
        const int colourType = png_get_color_type(png_, info_);
        hasAlpha_ =
            (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png_, info_, PNG_INFO_tRNS);
        // Palette and small grey samples widened, a colour key made alpha at the file's depth,
        // 16 bits rounded to 8, grey made RGB, stored as the bitmap's B, G, R, A bytes.
        png_set_expand(png_);
        png_set_scale_16(png_);
        png_set_gray_to_rgb(png_);
        png_set_bgr(png_);
        png_set_add_alpha(png_, 0xFF, PNG_FILLER_AFTER);
        const int passes = png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        if (png_get_rowbytes(png_, info_) != size_t(size_.width()) * 4)
            return false;
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < size_.height(); ++y)
                png_read_row(png_, canvas.scanLine(y), nullptr);
        return true;
    }

    MemoryReader reader_;
    QSize size_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    bool hasAlpha_ = false;
};

} // namespace

std::unique_ptr<FormatDecoder> OpenPng(QByteArrayView file) {
    QSize size;
    if (!ValidHeader(file, size))
        return nullptr;
    return std::make_unique<PngDecoder>(file, size);
}
