// The shape editor where the random-gesture model does not reach: redraws, the point a pan is taken
// from, the view away from 1:1, deletions during a drag, notes and the calibration line.
#include "measure/shape_editor.h"

#include "measure/calibration_line.h"
#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// A 640 x 480 picture centred in an 800 x 600 window; events are given in content pixels.
class EditorTest : public testing::Test {
protected:
    void Down(int x, int y) { EditorMouseDown(state, tv.view, host, x + tv.MarginX(), y + tv.MarginY()); }
    void Move(int x, int y, bool held = true) {
        EditorMouseMove(state, tv.view, host, held, x + tv.MarginX(), y + tv.MarginY());
    }
    void Up() { EditorMouseUp(state, tv.view, host); }
    void Drag(ShapePoint from, ShapePoint to) {
        Down(from.x, from.y);
        Move(to.x, to.y);
        Up();
    }
    void Tool(int tool) { EditorSelectTool(state, tool); }
    ShapePoint Client(int x, int y) const { return {x + tv.MarginX(), y + tv.MarginY()}; }

    MeasureState state;
    TestView tv;
    RecordingHost host;
};

} // namespace

// The view pans by the pointer's way since the last point, in client pixels, so each press and
// move leaves its point behind; hovering redraws only when the shape under the pointer changes.
TEST_F(EditorTest, PanningKeepsTheLastClientPointAndHoverRedrawsOnChange) {
    Tool(TOOL_CIRCLE);
    Drag({100, 100}, {150, 100});
    Tool(TOOL_DRAG);
    Down(400, 400);
    EXPECT_EQ(state.lastMousePoint, Client(400, 400));
    Move(410, 395);
    EXPECT_EQ(state.lastMousePoint, Client(410, 395));
    Up();
    host.redraws = 0;
    Move(101, 99, false);
    Move(102, 99, false);
    EXPECT_EQ(std::tuple(state.hoverIndex, host.redraws), std::tuple(0, 1));
}

// At a zoom other than 100 % or a digital zoom step nothing is drawn and the drag tool only pans.
TEST_F(EditorTest, AwayFromOneToOneNothingIsDrawnAndTheDragToolOnlyPans) {
    Tool(TOOL_LINE);
    Drag({100, 100}, {200, 200});
    tv.view.measuring = false;
    Down(100, 100);
    EXPECT_FALSE(state.buttonDown);
    Up();
    EXPECT_EQ(state.shapes.size(), 1u);
    Tool(TOOL_DRAG);
    Down(100, 100);
    EXPECT_EQ(state.selectedIndex, -1);
    EXPECT_TRUE(state.buttonDown);
}

TEST_F(EditorTest, DeletingDuringADragFollowsOrEndsTheDraggedShape) {
    Tool(TOOL_LINE);
    Drag({100, 100}, {200, 100});
    Drag({100, 300}, {200, 300});
    Tool(TOOL_DRAG);
    Down(200, 300);
    ASSERT_EQ(state.dragTarget, 1);
    state.selectedIndex = 0;
    DeleteSelectedShape(state); // the dragged shape moves down a place
    EXPECT_EQ(state.dragTarget, 0);
    Move(210, 300);
    EXPECT_EQ(state.shapes[0].p2, (ShapePoint{210, 300}));
    state.selectedIndex = 7; // a stale index deletes nothing
    EXPECT_FALSE(DeleteSelectedShape(state));
    DeleteLastShape(state);
    EXPECT_EQ(state.dragTarget, kNoDragTarget);
    Move(220, 300); // nothing left to move
    Up();
}

TEST_F(EditorTest, TextNoteIsPlacedDraggedAndAddedOnOk) {
    Tool(TOOL_TEXT);
    state.pendingPhase = kPhaseTextInput;
    tv.view.scrollY = 0;
    EditorTextCommand(state, tv.view, host.metrics, kNoteStart);
    EXPECT_EQ(state.pendingShape.kind, TOOL_TEXT);
    EXPECT_EQ(state.pendingShape.p1, (ShapePoint{220, 138}));
    SetNoteText(state, L"nucleus");
    // Pressing inside the note (7 characters: 49 + 4 wide) drags it.
    Down(260, 150);
    EXPECT_EQ(state.dragTarget, kDragPendingShape);
    Move(280, 170);
    Up();
    EXPECT_EQ(state.pendingShape.p1, (ShapePoint{240, 158}));
    Down(300, 150); // beside the note: nothing
    EXPECT_EQ(state.dragTarget, kNoDragTarget);
    Up();
    EditorTextCommand(state, tv.view, host.metrics, kNoteAdd);
    ASSERT_EQ(state.shapes.size(), 1u);
    EXPECT_EQ(state.shapes[0].text, L"nucleus");
    EXPECT_EQ(state.shapes[0].handles[0], (ShapeRect{240, 158, 240 + 49 + 4, 158 + 16 + 4}));
}

