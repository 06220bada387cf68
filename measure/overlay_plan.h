// The measurement overlay as a list of drawing steps: which lines, circles, strokes, handle boxes,
// frames and texts go onto the picture, with which pen, in which order. Everything the overlay
// shows is decided here, in pure code; the window code only carries the steps out with GDI and
// GDI+ (measure_render.cpp).
#pragma once

#include "measure/calibration.h"
#include "measure/shape_editor.h"
#include "measure/shape_geometry.h"

#include <string>
#include <vector>

enum class OverlayPen : unsigned char {
    Shape,     // line colour, line width (GDI+)
    Thin,      // line colour, 1 pixel (GDI+)
    Thick,     // line colour, 3 pixels (GDI+)
    Grid,      // crosshair colour, 1 pixel (GDI)
    CalibLine, // line colour, 2 pixels (GDI)
    CalibThin, // line colour, 1 pixel (GDI)
    // (pixels at 96 DPI: all of them grow with the display scale)
};

enum class OverlayStep : unsigned char {
    Line,         // pen, a-b
    Circle,       // pen, the full circle in rect (a square)
    Polyline,     // pen, *points (a pencil stroke)
    FillTriangle, // solid fill, a b c
    FillBox,      // line brush fills rect
    FrameBox,     // line brush outlines rect one pixel wide (right and bottom edges outside)
    Text,         // label font and text colour, drawn at rect's top-left, clipped to rect
};

// The overlay's colours (COLORREF 0x00BBGGRR) and sizes, as the Options dialog sets them; the
// payload of the camera view's style command.
struct ViewStyle {
    unsigned gridColor;
    unsigned lineColor;
    int lineWidth;
    unsigned textColor;
    int textSize;
};

struct OverlayItem {
    OverlayStep step = OverlayStep::Line;
    OverlayPen pen = OverlayPen::Shape;
    ShapePoint a;
    ShapePoint b;
    ShapePoint c;
    ShapeRect rect;
    const std::vector<ShapePoint>* points = nullptr; // a shape's own, valid while the state is unchanged
    std::wstring text;
};

// Everything the overlay depends on besides the measurement state.
struct OverlayInput {
    int width = 0; // the picture (content) size
    int height = 0;
    float scale = -1.0f; // pixels per unit; not positive = uncalibrated
    std::wstring_view unit;
    RulerStep ruler;
    bool crosshair = false;
    int lineWidth = 1;
    int calibLineLength = 0; // the view's; non-zero: only the calibration line is drawn
    std::wstring_view prompt;
    int dpi = 96; // the view's display scale: ruler ticks grow with it, measured lengths do not
};

// The width in pixels a pen draws with, for the style's line width and the view's DPI.
int OverlayPenWidth(OverlayPen pen, int lineWidth, int dpi);

// Fills `out` (cleared first; its room is kept between paints) with the overlay, in drawing order:
// the calibration line alone in calibration mode; otherwise the crosshair when on, every shape
// from the oldest, then the shape in progress.
void BuildOverlay(const MeasureState& state, const OverlayInput& in, const TextMetrics& metrics,
                  std::vector<OverlayItem>& out);

// One shape: `kind` is the tool it is drawn as; the drawing form (a shape in progress) has long
// line end ticks and an always-framed note.
void AddShape(const MeasureShape& shape, int kind, bool selected, bool hovered, bool drawingForm,
              const OverlayInput& in, const TextMetrics& metrics, std::vector<OverlayItem>& out);

// The handle box at pt: 10 x 10 clipped to the picture.
ShapeRect HandleDrawBox(ShapePoint pt, int width, int height);
