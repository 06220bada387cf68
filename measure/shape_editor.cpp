#include "measure/shape_editor.h"

#include "measure/calibration_line.h"
#include "measure/shape_layout.h"

namespace {

bool IsThreePointTool(int tool) {
    return tool == TOOL_PARALLEL_LINES || tool == TOOL_CONCENTRIC_CIRCLES || tool == TOOL_ANGLE;
}

bool IsTwoPointTool(int tool) {
    return tool == TOOL_LINE || tool == TOOL_RECTANGLE || tool == TOOL_CIRCLE || tool == TOOL_ARROW;
}

bool IsDrawingTool(int tool) {
    return IsTwoPointTool(tool) || IsThreePointTool(tool) || tool == TOOL_PENCIL;
}

ContentPoint Convert(const EditorView& v, int x, int y) {
    return ContentPointAt(x, y, v.marginX, v.marginY, v.scrollX, v.scrollY, v.contentWidth, v.contentHeight);
}

bool CalibrationLineShown(const EditorView& v) {
    return v.calibLineLength && CalibrationLineOn(*v.calibLineLength);
}

void Append(MeasureState& s, const EditorView& v, const TextMetrics& metrics) {
    LayoutShape(s.pendingShape, metrics, v.prompt);
    s.shapes.push_back(s.pendingShape);
}

MeasureShape* DragTargetShape(MeasureState& s) {
    if (s.dragTarget == kDragPendingShape)
        return &s.pendingShape;
    if (s.dragTarget >= 0 && static_cast<size_t>(s.dragTarget) < s.shapes.size())
        return &s.shapes[static_cast<size_t>(s.dragTarget)];
    return nullptr;
}

// Shape `removed` left the list: a drag of it ends, a drag of a later one follows it down.
void ShapeRemoved(MeasureState& s, int removed) {
    if (s.dragTarget == removed)
        s.dragTarget = kNoDragTarget;
    else if (s.dragTarget > removed)
        --s.dragTarget;
}

void CalibrationMouseDown(MeasureState& s, const EditorView& v, int x, int y) {
    LayoutCalibrationLineOf(s, *v.calibLineLength, v.contentWidth);
    const ContentPoint p = Convert(v, x, y);
    s.lastMousePoint = {p.x, p.y};
    if (!p.inside)
        return;
    s.buttonDown = true;
    s.calibPress = true;
    if (CalibrationGrabBoxAt(s.calibLeftX, v.contentHeight).Contains(p.x, p.y))
        s.calibGrab = TOOL_CALIB_LEFT_END;
    if (CalibrationGrabBoxAt(s.calibRightX, v.contentHeight).Contains(p.x, p.y))
        s.calibGrab = TOOL_CALIB_RIGHT_END; // the right end wins where both boxes hold the point
}

void CalibrationMouseMove(MeasureState& s, const EditorView& v, EditorHost& host, int x, int y) {
    LayoutCalibrationLineOf(s, *v.calibLineLength, v.contentWidth);
    const ContentPoint p = Convert(v, x, y);
    if (!p.inside)
        return;
    if (s.calibGrab == TOOL_CALIB_LEFT_END || s.calibGrab == TOOL_CALIB_RIGHT_END) {
        CalibrationLine line = {*v.calibLineLength, s.calibLeftX, s.calibRightX};
        const int dx = p.x - s.lastMousePoint.x;
        const bool moved = s.calibGrab == TOOL_CALIB_LEFT_END
                               ? DragCalibrationLeftEnd(line, dx)
                               : DragCalibrationRightEnd(line, dx, v.contentWidth);
        if (!moved)
            return;
        s.lastMousePoint.x = p.x;
        *v.calibLineLength = line.length;
        s.calibLeftX = line.leftX;
        s.calibRightX = line.rightX;
        host.RedrawNow();
        return;
    }
    const bool left = CalibrationGrabBoxAt(s.calibLeftX, v.contentHeight).Contains(p.x, p.y);
    const bool right = CalibrationGrabBoxAt(s.calibRightX, v.contentHeight).Contains(p.x, p.y);
    if (left != s.calibHoverLeft || right != s.calibHoverRight) {
        s.calibHoverLeft = left;
        s.calibHoverRight = right;
        host.RedrawNow();
    }
}

} // namespace

void LayoutCalibrationLineOf(MeasureState& s, int& calibLineLength, int contentWidth) {
    if (calibLineLength <= kCalibLineNewAbove)
        return;
    const CalibrationLine line = LayoutCalibrationLine({calibLineLength, 0, 0}, contentWidth);
    calibLineLength = line.length;
    s.calibLeftX = line.leftX;
    s.calibRightX = line.rightX;
}

