// SPDX-License-Identifier: MIT
#include "ValueBandsWindow.h"

#include "BandHistogram.h"
#include "EventBoundary.h"
#include "InterfaceFont.h"
#include "ToolWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr BandPreset ListedPresets[] = {BandPreset::EqualSteps, BandPreset::EqualLightness,
                                        BandPreset::EqualAreas, BandPreset::Notan2,
                                        BandPreset::Notan3,     BandPreset::Custom};
constexpr int FieldsPerRow = 7;

int RowOf(BandPreset preset) {
    return int(std::find(std::begin(ListedPresets), std::end(ListedPresets), preset) -
               std::begin(ListedPresets));
}

} // namespace

TValueBands::TValueBands(QWidget* owner) : QWidget(owner, Qt::Tool) {
    setWindowTitle(QStringLiteral("Value Bands"));
    setFont(InterfaceFont());
    // Only the main window's closing ends the program; closing this one hides it.
    setAttribute(Qt::WA_QuitOnClose, false);

    PresetList = new QListWidget(this);
    for (BandPreset preset : ListedPresets)
        PresetList->addItem(PresetTitle(preset));
    // "Custom" is where moved edges show; it is not chosen from the list.
    PresetList->item(RowOf(BandPreset::Custom))->setFlags(Qt::NoItemFlags);
    PresetList->setMaximumHeight(PresetList->sizeHintForRow(0) * int(std::size(ListedPresets)) +
                                 2 * PresetList->frameWidth());
    Histogram = new BandHistogram(this);
    SharesLabel = new QLabel(this);
    SharesLabel->setWordWrap(true);
    EdgesLabel = new QLabel(QStringLiteral("Edges:"), this);
    fieldGrid_ = new QGridLayout;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PresetList);
    layout->addWidget(Histogram, 1);
    layout->addWidget(SharesLabel);
    layout->addWidget(EdgesLabel);
    layout->addLayout(fieldGrid_);
    resize(420, 380);

    connect(PresetList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_ || row < 0 || !OnPresetChosen)
            return;
        RunHandler([&] { OnPresetChosen(ListedPresets[row]); });
    });
    Histogram->OnEdgeMoved = [this](int edge, int value) {
        if (OnEdgeMoved)
            OnEdgeMoved(edge, value);
    };
}

void TValueBands::Show(const GreyHistogram& histogram, const ValueBands& bands, BandPreset preset) {
    const QScopedValueRollback showing(showing_, true);
    PresetList->setCurrentRow(RowOf(preset));
    Histogram->Show(histogram, bands);
    QStringList shares;
    for (double share : BandShares(bands, histogram))
        shares << QString::number(share * 100, 'f', 1) + QStringLiteral(" %");
    SharesLabel->setText(QStringLiteral("Bands, dark to light: ") +
                         shares.join(QStringLiteral(", ")));
    ShowEdgeFields(bands);
}

void TValueBands::ShowEdgeFields(const ValueBands& bands) {
    const std::size_t count = bands.edges.size();
    if (EdgeFields.size() != count) {
        for (QSpinBox* field : EdgeFields)
            delete field;
        EdgeFields.clear();
        for (std::size_t edge = 0; edge < count; ++edge) {
            auto* field = new QSpinBox(this);
            field->setRange(1, 255);
            // A typed value counts once it is complete: Enter, leaving the field, or an arrow.
            field->setKeyboardTracking(false);
            field->setAccessibleName(QStringLiteral("Edge %1").arg(edge + 1));
            fieldGrid_->addWidget(field, int(edge) / FieldsPerRow, int(edge) % FieldsPerRow);
            connect(field, &QSpinBox::valueChanged, this, [this, edge](int value) {
                if (!showing_ && OnEdgeMoved)
                    RunHandler([&] { OnEdgeMoved(int(edge), value); });
            });
            EdgeFields.push_back(field);
        }
    }
    for (std::size_t edge = 0; edge < count; ++edge)
        EdgeFields[edge]->setValue(bands.edges[edge]);
}

void TValueBands::ShowBeside(const QWidget& owner) {
    ShowToolWindow(*this, owner, place_);
}
