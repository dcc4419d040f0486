// SPDX-License-Identifier: MIT
#include "ColorComboBox.h"

#include "Desktop.h"
#include "EventBoundary.h"

#include <QPainter>
#include <QStyleOptionButton>

ColorComboBox::ColorComboBox(TAlphaColor colour, bool useAlpha, QWidget* parent)
    : QPushButton(parent), colour_(useAlpha ? colour : colour | 0xFF000000u), useAlpha_(useAlpha) {
    connect(this, &QAbstractButton::clicked, this, [this] { RunHandler([this] { Choose(); }); });
}

void ColorComboBox::SetColor(TAlphaColor colour) {
    if (!useAlpha_)
        colour |= 0xFF000000u;
    if (colour == colour_)
        return;
    colour_ = colour;
    update();
    if (OnChange)
        OnChange();
}

void ColorComboBox::Choose() {
    if (const auto chosen = CurrentDesktop().PickColour(this, colour_, useAlpha_))
        SetColor(*chosen);
}

void ColorComboBox::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(5, 5, -18, -5);
    // A checkerboard under the swatch shows its transparency.
    painter.fillRect(swatch, QBrush(Qt::lightGray, Qt::Dense4Pattern));
    painter.fillRect(swatch, QColor::fromRgba(colour_));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    const QPoint tip(rect().right() - 9, rect().center().y() + 2);
    const QPoint arrow[] = {tip + QPoint(-4, -4), tip + QPoint(4, -4), tip};
    painter.setBrush(palette().color(QPalette::ButtonText));
    painter.drawPolygon(arrow, 3);
}
