#include "measure/overlay_plan.h"

#include "measure/calibration_line.h"
#include "measure/labels.h"
#include "measure/shape_geometry.h"
#include "measure/shape_layout.h"
#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class OverlayTest : public testing::Test {
protected:
    OverlayTest() {
        in.width = 640;
        in.height = 480;
        in.scale = 100.0f;
        in.unit = L"mm";
        in.lineWidth = 2;
        in.prompt = L" Input text, drag to move. ";
    }

    std::vector<OverlayItem> Build() {
        std::vector<OverlayItem> out;
        BuildOverlay(state, in, metrics, out);
        return out;
    }
    std::vector<OverlayItem> One(const MeasureShape& s, bool selected = false, bool hovered = false,
                                 bool drawingForm = false) {
        std::vector<OverlayItem> out;
        AddShape(s, s.kind, selected, hovered, drawingForm, in, metrics, out);
        return out;
    }

    MeasureState state;
    OverlayInput in;
    FakeMetrics metrics;
};

int Count(const std::vector<OverlayItem>& items, OverlayStep step) {
    return static_cast<int>(
        std::count_if(items.begin(), items.end(), [step](const OverlayItem& i) { return i.step == step; }));
}

std::vector<std::wstring> Texts(const std::vector<OverlayItem>& items) {
    std::vector<std::wstring> texts;
    for (const OverlayItem& i : items) {
        if (i.step == OverlayStep::Text)
            texts.push_back(i.text);
    }
    return texts;
}

bool HasLine(const std::vector<OverlayItem>& items, OverlayPen pen, ShapePoint a, ShapePoint b) {
    return std::any_of(items.begin(), items.end(), [&](const OverlayItem& i) {
        return i.step == OverlayStep::Line && i.pen == pen && i.a == a && i.b == b;
    });
}

} // namespace

TEST_F(OverlayTest, CalibrationModeDrawsOnlyTheLineWithItsLabel) {
    state.shapes.push_back(MakeShape(TOOL_LINE, {10, 10}, {100, 100}));
    in.crosshair = true;
    int length = kCalibLineNew;
    LayoutCalibrationLineOf(state, length, 640);
    in.calibLineLength = length;
    const auto items = Build();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(HasLine(items, OverlayPen::CalibLine, {170, 240}, {470, 240}));
    EXPECT_TRUE(HasLine(items, OverlayPen::CalibThin, {170, 180}, {170, 300}));
    EXPECT_TRUE(HasLine(items, OverlayPen::CalibThin, {470, 180}, {470, 300}));
    EXPECT_EQ(items[3].text, L"300 pixels");
    EXPECT_EQ(items[3].rect, (ShapeRect{174, 244, 174 + 70, 244 + 16}));

    // The end under the pointer gets four triangles pointing at its bar, three strokes each.
    state.calibHoverRight = true;
    const auto hovered = Build();
    EXPECT_EQ(hovered.size(), 4u + 12u);
    EXPECT_TRUE(HasLine(hovered, OverlayPen::CalibThin, {474, 210}, {478, 206}));
    EXPECT_TRUE(HasLine(hovered, OverlayPen::CalibThin, {466, 270}, {462, 274}));
    EXPECT_TRUE(HasLine(hovered, OverlayPen::CalibThin, {462, 266}, {462, 274}));
}

// Uncalibrated (ticks every ten pixels) or above two million pixels a unit (no ruler): the cross-hair
// is its segments alone, without a step label.
TEST_F(OverlayTest, CrosshairWithoutARulerStepHasNoStepLabel) {
    in.crosshair = true;
    for (const float scale : {-1.0f, 2.5e6f}) {
        in.scale = scale;
        in.ruler = ComputeRulerStep(scale);
        std::vector<Segment> segments;
        CrosshairSegments(in.width, in.height, scale, in.ruler, segments);
        const auto items = Build();
        EXPECT_EQ(items.size(), segments.size()) << scale;
        EXPECT_EQ(items.size(), scale < 0 ? 2u + 46u + 62u : 2u);
        EXPECT_TRUE(Texts(items).empty());
    }
}

