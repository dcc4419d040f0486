// SPDX-License-Identifier: MIT
// The "Canvas" menu of the main window: the canvas and its grid, print and PDF at the canvas
// size, PNG export.
#pragma once

#include "FileDialogs.h"
#include "ShapeOutline.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

class CropFrameView;
class QAction;
class QMenu;
class QPagedPaintDevice;
class TForm1;

class CanvasCommands : public QObject {
public:
    // Adds the "Canvas" menu to the window's menu bar; print and the exports wait for a picture.
    explicit CanvasCommands(TForm1& window);

    QMenu* Menu;                   // "Canvas" menu
    QAction* CanvasGridItem;       // "Canvas and Grid..." menu item
    QAction* CropItem;             // "Crop to Canvas..." menu item
    QAction* FullPhotoItem;        // "Full Photo" menu item
    QAction* PrintItem;            // "Print..." menu item
    QAction* ExportPdfItem;        // "Export PDF..." menu item
    QAction* ExportPngItem;        // "Export PNG..." menu item
    QAction* ExportOutlinePdfItem; // "Export Outline PDF..." menu item
    QAction* PrintOutlineItem;     // "Print Outline..." menu item
    QAction* ExportOutlinePngItem; // "Export Outline PNG..." menu item

    OutlineSettings Outline; // the outline dialog's last choices

    TSaveDialog ExportDialog; // the save-file dialog of "Export PDF..." and "Export PNG..."

    void CanvasGridItemClick(QObject* Sender);
    // "Crop to Canvas...": the view at Fit, a frame of the canvas's proportions over it (the
    // photo's own before a canvas is chosen), the largest that fits, centred.
    void CropItemClick(QObject* Sender);
    // "Full Photo": the whole opened picture studied again, as after "Open..".
    void FullPhotoItemClick(QObject* Sender);
    // The picture cropped to `frame` (pixels of SourceBitmap, held inside it) and studied again
    // as after "Open..", without reading the file; the caption stays the file's.
    void CropTo(QRect frame);
    // The frame while "Crop to Canvas..." shows it; null otherwise.
    CropFrameView* CropView = nullptr;
    void PrintItemClick(QObject* Sender);
    void ExportPdfItemClick(QObject* Sender);
    void ExportPngItemClick(QObject* Sender);
    // The outline sheet of the shown study: its dialog, then the file or the printer.
    void ExportOutlinePdfItemClick(QObject* Sender);
    void PrintOutlineItemClick(QObject* Sender);
    void ExportOutlinePngItemClick(QObject* Sender);

    // A picture was opened: print and the exports have something to put out, and a canvas not
    // yet chosen in the dialog turns to the picture's orientation.
    void PictureOpened(int width, int height);

private:
    void WireEvents();
    // Leaves "Crop to Canvas..." without cropping.
    void EndCrop();
    // A name for a new file from the export dialog, `extension` appended unless it ends in it; a
    // name that exists is refused and the dialog asked again. Nothing when cancelled. The
    // dialog offers the opened picture's name with `nameEnding` and the extension.
    std::optional<QString> NewExportName(const QString& filter, const QString& extension,
                                         const QString& nameEnding = {});
    // The print dialog set to the canvas's paper for a picture laid as `plan`; `paint` then
    // paints the pages on the printer. Nothing when the dialog is cancelled; "Printing failed."
    // where the painting fails.
    void Print(const QString& documentName, const CanvasSettings& canvas, const CanvasPlan& plan,
               const std::function<bool(QPagedPaintDevice&)>& paint);
    // The shown study's outline sheet, traced under the busy cursor, with the choices of its
    // dialog; nothing when cancelled.
    std::optional<OutlineSheet> ChooseOutline();

    TForm1& window_;
    bool canvasChosen_ = false; // "OK" or "Insert" of the dialog kept a canvas
};
