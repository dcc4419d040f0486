// SPDX-License-Identifier: MIT
// Every text of both windows shows whole inside its control at the defined geometry, with the
// program's font and when the desktop asks for a larger one.
#include "Faqja0.h"
#include "ImageCompare.h"
#include "Izoti.h"
#include "NumberBox.h"
#include "SpinBox.h"
#include "Startup.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleOption>
#include <gtest/gtest.h>
#include <optional>

namespace {

// QLineEdit keeps this much room on each side of its text, inside its frame.
constexpr int LineEditTextMargin = 2;

struct Fit {
    QString text;
    QRect room;
};

std::optional<Fit> TextRoomOf(QWidget* control) {
    QStyle* style = control->style();
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return Fit{button->text(),
                   style->subElementRect(QStyle::SE_PushButtonContents, &option, button)};
    }
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        return Fit{radio->text(),
                   style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio)};
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.textAlignment = group->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        // The style sizes the title's rectangle to the text; what counts is that it stays inside.
        return Fit{group->title(), label.intersected(group->rect())};
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return Fit{label->text(), label->contentsRect()};
    }
    if (auto* spin = dynamic_cast<SpinBox*>(control)) {
        QStyleOptionSpinBox option;
        option.initFrom(spin);
        option.subControls = QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxUp |
                             QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxFrame;
        option.frame = true;
        const QRect field =
            style->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxEditField, spin);
        // The widest level count it can show.
        return Fit{QStringLiteral("13"),
                   field.adjusted(LineEditTextMargin, 0, -LineEditTextMargin, 0)};
    }
    if (auto* box = dynamic_cast<NumberBox*>(control)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
        const QRect contents = style->subElementRect(QStyle::SE_LineEditContents, &option, box);
        // The widest spacing it can show.
        return Fit{QStringLiteral("200"),
                   contents.marginsRemoved(box->textMargins())
                       .adjusted(LineEditTextMargin, 0, -LineEditTextMargin, 0)};
    }
    return std::nullopt;
}

// Every text control of a window; returns how many were measured.
int ExpectTextsFit(QWidget& window) {
    int measured = 0;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (dynamic_cast<SpinBox*>(control->parent()))
            continue; // the spin box's own field, measured with the spin box
        const std::optional<Fit> fit = TextRoomOf(control);
        if (!fit || fit->text.isEmpty())
            continue;
        ++measured;
        QFont font = control->font();
        const QFontMetrics metrics(font);
        const QString text = QString(fit->text).remove(u'&');
        SCOPED_TRACE(text.toStdString());
        EXPECT_LE(metrics.horizontalAdvance(text), fit->room.width())
            << "font " << font.family().toStdString() << " " << font.pixelSize() << " px";
        EXPECT_LE(metrics.height(), fit->room.height());
    }
    return measured;
}

struct DesktopFont {
    const char* name;
    int pointSize; // 0: the desktop's own default
};

void PrintTo(const DesktopFont& font, std::ostream* out) {
    *out << font.name;
}

class TextFit : public testing::TestWithParam<DesktopFont> {};

TEST_P(TextFit, EveryTextShowsWholeInsideItsControl) {
    const QFont before = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    if (GetParam().pointSize > 0) {
        QFont large = before;
        large.setPointSize(GetParam().pointSize);
        QApplication::setFont(large);
        for (const char* kind : {"QPushButton", "QLabel", "QRadioButton", "QGroupBox"})
            QApplication::setFont(large, kind);
    }
    const StartedProgram program;
    // Eight buttons, three radio buttons, six groups, the spacing and scale labels, the spin box
    // and the number box; the About window's group, four labels and two buttons.
    EXPECT_EQ(ExpectTextsFit(program.MainWindow()), 21);
    EXPECT_EQ(ExpectTextsFit(program.AboutWindow()), 7);
}

INSTANTIATE_TEST_SUITE_P(Desktop, TextFit,
                         testing::Values(DesktopFont{"default", 0}, DesktopFont{"large", 16}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
