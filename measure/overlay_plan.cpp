#include "measure/overlay_plan.h"

#include "base/display_scale.h"

#include "measure/calibration_line.h"
#include "measure/labels.h"

#include <algorithm>

namespace {

struct Plan {
    const OverlayInput& in;
    const TextMetrics& metrics;
    std::vector<OverlayItem>& out;

    void Line(OverlayPen pen, ShapePoint a, ShapePoint b) {
        OverlayItem& item = out.emplace_back();
        item.step = OverlayStep::Line;
        item.pen = pen;
        item.a = a;
        item.b = b;
    }
    void Line(OverlayPen pen, const Segment& s) { Line(pen, s.a, s.b); }
    void Circle(ShapePoint centre, int r) {
        OverlayItem& item = out.emplace_back();
        item.step = OverlayStep::Circle;
        item.pen = OverlayPen::Shape;
        item.rect = {centre.x - r, centre.y - r, centre.x + r, centre.y + r};
    }
    void Box(bool filled, ShapeRect rect) {
        OverlayItem& item = out.emplace_back();
        item.step = filled ? OverlayStep::FillBox : OverlayStep::FrameBox;
        item.rect = rect;
    }
    void Text(std::wstring text, ShapeRect rect) {
        OverlayItem& item = out.emplace_back();
        item.step = OverlayStep::Text;
        item.rect = rect;
        item.text = std::move(text);
    }
    // A handle, drawn only when the shape is selected (filled) or hovered (outlined).
    void Handle(ShapePoint pt, bool selected, bool hovered) {
        if (selected || hovered)
            Box(selected, HandleDrawBox(pt, in.width, in.height));
    }
    void Label(std::wstring text, ShapePoint pt) {
        const ShapeRect box = PlaceLabel(metrics.Extent(text), pt, in.width, in.height);
        Text(std::move(text), box);
    }
    void Labels(ShapeLabels labels) {
        if (labels.count == 1) {
            Label(std::move(labels.lines[0]), labels.at);
        } else if (labels.count >= 2) {
            std::array<ShapeSize, 3> extents = {};
            for (int i = 0; i < labels.count; ++i)
                extents[i] = metrics.Extent(labels.lines[i]);
            const auto boxes = PlaceLabelLines(extents, labels.count, labels.at, in.width, in.height);
            for (int i = 0; i < labels.count; ++i)
                Text(std::move(labels.lines[i]), boxes[i]);
        }
    }
};

void AddCalibrationLine(const MeasureState& s, Plan& plan) {
    const OverlayInput& in = plan.in;
    const int mid = in.height / 2;
    plan.Line(OverlayPen::CalibLine, {s.calibLeftX, mid}, {s.calibRightX, mid});
    for (int x : {s.calibLeftX, s.calibRightX})
        plan.Line(OverlayPen::CalibThin, {x, mid - kCalibBarHalfHeight}, {x, mid + kCalibBarHalfHeight});
    plan.Label(CalibrationLineLabel(in.calibLineLength), {s.calibLeftX + 2, mid + 2});
    if (!s.calibHoverLeft && !s.calibHoverRight)
        return;
    // Four small triangles pointing at the end bar that can be grabbed.
    const int x = s.calibHoverLeft ? s.calibLeftX : s.calibRightX;
    for (int y : {mid - 30, mid + 30}) {
        for (int side : {-1, 1}) {
            const ShapePoint tip = {x + 4 * side, y};
            const int base = x + 8 * side;
            plan.Line(OverlayPen::CalibThin, tip, {base, y - 4});
            plan.Line(OverlayPen::CalibThin, {base, y - 4}, {base, y + 4});
            plan.Line(OverlayPen::CalibThin, tip, {base, y + 4});
        }
    }
}

void AddCrosshair(Plan& plan) {
    const OverlayInput& in = plan.in;
    std::vector<Segment> segments;
    CrosshairSegments(in.width, in.height, in.scale, in.ruler, segments, in.dpi);
    for (const Segment& s : segments)
        plan.Line(OverlayPen::Grid, s);
    if (in.scale >= 0.0f && in.ruler.pixels > 0 && in.ruler.step > 0.0f) {
        std::wstring text = StepLabelText(in.ruler.step, in.unit);
        const ShapeRect box = StepLabelBox(plan.metrics.Extent(text), in.width, in.height, in.ruler.pixels);
        plan.Text(std::move(text), box);
    }
}

} // namespace

int OverlayPenWidth(OverlayPen pen, int lineWidth, int dpi) {
    int width = 1;
    switch (pen) {
        case OverlayPen::Shape:
            width = std::max(lineWidth, 1);
            break;
        case OverlayPen::Thick:
            width = 3;
            break;
        case OverlayPen::CalibLine:
            width = 2;
            break;
        case OverlayPen::Thin:
        case OverlayPen::Grid:
        case OverlayPen::CalibThin:
            break;
    }
    return std::max(ScaleForDpi(width, dpi), 1);
}

ShapeRect HandleDrawBox(ShapePoint pt, int width, int height) {
    return {std::max(pt.x - 5, 0), std::max(pt.y - 5, 0), std::min(pt.x + 5, width),
            std::min(pt.y + 5, height)};
}

