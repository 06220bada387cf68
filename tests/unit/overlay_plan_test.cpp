#include "measure/overlay_plan.h"

#include "measure/calibration_line.h"
#include "measure/labels.h"
#include "measure/shape_geometry.h"
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

std::vector<std::wstring> Texts(const std::vector<OverlayItem>& items) {
    std::vector<std::wstring> texts;
    for (const OverlayItem& i : items) {
        if (i.step == OverlayStep::Text)
            texts.push_back(i.text);
    }
    return texts;
}

} // namespace

TEST_F(OverlayTest, CalibrationModeDrawsOnlyTheLineWithItsLabel) {
    state.shapes.push_back(MakeShape(TOOL_LINE, {10, 10}, {100, 100}));
    in.crosshair = true;
    int length = kCalibLineNew;
    LayoutCalibrationLineOf(state, length, 640);
    in.calibLineLength = length;
    const std::wstring line =
        L"Lc 170,240-470,240; Ld 170,180-170,300; Ld 470,180-470,300; T 174,244-244,260 300 pixels";
    EXPECT_EQ(Describe(Build()), line);

    // The end under the pointer gets four triangles pointing at its bar, three strokes each.
    state.calibHoverRight = true;
    EXPECT_EQ(Describe(Build()), line + L"; Ld 466,210-462,206; Ld 462,206-462,214; Ld 466,210-462,214; "
                                        L"Ld 474,210-478,206; Ld 478,206-478,214; Ld 474,210-478,214; "
                                        L"Ld 466,270-462,266; Ld 462,266-462,274; Ld 466,270-462,274; "
                                        L"Ld 474,270-478,266; Ld 478,266-478,274; Ld 474,270-478,274");
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
        EXPECT_TRUE(Texts(items).empty());
    }
}

// Handles, clipped to the picture, come before the outline; a line's end ticks are long while it is
// drawn.
TEST_F(OverlayTest, LinesHandlesOnlyWhenSelectedFilledOrHoveredOutlinedAndLongTicksWhileDrawing) {
    const MeasureShape line = MakeShape(TOOL_LINE, {3, 100}, {200, 476});
    const std::wstring plain =
        L"L 3,100-200,476; Lt -7,105-13,95; Lt 190,481-210,471; T 5,102-68,118 4.24482mm";
    EXPECT_EQ(Describe(One(line)), plain);
    EXPECT_EQ(Describe(One(line, true, true)), L"F 0,95-8,105; F 195,471-205,480; " + plain);
    EXPECT_EQ(Describe(One(line, false, true)), L"B 0,95-8,105; B 195,471-205,480; " + plain);

    const MeasureShape flat = MakeShape(TOOL_LINE, {100, 100}, {300, 100});
    EXPECT_EQ(Describe(One(flat)),
              L"L 100,100-300,100; Lt 100,88-100,112; Lt 300,88-300,112; T 102,102-165,118 2.00000mm");
    EXPECT_EQ(Describe(One(flat, false, false, true)),
              L"L 100,100-300,100; Lt 100,68-100,132; Lt 300,68-300,132; T 102,102-165,118 2.00000mm");
}

TEST_F(OverlayTest, RectangleIsFramedTwiceWhenLinesAreWide) {
    const MeasureShape r = MakeShape(TOOL_RECTANGLE, {60, 80}, {20, 30});
    const std::wstring labels = L"T 22,32-99,48 0.40x0.50mm; T 22,48-92,64 S:0.20mm^2";
    EXPECT_EQ(Describe(One(r)), L"B 20,30-60,80; B 21,31-59,79; " + labels);
    in.lineWidth = 1;
    EXPECT_EQ(Describe(One(r)), L"B 20,30-60,80; " + labels);
    EXPECT_EQ(Describe(One(r, true)),
              L"F 55,75-65,85; F 15,25-25,35; F 55,25-65,35; F 15,75-25,85; B 20,30-60,80; " + labels);
}

TEST_F(OverlayTest, CirclesShowTheirCentreAndConcentricOnesTheirSecondRimOncePlaced) {
    const MeasureShape circle = MakeShape(TOOL_CIRCLE, {100, 100}, {130, 140});
    const std::wstring rest = L"L 100,100-130,140; C 50,50-150,150; T 102,102-179,118 R:0.50000mm; "
                              L"T 102,118-179,134 C:3.14159mm; T 102,134-193,150 S:0.78540mm^2";
    EXPECT_EQ(Describe(One(circle)), L"B 95,95-105,105; " + rest);
    EXPECT_EQ(Describe(One(circle, true)), L"F 95,95-105,105; F 125,135-135,145; " + rest);

    EXPECT_EQ(Describe(One(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}), false, true)),
              L"B 95,95-105,105; B 95,145-105,155; L 100,100-100,150; C 50,50-150,150; "
              L"T 102,102-186,118 R1:0.50000mm");
    EXPECT_EQ(
        Describe(One(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {100, 300}), false, true)),
        L"B 95,95-105,105; B 95,295-105,305; L 100,100-100,300; C 50,50-150,150; C -100,-100-300,300; "
        L"T 102,302-186,318 R1:0.50000mm; T 102,318-186,334 R2:2.00000mm; T 102,334-102,350 ");
}