TEST_F(OverlayTest, HandlesOnlyWhenSelectedFilledOrHoveredOutlined) {
    const MeasureShape line = MakeShape(TOOL_LINE, {3, 100}, {200, 476});
    EXPECT_EQ(Count(One(line), OverlayStep::FillBox) + Count(One(line), OverlayStep::FrameBox), 0);
    const auto selected = One(line, true, true);
    EXPECT_EQ(Count(selected, OverlayStep::FillBox), 2);
    EXPECT_EQ(selected[0].rect, (ShapeRect{0, 95, 8, 105})); // clipped to the picture
    EXPECT_EQ(selected[1].rect, (ShapeRect{195, 471, 205, 480}));
    EXPECT_EQ(Count(One(line, false, true), OverlayStep::FrameBox), 2);
    // Handles come before the outline.
    EXPECT_EQ(selected[2].step, OverlayStep::Line);
}

TEST_F(OverlayTest, LineTicksAreLongWhileDrawing) {
    const MeasureShape line = MakeShape(TOOL_LINE, {100, 100}, {300, 100});
    EXPECT_TRUE(HasLine(One(line), OverlayPen::Thin, {100, 88}, {100, 112}));
    EXPECT_TRUE(HasLine(One(line, false, false, true), OverlayPen::Thin, {300, 68}, {300, 132}));
    EXPECT_TRUE(HasLine(One(line), OverlayPen::Shape, {100, 100}, {300, 100}));
}

TEST_F(OverlayTest, RectangleIsFramedTwiceWhenLinesAreWide) {
    const MeasureShape r = MakeShape(TOOL_RECTANGLE, {60, 80}, {20, 30});
    auto items = One(r);
    ASSERT_EQ(Count(items, OverlayStep::FrameBox), 2);
    EXPECT_EQ(items[0].rect, (ShapeRect{20, 30, 60, 80}));
    EXPECT_EQ(items[1].rect, (ShapeRect{21, 31, 59, 79}));
    in.lineWidth = 1;
    EXPECT_EQ(Count(One(r), OverlayStep::FrameBox), 1);
    EXPECT_EQ(Count(One(r, true), OverlayStep::FillBox), 4);
}

TEST_F(OverlayTest, CirclesShowTheirCentreAndConcentricOnesTheirSecondRimOncePlaced) {
    const auto items = One(MakeShape(TOOL_CIRCLE, {100, 100}, {130, 140}));
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[0].step, OverlayStep::FrameBox);
    EXPECT_EQ(items[0].rect, (ShapeRect{95, 95, 105, 105}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Shape, {100, 100}, {130, 140}));
    EXPECT_EQ(Count(items, OverlayStep::Circle), 1);
    const auto circle = std::find_if(items.begin(), items.end(),
                                     [](const OverlayItem& i) { return i.step == OverlayStep::Circle; });
    EXPECT_EQ(circle->rect, (ShapeRect{50, 50, 150, 150}));
    const auto selected = One(MakeShape(TOOL_CIRCLE, {100, 100}, {130, 140}), true);
    EXPECT_EQ(Count(selected, OverlayStep::FillBox), 2);

    const auto rim =
        One(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, kUnplacedPoint), false, true);
    EXPECT_EQ(Count(rim, OverlayStep::Circle), 1);
    EXPECT_TRUE(HasLine(rim, OverlayPen::Shape, {100, 100}, {100, 150}));
    EXPECT_EQ(Count(rim, OverlayStep::FrameBox), 2); // centre and inner rim
    EXPECT_EQ(Texts(rim), std::vector<std::wstring>{L"R1:0.50000mm"});

    const auto placed =
        One(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {100, 300}), false, true);
    EXPECT_EQ(Count(placed, OverlayStep::Circle), 2);
    EXPECT_TRUE(HasLine(placed, OverlayPen::Shape, {100, 100}, {100, 300}));
    EXPECT_EQ(placed[1].rect, (ShapeRect{95, 295, 105, 305}));
    EXPECT_EQ(Texts(placed), (std::vector<std::wstring>{L"R1:0.50000mm", L"R2:2.00000mm", L""}));
}

