// SPDX-License-Identifier: MIT
#include "BandHistogram.h"

#include "EventBoundary.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr int Margin = 8;
constexpr int StripHeight = 18;    // under the bars: each band in its tone, with its share
constexpr double GrabDistance = 6; // how near an edge a press must be to take it

QString ShareText(double share) {
    return QString::number(share * 100, 'f', 1) + QStringLiteral(" %");
}

} // namespace

BandHistogram::BandHistogram(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(256 + 2 * Margin, 140);
    setMouseTracking(false);
}

void BandHistogram::Show(const GreyHistogram& histogram, const ValueBands& bands) {
    histogram_ = histogram;
    bands_ = bands;
    current_ = std::clamp(current_, 0, std::max(0, int(bands_.edges.size()) - 1));
    update();
}

std::optional<int> BandHistogram::CurrentEdge() const {
    if (bands_.edges.empty())
        return std::nullopt;
    return current_;
}

QRectF BandHistogram::Plot() const {
    return QRectF(Margin, Margin, width() - 2 * Margin, height() - 2 * Margin - StripHeight);
}

double BandHistogram::EdgeX(int grey) const {
    const QRectF plot = Plot();
    return plot.left() + plot.width() * grey / 256.0;
}

int BandHistogram::GreyAt(double x) const {
    const QRectF plot = Plot();
    return std::clamp(int(std::lround((x - plot.left()) * 256.0 / plot.width())), 0, 256);
}

void BandHistogram::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF plot = Plot();
    painter.fillRect(rect(), palette().base());

    // Bars on a square-root scale, so that small counts still show beside a large one.
    const std::uint64_t most = *std::max_element(histogram_.begin(), histogram_.end());
    if (most > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().text());
        for (int g = 0; g < 256; ++g) {
            const double height = plot.height() * std::sqrt(double(histogram_[g]) / double(most));
            painter.drawRect(
                QRectF(EdgeX(g), plot.bottom() - height, EdgeX(g + 1) - EdgeX(g), height));
        }
    }

    // The strip: each band in its tone, with its share of the picture.
    const std::vector<double> shares = BandShares(bands_, histogram_);
    const QRectF strip(plot.left(), plot.bottom(), plot.width(), StripHeight);
    for (std::size_t band = 0; band < bands_.tones.size(); ++band) {
        const int from = band == 0 ? 0 : bands_.edges[band - 1];
        const int to = band == bands_.edges.size() ? 256 : bands_.edges[band];
        const QRectF area(EdgeX(from), strip.top(), EdgeX(to) - EdgeX(from), strip.height());
        const int tone = bands_.tones[band];
        painter.fillRect(area, QColor(tone, tone, tone));
        painter.setPen(tone < 128 ? Qt::white : Qt::black);
        const QString text = ShareText(shares[band]);
        if (painter.fontMetrics().horizontalAdvance(text) <= area.width())
            painter.drawText(area, Qt::AlignCenter, text);
    }

    // The edges: lines across bars and strip, the one the keys move wider while focused.
    for (std::size_t edge = 0; edge < bands_.edges.size(); ++edge) {
        const bool current = hasFocus() && int(edge) == current_;
        painter.setPen(
            QPen(current ? palette().highlight().color() : QColor(Qt::red), current ? 3 : 1));
        const double x = EdgeX(bands_.edges[edge]);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, strip.bottom()));
    }
}

void BandHistogram::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || bands_.edges.empty())
        return;
    const double x = event->position().x();
    int nearest = 0;
    for (int edge = 1; edge < int(bands_.edges.size()); ++edge)
        if (std::abs(EdgeX(bands_.edges[edge]) - x) < std::abs(EdgeX(bands_.edges[nearest]) - x))
            nearest = edge;
    if (std::abs(EdgeX(bands_.edges[nearest]) - x) > GrabDistance)
        return;
    dragged_ = nearest;
    current_ = nearest;
    update();
}

void BandHistogram::mouseMoveEvent(QMouseEvent* event) {
    if (!dragged_)
        return;
    current_ = *dragged_;
    RunHandler([&] { MoveCurrentEdge(GreyAt(event->position().x())); });
}

void BandHistogram::mouseReleaseEvent(QMouseEvent*) {
    dragged_.reset();
}

void BandHistogram::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers().testFlag(Qt::ShiftModifier) ? 8 : 1;
    if (bands_.edges.empty() || (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right)) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int value = bands_.edges[current_] + (event->key() == Qt::Key_Left ? -step : step);
    RunHandler([&] { MoveCurrentEdge(value); });
}

void BandHistogram::focusInEvent(QFocusEvent* event) {
    if (event->reason() == Qt::TabFocusReason)
        current_ = 0;
    else if (event->reason() == Qt::BacktabFocusReason)
        current_ = std::max(0, int(bands_.edges.size()) - 1);
    QWidget::focusInEvent(event);
    update();
}

bool BandHistogram::focusNextPrevChild(bool next) {
    const int count = int(bands_.edges.size());
    if (hasFocus() && next && current_ + 1 < count) {
        ++current_;
        update();
        return true;
    }
    if (hasFocus() && !next && current_ > 0) {
        --current_;
        update();
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void BandHistogram::MoveCurrentEdge(int value) {
    ValueBands moved = bands_;
    MoveEdge(moved, current_, value);
    if (moved == bands_)
        return;
    bands_ = moved;
    update();
    if (OnEdgeMoved)
        OnEdgeMoved(current_, bands_.edges[current_]);
}
