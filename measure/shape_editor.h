// The shape editor: how presses, moves and releases of the left mouse button on the camera view
// draw, select, drag and pan, the calibration line's end bars while a calibration is taken, the
// text note being placed, and deleting shapes. Pure code: the view feeds it events and its
// geometry and carries out what it asks for through EditorHost.
#pragma once

#include "measure/shape_model.h"

#include <string_view>
#include <vector>

inline constexpr int kNoDragTarget = -1;
inline constexpr int kDragPendingShape = -2; // the text note being placed

// What the editor waits for besides a press: the third point of a three-point tool, which follows
// the pointer, or the note being typed. The numbers are the tools'.
enum PendingPhase : int {
    kPhaseNone = 0,
    kPhaseParallelLines = TOOL_PARALLEL_LINES,
    kPhaseConcentricCircles = TOOL_CONCENTRIC_CIRCLES,
    kPhaseAngle = TOOL_ANGLE,
    kPhaseTextInput = TOOL_TEXT,
};

// The text note's commands (view command 8005, lParam): place it, add it, drop it. Any other
// number drops it too.
enum NoteCommand : int {
    kNoteStart = 0,
    kNoteAdd = 1,
    kNoteCancel = 2,
};

// The measurement state of one camera view.
struct MeasureState {
    std::vector<MeasureShape> shapes; // finished shapes, oldest first
    int currentTool = TOOL_DRAG;
    MeasureShape pendingShape;      // the shape being drawn, or the note being typed
    PendingPhase pendingPhase = kPhaseNone;
    bool buttonDown = false;        // pressed on the picture to draw, or to pan with the Drag tool
    int dragTarget = kNoDragTarget; // index into shapes, kDragPendingShape, or none
    int selectedIndex = -1;
    int hoverIndex = -1;
    ShapePoint lastMousePoint; // content pixels while dragging, client pixels while panning
    ShapePoint currentPoint;   // last converted pointer position while drawing

    // The calibration line (its length is the view's calibLineLength).
    int calibLeftX = 0;
    int calibRightX = 0;
    bool calibHoverLeft = false;
    bool calibHoverRight = false;
    bool calibPress = false; // the button went down while the line was shown
    int calibGrab = 0;       // TOOL_CALIB_LEFT_END or TOOL_CALIB_RIGHT_END while an end is dragged
};

struct ContentPoint {
    int x = 0;
    int y = 0;
    bool inside = false;
};

// The content pixel under a window point, for a picture shown `margin` pixels in from the window's
// edges (centred in a larger window) and scrolled by `scroll`.
ContentPoint ContentPointAt(int x, int y, int marginX, int marginY, int scrollX, int scrollY,
                            int contentWidth, int contentHeight);

// What the editor needs of the view at each event.
struct EditorView {
    int contentWidth = 0;
    int contentHeight = 0;
    int marginX = 0; // where the view shows a picture smaller than its window: centred
    int marginY = 0;
    int scrollX = 0;
    int scrollY = 0;
    bool measuring = true;          // zoom 100 % and no digital zoom: shapes shown and editable
    int* calibLineLength = nullptr; // the view's; 0 = no calibration line
    std::wstring_view prompt;       // shown by a note without text
};

// What the editor asks of the view.
class EditorHost : public TextMetrics {
public:
    virtual void PanBy(int x, int y) = 0; // client point; the picture follows the pointer
    virtual void RedrawNow() = 0;         // compose and show at once
    virtual void Invalidate() = 0;        // repaint soon, without erasing
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
};

// Mouse events at client point (x, y).
void EditorMouseDown(MeasureState& s, const EditorView& v, EditorHost& host, int x, int y);
void EditorMouseMove(MeasureState& s, const EditorView& v, EditorHost& host, bool leftHeld, int x, int y);
void EditorMouseUp(MeasureState& s, const EditorView& v, EditorHost& host);

// A new tool (view command 8002): abandons a drawing in progress and the note. False when the tool
// is the current one (nothing changes then).
bool EditorSelectTool(MeasureState& s, int tool);

// The text note (view command 8005): "Init" shows it at its start place, "OK" adds it when it has
// a text, anything else drops it.
void EditorTextCommand(MeasureState& s, const EditorView& v, const TextMetrics& metrics, NoteCommand command);
// The note's text as typed (at most kShapeTextMax characters are kept).
void SetNoteText(MeasureState& s, std::wstring_view text);

// Deleting shapes; each returns whether anything was removed.
bool DeleteSelectedShape(MeasureState& s); // Delete / Backspace
bool DeleteLastShape(MeasureState& s);
bool DeleteAllShapes(MeasureState& s);
// The picture went away: no shapes, selection, hover or drag.
void ClearShapes(MeasureState& s);

// Lays out a new calibration line (the view's calibLineLength above kCalibLineNewAbove).
void LayoutCalibrationLineOf(MeasureState& s, int& calibLineLength, int contentWidth);

// Whether the shape in progress is drawn (a drawing under way, a third point or a note pending).
bool PendingShapeShown(const MeasureState& s);
