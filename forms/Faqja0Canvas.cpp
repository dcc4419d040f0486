// SPDX-License-Identifier: MIT
// The "Canvas" menu: the canvas and its grid, print and PDF at the canvas size, PNG export.
#include "AppError.h"
#include "CanvasDialog.h"
#include "CanvasPages.h"
#include "Desktop.h"
#include "Faqja0.h"
#include "PictureBox.h"
#include "PngFile.h"

#include <QFileInfo>
#include <QPrinter>

// "Canvas and Grid..." chosen: the dialog over the kept settings; "OK" keeps the changes,
// "Insert" keeps them and draws the grid.
void TForm1::CanvasGridItemClick(QObject*) {
    const TBitmap& shown = Image1->Bitmap();
    CanvasDialog dialog(Canvas, shown.Width(), shown.Height(), this);
    const int outcome = CurrentDesktop().RunDialog(dialog);
    if (outcome == CanvasDialog::Cancelled)
        return;
    Canvas = dialog.Settings();
    if (outcome == CanvasDialog::Insert)
        InsertCanvasGrid();
}

// "Print...": the print dialog set to the chosen paper; the shown picture at the canvas size.
void TForm1::PrintItemClick(QObject*) {
    const TBitmap& shown = Image1->Bitmap();
    const CanvasPlan plan = PlanCanvas(Canvas, shown.Width(), shown.Height());
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(PaperLayout(Canvas, QSizeF(plan.pictureWidthMm, plan.pictureHeightMm)));
    printer.setDocName(QStringLiteral("Halvane study"));
    if (!CurrentDesktop().SetUpPrinter(this, printer))
        return;
    if (!PaintCanvasPages(printer, PrintView(shown), plan, Canvas.fitToOnePage))
        throw AppError(QStringLiteral("Printing failed."));
}

// "Export PDF...": the shown picture at the canvas size as a new PDF file.
void TForm1::ExportPdfItemClick(QObject*) {
    if (const auto path = NewExportName(QStringLiteral("*.Pdf | *.Pdf"), QStringLiteral(".pdf"))) {
        WriteCanvasPdf(Image1->Bitmap(), Canvas, *path);
        SavedTo.Used(QStringLiteral("pdf"), *path);
    }
}

// "Export PNG...": the shown picture, every pixel as it is, as a new PNG file.
void TForm1::ExportPngItemClick(QObject*) {
    if (const auto path = NewExportName(QStringLiteral("*.Png | *.Png"), QStringLiteral(".png"))) {
        SaveBitmapAsPng(Image1->Bitmap(), *path);
        SavedTo.Used(QStringLiteral("png"), *path);
    }
}

// As "Save As.." refuses names: the name as chosen and the name with the extension must both be
// free, and the dialog comes back after the message.
std::optional<QString> TForm1::NewExportName(const QString& filter, const QString& extension) {
    ExportDialog.Filter = filter;
    ExportDialog.InitialDir = SavedTo.StartFor(extension.mid(1));
    for (;;) {
        // The opened picture's own name, with the export's extension.
        ExportDialog.FileName =
            QFileInfo(QString::fromLocal8Bit(LastOpenedPath)).completeBaseName() + extension;
        if (!ExportDialog.Execute(this) || ExportDialog.FileName.isEmpty())
            return std::nullopt;
        const QString name = ExportDialog.FileName;
        if (!QFileInfo(name).isFile() && !QFileInfo(name + extension).isFile())
            return name.endsWith(extension, Qt::CaseInsensitive) ? name : name + extension;
        CurrentDesktop().ShowError(QStringLiteral("File name exists!"), QStringLiteral("Error"));
    }
}
