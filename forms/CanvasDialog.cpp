// SPDX-License-Identifier: MIT
#include "CanvasDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* LengthBox(QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(2);
    box->setRange(0.1, 1000);
    return box;
}

} // namespace

CanvasDialog::CanvasDialog(const CanvasSettings& settings, int pictureWidth, int pictureHeight,
                           QWidget* parent)
    : QDialog(parent), settings_(settings), pictureWidth_(pictureWidth),
      pictureHeight_(pictureHeight) {
    setWindowTitle(QStringLiteral("Canvas and Grid"));

    auto* canvasGroup = new QGroupBox(QStringLiteral("Canvas"), this);
    UnitBox = new QComboBox(canvasGroup);
    UnitBox->addItems({QStringLiteral("cm"), QStringLiteral("in")});
    WidthBox = LengthBox(canvasGroup);
    HeightBox = LengthBox(canvasGroup);
    FitReadout = new QLabel(canvasGroup);
    FitReadout->setWordWrap(true);
    auto* canvasForm = new QFormLayout(canvasGroup);
    canvasForm->addRow(QStringLiteral("Unit"), UnitBox);
    canvasForm->addRow(QStringLiteral("Width"), WidthBox);
    canvasForm->addRow(QStringLiteral("Height"), HeightBox);
    canvasForm->addRow(FitReadout);

    auto* gridGroup = new QGroupBox(QStringLiteral("Grid"), this);
    BySizeButton = new QRadioButton(QStringLiteral("Cell size on the canvas"), gridGroup);
    CellSizeBox = LengthBox(gridGroup);
    ByCountButton = new QRadioButton(QStringLiteral("Cells across the short side"), gridGroup);
    CellCountBox = new QSpinBox(gridGroup);
    CellCountBox->setRange(1, 500);
    NamesBox = new QCheckBox(QStringLiteral("Cell names"), gridGroup);
    DiagonalsBox = new QCheckBox(QStringLiteral("Diagonals"), gridGroup);
    LineWidthBox = new QSpinBox(gridGroup);
    LineWidthBox->setRange(1, 5);
    LineWidthBox->setSuffix(QStringLiteral(" px"));
    GridReadout = new QLabel(gridGroup);
    GridReadout->setWordWrap(true);
    auto* gridForm = new QFormLayout(gridGroup);
    gridForm->addRow(BySizeButton, CellSizeBox);
    gridForm->addRow(ByCountButton, CellCountBox);
    gridForm->addRow(QStringLiteral("Line width"), LineWidthBox);
    gridForm->addRow(NamesBox, DiagonalsBox);
    gridForm->addRow(GridReadout);

    auto* paperGroup = new QGroupBox(QStringLiteral("Print and PDF"), this);
    PaperBox = new QComboBox(paperGroup);
    PaperBox->addItems({QStringLiteral("A4"), QStringLiteral("A3"), QStringLiteral("Letter"),
                        QStringLiteral("Legal"), QStringLiteral("Tabloid")});
    FitOnePageBox = new QCheckBox(QStringLiteral("Fit to one page"), paperGroup);
    auto* paperForm = new QFormLayout(paperGroup);
    paperForm->addRow(QStringLiteral("Paper"), PaperBox);
    paperForm->addRow(FitOnePageBox);

    InsertButton = new QPushButton(QStringLiteral("Insert"), this);
    InsertButton->setEnabled(pictureWidth > 0 && pictureHeight > 0);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(InsertButton);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(canvasGroup);
    layout->addWidget(gridGroup);
    layout->addWidget(paperGroup);
    layout->addLayout(buttons);

    showing_ = true;
    UnitBox->setCurrentIndex(settings_.unit == LengthUnit::Inches ? 1 : 0);
    (settings_.measure == GridMeasure::CellSize ? BySizeButton : ByCountButton)->setChecked(true);
    CellCountBox->setValue(settings_.cellsAcrossShortSide);
    NamesBox->setChecked(settings_.cellNames);
    DiagonalsBox->setChecked(settings_.diagonals);
    LineWidthBox->setValue(settings_.lineWidth);
    PaperBox->setCurrentIndex(int(settings_.paper));
    FitOnePageBox->setChecked(settings_.fitToOnePage);
    showing_ = false;
    ShowLengths();

    connect(UnitBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        settings_.unit = index == 1 ? LengthUnit::Inches : LengthUnit::Centimetres;
        ShowLengths();
    });
    // A length is taken only when the user changes it, so that switching units back and forth
    // never rounds the canvas.
    for (auto [box, millimetres] : {std::pair{WidthBox, &CanvasSettings::canvasWidthMm},
                                    std::pair{HeightBox, &CanvasSettings::canvasHeightMm},
                                    std::pair{CellSizeBox, &CanvasSettings::cellSizeMm}})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, millimetres](double value) {
            if (showing_)
                return;
            settings_.*millimetres = value * MillimetresPer(settings_.unit);
            TakeBoxes();
        });
    for (QSpinBox* box : {CellCountBox, LineWidthBox})
        connect(box, &QSpinBox::valueChanged, this, [this] { TakeBoxes(); });
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{
             BySizeButton, NamesBox, DiagonalsBox, FitOnePageBox})
        connect(box, &QAbstractButton::toggled, this, [this] { TakeBoxes(); });
    connect(PaperBox, &QComboBox::currentIndexChanged, this, [this] { TakeBoxes(); });
    connect(InsertButton, &QPushButton::clicked, this, [this] { done(Insert); });
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void CanvasDialog::ShowLengths() {
    const double perUnit = MillimetresPer(settings_.unit);
    const QString suffix =
        settings_.unit == LengthUnit::Inches ? QStringLiteral(" in") : QStringLiteral(" cm");
    showing_ = true;
    for (auto [box, millimetres] : {std::pair{WidthBox, settings_.canvasWidthMm},
                                    std::pair{HeightBox, settings_.canvasHeightMm},
                                    std::pair{CellSizeBox, settings_.cellSizeMm}}) {
        box->setSuffix(suffix);
        box->setValue(millimetres / perUnit);
    }
    showing_ = false;
    TakeBoxes();
}

void CanvasDialog::TakeBoxes() {
    if (showing_)
        return;
    settings_.measure =
        BySizeButton->isChecked() ? GridMeasure::CellSize : GridMeasure::CellsAcrossShortSide;
    // Only the measure in use can be changed.
    CellSizeBox->setEnabled(settings_.measure == GridMeasure::CellSize);
    CellCountBox->setEnabled(settings_.measure == GridMeasure::CellsAcrossShortSide);
    settings_.cellsAcrossShortSide = CellCountBox->value();
    settings_.cellNames = NamesBox->isChecked();
    settings_.diagonals = DiagonalsBox->isChecked();
    settings_.lineWidth = LineWidthBox->value();
    settings_.paper = Paper(PaperBox->currentIndex());
    settings_.fitToOnePage = FitOnePageBox->isChecked();
    const CanvasPlan plan = PlanCanvas(settings_, pictureWidth_, pictureHeight_);
    FitReadout->setText(::FitReadout(plan, settings_.unit));
    GridReadout->setText(::GridReadout(plan, settings_.unit));
}
