// SPDX-License-Identifier: MIT
// The grey histogram of the picture with its value bands: each band shaded in the tone it becomes
// with its share of the picture, the edges as lines to drag, or to step with the keys.
#pragma once

#include "ValueBands.h"

#include <QWidget>
#include <functional>
#include <optional>

class BandHistogram : public QWidget {
public:
    explicit BandHistogram(QWidget* parent = nullptr);

    void Show(const GreyHistogram& histogram, const ValueBands& bands);
    const ValueBands& Bands() const { return bands_; }
    // The edge the keys move; none without edges.
    std::optional<int> CurrentEdge() const;

    // An edge moved by the pointer or the keys, to a value already held between its
    // neighbours; runs behind the event boundary.
    std::function<void(int edge, int value)> OnEdgeMoved;

    // The x of the boundary below grey value `grey` (0..256) inside the plot, and the grey value
    // an x falls on.
    double EdgeX(int grey) const;
    int GreyAt(double x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // Tab steps from edge to edge before it leaves the histogram.
    bool focusNextPrevChild(bool next) override;

private:
    QRectF Plot() const;
    void MoveCurrentEdge(int value);

    GreyHistogram histogram_{};
    ValueBands bands_;
    int current_ = 0;
    std::optional<int> dragged_;
};
