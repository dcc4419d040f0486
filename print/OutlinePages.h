// SPDX-License-Identifier: MIT
// The outline sheet at the canvas size on paper, over the same pages as the study's print.
#pragma once

#include "ShapeOutline.h"

#include <QString>

class QPagedPaintDevice;

// The sheet page by page on `device`, laid as PaintCanvasPages lays the study: the boundaries as
// vector lines, the numbers as text, the canvas grid light grey under them where chosen, and the
// value key's legend (number, swatch, grey) in the first page's label band. False when the device
// cannot be painted on.
bool PaintOutlinePages(QPagedPaintDevice& device, const OutlineSheet& sheet);

// The sheet as a new PDF file on the canvas's paper, as WriteCanvasPdf writes the study.
void WriteOutlinePdf(const OutlineSheet& sheet, const QString& path);
