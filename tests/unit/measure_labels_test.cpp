#include "measure/labels.h"

#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

namespace {

ShapeLabels Labels(const MeasureShape& s, float scale = 100.0f, const wchar_t* unit = L"mm") {
    return LabelsOfShape(s, s.kind, scale, unit);
}

} // namespace

TEST(ShapeLabels, EachKindsLinesAndWhereTheyStart) {
    const ShapeLabels zero = Labels(MakeShape(TOOL_LINE, {40, 50}, {40, 50}));
    ASSERT_EQ(zero.count, 1);
    EXPECT_EQ(zero.lines[0], L"0.00000mm");
    EXPECT_EQ(zero.at, (ShapePoint{40, 50}));
    EXPECT_EQ(Labels(MakeShape(TOOL_LINE, {0, 0}, {300, 400})).lines[0], L"5.00000mm");
    EXPECT_EQ(Labels(MakeShape(TOOL_LINE, {0, 0}, {0, 1}), 3.0f, L"\u03BCm").lines[0], L"0.33333\u03BCm");

    for (int kind : {TOOL_LINE, TOOL_PARALLEL_LINES, TOOL_RECTANGLE, TOOL_CIRCLE, TOOL_CONCENTRIC_CIRCLES,
                     TOOL_PENCIL, TOOL_ARROW}) {
        EXPECT_EQ(Labels(MakeShape(kind, {1, 2}, {30, 40}, {50, 60}), -1.0f).count, 0) << kind;
        EXPECT_EQ(Labels(MakeShape(kind, {1, 2}, {30, 40}, {50, 60}), 0.0f).count, 0) << kind;
    }
    const ShapeLabels angle = Labels(MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}, {100, 0}), -1.0f);
    ASSERT_EQ(angle.count, 1);
    EXPECT_EQ(angle.lines[0], L"90.000\u00B0");
    EXPECT_EQ(angle.at, (ShapePoint{100, 100}));
    EXPECT_EQ(Labels(MakeShape(TOOL_ANGLE, {100, 100}, {100, 0}, {200, 100})).lines[0], L"-90.000\u00B0");
    EXPECT_EQ(Labels(MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}, kUnplacedPoint)).count,
              0); // arm not placed

    const ShapeLabels d = Labels(MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 10}, {30, 40}));
    ASSERT_EQ(d.count, 1);
    EXPECT_EQ(d.lines[0], L"D:0.30000mm");
    EXPECT_EQ(d.at, (ShapePoint{30, 40}));
    // Below or above the base: always positive.
    EXPECT_EQ(Labels(MakeShape(TOOL_PARALLEL_LINES, {10, 50}, {50, 50}, {30, 20})).lines[0], L"D:0.30000mm");
    EXPECT_EQ(Labels(MakeShape(TOOL_PARALLEL_LINES, {100, 100}, {130, 140}, {140, 70})).lines[0],
              L"D:0.50000mm");
    EXPECT_EQ(Labels(MakeShape(TOOL_PARALLEL_LINES, {100, 100}, {130, 140}, {60, 130})).lines[0],
              L"D:0.50000mm");

    const ShapeLabels r = Labels(MakeShape(TOOL_RECTANGLE, {110, 70}, {10, 20}));
    ASSERT_EQ(r.count, 2);
    EXPECT_EQ(r.lines[0], L"1.00x0.50mm");
    EXPECT_EQ(r.lines[1], L"S:0.50mm^2");
    EXPECT_EQ(r.at, (ShapePoint{10, 20}));

    const ShapeLabels c = Labels(MakeShape(TOOL_CIRCLE, {100, 100}, {130, 140}), 10.0f);
    ASSERT_EQ(c.count, 3);
    EXPECT_EQ(c.lines[0], L"R:5.00000mm");
    EXPECT_EQ(c.lines[1], L"C:31.41590mm");
    EXPECT_EQ(c.lines[2], L"S:78.53975mm^2");
    EXPECT_EQ(c.at, (ShapePoint{100, 100}));

    const ShapeLabels one =
        Labels(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, kUnplacedPoint));
    ASSERT_EQ(one.count, 1);
    EXPECT_EQ(one.lines[0], L"R1:0.50000mm");
    EXPECT_EQ(one.at, (ShapePoint{100, 100}));
    // The left column, or past it after a drag, is a place like any other.
    EXPECT_EQ(Labels(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {0, 300})).count, 3);
    EXPECT_EQ(Labels(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {-20, 300})).count, 3);
    const ShapeLabels two = Labels(MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {100, 300}));
    ASSERT_EQ(two.count, 3);
    EXPECT_EQ(two.lines[0], L"R1:0.50000mm");
    EXPECT_EQ(two.lines[1], L"R2:2.00000mm");
    EXPECT_EQ(two.lines[2], L"");
    EXPECT_EQ(two.at, (ShapePoint{100, 300}));
}