void EditorMouseDown(MeasureState& s, const EditorView& v, EditorHost& host, int x, int y) {
    // A click fixes the third point that has been following the pointer, wherever it is.
    if (IsThreePointTool(s.currentTool) && s.pendingPhase == s.currentTool) {
        s.pendingPhase = kPhaseNone;
        Append(s, v, host);
        host.Invalidate();
        return;
    }
    if (CalibrationLineShown(v)) {
        CalibrationMouseDown(s, v, x, y);
        if (s.buttonDown)
            host.CaptureMouse();
        return;
    }
    if (s.currentTool == TOOL_DRAG) {
        const ContentPoint p = Convert(v, x, y);
        s.lastMousePoint = {p.x, p.y};
        if (!p.inside)
            return;
        // Shapes are shown, and so can be grabbed, only at 1:1; otherwise a press always pans.
        const int hit = v.measuring ? HitTestShapes(s.shapes, {p.x, p.y}) : -1;
        if (hit >= 0) {
            s.selectedIndex = hit;
            s.dragTarget = hit;
        } else {
            s.selectedIndex = -1;
            s.buttonDown = true;
            s.lastMousePoint = {x, y};
        }
        host.CaptureMouse();
        host.Invalidate();
        return;
    }
    if (!v.measuring)
        return;
    if (s.currentTool == TOOL_TEXT) {
        const ContentPoint p = Convert(v, x, y);
        s.lastMousePoint = {p.x, p.y};
        if (!p.inside)
            return;
        LayoutShape(s.pendingShape, host, v.prompt);
        if (s.pendingShape.handles[0].Contains({p.x, p.y})) {
            s.dragTarget = kDragPendingShape;
            host.CaptureMouse();
        }
        return;
    }
    const ContentPoint p = Convert(v, x, y);
    s.currentPoint = {p.x, p.y};
    if (!p.inside)
        return;
    host.CaptureMouse();
    s.buttonDown = true;
    if (IsDrawingTool(s.currentTool)) {
        MeasureShape& pending = s.pendingShape;
        pending.kind = s.currentTool;
        pending.p1 = pending.p2 = s.currentPoint;
        pending.p3 = kUnplacedPoint;
        pending.points.clear();
        pending.text.clear();
        if (s.currentTool == TOOL_PENCIL)
            pending.points.push_back(s.currentPoint);
    }
    s.pendingPhase = kPhaseNone;
    host.Invalidate();
}

void EditorMouseMove(MeasureState& s, const EditorView& v, EditorHost& host, bool leftHeld, int x, int y) {
    if (CalibrationLineShown(v)) {
        CalibrationMouseMove(s, v, host, x, y);
        return;
    }
    if (MeasureShape* target = DragTargetShape(s)) {
        const ContentPoint p = Convert(v, x, y);
        if (p.inside && v.measuring) {
            MoveShape(*target, p.x - s.lastMousePoint.x, p.y - s.lastMousePoint.y, host, v.prompt);
            s.lastMousePoint = {p.x, p.y};
            host.RedrawNow();
        }
    }
    if (!s.buttonDown) {
        if (!leftHeld && s.currentTool == TOOL_DRAG) {
            const ContentPoint p = Convert(v, x, y);
            if (!p.inside || !v.measuring)
                return;
            const int hit = HitTestShapes(s.shapes, {p.x, p.y});
            if (hit != s.hoverIndex) {
                s.hoverIndex = hit;
                host.RedrawNow();
            }
            return;
        }
        if (leftHeld)
            return;
    }
    if (!leftHeld) {
        // Button up with a three-point tool: the third point follows the pointer.
        if (s.pendingPhase == kPhaseParallelLines || s.pendingPhase == kPhaseConcentricCircles ||
            s.pendingPhase == kPhaseAngle) {
            const ContentPoint p = Convert(v, x, y);
            s.currentPoint = {p.x, p.y};
            if (p.inside && v.measuring) {
                s.pendingShape.p3 = s.currentPoint;
                host.RedrawNow();
            }
        }
        return;
    }
    if (s.currentTool != TOOL_DRAG) {
        const ContentPoint p = Convert(v, x, y);
        s.currentPoint = {p.x, p.y};
        if (!p.inside || !v.measuring)
            return;
        if (s.currentTool == TOOL_PENCIL)
            s.pendingShape.points.push_back(s.currentPoint);
        else if (IsTwoPointTool(s.currentTool) || IsThreePointTool(s.currentTool) ||
                 s.currentTool == TOOL_TEXT)
            s.pendingShape.p2 = s.currentPoint;
        host.RedrawNow();
        return;
    }
    host.PanBy(x, y);
    s.lastMousePoint = {x, y};
}