TEST_F(OverlayTest, ParallelAndAngleDrawTheirThirdPointsLinesOncePlaced) {
    auto items = One(MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 10}, {30, 40}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Shape, {10, 10}, {50, 10}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Shape, {30, 40}, {30, 10}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Shape, {10, 40}, {50, 40}));
    items = One(MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 30}, {30, 60}));
    EXPECT_EQ(std::count_if(items.begin(), items.end(),
                            [](const OverlayItem& i) { return i.pen == OverlayPen::Thin; }),
              1); // a slanted base's connector is thin
    items = One(MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 30}));
    EXPECT_EQ(Count(items, OverlayStep::Line), 1); // third point not placed: the base only

    in.scale = -1.0f;
    items = One(MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}));
    EXPECT_EQ(Count(items, OverlayStep::Line), 1);
    EXPECT_TRUE(Texts(items).empty());
    items = One(MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}, {100, 0}));
    EXPECT_EQ(Count(items, OverlayStep::Line), 2);
    EXPECT_EQ(Texts(items), std::vector<std::wstring>{L"90.000\u00B0"});
}

TEST_F(OverlayTest, ArrowShaftHeadOutlineAndFill) {
    const auto items = One(MakeShape(TOOL_ARROW, {0, 100}, {100, 100}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Thick, {0, 100}, {100, 100}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Thin, {87, 89}, {87, 111}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Thin, {87, 89}, {100, 100}));
    EXPECT_TRUE(HasLine(items, OverlayPen::Thin, {87, 111}, {100, 100}));
    ASSERT_EQ(Count(items, OverlayStep::FillTriangle), 1);
    EXPECT_EQ(items.back().c, (ShapePoint{100, 100}));
    EXPECT_TRUE(Texts(items).empty());
}

TEST_F(OverlayTest, PencilNeedsTwoPointsANoteIsFramedWhileTypedSelectedOrHovered) {
    MeasureShape stroke = MakeShape(TOOL_PENCIL, {}, {});
    stroke.points = {{5, 5}};
    EXPECT_TRUE(One(stroke, true).empty());
    stroke.points.push_back({9, 12});
    stroke.points.push_back({9, 12});
    auto items = One(stroke, true);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2].step, OverlayStep::Polyline);
    EXPECT_EQ(items[2].points, &stroke.points);

    MeasureShape note = MakeShape(TOOL_TEXT, {50, 60}, {});
    note.text = L"cell";
    items = One(note);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, L"cell");
    EXPECT_EQ(items[0].rect, (ShapeRect{52, 62, 50 + 28 + 4, 60 + 16 + 4}));
    EXPECT_EQ(Count(One(note, false, true), OverlayStep::FrameBox), 1);
    note.text.clear();
    items = One(note, false, false, true);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].step, OverlayStep::FrameBox);
    EXPECT_EQ(items[1].text, L" Input text, drag to move. ");
}

TEST_F(OverlayTest, ShapeInProgressFollowsTheTool) {
    state.currentTool = TOOL_LINE;
    state.pendingShape = MakeShape(TOOL_RECTANGLE, {10, 10}, {50, 50});
    EXPECT_TRUE(Build().empty()); // no drawing under way
    state.buttonDown = true;
    EXPECT_TRUE(HasLine(Build(), OverlayPen::Shape, {10, 10}, {50, 50})); // drawn as a line
    state.currentTool = TOOL_DRAG;
    EXPECT_TRUE(Build().empty()); // panning draws nothing
    state.buttonDown = false;
    state.currentTool = TOOL_ANGLE;
    state.pendingPhase = kPhaseAngle;
    state.pendingShape.p3 = {10, 90};
    EXPECT_EQ(Count(Build(), OverlayStep::Line), 2);
    // The note shows between its Init and its OK or Cancel only.
    state.currentTool = TOOL_TEXT;
    state.pendingPhase = kPhaseTextInput;
    state.pendingShape.kind = 0;
    EXPECT_TRUE(Build().empty());
    state.pendingShape.kind = TOOL_TEXT;
    EXPECT_EQ(Texts(Build()).size(), 1u);
}

