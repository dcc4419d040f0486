// SPDX-License-Identifier: MIT
#include "ViewZoom.h"

#include <algorithm>

ViewScale ViewZoom::ScaleFor(QSize picture, QSize view) const {
    if (!fit_)
        return Steps[step_];
    if (picture.isEmpty())
        return {1, 1};
    const int width = std::max(view.width(), 1);
    const int height = std::max(view.height(), 1);
    // The narrower of the two ratios, compared without division.
    const bool widthDecides = qint64(width) * picture.height() <= qint64(height) * picture.width();
    const ViewScale fitted =
        widthDecides ? ViewScale{width, picture.width()} : ViewScale{height, picture.height()};
    if (!fitted.Reduces())
        return {1, 1};
    // A window shrunk almost to nothing still shows the picture at the smallest scale.
    if (qint64(fitted.Shown) * ViewScale::MostReduction < fitted.Image)
        return {1, ViewScale::MostReduction};
    return fitted;
}

QString ViewZoom::Text(QSize picture, QSize view) const {
    const QString percent = ScaleFor(picture, view).PercentText();
    return fit_ ? QStringLiteral("Fit ") + percent : percent;
}

void ViewZoom::ActualPixels() {
    fit_ = false;
    step_ = ActualStep;
}

bool ViewZoom::ZoomIn(QSize picture, QSize view) {
    const double now = ScaleFor(picture, view).Factor();
    const auto next = std::find_if(Steps.begin(), Steps.end(),
                                   [&](ViewScale step) { return step.Factor() > now; });
    if (next == Steps.end())
        return false;
    fit_ = false;
    step_ = std::size_t(next - Steps.begin());
    return true;
}

bool ViewZoom::ZoomOut(QSize picture, QSize view) {
    const double now = ScaleFor(picture, view).Factor();
    const auto next = std::find_if(Steps.rbegin(), Steps.rend(),
                                   [&](ViewScale step) { return step.Factor() < now; });
    if (next == Steps.rend())
        return false;
    fit_ = false;
    step_ = std::size_t(Steps.rend() - next - 1);
    return true;
}