TEST(LabelPlacement, BelowRightOrFlippedAtTheEdgesBlocksWithTheFirstLineNearestThePoint) {
    const ShapeSize one = {70, 16};
    EXPECT_EQ(PlaceLabel(one, {100, 100}, 640, 480), (ShapeRect{102, 102, 172, 118}));
    EXPECT_EQ(PlaceLabel(one, {568, 100}, 640, 480), (ShapeRect{570, 102, 640, 118})); // just fits
    EXPECT_EQ(PlaceLabel(one, {569, 100}, 640, 480), (ShapeRect{497, 102, 567, 118}));
    EXPECT_EQ(PlaceLabel(one, {100, 463}, 640, 480), (ShapeRect{102, 445, 172, 461}));
    EXPECT_EQ(PlaceLabel(one, {600, 470}, 640, 480), (ShapeRect{528, 452, 598, 468}));

    // Blocks stack down or up with the first line nearest the point.
    const std::array<ShapeSize, 3> e = {ShapeSize{80, 16}, ShapeSize{50, 16}, ShapeSize{90, 16}};
    auto down = PlaceLabelLines(e, 3, {100, 100}, 640, 480);
    EXPECT_EQ(down[0], (ShapeRect{102, 102, 182, 118}));
    EXPECT_EQ(down[1], (ShapeRect{102, 118, 152, 134}));
    EXPECT_EQ(down[2], (ShapeRect{102, 134, 192, 150}));
    // Block height 16 + 17 + 17 = 50: from y = 429 it passes 480.
    auto up = PlaceLabelLines(e, 3, {100, 429}, 640, 480);
    EXPECT_EQ(up[0], (ShapeRect{102, 411, 182, 427}));
    EXPECT_EQ(up[1], (ShapeRect{102, 395, 152, 411}));
    EXPECT_EQ(up[2], (ShapeRect{102, 379, 192, 395}));
    EXPECT_EQ(PlaceLabelLines(e, 3, {100, 428}, 640, 480)[0].top, 430);
    // The widest line (90) decides the flip; each line is right-aligned left of the point.
    auto left = PlaceLabelLines(e, 3, {549, 100}, 640, 480);
    EXPECT_EQ(left[0], (ShapeRect{467, 102, 547, 118}));
    EXPECT_EQ(left[1], (ShapeRect{497, 118, 547, 134}));
    EXPECT_EQ(left[2], (ShapeRect{457, 134, 547, 150}));
    EXPECT_EQ(PlaceLabelLines(e, 3, {548, 100}, 640, 480)[0].left, 550);
    // Two lines: 33 high, the third width does not count.
    auto two = PlaceLabelLines(e, 2, {558, 445}, 640, 480);
    EXPECT_EQ(two[0], (ShapeRect{560, 447, 640, 463}));
    two = PlaceLabelLines(e, 2, {559, 446}, 640, 480);
    EXPECT_EQ(two[0], (ShapeRect{477, 428, 557, 444}));
    EXPECT_EQ(two[1], (ShapeRect{507, 412, 557, 428}));
}

TEST(LabelTexts, StepDecimalsCalibrationLinePixelsAndFormatting) {
    EXPECT_EQ(StepLabelText(0.05f, L"mm"), L"0.05mm");
    EXPECT_EQ(StepLabelText(0.5f, L"mm"), L"0.5mm");
    EXPECT_EQ(StepLabelText(0.005f, L"mm"), L"0.005mm");
    EXPECT_EQ(StepLabelText(0.1f, L"mm"), L"0.1mm");
    EXPECT_EQ(StepLabelText(0.01f, L"\u03BCm"), L"0.01\u03BCm");
    EXPECT_EQ(StepLabelText(0.2f, L"mm"), L"0.2mm");
    EXPECT_EQ(StepLabelText(20.0f, L"\u03BCm"), L"20.0\u03BCm");
    // Centred under the first major tick right of the centre, below the line.
    EXPECT_EQ(StepLabelBox({40, 16}, 640, 480, 80), (ShapeRect{380, 242, 420, 258}));

    EXPECT_EQ(CalibrationLineLabel(300), L"300 pixels");

    EXPECT_EQ(FormatText(L"%ls|%d", L"\u03BCm", -3), L"\u03BCm|-3");
    // The largest float with five decimals still fits.
    EXPECT_EQ(FormatText(L"%.5f", 3.4028235e38).size(), 45u);
}
