// SPDX-License-Identifier: MIT
#include "PictureBox.h"

#include "EventBoundary.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cstdint>

namespace {

// A copy of `part` in which every pixel other than `keep` is faded three quarters of the way to
// white, or to black where `keep` is light, so that the kept tone stands out whatever its value.
QImage FadedBut(const QImage& part, TAlphaColor keep) {
    QImage faded = part.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const TAlphaColor toward = qGray(keep) < 128 ? claWhite : claBlack;
    for (int y = 0; y < faded.height(); ++y) {
        auto* pixel = reinterpret_cast<TAlphaColor*>(faded.scanLine(y));
        for (int x = 0; x < faded.width(); ++x, ++pixel) {
            if (*pixel == keep)
                continue;
            TAlphaColor mixed = 0;
            // Each byte a quarter of the pixel's and three quarters of the target's; both are
            // premultiplied, so the mix is too.
            for (int shift = 0; shift < 32; shift += 8) {
                const TAlphaColor own = (*pixel >> shift) & 0xFF;
                const TAlphaColor far = (toward >> shift) & 0xFF;
                mixed |= ((own + 3 * far) / 4) << shift;
            }
            *pixel = mixed;
        }
    }
    return faded;
}

// The image pixel at the middle of screen pixel `shown` of a view at `scale`: the one a line
// through it is judged by.
int ImagePixelUnder(int shown, ViewScale scale, int imageLength) {
    const std::int64_t middle = (2 * std::int64_t(shown) + 1) * scale.Image / (2 * scale.Shown);
    return int(std::min<std::int64_t>(middle, imageLength - 1));
}

// Draws into the reduced view `view` the grid lines of `spacing` in `colour` that `picture` holds
// (see PictureBox::AddGridLines).
void MarkGridLines(const QImage& picture, QImage& view, ViewScale scale, int spacing,
                   TAlphaColor colour) {
    const auto pixel = [](const QImage& image, int x, int y) {
        return reinterpret_cast<const TAlphaColor*>(image.constScanLine(y))[x];
    };
    const auto shownAt = [scale](int image, int viewLength) {
        return int(std::min<std::int64_t>(std::int64_t(image) * scale.Shown / scale.Image,
                                          viewLength - 1));
    };
    for (int x = spacing - 1; x < picture.width(); x += spacing) {
        const int column = shownAt(x, view.width());
        for (int y = 0; y < view.height(); ++y)
            if (pixel(picture, x, ImagePixelUnder(y, scale, picture.height())) == colour)
                reinterpret_cast<TAlphaColor*>(view.scanLine(y))[column] = colour;
    }
    for (int y = spacing - 1; y < picture.height(); y += spacing) {
        const int row = shownAt(y, view.height());
        auto* line = reinterpret_cast<TAlphaColor*>(view.scanLine(row));
        for (int x = 0; x < view.width(); ++x)
            if (pixel(picture, ImagePixelUnder(x, scale, picture.width()), y) == colour)
                line[x] = colour;
    }
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    bitmap_.SetObserver([this] {
        // A change of the own picture ends a comparison: the new picture is what the user wants
        // to see.
        if (instead_)
            ShowOwn();
        update();
        if (OnPictureChanged)
            OnPictureChanged();
    });
}

void PictureBox::SetHighlight(std::optional<TAlphaColor> colour) {
    if (highlight_ == colour)
        return;
    highlight_ = colour;
    update();
}

void PictureBox::DrawPart(QPainter& painter, const QRect& target, const QImage& image,
                          const QRect& source) {
    if (!highlight_ || instead_ || !picture_.isNull()) {
        painter.drawImage(target, image, source);
        return;
    }
    const QRect part = source.intersected(image.rect());
    painter.drawImage(target, FadedBut(image.copy(part), *highlight_));
}

void PictureBox::SetScale(ViewScale scale) {
    scale_ = scale;
    update();
}

void PictureBox::ShowInstead(const TBitmap& other) {
    instead_ = &other;
    update();
}

void PictureBox::ShowOwn() {
    if (!instead_)
        return;
    instead_ = nullptr;
    update();
    if (OnComparisonEnded)
        OnComparisonEnded();
}

const QImage& PictureBox::Reduced() {
    const TBitmap& showing = Showing();
    if (reduced_.from != &showing || reduced_.generation != showing.Generation() ||
        !(reduced_.scale == scale_) || reduced_.image.isNull()) {
        const QSize shown = scale_.ShownSize(QSize(showing.Width(), showing.Height()));
        reduced_ = {QImage(shown, QImage::Format_ARGB32_Premultiplied), &showing,
                    showing.Generation(), scale_};
        const QImage source = showing.ImageView();
        TBitmapData from{TPixelFormat::BGRA, source.width(), source.height(),
                         const_cast<uchar*>(source.constBits()), int(source.bytesPerLine())};
        TBitmapData to{TPixelFormat::BGRA, shown.width(), shown.height(), reduced_.image.bits(),
                       int(reduced_.image.bytesPerLine())};
        if (!source.isNull() && !shown.isEmpty()) {
            ReduceByAreaAverage(from, to, scale_);
            if (&showing == &bitmap_)
                for (const Overlay::Grid& grid : overlay_.grids)
                    MarkGridLines(source, reduced_.image, scale_, grid.spacing, grid.colour);
        }
    }
    return reduced_.image;
}

void PictureBox::AddGrid(int spacing, TAlphaColor colour) {
    if (spacing < 1)
        return;
    overlay_.grids.push_back({spacing, colour});
    reduced_.image = QImage();
    update();
}

void PictureBox::AddCoveredAreas(const std::vector<QRect>& areas) {
    overlay_.areas.insert(overlay_.areas.end(), areas.begin(), areas.end());
}

void PictureBox::ClearOverlay() {
    overlay_ = {};
    reduced_.image = QImage();
    update();
}

void PictureBox::KeepOverlayAside() {
    overlayAside_ = overlay_;
}

void PictureBox::RestoreOverlayKeptAside() {
    overlay_ = overlayAside_;
    reduced_.image = QImage();
    update();
}

void PictureBox::PaintAtScale(QPainter& painter, const QRect& exposed) {
    if (scale_.Reduces()) {
        const QImage& reduced = Reduced();
        const QRect part = exposed.intersected(reduced.rect());
        DrawPart(painter, part, reduced, part);
        return;
    }
    // Enlarged by a whole factor: the image pixels behind the exposed part, each drawn as a
    // square of that many screen pixels.
    const QImage image = Showing().ImageView();
    const int factor = scale_.Shown / scale_.Image;
    const QRect pixels = QRect(QPoint(exposed.left() / factor, exposed.top() / factor),
                               QPoint(exposed.right() / factor, exposed.bottom() / factor))
                             .intersected(image.rect());
    const QRect target(pixels.topLeft() * factor, pixels.size() * factor);
    DrawPart(painter, target, image, pixels);
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    const QImage image = picture_.isNull() ? Showing().ImageView() : picture_;
    if (image.isNull())
        return;
    QPainter painter(this);
    if (picture_.isNull() && !scale_.IsActual()) {
        PaintAtScale(painter, event->rect());
        return;
    }
    if (image.size() == size()) {
        // One pixel per pixel: draw only what is exposed, however large the picture.
        const QRect exposed = event->rect().intersected(image.rect());
        DrawPart(painter, exposed, image, exposed);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                       fitted);
    DrawPart(painter, target, image, image.rect());
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = leftPressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    leftPressed_ = false;
    if (click && OnClick)
        RunHandler(OnClick);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove)
        RunHandler([&] { OnMouseMove(event->modifiers(), event->position()); });
}

void PictureBox::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (event->modifiers().testFlag(Qt::ControlModifier) && OnZoomWheel) {
        if (delta != 0)
            RunHandler([&] { OnZoomWheel(delta > 0 ? 1 : -1, event->position()); });
        event->accept();
        return;
    }
    if (!OnMouseWheel) {
        event->ignore();
        return;
    }
    bool handled = false;
    RunHandler([&] { OnMouseWheel(event->modifiers(), event->angleDelta().y(), handled); });
    event->setAccepted(handled);
}
