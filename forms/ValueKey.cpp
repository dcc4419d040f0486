// SPDX-License-Identifier: MIT
#include "ValueKey.h"

#include "DrawnOverlay.h"
#include "EventBoundary.h"
#include "InterfaceFont.h"
#include "PictureBox.h"
#include "ToolWindow.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QIcon SwatchOf(const KeyRow& row) {
    QPixmap swatch(14, 14);
    swatch.fill(row.IsOther() ? QColor(Qt::transparent)
                              : QColor::fromRgba(qUnpremultiply(row.colour)));
    return QIcon(swatch);
}

QString PatchText(const PatchCensus& patches) {
    return QStringLiteral("Patches: %1, the smallest %2 px; %3 below 0.1 % of the picture")
        .arg(patches.patches)
        .arg(patches.smallest)
        .arg(patches.small);
}

} // namespace

TValueKey::TValueKey(PictureBox& picture, QWidget* owner)
    : QWidget(owner, Qt::Tool), picture_(picture) {
    setWindowTitle(QStringLiteral("Value Key"));
    setFont(InterfaceFont());
    // Only the main window's closing ends the program; closing the key hides it.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(300, 480);

    ToneList = new QTreeWidget(this);
    ToneList->setColumnCount(4);
    ToneList->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Tone"),
                               QStringLiteral("Share"), QStringLiteral("Pixels")});
    ToneList->setRootIsDecorated(false);
    ToneList->setSelectionMode(QAbstractItemView::NoSelection);
    ToneList->setMouseTracking(true);
    ToneList->viewport()->installEventFilter(this);
    ToneList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    OverlayLabel = new QLabel(this);
    OverlayLabel->hide();
    PatchLabel = new QLabel(this);
    PatchLabel->setWordWrap(true);
    StampButton = new QPushButton(QStringLiteral("Stamp Key"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ToneList);
    layout->addWidget(OverlayLabel);
    layout->addWidget(PatchLabel);
    layout->addWidget(StampButton, 0, Qt::AlignRight);

    // Changes of the picture come in bursts (a resize, then the pixels): one count after them.
    recount_.setSingleShot(true);
    recount_.setInterval(0);
    connect(&recount_, &QTimer::timeout, this, [this] { RunHandler([this] { Recount(); }); });
    connect(ToneList, &QTreeWidget::itemEntered, this, [this](QTreeWidgetItem* item) {
        RunHandler([=, this] { ToneListRowEntered(ToneList->indexOfTopLevelItem(item)); });
    });
    connect(ToneList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        RunHandler([=, this] { ToneListRowClicked(ToneList->indexOfTopLevelItem(item)); });
    });
    connect(StampButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { StampButtonClick(StampButton); }); });
}

void TValueKey::ShowBeside(const QWidget& owner) {
    ShowToolWindow(*this, owner, place_);
}

void TValueKey::PictureChanged() {
    if (isVisible())
        recount_.start();
}

void TValueKey::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Recount();
}

void TValueKey::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    recount_.stop();
    picture_.SetHighlight(std::nullopt);
}

// The pointer left the list: the picture shows all its tones again.
bool TValueKey::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ToneList->viewport() && event->type() == QEvent::Leave)
        RunHandler([this] { ToneListLeft(); });
    return QWidget::eventFilter(watched, event);
}

void TValueKey::Recount() {
    TBitmap& bitmap = picture_.Bitmap();
    if (counted_ && bitmap.Generation() == countedGeneration_)
        return;
    counted_ = true;
    countedGeneration_ = bitmap.Generation();
    totalPixels_ = std::uint64_t(bitmap.Width()) * std::uint64_t(bitmap.Height());
    TBitmapData map;
    ScopedMap shown(bitmap, TMapAccess::Read, map);
    // The grids' lines, their names and a stamp are not tones of the study: they are listed
    // apart, out of the tones' numbers and shares.
    const StudyOverlay overlay = DrawnOverlay(picture_);
    const StudyTones study =
        shown.Mapped() ? CountStudyTones(map, overlay.colours, overlay.areas) : StudyTones{};
    rows_ = KeyRowsOf(study.tones);
    overlayPixels_ = study.overlayPixels;
    patches_ = shown.Mapped() ? CountPatches(map) : PatchCensus{};
    shown.Release();
    picture_.SetHighlight(std::nullopt);
    FillList();
}

void TValueKey::FillList() {
    ToneList->clear();
    for (const KeyRow& row : rows_) {
        auto* item = new QTreeWidgetItem(ToneList);
        item->setText(0, row.IsOther() ? QString() : QString::number(row.number));
        item->setIcon(1, SwatchOf(row));
        item->setText(1, ToneNameOf(row));
        item->setText(2, ShareTextOf(row, totalPixels_ - overlayPixels_));
        item->setText(3, QString::number(row.pixels));
        for (int column : {0, 2, 3})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    // New rows in the places of old ones are not always repainted by the list itself: the rows
    // on screen could keep the counts painted before.
    ToneList->viewport()->update();
    OverlayLabel->setText(QStringLiteral("Grid and labels: ") +
                          PercentText(overlayPixels_, totalPixels_));
    OverlayLabel->setVisible(overlayPixels_ != 0);
    PatchLabel->setText(rows_.empty() ? QStringLiteral("No picture.") : PatchText(patches_));
    StampButton->setEnabled(!rows_.empty());
}

// Pointer over a row: only its tone shows as it is in the picture; the "other" row has none.
void TValueKey::ToneListRowEntered(int row) {
    const bool tone = row >= 0 && std::size_t(row) < rows_.size() && !rows_[row].IsOther();
    picture_.SetHighlight(tone ? std::optional(rows_[row].colour) : std::nullopt);
}

void TValueKey::ToneListLeft() {
    picture_.SetHighlight(std::nullopt);
}

// A tone's row clicked: handed on, as a click on the picture would pick that tone.
void TValueKey::ToneListRowClicked(int row) {
    if (row < 0 || std::size_t(row) >= rows_.size() || rows_[row].IsOther() || !OnToneClick)
        return;
    OnToneClick(rows_[row].colour);
}

// "Stamp Key" clicked: the rows of the picture as it is now handed on.
void TValueKey::StampButtonClick(QObject*) {
    Recount();
    if (OnStamp && !rows_.empty())
        OnStamp(rows_, totalPixels_ - overlayPixels_);
}
