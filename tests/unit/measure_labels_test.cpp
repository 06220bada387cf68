#include "measure/labels.h"

#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

namespace {

// "at: line|line", or nothing without labels.
std::wstring Labels(const MeasureShape& s, float scale = 100.0f, const wchar_t* unit = L"mm") {
    const ShapeLabels labels = LabelsOfShape(s, s.kind, scale, unit);
    std::wstring out = labels.count > 0 ? Describe(labels.at) + L":" : L"";
    for (int i = 0; i < labels.count; ++i)
        out += (i > 0 ? L"|" : L" ") + labels.lines[i];
    return out;
}

// The boxes of a block of label lines, one after the other.
std::wstring Block(int count, ShapePoint pt) {
    const std::array<ShapeSize, 3> extents = {ShapeSize{80, 16}, ShapeSize{50, 16}, ShapeSize{90, 16}};
    const std::array<ShapeRect, 3> boxes = PlaceLabelLines(extents, count, pt, 640, 480);
    std::wstring out;
    for (int i = 0; i < count; ++i)
        out += (i > 0 ? L" " : L"") + Describe(boxes[i]);
    return out;
}

} // namespace

TEST(ShapeLabels, EachKindsLinesAndWhereTheyStart) {
    for (int kind : {TOOL_LINE, TOOL_PARALLEL_LINES, TOOL_RECTANGLE, TOOL_CIRCLE, TOOL_CONCENTRIC_CIRCLES,
                     TOOL_PENCIL, TOOL_ARROW}) {
        EXPECT_EQ(Labels(MakeShape(kind, {1, 2}, {30, 40}, {50, 60}), -1.0f), L"") << kind;
        EXPECT_EQ(Labels(MakeShape(kind, {1, 2}, {30, 40}, {50, 60}), 0.0f), L"") << kind;
    }
    EXPECT_EQ(Labels(MakeShape(TOOL_LINE, {0, 0}, {0, 1}), 3.0f, L"\u03BCm"), L"0,0: 0.33333\u03BCm");
    const struct {
        MeasureShape shape;
        float scale;
        const wchar_t* labels;
    } cases[] = {
        {MakeShape(TOOL_LINE, {40, 50}, {40, 50}), 100.0f, L"40,50: 0.00000mm"},
        {MakeShape(TOOL_LINE, {0, 0}, {300, 400}), 100.0f, L"0,0: 5.00000mm"},
        {MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}, {100, 0}), -1.0f, L"100,100: 90.000\u00B0"},
        {MakeShape(TOOL_ANGLE, {100, 100}, {100, 0}, {200, 100}), 100.0f, L"100,100: -90.000\u00B0"},
        {MakeShape(TOOL_ANGLE, {100, 100}, {200, 100}, kUnplacedPoint), 100.0f, L""}, // arm not placed
        // Below or above the base: always positive.
        {MakeShape(TOOL_PARALLEL_LINES, {10, 10}, {50, 10}, {30, 40}), 100.0f, L"30,40: D:0.30000mm"},
        {MakeShape(TOOL_PARALLEL_LINES, {10, 50}, {50, 50}, {30, 20}), 100.0f, L"30,20: D:0.30000mm"},
        {MakeShape(TOOL_PARALLEL_LINES, {100, 100}, {130, 140}, {140, 70}), 100.0f, L"140,70: D:0.50000mm"},
        {MakeShape(TOOL_PARALLEL_LINES, {100, 100}, {130, 140}, {60, 130}), 100.0f, L"60,130: D:0.50000mm"},
        {MakeShape(TOOL_RECTANGLE, {110, 70}, {10, 20}), 100.0f, L"10,20: 1.00x0.50mm|S:0.50mm^2"},
        {MakeShape(TOOL_CIRCLE, {100, 100}, {130, 140}), 10.0f,
         L"100,100: R:5.00000mm|C:31.41590mm|S:78.53975mm^2"},
        {MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}), 100.0f, L"100,100: R1:0.50000mm"},
        {MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {100, 300}), 100.0f,
         L"100,300: R1:0.50000mm|R2:2.00000mm|"},
        // The left column, or past it after a drag, is a place like any other.
        {MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {0, 300}), 100.0f,
         L"0,300: R1:0.50000mm|R2:2.23607mm|"},
        {MakeShape(TOOL_CONCENTRIC_CIRCLES, {100, 100}, {100, 150}, {-20, 300}), 100.0f,
         L"-20,300: R1:0.50000mm|R2:2.33238mm|"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Labels(c.shape, c.scale), c.labels);
}

TEST(LabelPlacement, BelowRightOrFlippedAtTheEdgesBlocksWithTheFirstLineNearestThePoint) {
    const ShapeSize one = {70, 16};
    EXPECT_EQ(PlaceLabel(one, {100, 100}, 640, 480), (ShapeRect{102, 102, 172, 118}));
    EXPECT_EQ(PlaceLabel(one, {568, 100}, 640, 480), (ShapeRect{570, 102, 640, 118})); // just fits
    EXPECT_EQ(PlaceLabel(one, {569, 100}, 640, 480), (ShapeRect{497, 102, 567, 118}));
    EXPECT_EQ(PlaceLabel(one, {100, 463}, 640, 480), (ShapeRect{102, 445, 172, 461}));
    EXPECT_EQ(PlaceLabel(one, {600, 470}, 640, 480), (ShapeRect{528, 452, 598, 468}));

    // Blocks stack down or up with the first line nearest the point.
    EXPECT_EQ(Block(3, {100, 100}), L"102,102-182,118 102,118-152,134 102,134-192,150");
    // Block height 16 + 17 + 17 = 50: from y = 429 it passes 480.
    EXPECT_EQ(Block(3, {100, 429}), L"102,411-182,427 102,395-152,411 102,379-192,395");
    EXPECT_EQ(Block(3, {100, 428}), L"102,430-182,446 102,446-152,462 102,462-192,478");
    // The widest line (90) decides the flip; each line is right-aligned left of the point.
    EXPECT_EQ(Block(3, {549, 100}), L"467,102-547,118 497,118-547,134 457,134-547,150");
    EXPECT_EQ(Block(3, {548, 100}), L"550,102-630,118 550,118-600,134 550,134-640,150");
    // Two lines: 33 high, the third width does not count.
    EXPECT_EQ(Block(2, {558, 445}), L"560,447-640,463 560,463-610,479");
    EXPECT_EQ(Block(2, {559, 446}), L"477,428-557,444 507,412-557,428");
}

TEST(LabelTexts, StepDecimalsCalibrationLinePixelsAndFormatting) {
    EXPECT_EQ(StepLabelText(0.005f, L"mm"), L"0.005mm");
    EXPECT_EQ(StepLabelText(0.1f, L"mm"), L"0.1mm");
    EXPECT_EQ(StepLabelText(0.01f, L"\u03BCm"), L"0.01\u03BCm");
    EXPECT_EQ(StepLabelText(20.0f, L"\u03BCm"), L"20.0\u03BCm");
    // Centred under the first major tick right of the centre, below the line.
    EXPECT_EQ(StepLabelBox({40, 16}, 640, 480, 80), (ShapeRect{380, 242, 420, 258}));

    EXPECT_EQ(CalibrationLineLabel(300), L"300 pixels");

    EXPECT_EQ(FormatText(L"%ls|%d", L"\u03BCm", -3), L"\u03BCm|-3");
    // The largest float with five decimals still fits.
    EXPECT_EQ(FormatText(L"%.5f", 3.4028235e38).size(), 45u);
}
