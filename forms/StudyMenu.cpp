// SPDX-License-Identifier: MIT
#include "StudyMenu.h"

#include "BandHistogram.h"
#include "Desktop.h"
#include "EventBoundary.h"
#include "Faqja0.h"
#include "IntText.h"
#include "PictureBox.h"
#include "SimplifyDialog.h"
#include "SpinBox.h"
#include "StudySteps.h"
#include "ValueBandsWindow.h"
#include "WindowShortcuts.h"

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

StudyMenu::StudyMenu(TForm1& form, QMenuBar& menuBar, WindowShortcuts& keys) : form_(form) {
    Menu = menuBar.addMenu(QStringLiteral("Study"));
    // The keys are the window's own (WindowShortcuts); the menu only names them.
    ValueBandsItem = Menu->addAction(QStringLiteral("Value Bands...\tCtrl+B"));
    OnTriggered(ValueBandsItem, &form, *this, &StudyMenu::ValueBandsItemClick);
    keys.Add(Qt::CTRL | Qt::Key_B, [this] { ValueBandsItemClick(ValueBandsItem); });
    SimplifyItem = Menu->addAction(QStringLiteral("Simplify Shapes...\tCtrl+K"));
    // It waits for a picture, as "Oilify.." does.
    SimplifyItem->setEnabled(false);
    OnTriggered(SimplifyItem, &form, *this, &StudyMenu::SimplifyItemClick);
    keys.Add(Qt::CTRL | Qt::Key_K, [this] {
        if (SimplifyItem->isEnabled())
            SimplifyItemClick(SimplifyItem);
    });
}

void StudyMenu::SimplifyItemClick(QObject*) {
    TBitmap& shown = form_.Image1->Bitmap();
    std::uint64_t minimumPixels = 0;
    std::unique_ptr<ShapeMerger> patches;
    {
        TBitmapData map;
        ScopedMap picture(shown, TMapAccess::Read, map);
        if (!picture.Mapped())
            return;
        SimplifyDialog dialog(map, form_.Canvas, &form_);
        if (CurrentDesktop().RunDialog(dialog) != QDialog::Accepted)
            return;
        minimumPixels = dialog.MinimumPixels();
        patches = dialog.TakePatches();
    }
    SimplifyShapes(minimumPixels, patches.get());
}

void StudyMenu::SimplifyShapes(std::uint64_t minimumPixels, const ShapeMerger* patches) {
    form_.ShowBusy({});
    SimplifyStep(form_.Image1->Bitmap(), minimumPixels, ReadMap, &OilBitmap, &PosterBitmap,
                 patches);
    form_.Image1->ClearOverlay();
    form_.ShowIdle({});
    form_.OfferUndo(UndoOffer::None);
}

void StudyMenu::ValueBandsItemClick(QObject*) {
    if (BandsWindow == nullptr) {
        BandsWindow = new TValueBands(&form_);
        BandsWindow->OnPresetChosen = [this](BandPreset preset) { PresetChosen(preset); };
        BandsWindow->OnEdgeMoved = [this](int edge, int value) { EdgeMoved(edge, value); };
    }
    const int levels = StrToInt(form_.Edit2->Text());
    ShowBands(levels, StudyBands(form_.Bands, levels, [this] { return Histogram(); }));
    BandsWindow->ShowBeside(form_);
}

void StudyMenu::PresetChosen(BandPreset preset) {
    form_.Bands = BandChoice::Chosen(preset);
    const std::optional<int> presetLevels = PresetLevels(preset);
    // The level count's change posterizes, as a change of the spin box does.
    if (presetLevels && StrToInt(form_.Edit2->Text()) != *presetLevels)
        form_.Edit2->SetText(QString::number(*presetLevels));
    else
        form_.Button1Click(form_.Button1);
}

void StudyMenu::EdgeMoved(int edge, int value) {
    const int levels = StrToInt(form_.Edit2->Text());
    ValueBands bands = BandsWindow->Histogram->Bands();
    MoveEdge(bands, edge, value);
    form_.Bands = BandChoice::Placed(bands.edges, levels, form_.Bands.PresetAt(levels));
    form_.Button1Click(form_.Button1);
}

void StudyMenu::Posterized(int levels, const ValueBands& bands) {
    if (form_.Bands.PresetAt(levels) != form_.Bands.preset)
        form_.Bands = BandChoice::Chosen(form_.Bands.PresetAt(levels));
    if (BandsWindow != nullptr && BandsWindow->isVisible())
        ShowBands(levels, bands);
}

void StudyMenu::GreyChanged() {
    histogramStale_ = true;
}

const GreyHistogram& StudyMenu::Histogram() {
    // Posterizing only reads the grey picture: its histogram is counted once per grey picture.
    if (histogramStale_) {
        histogram_ = {};
        TBitmapData map;
        ScopedMap grey(GreyBitmap, TMapAccess::Read, map);
        if (grey.Mapped())
            histogram_ = HistogramOf(map);
        histogramStale_ = false;
    }
    return histogram_;
}

void StudyMenu::ShowBands(int levels, const ValueBands& bands) {
    BandsWindow->Show(Histogram(), bands, form_.Bands.PresetAt(levels));
}
