#include "measure/shape_editor.h"

#include "measure/calibration_line.h"
#include "measure/shape_layout.h"
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
        Move((from.x + to.x) / 2, (from.y + to.y) / 2);
        Move(to.x, to.y);
        Up();
    }
    void Tool(int tool) { EditorSelectTool(state, tool); }

    MeasureState state;
    TestView tv;
    RecordingHost host;
};

} // namespace

TEST_F(EditorTest, TwoPointToolsAddTheirShapeOnRelease) {
    for (int tool : {TOOL_LINE, TOOL_RECTANGLE, TOOL_CIRCLE, TOOL_ARROW}) {
        Tool(tool);
        Down(100, 100);
        EXPECT_TRUE(state.buttonDown);
        EXPECT_TRUE(host.captured);
        Move(150, 130);
        Move(700, 130); // beside the picture: ignored
        EXPECT_EQ(state.pendingShape.p2, (ShapePoint{150, 130}));
        Up();
        EXPECT_FALSE(host.captured);
        ASSERT_FALSE(state.shapes.empty());
        const MeasureShape& s = state.shapes.back();
        EXPECT_EQ(s.kind, tool);
        EXPECT_EQ(s.p1, (ShapePoint{100, 100}));
        EXPECT_EQ(s.p2, (ShapePoint{150, 130}));
        EXPECT_EQ(s.handles[0], (ShapeRect{95, 95, 105, 105}));
    }
    EXPECT_EQ(state.shapes.size(), 4u);
    EXPECT_EQ(state.shapes[1].handles[2], (ShapeRect{95, 125, 105, 135})); // rectangle's other corners
    EXPECT_EQ(state.shapes[1].handles[3], (ShapeRect{145, 95, 155, 105}));
}

TEST_F(EditorTest, ThreePointToolsTakeTheirThirdPointFromTheNextClick) {
    for (int tool : {TOOL_PARALLEL_LINES, TOOL_CONCENTRIC_CIRCLES, TOOL_ANGLE}) {
        Tool(tool);
        const size_t before = state.shapes.size();
        Drag({100, 100}, {200, 100});
        EXPECT_EQ(state.pendingPhase, tool);
        EXPECT_EQ(state.shapes.size(), before);
        Move(150, 160, false);
        EXPECT_EQ(state.pendingShape.p3, (ShapePoint{150, 160}));
        Move(-20, 300, false); // beside the picture: p3 stays
        EXPECT_EQ(state.pendingShape.p3, (ShapePoint{150, 160}));
        Down(-50, -50); // the click that fixes it may be anywhere
        EXPECT_EQ(state.pendingPhase, 0);
        ASSERT_EQ(state.shapes.size(), before + 1);
        EXPECT_EQ(state.shapes.back().kind, tool);
        EXPECT_EQ(state.shapes.back().p3, (ShapePoint{150, 160}));
        Up();
        EXPECT_EQ(state.shapes.size(), before + 1);
    }
    // A concentric shape has no box at its inner rim's point.
    EXPECT_EQ(state.shapes[1].handles[1], (ShapeRect{146, 156, 154, 164}));
    EXPECT_TRUE(state.shapes[1].handles[2].IsNone());
}

TEST_F(EditorTest, ChoosingTheSameToolKeepsAHalfDrawnParallelAnotherToolDropsIt) {
    Tool(TOOL_PARALLEL_LINES);
    Drag({10, 10}, {90, 10});
    EXPECT_FALSE(EditorSelectTool(state, TOOL_PARALLEL_LINES));
    EXPECT_EQ(state.pendingPhase, TOOL_PARALLEL_LINES);
    EXPECT_TRUE(EditorSelectTool(state, TOOL_LINE));
    EXPECT_EQ(state.pendingPhase, 0);
    EXPECT_EQ(state.pendingShape.p3, kUnplacedPoint);
    Tool(TOOL_PARALLEL_LINES);
    Down(30, 30); // a new base, not the old shape's third point
    Up();
    EXPECT_TRUE(state.shapes.empty());
}

