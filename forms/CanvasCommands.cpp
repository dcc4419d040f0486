// SPDX-License-Identifier: MIT
#include "CanvasCommands.h"
#include "AppError.h"
#include "CanvasDialog.h"
#include "CanvasPages.h"
#include "CropFrame.h"
#include "CropFrameView.h"
#include "Desktop.h"
#include "DrawnOverlay.h"
#include "EventBoundary.h"
#include "Faqja0.h"
#include "OutlineDialog.h"
#include "OutlinePages.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "PngFile.h"
#include "StudySteps.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>

CanvasCommands::CanvasCommands(TForm1& window) : QObject(&window), window_(window) {
    Menu = window.MenuBar1->addMenu(QStringLiteral("Canvas"));
    CanvasGridItem = Menu->addAction(QStringLiteral("Canvas and Grid..."));
    Menu->addSeparator();
    CropItem = Menu->addAction(QStringLiteral("Crop to Canvas..."));
    FullPhotoItem = Menu->addAction(QStringLiteral("Full Photo"));
    Menu->addSeparator();
    PrintItem = Menu->addAction(QStringLiteral("Print..."));
    ExportPdfItem = Menu->addAction(QStringLiteral("Export PDF..."));
    ExportPngItem = Menu->addAction(QStringLiteral("Export PNG..."));
    Menu->addSeparator();
    ExportOutlinePdfItem = Menu->addAction(QStringLiteral("Export Outline PDF..."));
    PrintOutlineItem = Menu->addAction(QStringLiteral("Print Outline..."));
    ExportOutlinePngItem = Menu->addAction(QStringLiteral("Export Outline PNG..."));
    for (QAction* item : {CropItem, FullPhotoItem, PrintItem, ExportPdfItem, ExportPngItem,
                          ExportOutlinePdfItem, PrintOutlineItem, ExportOutlinePngItem})
        item->setEnabled(false);
    WireEvents();
}

// The menu's items behind the event boundary, as the window's own controls.
void CanvasCommands::WireEvents() {
    const auto on = [this](QAction* item, void (CanvasCommands::*handler)(QObject*)) {
        OnTriggered(item, this, *this, handler);
    };
    on(CanvasGridItem, &CanvasCommands::CanvasGridItemClick); // "Canvas and Grid..."
    on(CropItem, &CanvasCommands::CropItemClick);             // "Crop to Canvas..."
    on(FullPhotoItem, &CanvasCommands::FullPhotoItemClick);   // "Full Photo"
    on(PrintItem, &CanvasCommands::PrintItemClick);           // "Print..."
    on(ExportPdfItem, &CanvasCommands::ExportPdfItemClick);   // "Export PDF..."
    on(ExportPngItem, &CanvasCommands::ExportPngItemClick);   // "Export PNG..."
    on(ExportOutlinePdfItem, &CanvasCommands::ExportOutlinePdfItemClick);
    on(PrintOutlineItem, &CanvasCommands::PrintOutlineItemClick);
    on(ExportOutlinePngItem, &CanvasCommands::ExportOutlinePngItemClick);
}

void CanvasCommands::PictureOpened(int width, int height) {
    EndCrop();
    for (QAction* item : {CropItem, PrintItem, ExportPdfItem, ExportPngItem, ExportOutlinePdfItem,
                          PrintOutlineItem, ExportOutlinePngItem})
        item->setEnabled(true);
    // Offered while a crop of the opened picture is studied.
    FullPhotoItem->setEnabled(width != SourceCopyBitmap.Width() ||
                              height != SourceCopyBitmap.Height());
    if (!canvasChosen_)
        window_.Canvas = OrientedLike(window_.Canvas, width, height);
}

