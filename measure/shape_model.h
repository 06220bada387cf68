// The measurement shapes drawn over the picture: lines, parallel lines, rectangles, circles,
// concentric circles, angles, pencil strokes, arrows and text notes, in content pixels (the
// picture's own pixels, origin at its top-left corner). Pure code (no windows.h).
#pragma once

#include "measure/measure_tool.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ShapePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ShapePoint&) const = default;
};

// A third point not placed yet. No coordinate a shape is dragged to comes near it (and sums with
// it do not overflow), so a placed point stays placed wherever it goes, even past the left edge.
inline constexpr ShapePoint kUnplacedPoint = {INT32_MIN / 2, INT32_MIN / 2};

// Left and top inside, right and bottom outside; all zero = no box.
struct ShapeRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const ShapeRect&) const = default;
    bool IsNone() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool Contains(ShapePoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

struct ShapeSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const ShapeSize&) const = default;
};

inline constexpr size_t kShapeTextMax = 255; // characters of a text note, without terminator
inline constexpr size_t kShapeHandles = 4;

struct MeasureShape {
    int kind = 0;                   // the MeasureTool that drew it; 0 in the pending record = none
    ShapePoint p1;                  // see the tools: start, centre, vertex, tail, corner, note's corner
    ShapePoint p2;                  // end, rim, first arm, head, opposite corner
    ShapePoint p3 = kUnplacedPoint; // parallel's passing point, second rim, second arm
    std::vector<ShapePoint> points; // Pencil only
    std::wstring text;              // Text only; empty = not typed yet
    std::array<ShapeRect, kShapeHandles> handles = {}; // hit boxes (LayoutShape)
};

// Width and height of a text in the label font; the window code measures, the pure code asks.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual ShapeSize Extent(std::wstring_view text) const = 0;
};

// The text a note shows: its own, or the prompt while it is empty.
inline std::wstring_view NoteText(const MeasureShape& shape, std::wstring_view prompt) {
    return shape.text.empty() ? prompt : std::wstring_view(shape.text);
}
