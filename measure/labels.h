// The texts of the measurement labels and where they go: one-line labels beside their point and
// blocks of two or three lines, both flipped to the other side of the point at the picture's right
// and bottom edges; the crosshair's step label. Pure code.
#pragma once

#include "measure/shape_model.h"

#include <array>
#include <string>
#include <string_view>

// printf-style formatting into a wide string (wide arguments with %ls).
std::wstring FormatText(const wchar_t* format, ...);

// The labels a shape shows: one line (beside `at`, DrawLabel) or a block of two or three lines
// (DrawLabelLines). `kind` is the tool it is drawn as. Lengths are pixels / scale; without a
// positive scale only an angle has a label.
struct ShapeLabels {
    int count = 0; // 0 none, 1 one line, 2 or 3 a block
    std::array<std::wstring, 3> lines;
    ShapePoint at;
};
ShapeLabels LabelsOfShape(const MeasureShape& shape, int kind, float scale, std::wstring_view unit);

// A one-line label's box for a text of `extent` at pt in a W x H picture: below right of the point,
// or left of it when it would pass the right edge, above it when it would pass the bottom.
ShapeRect PlaceLabel(ShapeSize extent, ShapePoint pt, int width, int height);

// Boxes of a block of `count` (2 or 3) lines: left-aligned right of pt, or right-aligned left of it;
// stacked downward, or upward from pt with the first line nearest to it.
std::array<ShapeRect, 3> PlaceLabelLines(const std::array<ShapeSize, 3>& extents, int count, ShapePoint pt,
                                         int width, int height);

// The crosshair ruler's step: "0.5mm", "0.05mm", "0.005mm" (one, two or three decimals).
std::wstring StepLabelText(float step, std::wstring_view unit);
// Its box: centred under the first major tick right of the centre, just below the line.
ShapeRect StepLabelBox(ShapeSize extent, int width, int height, int rulerPixels);

// The calibration line's label.
std::wstring CalibrationLineLabel(int length);
