// SPDX-License-Identifier: MIT
#include "FormatDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The largest size within a MaxSide square with the same proportions.
QSize FittedSize(QSize size) {
    const double scale = double(TBitmap::MaxSide) / std::max(size.width(), size.height());
    const auto side = [scale](int length) {
        return std::clamp(int(std::lround(length * scale)), 1, TBitmap::MaxSide);
    };
    return QSize(side(size.width()), side(size.height()));
}

} // namespace

bool FitsMaxSide(QSize size) {
    return size.width() <= TBitmap::MaxSide && size.height() <= TBitmap::MaxSide;
}

bool StoreImage(QImage image, TBitmap& into) {
    if (image.isNull())
        return false;
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull() && !FitsMaxSide(image.size()))
        image =
            image.scaled(FittedSize(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Qt answers running out of memory, and some damaged files, with a null image.
    if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    into.SetSize(image.width(), image.height());
    const int rowBytes = into.Pitch();
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(into.Bits() + qsizetype(y) * rowBytes, image.constScanLine(y), rowBytes);
    return true;
}

bool CanvasDecoder::DecodeInto(TBitmap& into) {
    const QSize size = Size();
    if (FitsMaxSide(size)) {
        into.SetSize(size.width(), size.height());
        QImage canvas(into.Bits(), size.width(), size.height(), into.Pitch(),
                      QImage::Format_ARGB32_Premultiplied);
        return Paint(canvas);
    }
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    return !canvas.isNull() && Paint(canvas) && StoreImage(std::move(canvas), into);
}
