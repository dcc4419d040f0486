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

// The ranges the fields take. The boxes themselves take any number typed, so that a value out
// of range shows as typed, is said in the readout and refused by OK, rather than changed
// silently.
constexpr double ShortestLength = 0.1; // in the unit chosen, cm or in
constexpr double LongestLength = 1000;
constexpr int FewestCells = 1;
constexpr int MostCells = 500;
constexpr double WidestLineMm = 5;
constexpr double AnyTyped = 1e7;

QDoubleSpinBox* LengthBox(QWidget* parent, int decimals = 2) {
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(decimals);
    box->setRange(-AnyTyped, AnyTyped);
    return box;
}

// A field with its range written beside it.
QWidget* WithRange(QWidget* field, QLabel*& range) {
    auto* row = new QWidget(field->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    field->setParent(row);
    layout->addWidget(field);
    range = new QLabel(row);
    range->setEnabled(false); // read as a hint
    layout->addWidget(range);
    return row;
}

bool Within(double value, double least, double most) {
    return value >= least - 1e-9 && value <= most + 1e-9;
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
    QLabel *widthRange, *heightRange, *cellSizeRange, *cellCountRange, *lineWidthRange;
    FitReadout = new QLabel(canvasGroup);
    FitReadout->setWordWrap(true);
    auto* canvasForm = new QFormLayout(canvasGroup);
    canvasForm->addRow(QStringLiteral("Unit"), UnitBox);
    canvasForm->addRow(QStringLiteral("Width"), WithRange(WidthBox, widthRange));
    canvasForm->addRow(QStringLiteral("Height"), WithRange(HeightBox, heightRange));
    canvasForm->addRow(FitReadout);

    auto* gridGroup = new QGroupBox(QStringLiteral("Grid"), this);
    BySizeButton = new QRadioButton(QStringLiteral("Cell size on the canvas"), gridGroup);
    CellSizeBox = LengthBox(gridGroup);
    ByCountButton = new QRadioButton(QStringLiteral("Cells across the short side"), gridGroup);
    CellCountBox = new QSpinBox(gridGroup);
    CellCountBox->setRange(-int(AnyTyped), int(AnyTyped));
    NamesBox = new QCheckBox(QStringLiteral("Cell names"), gridGroup);
    DiagonalsBox = new QCheckBox(QStringLiteral("Diagonals"), gridGroup);
    LineWidthBox = LengthBox(gridGroup);
    LineWidthBox->setSingleStep(0.1);
    LineWidthBox->setSuffix(QStringLiteral(" mm"));
    GridReadout = new QLabel(gridGroup);
    GridReadout->setWordWrap(true);
    auto* gridForm = new QFormLayout(gridGroup);
    gridForm->addRow(BySizeButton, WithRange(CellSizeBox, cellSizeRange));
    gridForm->addRow(ByCountButton, WithRange(CellCountBox, cellCountRange));
    gridForm->addRow(QStringLiteral("Line width"), WithRange(LineWidthBox, lineWidthRange));
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
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(InsertButton);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    ProblemReadout = new QLabel(this);
    ProblemReadout->setWordWrap(true);
    ProblemReadout->setStyleSheet(QStringLiteral("color: #B00000"));
    ProblemReadout->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(canvasGroup);
    layout->addWidget(gridGroup);
    layout->addWidget(paperGroup);
    layout->addWidget(ProblemReadout);
    layout->addLayout(buttons);
    // The ranges the lengths are read in follow the unit; the others stay.
    rangeOfLengths_ = {widthRange, heightRange, cellSizeRange};
    cellCountRange->setText(QStringLiteral("%1 to %2").arg(FewestCells).arg(MostCells));
    lineWidthRange->setText(QStringLiteral("0 (one pixel) to %1 mm").arg(WidestLineMm, 0, 'f', 2));

    showing_ = true;
    UnitBox->setCurrentIndex(settings_.unit == LengthUnit::Inches ? 1 : 0);
    (settings_.measure == GridMeasure::CellSize ? BySizeButton : ByCountButton)->setChecked(true);
    CellCountBox->setValue(settings_.cellsAcrossShortSide);
    NamesBox->setChecked(settings_.cellNames);
    DiagonalsBox->setChecked(settings_.diagonals);
    LineWidthBox->setValue(settings_.lineWidthMm);
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
            if (Within(value, ShortestLength, LongestLength))
                settings_.*millimetres = value * MillimetresPer(settings_.unit);
            TakeBoxes();
        });
    connect(CellCountBox, &QSpinBox::valueChanged, this, [this] { TakeBoxes(); });
    connect(LineWidthBox, &QDoubleSpinBox::valueChanged, this, [this] { TakeBoxes(); });
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
    for (QLabel* range : rangeOfLengths_)
        range->setText(QStringLiteral("%1 to %2%3")
                           .arg(ShortestLength, 0, 'f', 2)
                           .arg(LongestLength, 0, 'f', 2)
                           .arg(suffix));
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
    if (Within(CellCountBox->value(), FewestCells, MostCells))
        settings_.cellsAcrossShortSide = CellCountBox->value();
    settings_.cellNames = NamesBox->isChecked();
    settings_.diagonals = DiagonalsBox->isChecked();
    if (Within(LineWidthBox->value(), 0, WidestLineMm))
        settings_.lineWidthMm = LineWidthBox->value();
    settings_.paper = Paper(PaperBox->currentIndex());
    settings_.fitToOnePage = FitOnePageBox->isChecked();
    const CanvasPlan plan = PlanCanvas(settings_, pictureWidth_, pictureHeight_);
    FitReadout->setText(::FitReadout(plan, settings_.unit));
    GridReadout->setText(::GridReadout(plan, settings_));
    const QString problem = Problem();
    ProblemReadout->setText(problem);
    ProblemReadout->setVisible(!problem.isEmpty());
    OkButton->setEnabled(problem.isEmpty());
    InsertButton->setEnabled(problem.isEmpty() && pictureWidth_ > 0 && pictureHeight_ > 0);
}

QString CanvasDialog::Problem() const {
    const QString unit =
        settings_.unit == LengthUnit::Inches ? QStringLiteral("in") : QStringLiteral("cm");
    const QString lengths = QStringLiteral(" must be from %1 to %2 %3.")
                                .arg(ShortestLength, 0, 'f', 2)
                                .arg(LongestLength, 0, 'f', 2)
                                .arg(unit);
    if (!Within(WidthBox->value(), ShortestLength, LongestLength))
        return QStringLiteral("The width") + lengths;
    if (!Within(HeightBox->value(), ShortestLength, LongestLength))
        return QStringLiteral("The height") + lengths;
    if (CellSizeBox->isEnabled() && !Within(CellSizeBox->value(), ShortestLength, LongestLength))
        return QStringLiteral("The cell size") + lengths;
    if (CellCountBox->isEnabled() && !Within(CellCountBox->value(), FewestCells, MostCells))
        return QStringLiteral("The cells across the short side must be from %1 to %2.")
            .arg(FewestCells)
            .arg(MostCells);
    if (!Within(LineWidthBox->value(), 0, WidestLineMm))
        return QStringLiteral("The line width must be from 0 (one pixel) to %1 mm.")
            .arg(WidestLineMm, 0, 'f', 2);
    return {};
}