TEST_F(EditorTest, PencilKeepsEveryMoveAndAClickHasNoHandles) {
    Tool(TOOL_PENCIL);
    Down(10, 10);
    Move(11, 10);
    Move(11, 10);
    Move(900, 10); // beside the picture
    Move(12, 14);
    Up();
    ASSERT_EQ(state.shapes.size(), 1u);
    EXPECT_EQ(state.shapes[0].points, (std::vector<ShapePoint>{{10, 10}, {11, 10}, {11, 10}, {12, 14}}));
    EXPECT_EQ(state.shapes[0].handles[1], (ShapeRect{7, 9, 17, 19}));
    Down(300, 300);
    Up();
    ASSERT_EQ(state.shapes.size(), 2u);
    EXPECT_TRUE(state.shapes[1].handles[0].IsNone());
    Tool(TOOL_DRAG);
    Down(300, 300);
    EXPECT_EQ(state.selectedIndex, -1); // cannot be picked up
}

TEST_F(EditorTest, DragToolSelectsAndMovesTheOldestShapeUnderThePointer) {
    Tool(TOOL_LINE);
    Drag({100, 100}, {200, 200});
    Drag({100, 100}, {300, 100}); // shares the first point
    Tool(TOOL_DRAG);
    Down(102, 98);
    EXPECT_EQ(std::tuple(state.selectedIndex, state.dragTarget, bool(state.buttonDown)),
              std::tuple(0, 0, false));
    Move(112, 103);
    Move(-40, 103); // beside the picture: ignored
    Move(122, 108);
    Up();
    EXPECT_EQ(state.dragTarget, kNoDragTarget);
    EXPECT_EQ(state.shapes[0].p1, (ShapePoint{120, 110}));
    EXPECT_EQ(state.shapes[0].p2, (ShapePoint{220, 210}));
    EXPECT_EQ(state.shapes[0].handles[0], (ShapeRect{115, 105, 125, 115}));
    EXPECT_EQ(state.shapes[1].p1, (ShapePoint{100, 100}));
    EXPECT_EQ(state.selectedIndex, 0);
    EXPECT_TRUE(host.pans.empty());
}