// The cross-hair first, then the shapes oldest first, then the one in progress. A larger display
// scale gives a larger label font, longer ruler ticks and wider pens; what is measured stays in
// picture pixels and calibrated units.
TEST_F(OverlayTest, CrosshairThenShapesInOrderMeasuredAlikeAtAnyDisplayScale) {
    class ScaledMetrics : public TextMetrics {
    public:
        ShapeSize Extent(std::wstring_view text) const override {
            return {static_cast<int>(text.size()) * 14, 32};
        }
    } doubleFont;
    in.crosshair = true;
    in.scale = 400.0f;
    in.ruler = ComputeRulerStep(400.0f);
    state.shapes.push_back(MakeShape(TOOL_LINE, {10, 10}, {100, 10}));
    state.shapes.push_back(MakeShape(TOOL_RECTANGLE, {20, 20}, {60, 60}));
    state.shapes.push_back(MakeShape(TOOL_CIRCLE, {300, 300}, {330, 340}));
    state.shapes.push_back(MakeShape(TOOL_ANGLE, {200, 100}, {300, 100}, {200, 40}));
    state.currentTool = TOOL_CIRCLE;
    state.buttonDown = true;
    state.pendingShape = MakeShape(TOOL_CIRCLE, {300, 300}, {330, 340});
    const auto at96 = Build();
    ASSERT_FALSE(at96.empty());
    EXPECT_EQ(at96[0].pen, OverlayPen::Grid);
    const auto firstShape = std::find_if(at96.begin(), at96.end(), [](const OverlayItem& i) {
        return i.step == OverlayStep::Line && i.pen == OverlayPen::Shape;
    });
    EXPECT_TRUE(
        std::all_of(firstShape, at96.end(), [](const OverlayItem& i) { return i.pen != OverlayPen::Grid; }));
    const auto texts = Texts(at96);
    // The ruler's step under the first major tick, the line, the rectangle's two, the circle's three,
    // the angle, the circle in progress.
    ASSERT_EQ(texts.size(), 1u + 1u + 2u + 3u + 1u + 3u);
    EXPECT_EQ(std::tuple(texts[0], texts[1], texts[2], texts[4], texts[8]),
              std::tuple(L"0.2mm", L"0.22500mm", L"0.10x0.10mm", L"R:0.12500mm", L"R:0.12500mm"));
    const auto step = std::find_if(at96.begin(), at96.end(),
                                   [](const OverlayItem& i) { return i.step == OverlayStep::Text; });
    EXPECT_EQ(step->rect, StepLabelBox({35, 16}, 640, 480, 80));
    in.dpi = 192;
    std::vector<OverlayItem> at192;
    BuildOverlay(state, in, doubleFont, at192);

    EXPECT_EQ(Texts(at192), texts);
    auto shapeLines = [](const std::vector<OverlayItem>& items) {
        std::vector<std::pair<ShapePoint, ShapePoint>> lines;
        for (const OverlayItem& i : items)
            if (i.step == OverlayStep::Line && i.pen == OverlayPen::Shape)
                lines.push_back({i.a, i.b});
        return lines;
    };
    EXPECT_EQ(shapeLines(at192), shapeLines(at96));
    // The ruler's major ticks stay 80 picture pixels apart and get twice as long.
    EXPECT_TRUE(HasLine(at96, OverlayPen::Grid, {320, 160}, {340, 160}));
    EXPECT_TRUE(HasLine(at192, OverlayPen::Grid, {320, 160}, {360, 160}));

    const OverlayPen pens[] = {OverlayPen::Shape, OverlayPen::Thin,      OverlayPen::Thick,
                               OverlayPen::Grid,  OverlayPen::CalibLine, OverlayPen::CalibThin};
    const int at96Widths[] = {2, 1, 3, 1, 2, 1};
    for (size_t i = 0; i < std::size(pens); ++i) {
        EXPECT_EQ(OverlayPenWidth(pens[i], 2, 96), at96Widths[i]) << i;
        EXPECT_EQ(OverlayPenWidth(pens[i], 2, 192), 2 * at96Widths[i]) << i;
        EXPECT_GE(OverlayPenWidth(pens[i], 2, 144), at96Widths[i]) << i;
    }
    EXPECT_EQ(OverlayPenWidth(OverlayPen::Shape, 0, 96), 1);
}