// "Canvas and Grid..." chosen: the dialog over the kept settings; "OK" keeps the changes,
// "Insert" keeps them and draws the grid.
void CanvasCommands::CanvasGridItemClick(QObject*) {
    // A frame of the canvas's proportions would no longer be the canvas's.
    EndCrop();
    const TBitmap& shown = window_.Image1->Bitmap();
    CanvasDialog dialog(window_.Canvas, shown.Width(), shown.Height(), &window_);
    const int outcome = CurrentDesktop().RunDialog(dialog);
    if (outcome == CanvasDialog::Cancelled)
        return;
    window_.Canvas = dialog.Settings();
    canvasChosen_ = true;
    if (outcome == CanvasDialog::Insert)
        window_.InsertCanvasGrid();
}

void CanvasCommands::CropItemClick(QObject*) {
    if (CropView != nullptr) {
        CropView->setFocus();
        return;
    }
    window_.View->FitToWindowItemClick(window_.View->FitToWindowItem);
    const QSize picture(SourceBitmap.Width(), SourceBitmap.Height());
    const CanvasSettings& canvas = window_.Canvas;
    const FrameProportions proportions =
        canvasChosen_ ? FrameProportions{canvas.canvasWidthMm, canvas.canvasHeightMm}
                      : FrameProportions{double(picture.width()), double(picture.height())};
    const auto describe = [this](QRect frame) {
        const CanvasPlan plan = PlanCanvas(window_.Canvas, frame.width(), frame.height());
        return QStringLiteral("%1 x %2 px, %3 x %4 on the canvas")
            .arg(frame.width())
            .arg(frame.height())
            .arg(LengthText(plan.pictureWidthMm, window_.Canvas.unit),
                 LengthText(plan.pictureHeightMm, window_.Canvas.unit));
    };
    CropView =
        new CropFrameView(*window_.Image1, picture, proportions, describe, window_, QPoint(0, 128));
    CropView->OnCrop = [this] { CropTo(CropView->Frame()); };
    CropView->OnCancel = [this] { EndCrop(); };
}

void CanvasCommands::EndCrop() {
    if (CropView == nullptr)
        return;
    CropView->Finish();
    CropView = nullptr;
}

void CanvasCommands::CropTo(QRect frame) {
    EndCrop();
    CropStep(SourceBitmap, frame, SourceBitmap);
    window_.StudySource(std::nullopt);
}

void CanvasCommands::FullPhotoItemClick(QObject*) {
    EndCrop();
    SourceBitmap.Assign(SourceCopyBitmap);
    window_.StudySource(std::nullopt);
}

// "Print...": the print dialog set to the chosen paper; the shown picture at the canvas size.
void CanvasCommands::PrintItemClick(QObject*) {
    const CanvasSettings& canvas = window_.Canvas;
    const TBitmap& shown = window_.Image1->Bitmap();
    const CanvasPlan plan = PlanCanvas(canvas, shown.Width(), shown.Height());
    Print(QStringLiteral("Halvane study"), canvas, plan, [&](QPagedPaintDevice& printer) {
        return PaintCanvasPages(printer, PrintView(shown), plan, canvas.fitToOnePage);
    });
}