TEST_F(EditorTest, DragToolPansElsewhereAndClearsTheSelection) {
    Tool(TOOL_LINE);
    Drag({100, 100}, {200, 200});
    Tool(TOOL_DRAG);
    Down(100, 100);
    Up();
    ASSERT_EQ(state.selectedIndex, 0);
    Down(400, 400);
    EXPECT_EQ(state.selectedIndex, -1);
    EXPECT_TRUE(state.buttonDown);
    Move(410, 395);
    Move(-60, 395); // panning goes on beside the picture, in client pixels
    Up();
    const int mx = tv.MarginX(), my = tv.MarginY();
    EXPECT_EQ(host.pans, (std::vector<ShapePoint>{{410 + mx, 395 + my}, {-60 + mx, 395 + my}}));
    EXPECT_EQ(state.lastMousePoint, (ShapePoint{-60 + mx, 395 + my}));
    EXPECT_FALSE(state.buttonDown);
    EXPECT_EQ(state.shapes[0].p1, (ShapePoint{100, 100}));
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

TEST_F(EditorTest, HoverFollowsThePointerWithTheDragToolOnly) {
    Tool(TOOL_CIRCLE);
    Drag({100, 100}, {150, 100});
    Move(100, 100, false);
    EXPECT_EQ(state.hoverIndex, -1);
    Tool(TOOL_DRAG);
    host.redraws = 0;
    Move(101, 99, false);
    EXPECT_EQ(state.hoverIndex, 0);
    EXPECT_EQ(host.redraws, 1);
    Move(102, 99, false);
    EXPECT_EQ(host.redraws, 1); // no change, no redraw
    Move(-10, 99, false);
    EXPECT_EQ(state.hoverIndex, 0); // beside the picture: unchanged
    Move(300, 300, false);
    EXPECT_EQ(state.hoverIndex, -1);
}

TEST_F(EditorTest, DeleteSelectedLeavesAHigherHoverIndexAsItIs) {
    Tool(TOOL_LINE);
    for (int i = 0; i < 4; ++i)
        Drag({20 + 50 * i, 50}, {20 + 50 * i, 90});
    state.selectedIndex = 1;
    state.hoverIndex = 3;
    EXPECT_TRUE(DeleteSelectedShape(state));
    EXPECT_EQ(state.shapes.size(), 3u);
    EXPECT_EQ(state.shapes[1].p1.x, 120);
    EXPECT_EQ(state.selectedIndex, -1);
    EXPECT_EQ(state.hoverIndex, 3);
    EXPECT_FALSE(DeleteSelectedShape(state)); // nothing selected
    state.selectedIndex = 2;
    state.hoverIndex = 2;
    EXPECT_TRUE(DeleteSelectedShape(state));
    EXPECT_EQ(state.hoverIndex, -1);
    state.selectedIndex = 7; // stale index: nothing happens
    EXPECT_FALSE(DeleteSelectedShape(state));
    EXPECT_EQ(state.shapes.size(), 2u);
}

TEST_F(EditorTest, DeleteLastAndDeleteAll) {
    EXPECT_FALSE(DeleteLastShape(state));
    EXPECT_FALSE(DeleteAllShapes(state));
    Tool(TOOL_LINE);
    for (int i = 0; i < 3; ++i)
        Drag({20 + 50 * i, 50}, {20 + 50 * i, 90});
    state.selectedIndex = 2;
    state.hoverIndex = 1;
    EXPECT_TRUE(DeleteLastShape(state));
    EXPECT_EQ(state.selectedIndex, -1);
    EXPECT_EQ(state.hoverIndex, 1);
    state.selectedIndex = 0;
    EXPECT_TRUE(DeleteLastShape(state));
    EXPECT_EQ(state.hoverIndex, -1);
    EXPECT_EQ(state.selectedIndex, 0);
    EXPECT_TRUE(DeleteAllShapes(state));
    EXPECT_TRUE(state.shapes.empty());
    EXPECT_EQ(state.selectedIndex, -1);
    EXPECT_EQ(state.hoverIndex, -1);
}

TEST_F(EditorTest, DeletingTheShapeBeingDraggedEndsTheDrag) {
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

TEST_F(EditorTest, CalibrationLineEndsDragWithinTheirLimits) {
    tv.calibLineLength = kCalibLineNew;
    Tool(TOOL_LINE);
    Move(170, 200, false); // over the left bar: laid out, and the end shows it can be grabbed
    EXPECT_EQ(tv.calibLineLength, 300);
    EXPECT_EQ(std::tuple(state.calibLeftX, state.calibRightX, bool(state.calibHoverLeft),
                         bool(state.calibHoverRight)),
              std::tuple(170, 470, true, false));

    Down(171, 200);
    EXPECT_EQ(state.calibGrab, TOOL_CALIB_LEFT_END);
    Move(300, 200); // would leave 171 pixels
    EXPECT_EQ(state.calibLeftX, 170);
    Move(270, 200);
    EXPECT_EQ(state.calibLeftX, 269);
    EXPECT_EQ(tv.calibLineLength, 201);
    Move(272, 200);
    Move(271, 200);
    EXPECT_EQ(state.calibLeftX, 270);
    EXPECT_EQ(tv.calibLineLength, 200);
    Move(0, 200); // x 0 would be the picture's edge
    EXPECT_EQ(state.calibLeftX, 270);
    Move(2, 200);
    EXPECT_EQ(state.calibLeftX, 1);
    EXPECT_EQ(tv.calibLineLength, 469);
    Up();
    EXPECT_EQ(state.calibGrab, 0);
    EXPECT_TRUE(state.shapes.empty()); // the press drew nothing
    EXPECT_EQ(state.currentTool, TOOL_LINE);

    // The right end, grabbed two pixels left of its bar, stops one pixel short of the edge.
    Down(468, 240);
    EXPECT_EQ(state.calibGrab, TOOL_CALIB_RIGHT_END);
    Move(639, 240);
    EXPECT_EQ(state.calibRightX, 470);
    Move(637, 240);
    EXPECT_EQ(state.calibRightX, 639);
    EXPECT_EQ(tv.calibLineLength, 638);
    Up();

    // A press away from both ends moves nothing.
    Down(320, 240);
    EXPECT_EQ(state.calibGrab, 0);
    Move(330, 240);
    Up();
    EXPECT_EQ(state.calibLeftX, 1);
    EXPECT_EQ(state.calibRightX, 639);

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
