// SPDX-License-Identifier: MIT
#include "OutlineDialog.h"

#include "EventBoundary.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* MillimetreBox(QWidget* parent, double least, double most, double value) {
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setRange(least, most);
    box->setValue(value);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

} // namespace

OutlineDialog::OutlineDialog(OutlineSheet& sheet, QWidget* parent)
    : QDialog(parent), sheet_(sheet) {
    setWindowTitle(QStringLiteral("Outline"));
    const OutlineSettings& settings = sheet.Settings();
    LineWidthBox = MillimetreBox(this, 0.05, 5, settings.lineWidthMm);
    SmallestBox = MillimetreBox(this, 0.5, 100, settings.smallestNumberMm);
    LargestBox = MillimetreBox(this, 0.5, 100, settings.largestNumberMm);
    LargestBox->setMinimum(settings.smallestNumberMm);
    GridBox = new QCheckBox(QStringLiteral("Canvas grid under the lines"), this);
    GridBox->setChecked(settings.grid);
    CountReadout = new QLabel(this);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Line width"), LineWidthBox);
    form->addRow(QStringLiteral("Smallest number"), SmallestBox);
    form->addRow(QStringLiteral("Largest number"), LargestBox);
    form->addRow(GridBox);
    form->addRow(CountReadout);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    ShowCount();
    for (QDoubleSpinBox* box : {LineWidthBox, SmallestBox, LargestBox})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] {
            RunHandler([this] {
                // The largest number never below the smallest.
                LargestBox->setMinimum(SmallestBox->value());
                ShowCount();
            });
        });
    connect(GridBox, &QCheckBox::toggled, this, [this] { RunHandler([this] { ShowCount(); }); });
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

OutlineSettings OutlineDialog::Settings() const {
    return {LineWidthBox->value(), SmallestBox->value(), LargestBox->value(), GridBox->isChecked()};
}

void OutlineDialog::ShowCount() {
    sheet_.Choose(Settings());
    CountReadout->setText(LabelReadout(sheet_.Labels()));
}