void CanvasCommands::Print(const QString& documentName, const CanvasSettings& canvas,
                           const CanvasPlan& plan,
                           const std::function<bool(QPagedPaintDevice&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(PaperLayout(canvas, QSizeF(plan.pictureWidthMm, plan.pictureHeightMm)));
    printer.setDocName(documentName);
    if (!CurrentDesktop().SetUpPrinter(&window_, printer))
        return;
    if (!paint(printer))
        throw AppError(QStringLiteral("Printing failed."));
}

// "Export PDF...": the shown picture at the canvas size as a new PDF file.
void CanvasCommands::ExportPdfItemClick(QObject*) {
    if (const auto path = NewExportName(QStringLiteral("*.Pdf | *.Pdf"), QStringLiteral(".pdf"))) {
        WriteCanvasPdf(window_.Image1->Bitmap(), window_.Canvas, *path);
        window_.SavedTo.Used(QStringLiteral("pdf"), *path);
    }
}

// "Export PNG...": the shown picture, every pixel as it is, as a new PNG file.
void CanvasCommands::ExportPngItemClick(QObject*) {
    if (const auto path = NewExportName(QStringLiteral("*.Png | *.Png"), QStringLiteral(".png"))) {
        SaveBitmapAsPng(window_.Image1->Bitmap(), *path);
        window_.SavedTo.Used(QStringLiteral("png"), *path);
    }
}

std::optional<OutlineSheet> CanvasCommands::ChooseOutline() {
    EndCrop();
    window_.ShowBusy({});
    std::optional<OutlineSheet> traced;
    try {
        traced.emplace(OutlineStep(window_.Image1->Bitmap(), DrawnOverlay(*window_.Image1),
                                   window_.Canvas, Outline));
    } catch (...) {
        window_.ShowIdle({});
        throw;
    }
    window_.ShowIdle({});
    OutlineSheet& sheet = *traced;
    OutlineDialog dialog(sheet, &window_);
    if (CurrentDesktop().RunDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    Outline = dialog.Settings();
    return traced;
}

// "Export Outline PDF...": the outline sheet at the canvas size as a new PDF file.
void CanvasCommands::ExportOutlinePdfItemClick(QObject*) {
    const std::optional<OutlineSheet> sheet = ChooseOutline();
    if (!sheet)
        return;
    if (const auto path = NewExportName(QStringLiteral("*.Pdf | *.Pdf"), QStringLiteral(".pdf"),
                                        QStringLiteral("-outline"))) {
        WriteOutlinePdf(*sheet, *path);
        window_.SavedTo.Used(QStringLiteral("pdf"), *path);
    }
}

// "Print Outline...": the outline sheet on the pages "Print..." would print the study on.
void CanvasCommands::PrintOutlineItemClick(QObject*) {
    const std::optional<OutlineSheet> sheet = ChooseOutline();
    if (!sheet)
        return;
    Print(QStringLiteral("Halvane outline"), sheet->Canvas(), sheet->Plan(),
          [&](QPagedPaintDevice& printer) { return PaintOutlinePages(printer, *sheet); });
}

// "Export Outline PNG...": the outline sheet at the picture's resolution as a new PNG file.
void CanvasCommands::ExportOutlinePngItemClick(QObject*) {
    const std::optional<OutlineSheet> sheet = ChooseOutline();
    if (!sheet)
        return;
    if (const auto path = NewExportName(QStringLiteral("*.Png | *.Png"), QStringLiteral(".png"),
                                        QStringLiteral("-outline"))) {
        TBitmap outline;
        sheet->Draw(outline);
        SaveBitmapAsPng(outline, *path);
        window_.SavedTo.Used(QStringLiteral("png"), *path);
    }
}

// As "Save As.." refuses names: the name as chosen and the name with the extension must both be
// free, and the dialog comes back after the message.
std::optional<QString> CanvasCommands::NewExportName(const QString& filter,
                                                     const QString& extension,
                                                     const QString& nameEnding) {
    ExportDialog.Filter = filter;
    ExportDialog.InitialDir = window_.SavedTo.StartFor(extension.mid(1));
    for (;;) {
        // The opened picture's own name, with the export's extension.
        ExportDialog.FileName =
            QFileInfo(QString::fromLocal8Bit(LastOpenedPath)).completeBaseName() + nameEnding +
            extension;
        if (!ExportDialog.Execute(&window_) || ExportDialog.FileName.isEmpty())
            return std::nullopt;
        const QString name = ExportDialog.FileName;
        if (!QFileInfo(name).isFile() && !QFileInfo(name + extension).isFile())
            return name.endsWith(extension, Qt::CaseInsensitive) ? name : name + extension;
        CurrentDesktop().ShowError(QStringLiteral("File name exists!"), QStringLiteral("Error"));
    }
}
