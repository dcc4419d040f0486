// SPDX-License-Identifier: MIT
#include "PlacedRadioButton.h"

#include <QProxyStyle>
#include <QStyleOption>

namespace {

class WholePlaceStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        if (element == SE_RadioButtonClickRect && option != nullptr)
            return option->rect;
        return QProxyStyle::subElementRect(element, option, widget);
    }
};

} // namespace

PlacedRadioButton::PlacedRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent) {
    // The style follows the application's; the button owns it.
    auto* style = new WholePlaceStyle;
    style->setParent(this);
    setStyle(style);
}
