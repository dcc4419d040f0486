// SPDX-License-Identifier: MIT
#include "CropFrameView.h"

#include "EventBoundary.h"
#include "PictureBox.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <cmath>

namespace {

// How near a corner, in screen pixels, a press takes the corner rather than the frame.
constexpr double CornerReach = 8;

} // namespace

CropFrameView::CropFrameView(PictureBox& picture, QSize pictureSize, FrameProportions proportions,
                             std::function<QString(QRect frame)> describe, QWidget& window,
                             QPoint stripAt)
    : QWidget(&picture), picture_(picture), pictureSize_(pictureSize), proportions_(proportions),
      frame_(LargestCentredFrame(pictureSize, proportions)), describe_(std::move(describe)) {
    setGeometry(picture.rect());
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::SizeAllCursor);
    picture.installEventFilter(this);
    // Enter anywhere in the window clicks its default button; while the frame has the focus, it
    // crops instead. An application filter installed later is asked first.
    qApp->installEventFilter(this);

    strip_ = new QWidget(&window);
    strip_->setAutoFillBackground(true);
    SizeLabel = new QLabel(strip_);
    RotateButton = new QPushButton(QStringLiteral("Rotate frame"), strip_);
    CropButton = new QPushButton(QStringLiteral("Crop"), strip_);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), strip_);
    auto* layout = new QHBoxLayout(strip_);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(SizeLabel);
    layout->addWidget(RotateButton);
    layout->addWidget(CropButton);
    layout->addWidget(CancelButton);
    strip_->move(stripAt);
    strip_->show();
    strip_->raise();
    connect(RotateButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { RotateFrame(); }); });
    connect(CropButton, &QPushButton::clicked, this, [this] {
        RunHandler([this] {
            if (OnCrop)
                OnCrop();
        });
    });
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        RunHandler([this] {
            if (OnCancel)
                OnCancel();
        });
    });
    Changed();
    show();
    setFocus();
}

CropFrameView::~CropFrameView() {
    delete strip_;
}

void CropFrameView::Finish() {
    strip_->hide();
    hide();
    picture_.removeEventFilter(this);
    qApp->removeEventFilter(this);
    deleteLater();
}

void CropFrameView::SetFrame(QRect frame) {
    const QRect inside = frame.intersected(QRect(QPoint(0, 0), pictureSize_));
    if (inside.isEmpty())
        return;
    frame_ = inside;
    Changed();
}

void CropFrameView::RotateFrame() {
    proportions_ = proportions_.Rotated();
    frame_ = LargestCentredFrame(pictureSize_, proportions_);
    Changed();
}

void CropFrameView::Changed() {
    SizeLabel->setText(describe_(frame_));
    strip_->adjustSize();
    update();
}

double CropFrameView::Factor() const {
    return picture_.Scale().Factor();
}

QRectF CropFrameView::OnScreen(QRect frame) const {
    const double f = Factor();
    return {frame.x() * f, frame.y() * f, frame.width() * f, frame.height() * f};
}

QPoint CropFrameView::PicturePoint(QPointF onScreen) const {
    const double f = Factor();
    return {std::clamp(int(std::floor(onScreen.x() / f)), 0, pictureSize_.width() - 1),
            std::clamp(int(std::floor(onScreen.y() / f)), 0, pictureSize_.height() - 1)};
}

void CropFrameView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF frame = OnScreen(frame_);
    QRegion outside(rect());
    outside -= frame.toAlignedRect();
    painter.setClipRegion(outside);
    painter.fillRect(rect(), QColor(0, 0, 0, 140));
    painter.setClipping(false);
    painter.setPen(QPen(QColor(255, 255, 255, 160), 1));
    for (int third = 1; third < 3; ++third) {
        const double x = frame.left() + frame.width() * third / 3;
        const double y = frame.top() + frame.height() * third / 3;
        painter.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
        painter.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
    }
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(frame.adjusted(1, 1, -1, -1));
}

void CropFrameView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QRectF frame = OnScreen(frame_);
    const QPointF at = event->position();
    const QPointF corners[] = {frame.topLeft(), frame.topRight(), frame.bottomLeft(),
                               frame.bottomRight()};
    const QPoint opposite[] = {frame_.bottomRight(), frame_.bottomLeft(), frame_.topRight(),
                               frame_.topLeft()};
    for (int i = 0; i < 4; ++i)
        if (std::abs(at.x() - corners[i].x()) <= CornerReach &&
            std::abs(at.y() - corners[i].y()) <= CornerReach) {
            drag_ = Drag::Resize;
            anchor_ = opposite[i];
            return;
        }
    if (frame.contains(at)) {
        drag_ = Drag::Move;
        pressFrame_ = frame_;
        pressPoint_ = PicturePoint(at);
    }
}

void CropFrameView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = PicturePoint(event->position());
    if (drag_ == Drag::Move)
        frame_ = MovedFrame(pressFrame_, at - pressPoint_, pictureSize_);
    else if (drag_ == Drag::Resize)
        frame_ = ResizedFrame(anchor_, at, proportions_, pictureSize_);
    else
        return;
    Changed();
}

void CropFrameView::mouseReleaseEvent(QMouseEvent*) {
    drag_ = Drag::None;
}

void CropFrameView::keyPressEvent(QKeyEvent* event) {
    // One screen pixel is this many picture pixels at the view's scale, at least one.
    const int step = std::max(1, int(std::lround(1 / Factor()))) *
                     (event->modifiers().testFlag(Qt::ShiftModifier) ? 10 : 1);
    QPoint delta;
    switch (event->key()) {
    case Qt::Key_Left:
        delta = {-step, 0};
        break;
    case Qt::Key_Right:
        delta = {step, 0};
        break;
    case Qt::Key_Up:
        delta = {0, -step};
        break;
    case Qt::Key_Down:
        delta = {0, step};
        break;
    case Qt::Key_Escape:
        RunHandler([this] {
            if (OnCancel)
                OnCancel();
        });
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    frame_ = MovedFrame(frame_, delta, pictureSize_);
    Changed();
}

// The picture control resized (the view's scale followed the window): the frame follows it.
// Enter or Return on the focused frame crops.
bool CropFrameView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &picture_ && event->type() == QEvent::Resize)
        setGeometry(picture_.rect());
    if (watched == this && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunHandler([this] {
                if (OnCrop)
                    OnCrop();
            });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
