// SPDX-License-Identifier: MIT
#include "CropFrame.h"

#include "Cores.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>

std::optional<FrameProportions> FrameProportions::Parse(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)[xX]([0-9]+(?:\\.[0-9]+)?)$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const double width = match.captured(1).toDouble();
    const double height = match.captured(2).toDouble();
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return std::nullopt;
    return FrameProportions{width, height};
}

FrameProportions FrameProportions::OrientedLike(QSize picture) const {
    const bool landscape = picture.width() > picture.height();
    const bool portrait = picture.width() < picture.height();
    if ((landscape && width < height) || (portrait && width > height))
        return Rotated();
    return *this;
}

QRect LargestCentredFrame(QSize picture, FrameProportions proportions) {
    const int width = picture.width();
    const int height = picture.height();
    if (width < 1 || height < 1)
        return {};
    const double ratio = proportions.width / proportions.height;
    QSize frame;
    if (double(width) / height > ratio)
        frame = QSize(int(std::clamp(std::lround(height * ratio), 1L, long(width))), height);
    else
        frame = QSize(width, int(std::clamp(std::lround(width / ratio), 1L, long(height))));
    return {QPoint((width - frame.width()) / 2, (height - frame.height()) / 2), frame};
}

QRect MovedFrame(QRect frame, QPoint delta, QSize picture) {
    const int left =
        std::clamp(frame.left() + delta.x(), 0, std::max(0, picture.width() - frame.width()));
    const int top =
        std::clamp(frame.top() + delta.y(), 0, std::max(0, picture.height() - frame.height()));
    return {QPoint(left, top), frame.size()};
}

QRect ResizedFrame(QPoint anchor, QPoint to, FrameProportions proportions, QSize picture) {
    const double ratio = proportions.width / proportions.height;
    const bool rightward = to.x() >= anchor.x();
    const bool downward = to.y() >= anchor.y();
    // The anchor is a pixel of the frame: the room from it to the picture's edge, itself included.
    const int roomX = std::max(1, rightward ? picture.width() - anchor.x() : anchor.x() + 1);
    const int roomY = std::max(1, downward ? picture.height() - anchor.y() : anchor.y() + 1);
    // The corner follows whichever way the pointer went farther.
    const double wanted = std::max(std::abs(to.x() - anchor.x()) + 1.0,
                                   (std::abs(to.y() - anchor.y()) + 1.0) * ratio);
    int width = std::max(1, int(std::floor(std::min({wanted, double(roomX), roomY * ratio}))));
    int height = std::max(1, int(std::lround(width / ratio)));
    if (height > roomY) {
        height = roomY;
        width = std::clamp(int(std::lround(height * ratio)), 1, width);
    }
    return {rightward ? anchor.x() : anchor.x() - width + 1,
            downward ? anchor.y() : anchor.y() - height + 1, width, height};
}

void CropStep(const TBitmap& picture, QRect frame, TBitmap& into) {
    const QRect inside = frame.intersected(QRect(0, 0, picture.Width(), picture.Height()));
    if (inside.isEmpty())
        return;
    if (&picture == &into && into.KeepsStorageFor(inside.width(), inside.height())) {
        // In place: each row moves to a lower address than any row still to move, and the
        // bitmap keeps its storage, with these bytes, at the smaller size.
        const qsizetype pitch = into.Pitch();
        std::uint8_t* bits = into.Bits();
        for (int y = 0; y < inside.height(); ++y)
            std::memmove(bits + qsizetype(y) * inside.width() * 4,
                         bits + (inside.top() + y) * pitch + qsizetype(inside.left()) * 4,
                         size_t(inside.width()) * 4);
        into.SetSize(inside.width(), inside.height());
        return;
    }
    TBitmap cropped;
    cropped.SetSize(inside.width(), inside.height());
    const QImage source = picture.ImageView();
    // Rows that move within one bitmap (above) may overlap each other's old place, so only a
    // copy into a new bitmap is split over the cores.
    ForEachRowBlock(inside.height(), size_t(inside.width()) * 4, [&](int first, int end) {
        for (int y = first; y < end; ++y)
            std::memcpy(cropped.Bits() + qsizetype(y) * cropped.Pitch(),
                        source.constScanLine(inside.top() + y) + qsizetype(inside.left()) * 4,
                        size_t(inside.width()) * 4);
    });
    into.Swap(cropped);
}
