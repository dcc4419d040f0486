// SPDX-License-Identifier: MIT
#include "SimplifyDialog.h"

#include "EventBoundary.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

SimplifyDialog::SimplifyDialog(const TBitmapData& shown, const CanvasSettings& canvas,
                               QWidget* parent)
    : QDialog(parent), merger_(std::make_unique<ShapeMerger>(shown)),
      pixels_(std::uint64_t(std::max(shown.FWidth, 0)) *
              std::uint64_t(std::max(shown.FHeight, 0))) {
    setWindowTitle(QStringLiteral("Simplify Shapes"));
    const CanvasPlan plan = PlanCanvas(canvas, shown.FWidth, shown.FHeight);
    const double mmPerPixel = shown.FWidth > 0 ? plan.pictureWidthMm / shown.FWidth : 0;
    squareMmPerPixel_ = mmPerPixel * mmPerPixel;

    SizeBox = new QDoubleSpinBox(this);
    UnitBox = new QComboBox(this);
    UnitBox->addItems({QStringLiteral("% of the picture"), QStringLiteral("pixels"),
                       QStringLiteral("cm² on the canvas")});
    CountReadout = new QLabel(this);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);

    auto* size = new QHBoxLayout;
    size->addWidget(SizeBox);
    size->addWidget(UnitBox);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Smallest shape to keep"), size);
    form->addRow(CountReadout);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    ShowUnit();
    SizeBox->setValue(0.1);
    ShowCount();
    connect(UnitBox, &QComboBox::currentIndexChanged, this,
            [this] { RunHandler([this] { ShowUnit(); }); });
    connect(SizeBox, &QDoubleSpinBox::valueChanged, this,
            [this] { RunHandler([this] { ShowCount(); }); });
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

SimplifyDialog::~SimplifyDialog() = default;

void SimplifyDialog::ShowUnit() {
    switch (Unit(UnitBox->currentIndex())) {
    case Unit::Percent:
        SizeBox->setDecimals(3);
        SizeBox->setRange(0, 100);
        break;
    case Unit::Pixels:
        SizeBox->setDecimals(0);
        SizeBox->setRange(0, double(pixels_));
        break;
    case Unit::CanvasArea:
        SizeBox->setDecimals(2);
        SizeBox->setRange(0, double(pixels_) * squareMmPerPixel_ / 100);
        break;
    }
    ShowCount();
}

std::uint64_t SimplifyDialog::MinimumPixels() const {
    const double value = SizeBox->value();
    switch (Unit(UnitBox->currentIndex())) {
    case Unit::Percent:
        return ShapeSize{ShapeSize::Unit::Percent, value}.MinimumPixels(pixels_);
    case Unit::Pixels:
        return std::uint64_t(std::llround(value));
    case Unit::CanvasArea:
        return squareMmPerPixel_ > 0
                   ? std::uint64_t(std::ceil(value * 100 / squareMmPerPixel_ - 1e-6))
                   : 0;
    }
    return 0;
}

void SimplifyDialog::ShowCount() {
    CountReadout->setText(QStringLiteral("%1 patches now; %2 after.")
                              .arg(merger_->Patches())
                              .arg(merger_->PatchesAfter(MinimumPixels())));
}