void EditorMouseUp(MeasureState& s, const EditorView& v, EditorHost& host) {
    host.ReleaseMouse();
    s.dragTarget = kNoDragTarget;
    if (!s.buttonDown)
        return;
    s.buttonDown = false;
    if (s.calibPress || CalibrationLineShown(v)) {
        // The tool in use before stays current, as the toolbar still shows it.
        s.calibPress = false;
        s.calibGrab = 0;
        return;
    }
    if (IsTwoPointTool(s.currentTool) || s.currentTool == TOOL_PENCIL) {
        Append(s, v, host);
    } else if (IsThreePointTool(s.currentTool)) {
        s.pendingPhase = static_cast<PendingPhase>(s.currentTool); // a three-point tool
    }
    host.Invalidate();
}

bool EditorSelectTool(MeasureState& s, int tool) {
    if (tool == s.currentTool)
        return false;
    s.currentTool = tool;
    s.pendingPhase = kPhaseNone;
    s.pendingShape.p3 = kUnplacedPoint;
    s.pendingShape.points.clear();
    s.pendingShape.p1 = s.pendingShape.p2 = {0, 0};
    s.pendingShape.text.clear();
    // A drawing in progress is abandoned; a shape being dragged keeps going.
    s.buttonDown = false;
    if (s.dragTarget == kDragPendingShape)
        s.dragTarget = kNoDragTarget;
    return true;
}

void EditorTextCommand(MeasureState& s, const EditorView& v, const TextMetrics& metrics,
                       NoteCommand command) {
    if (command == kNoteStart) {
        s.pendingShape.kind = TOOL_TEXT;
        s.pendingShape.p1 = {v.contentWidth / 2 - 100, v.scrollY + 138};
        s.pendingShape.p2 = {0, 0};
        return;
    }
    if (command == kNoteAdd && !s.pendingShape.text.empty()) {
        Append(s, v, metrics);
        return;
    }
    s.pendingShape.kind = 0;
    s.pendingShape.p1 = s.pendingShape.p2 = {0, 0};
    s.pendingShape.text.clear();
    if (s.dragTarget == kDragPendingShape)
        s.dragTarget = kNoDragTarget;
}

void SetNoteText(MeasureState& s, std::wstring_view text) {
    s.pendingShape.text.assign(text.substr(0, kShapeTextMax));
}

bool DeleteSelectedShape(MeasureState& s) {
    const int i = s.selectedIndex;
    if (i < 0 || static_cast<size_t>(i) >= s.shapes.size())
        return false;
    s.shapes.erase(s.shapes.begin() + i);
    ShapeRemoved(s, i);
    if (s.hoverIndex == i)
        s.hoverIndex = -1;
    s.selectedIndex = -1;
    return true;
}

bool DeleteLastShape(MeasureState& s) {
    if (s.shapes.empty())
        return false;
    s.shapes.pop_back();
    const int n = static_cast<int>(s.shapes.size());
    ShapeRemoved(s, n);
    if (s.hoverIndex == n)
        s.hoverIndex = -1;
    if (s.selectedIndex == n)
        s.selectedIndex = -1;
    return true;
}

bool DeleteAllShapes(MeasureState& s) {
    if (s.shapes.empty())
        return false;
    s.shapes.clear();
    if (s.dragTarget >= 0)
        s.dragTarget = kNoDragTarget;
    s.hoverIndex = s.selectedIndex = -1;
    return true;
}

void ClearShapes(MeasureState& s) {
    s.shapes.clear();
    s.dragTarget = kNoDragTarget;
    s.selectedIndex = s.hoverIndex = -1;
    s.buttonDown = false;
    s.calibPress = false;
    s.calibGrab = 0;
}

bool PendingShapeShown(const MeasureState& s) {
    return s.buttonDown || s.pendingPhase == kPhaseParallelLines ||
           s.pendingPhase == kPhaseConcentricCircles || s.pendingPhase == kPhaseAngle ||
           s.pendingPhase == kPhaseTextInput;
}

ContentPoint ContentPointAt(int x, int y, int marginX, int marginY, int scrollX, int scrollY,
                            int contentWidth, int contentHeight) {
    ContentPoint p;
    p.x = x + scrollX - marginX;
    p.y = y + scrollY - marginY;
    p.inside = p.x >= 0 && p.x < contentWidth && p.y >= 0 && p.y < contentHeight;
    return p;
}