TEST_F(EditorTest, EmptyNoteOrCancelAddsNothing) {
    Tool(TOOL_TEXT);
    EditorTextCommand(state, tv.view, host.metrics, kNoteStart);
    EditorTextCommand(state, tv.view, host.metrics, kNoteAdd);
    EXPECT_TRUE(state.shapes.empty());
    EXPECT_EQ(state.pendingShape.kind, 0);
    EditorTextCommand(state, tv.view, host.metrics, kNoteStart);
    SetNoteText(state, std::wstring(300, L'a'));
    EXPECT_EQ(state.pendingShape.text.size(), 255u);
    EditorTextCommand(state, tv.view, host.metrics, kNoteCancel);
    EXPECT_TRUE(state.shapes.empty());
    EXPECT_TRUE(state.pendingShape.text.empty());
    // The empty note's box is the prompt's.
    EditorTextCommand(state, tv.view, host.metrics, kNoteStart);
    Down(220 + 27 * 7 + 3, 140);
    EXPECT_EQ(state.dragTarget, kDragPendingShape);
}

// The ends' limits are the calibration line's own; here, that the editor grabs, moves and
// redraws the right end and measures each move from the last point the end was moved to.
TEST_F(EditorTest, CalibrationLineEndsAreGrabbedAndDraggedInsteadOfDrawing) {
    tv.calibLineLength = kCalibLineNew;
    Tool(TOOL_LINE);
    Move(170, 200, false); // over the left bar: laid out, and the end shows it can be grabbed
    EXPECT_EQ(tv.calibLineLength, 300);
    EXPECT_EQ(std::tuple(state.calibLeftX, state.calibRightX, bool(state.calibHoverLeft),
                         bool(state.calibHoverRight)),
              std::tuple(170, 470, true, false));

    Down(171, 200);
    EXPECT_EQ(state.calibGrab, TOOL_CALIB_LEFT_END);
    host.redraws = 0;
    Move(300, 200); // would leave 171 pixels
    EXPECT_EQ(std::tuple(state.calibLeftX, host.redraws), std::tuple(170, 0));
    Move(270, 200);
    EXPECT_EQ(std::tuple(state.calibLeftX, tv.calibLineLength, host.redraws), std::tuple(269, 201, 1));
    Move(271, 200); // one pixel on from 270, not from the press
    EXPECT_EQ(std::tuple(state.calibLeftX, tv.calibLineLength), std::tuple(270, 200));
    Up();
    EXPECT_EQ(state.calibGrab, 0);
    EXPECT_TRUE(state.shapes.empty()); // the press drew nothing
    EXPECT_EQ(state.currentTool, TOOL_LINE);

    // The right end, grabbed two pixels left of its bar, stops one pixel short of the edge.
    Down(468, 240);
    EXPECT_EQ(state.calibGrab, TOOL_CALIB_RIGHT_END);
    Move(638, 240); // refused: the next move is measured from the press
    Move(637, 240);
    EXPECT_EQ(std::tuple(state.calibRightX, tv.calibLineLength), std::tuple(639, 369));
    Up();

    // A press away from both ends moves nothing.
    Down(320, 240);
    EXPECT_EQ(state.calibGrab, 0);
    Move(330, 240);
    Up();
    EXPECT_EQ(std::tuple(state.calibLeftX, state.calibRightX), std::tuple(270, 639));

    // Off again: the tool draws as before.
    tv.calibLineLength = 0;
    Drag({10, 10}, {20, 20});
    EXPECT_EQ(state.shapes.size(), 1u);
}

TEST_F(EditorTest, RightEndWinsWhereBothGrabBoxesHoldThePoint) {
    tv.calibLineLength = 200;
    state.calibLeftX = 100;
    state.calibRightX = 103; // not a real line, but both boxes overlap at x 101..102
    Down(102, 240);
    EXPECT_EQ(state.calibGrab, TOOL_CALIB_RIGHT_END);
}
