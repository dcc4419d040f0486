// SPDX-License-Identifier: MIT
// The outline of a study: the boundaries between its 4-connected same-colour patches as lines
// on the edges between pixels, and each patch large enough for one numbered with its tone's
// number in the value key, at the point farthest from the patch's border.
#pragma once

#include "Bitmap.h"
#include "CanvasPlan.h"
#include "PictureMemory.h"
#include "ValueKeyTable.h"

#include <QRect>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <vector>

// A straight piece of boundary, horizontal or vertical, from corner (x0, y0) to corner (x1, y1)
// of the pixels (corner (x, y) is pixel (x, y)'s top-left).
struct OutlineSegment {
    std::int32_t x0 = 0;
    std::int32_t y0 = 0;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    bool operator==(const OutlineSegment&) const = default;
};

// A patch's pole: its first pixel, row by row, of the greatest depth.
struct PatchPole {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint16_t depth = 0;
};

// What was drawn over a study and is none of its tones, as the value key leaves it out: the
// grids' lines (their colours) and the areas covered whole (the key's stamp, the cells' names).
struct StudyOverlay {
    std::vector<TAlphaColor> colours;
    std::vector<QRect> areas;
};

// A study traced once; the labels are placed from it for any sizes.
struct OutlineTrace {
    int width = 0;
    int height = 0;
    // Each pixel's depth, row by row: its chessboard distance (steps to any of the 8 neighbours)
    // to the nearest pixel of another colour, the outside of the picture counting as one; 1 on
    // a boundary, corners included.
    PictureArray<std::uint16_t> depths;
    std::vector<TAlphaColor> colours;     // each patch's, patches numbered by their first pixel
    std::vector<PatchPole> poles;         // each patch's
    std::vector<KeyRow> key;              // the study's value key, its overlay left out
    std::vector<QRect> overlayAreas;      // where no number goes
    std::vector<OutlineSegment> segments; // every boundary, the picture's edges included
};

OutlineTrace TraceOutline(const TBitmapData& study, const StudyOverlay& overlay = {});

// Label sizes in pixels of the picture: a number's digits `height` high, between the smallest
// and the largest; it keeps clear of lines `lineWidth` wide centred on the boundaries.
struct LabelRule {
    double smallest = 0;
    double largest = 0;
    double lineWidth = 0;
};

// A number's digits are drawn this many times their height wide each (DejaVu Sans's digits
// advance 0.636 em and stand 0.729 em high, with a little room), and their height is this share
// of the font's em.
constexpr double DigitWidthPerHeight = 0.9;
constexpr double DigitHeightPerEm = 0.729;

struct OutlineLabel {
    std::uint32_t patch = 0;
    int number = 0;
    QRectF box; // in pixels of the picture: where the digits go, inside the patch
};

struct OutlineLabels {
    std::vector<OutlineLabel> labels;
    std::uint64_t tooSmall = 0; // patches whose room is below the smallest label
    // patches of no numbered tone: of what was drawn over the study (a grid's lines, a patch
    // whose pole lies in a covered area), or of a tone the key sums as "other"
    std::uint64_t unkeyed = 0;
};

// Each keyed patch's number as large as its room allows, up to the largest, centred on its pole;
// its box lies inside the patch, clear of the lines, so no two boxes meet.
OutlineLabels PlaceLabels(const OutlineTrace& trace, const LabelRule& rule);

// "412 shapes numbered, 37 too small" (and how many have no number in the key, where any).
QString LabelReadout(const OutlineLabels& labels);

// How far from a boundary a pixel of the outline picture is drawn as line: at least 1, about
// half the line's width each side.
int LineBandOf(double lineWidth);

// The outline at the picture's resolution into `map` (the trace's size): white, the grid's
// pixels of `grid` (where it is not empty) light grey, the pixels within LineBandOf(lineWidth) of
// a boundary in LineColour, the numbers in black inside their boxes.
struct OutlineGridPixels {
    int spacing = 0; // 0: no grid
    int lineWidth = 1;
    bool diagonals = false;
};
constexpr TAlphaColor LineColour = 0xFF404040;
constexpr TAlphaColor GridUnderColour = 0xFFC8C8C8;
constexpr TAlphaColor PaperColour = 0xFFFFFFFF;
void DrawOutline(const OutlineTrace& trace, const OutlineLabels& labels, double lineWidth,
                 const OutlineGridPixels& grid, const TBitmapData& map);

// The outline sheet's choices, lengths in millimetres on the canvas.
struct OutlineSettings {
    double lineWidthMm = 0.3;
    double smallestNumberMm = 2; // the digits' height
    double largestNumberMm = 8;  //
    bool grid = true;            // the canvas grid, light grey under the lines
    bool operator==(const OutlineSettings&) const = default;
};

// A study's outline on a canvas: traced once, its labels placed for the settings.
class OutlineSheet {
public:
    OutlineSheet(const TBitmapData& study, const StudyOverlay& overlay,
                 const CanvasSettings& canvas, const OutlineSettings& settings);

    // The labels placed again for other settings; the trace stays.
    void Choose(const OutlineSettings& settings);

    const OutlineTrace& Trace() const { return trace_; }
    const OutlineLabels& Labels() const { return labels_; }
    const CanvasPlan& Plan() const { return plan_; }
    const OutlineSettings& Settings() const { return settings_; }
    const CanvasSettings& Canvas() const { return canvas_; }
    double LineWidthPixels() const { return settings_.lineWidthMm / mmPerPixel_; }
    // The grid drawn under the lines, in pixels; no grid where the settings leave it out.
    OutlineGridPixels GridPixels() const;

    // The sheet at the picture's resolution into `picture`, sized to it (see DrawOutline).
    void Draw(TBitmap& picture) const;

private:
    OutlineTrace trace_;
    CanvasSettings canvas_;
    CanvasPlan plan_;
    double mmPerPixel_ = 1;
    OutlineSettings settings_;
    OutlineLabels labels_;
};
