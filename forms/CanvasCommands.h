// SPDX-License-Identifier: MIT
// The "Canvas" menu of the main window: the canvas and its grid, print and PDF at the canvas
// size, PNG export.
#pragma once

#include "FileDialogs.h"

#include <QObject>
#include <QString>
#include <optional>

class QAction;
class QMenu;
class TForm1;

class CanvasCommands : public QObject {
public:
    // Adds the "Canvas" menu to the window's menu bar; print and the exports wait for a picture.
    explicit CanvasCommands(TForm1& window);

    QMenu* Menu;             // "Canvas" menu
    QAction* CanvasGridItem; // "Canvas and Grid..." menu item
    QAction* PrintItem;      // "Print..." menu item
    QAction* ExportPdfItem;  // "Export PDF..." menu item
    QAction* ExportPngItem;  // "Export PNG..." menu item

    TSaveDialog ExportDialog; // the save-file dialog of "Export PDF..." and "Export PNG..."

    void CanvasGridItemClick(QObject* Sender);
    void PrintItemClick(QObject* Sender);
    void ExportPdfItemClick(QObject* Sender);
    void ExportPngItemClick(QObject* Sender);

    // A picture was opened: print and the exports have something to put out, and a canvas not
    // yet chosen in the dialog turns to the picture's orientation.
    void PictureOpened(int width, int height);

private:
    void WireEvents();
    // A name for a new file from the export dialog, `extension` appended unless it ends in it; a
    // name that exists is refused and the dialog asked again. Nothing when cancelled.
    std::optional<QString> NewExportName(const QString& filter, const QString& extension);

    TForm1& window_;
    bool canvasChosen_ = false; // "OK" or "Insert" of the dialog kept a canvas
};