void AddShape(const MeasureShape& s, int kind, bool selected, bool hovered, bool drawingForm,
              const OverlayInput& in, const TextMetrics& metrics, std::vector<OverlayItem>& out) {
    Plan plan{in, metrics, out};
    const bool sel = selected;
    const bool hov = hovered;
    switch (kind) {
        case TOOL_LINE:
            plan.Handle(s.p1, sel, hov);
            plan.Handle(s.p2, sel, hov);
            plan.Line(OverlayPen::Shape, s.p1, s.p2);
            for (const Segment& tick : EndTicks(s.p1, s.p2, drawingForm ? 32 : 12))
                plan.Line(OverlayPen::Thin, tick);
            break;
        case TOOL_PARALLEL_LINES:
            plan.Handle(s.p1, sel, hov);
            plan.Handle(s.p2, sel, hov);
            plan.Handle(s.p3, sel, hov);
            plan.Line(OverlayPen::Shape, s.p1, s.p2);
            if (ThirdPointPlaced(s.p3)) {
                const ParallelConstruction c = ConstructParallel(s.p1, s.p2, s.p3);
                plan.Line(c.thinConnector ? OverlayPen::Thin : OverlayPen::Shape, c.connector);
                plan.Line(OverlayPen::Shape, c.parallel);
            }
            break;
        case TOOL_RECTANGLE: {
            plan.Handle(s.p1, sel, hov);
            plan.Handle(s.p2, sel, hov);
            plan.Handle({s.p1.x, s.p2.y}, sel, hov);
            plan.Handle({s.p2.x, s.p1.y}, sel, hov);
            const ShapeRect r = {std::min(s.p1.x, s.p2.x), std::min(s.p1.y, s.p2.y), std::max(s.p1.x, s.p2.x),
                                 std::max(s.p1.y, s.p2.y)};
            plan.Box(false, r);
            if (in.lineWidth > 1)
                plan.Box(false, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
            break;
        }
        case TOOL_CIRCLE:
            plan.Box(sel, HandleDrawBox(s.p1, in.width, in.height)); // the centre always shows
            plan.Handle(s.p2, sel, hov);
            plan.Line(OverlayPen::Shape, s.p1, s.p2);
            plan.Circle(s.p1, CircleRadius(s.p1, s.p2));
            break;
        case TOOL_CONCENTRIC_CIRCLES: {
            const bool placed = ConcentricThirdPointPlaced(s.p3);
            plan.Box(sel, HandleDrawBox(s.p1, in.width, in.height));
            plan.Handle(placed ? s.p3 : s.p2, sel, hov);
            plan.Line(OverlayPen::Shape, s.p1, placed ? s.p3 : s.p2);
            plan.Circle(s.p1, CircleRadius(s.p1, s.p2));
            if (placed)
                plan.Circle(s.p1, CircleRadius(s.p1, s.p3));
            break;
        }
        case TOOL_ANGLE:
            plan.Handle(s.p1, sel, hov);
            plan.Handle(s.p2, sel, hov);
            plan.Handle(s.p3, sel, hov);
            plan.Line(OverlayPen::Shape, s.p1, s.p2);
            if (ThirdPointPlaced(s.p3))
                plan.Line(OverlayPen::Shape, s.p1, s.p3);
            break;
        case TOOL_PENCIL:
            if (s.points.size() >= 2) {
                plan.Handle(s.points.front(), sel, hov);
                plan.Handle(s.points.back(), sel, hov);
                OverlayItem& item = out.emplace_back();
                item.step = OverlayStep::Polyline;
                item.pen = OverlayPen::Shape;
                item.points = &s.points;
            }
            break;
        case TOOL_ARROW: {
            plan.Handle(s.p1, sel, hov);
            plan.Handle(s.p2, sel, hov);
            plan.Line(OverlayPen::Thick, s.p1, s.p2);
            const ArrowHead head = ArrowHeadCorners(s.p1, s.p2);
            plan.Line(OverlayPen::Thin, head.a, head.b);
            plan.Line(OverlayPen::Thin, head.a, s.p2);
            plan.Line(OverlayPen::Thin, head.b, s.p2);
            OverlayItem& item = out.emplace_back();
            item.step = OverlayStep::FillTriangle;
            item.a = head.a;
            item.b = head.b;
            item.c = s.p2;
            break;
        }
        case TOOL_TEXT: {
            std::wstring text(NoteText(s, in.prompt));
            const ShapeSize extent = metrics.Extent(text);
            const ShapeRect box = {s.p1.x + 2, s.p1.y + 2, s.p1.x + extent.cx + 4, s.p1.y + extent.cy + 4};
            if (sel || hov || drawingForm)
                plan.Box(false, box);
            plan.Text(std::move(text), box);
            break;
        }
        default:
            break;
    }
    plan.Labels(LabelsOfShape(s, kind, in.scale, in.unit));
}

void BuildOverlay(const MeasureState& state, const OverlayInput& in, const TextMetrics& metrics,
                  std::vector<OverlayItem>& out) {
    out.clear();
    Plan plan{in, metrics, out};
    if (CalibrationLineOn(in.calibLineLength)) {
        AddCalibrationLine(state, plan);
        return;
    }
    if (in.crosshair)
        AddCrosshair(plan);
    for (size_t i = 0; i < state.shapes.size(); ++i) {
        const MeasureShape& shape = state.shapes[i];
        AddShape(shape, shape.kind, static_cast<int>(i) == state.selectedIndex,
                 static_cast<int>(i) == state.hoverIndex, false, in, metrics, out);
    }
    if (!PendingShapeShown(state) || state.currentTool == TOOL_DRAG)
        return;
    // A note is shown only between its Init and its OK or Cancel.
    if (state.currentTool == TOOL_TEXT && state.pendingShape.kind != TOOL_TEXT)
        return;
    AddShape(state.pendingShape, state.currentTool, false, false, true, in, metrics, out);
}