// A slanted base's connector is thin; without its third point a shape draws its base only.
TEST_F(OverlayTest, ParallelAndAngleDrawTheirThirdPointsLinesOncePlaced) {
    EXPECT_EQ(Describe(One(MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 10}, {30, 40}))),
              L"L 10,10-50,10; L 30,40-30,10; L 10,40-50,40; T 32,42-109,58 D:0.30000mm");
    EXPECT_EQ(Describe(One(MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 30}, {30, 60}))),
              L"L 10,10-50,30; Lt 30,60-45,27; L 10,50-50,70; T 32,62-109,78 D:0.35777mm");
    EXPECT_EQ(Describe(One(MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 30}))), L"L 10,10-50,30");

    in.scale = -1.0f;
    EXPECT_EQ(Describe(One(MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}))), L"L 100,100-200,100");
    EXPECT_EQ(Describe(One(MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}, {100, 0}))),
              L"L 100,100-200,100; L 100,100-100,0; T 102,102-151,118 90.000\u00B0");
}

TEST_F(OverlayTest, ArrowShaftHeadOutlineAndFill) {
    EXPECT_EQ(Describe(One(MakeShape(TOOL_ARROW, {0, 100}, {100, 100}))),
              L"Lk 0,100-100,100; Lt 87,89-87,111; Lt 87,89-100,100; Lt 87,111-100,100; "
              L"V 87,89-87,111-100,100");
}

TEST_F(OverlayTest, PencilNeedsTwoPointsANoteIsFramedWhileTypedSelectedOrHovered) {
    MeasureShape stroke = MakeShape(TOOL_PENCIL, {}, {});
    stroke.points = {{5, 5}};
    EXPECT_TRUE(One(stroke, true).empty());
    stroke.points.push_back({9, 12});
    stroke.points.push_back({9, 12});
    const auto items = One(stroke, true);
    ASSERT_EQ(Describe(items), L"F 0,0-10,10; F 4,7-14,17; P 3");
    EXPECT_EQ(items[2].points, &stroke.points);

    MeasureShape note = MakeShape(TOOL_TEXT, {50, 60}, {}, kUnplacedPoint, L"cell");
    EXPECT_EQ(Describe(One(note)), L"T 52,62-82,80 cell");
    EXPECT_EQ(Describe(One(note, false, true)), L"B 52,62-82,80; T 52,62-82,80 cell");
    note.text.clear();
    EXPECT_EQ(Describe(One(note, false, false, true)),
              L"B 52,62-243,80; T 52,62-243,80  Input text, drag to move. ");
}

TEST_F(OverlayTest, ShapeInProgressFollowsTheTool) {
    state.currentTool = TOOL_LINE;
    state.pendingShape = MakeShape(TOOL_RECTANGLE, {10, 10}, {50, 50});
    EXPECT_TRUE(Build().empty()); // no drawing under way
    state.buttonDown = true;
    // Drawn as a line, in its drawing form.
    EXPECT_EQ(Describe(Build()), L"L 10,10-50,50; Lt -12,32-32,-12; Lt 28,72-72,28; T 12,12-75,28 0.56569mm");
    state.currentTool = TOOL_DRAG;
    EXPECT_TRUE(Build().empty()); // panning draws nothing
    state.buttonDown = false;
    state.currentTool = TOOL_ANGLE;
    state.pendingPhase = kPhaseAngle;
    state.pendingShape.p3 = {10, 90};
    EXPECT_EQ(Describe(Build()), L"L 10,10-50,50; L 10,10-10,90; T 12,12-68,28 -45.000\u00B0");
    // The note shows between its Init and its OK or Cancel only.
    state.currentTool = TOOL_TEXT;
    state.pendingPhase = kPhaseTextInput;
    state.pendingShape.kind = 0;
    EXPECT_TRUE(Build().empty());
    state.pendingShape.kind = TOOL_TEXT;
    EXPECT_EQ(Describe(Build()), L"B 12,12-203,30; T 12,12-203,30  Input text, drag to move. ");
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
    EXPECT_NE(Describe(at96).find(L"; Lg 320,160-340,160;"), std::wstring::npos);
    EXPECT_NE(Describe(at192).find(L"; Lg 320,160-360,160;"), std::wstring::npos);

    const OverlayPen pens[] = {OverlayPen::Shape, OverlayPen::Thin,      OverlayPen::Thick,
                               OverlayPen::Grid,  OverlayPen::CalibLine, OverlayPen::CalibThin};
    const int at96Widths[] = {2, 1, 3, 1, 2, 1};
    for (size_t i = 0; i < std::size(pens); ++i) {
        EXPECT_EQ(OverlayPenWidth(pens[i], 2, 96), at96Widths[i]) << i;
        EXPECT_EQ(OverlayPenWidth(pens[i], 2, 192), 2 * at96Widths[i]) << i;
    }
    EXPECT_EQ(OverlayPenWidth(OverlayPen::Shape, 0, 96), 1);
}
