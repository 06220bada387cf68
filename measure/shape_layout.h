// Hit boxes of the shapes, the hit test shared by hovering, selecting and dragging, and moving a
// shape. Pure code.
#pragma once

#include "measure/shape_model.h"

#include <vector>

// The square (x - r, y - r, x + r, y + r).
ShapeRect HandleBox(ShapePoint p, int r);

// Recomputes shape.handles from its points; a text note's box comes from its shown text (its own
// or `prompt` while empty) measured by `metrics`.
void LayoutShape(MeasureShape& shape, const TextMetrics& metrics, std::wstring_view prompt);

// Index of the first shape (oldest first) with a box holding p; -1 for none.
int HitTestShapes(const std::vector<MeasureShape>& shapes, ShapePoint p);

// Moves a shape's points by (dx, dy) and lays it out again. No bound: a shape may leave the picture.
void MoveShape(MeasureShape& shape, int dx, int dy, const TextMetrics& metrics, std::wstring_view prompt);
