#include "measure/shape_layout.h"

#include "measure/shape_geometry.h"

ShapeRect HandleBox(ShapePoint p, int r) {
    return {p.x - r, p.y - r, p.x + r, p.y + r};
}

void LayoutShape(MeasureShape& shape, const TextMetrics& metrics, std::wstring_view prompt) {
    shape.handles = {};
    auto& h = shape.handles;
    switch (shape.kind) {
        case TOOL_LINE:
        case TOOL_CIRCLE:
        case TOOL_ARROW:
            h[0] = HandleBox(shape.p1, 5);
            h[1] = HandleBox(shape.p2, 5);
            break;
        case TOOL_PARALLEL_LINES:
        case TOOL_ANGLE:
            h[0] = HandleBox(shape.p1, 5);
            h[1] = HandleBox(shape.p2, 5);
            h[2] = HandleBox(shape.p3, 4);
            break;
        case TOOL_CONCENTRIC_CIRCLES: // the inner rim's point has no box
            h[0] = HandleBox(shape.p1, 5);
            h[1] = HandleBox(shape.p3, 4);
            break;
        case TOOL_RECTANGLE:
            h[0] = HandleBox(shape.p1, 5);
            h[1] = HandleBox(shape.p2, 5);
            h[2] = HandleBox({shape.p1.x, shape.p2.y}, 5);
            h[3] = HandleBox({shape.p2.x, shape.p1.y}, 5);
            break;
        case TOOL_PENCIL:
            if (shape.points.size() >= 2) {
                h[0] = HandleBox(shape.points.front(), 5);
                h[1] = HandleBox(shape.points.back(), 5);
            }
            break;
        case TOOL_TEXT: {
            const ShapeSize extent = metrics.Extent(NoteText(shape, prompt));
            h[0] = {shape.p1.x, shape.p1.y, shape.p1.x + extent.cx + 4, shape.p1.y + extent.cy + 4};
            break;
        }
        default:
            break;
    }
}

int HitTestShapes(const std::vector<MeasureShape>& shapes, ShapePoint p) {
    for (size_t i = 0; i < shapes.size(); ++i) {
        for (const ShapeRect& box : shapes[i].handles) {
            if (box.Contains(p))
                return static_cast<int>(i);
        }
    }
    return -1;
}

void MoveShape(MeasureShape& shape, int dx, int dy, const TextMetrics& metrics, std::wstring_view prompt) {
    auto move = [dx, dy](ShapePoint& p) {
        p.x += dx;
        p.y += dy;
    };
    switch (shape.kind) {
        case TOOL_LINE:
        case TOOL_RECTANGLE:
        case TOOL_CIRCLE:
        case TOOL_ARROW:
            move(shape.p1);
            move(shape.p2);
            break;
        case TOOL_PARALLEL_LINES:
        case TOOL_CONCENTRIC_CIRCLES:
        case TOOL_ANGLE:
            move(shape.p1);
            move(shape.p2);
            if (ThirdPointPlaced(shape.p3))
                move(shape.p3);
            break;
        case TOOL_PENCIL:
            for (ShapePoint& p : shape.points)
                move(p);
            break;
        case TOOL_TEXT:
            move(shape.p1);
            break;
        default:
            break;
    }
    LayoutShape(shape, metrics, prompt);
}
