// The measurement overlay drawn by Wine's GDI and GDI+ over the virtual camera's specimen: every
// label of every kind of shape in its box (where each kind draws its lines is seen end to end), the
// calibration line, and label texts as the Windows C library formats them.
#include "measure/labels.h"
#include "tests/support/overlay_colours.h"
#include "tests/wine/overlay_back_buffer.h"

#include <gtest/gtest.h>

#include <string>

TEST(MeasureRender, EveryKindWithItsLabelsOnTheSpecimen) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    BackBuffer buffer(640, 480);
    MeasureState state;
    state.shapes = {
        MakeShape(TOOL_LINE, {40, 40}, {200, 40}),
        MakeShape(TOOL_RECTANGLE, {240, 30}, {330, 90}),
        MakeShape(TOOL_CIRCLE, {420, 70}, {460, 70}),
        MakeShape(TOOL_ARROW, {500, 40}, {600, 100}),
        MakeShape(TOOL_PARALLEL_LINES, {40, 150}, {160, 150}, {100, 200}),
        MakeShape(TOOL_CONCENTRIC_CIRCLES, {230, 180}, {260, 180}, {230, 230}),
        MakeShape(TOOL_ANGLE, {420, 200}, {500, 200}, {420, 140}),
        MakeShape(TOOL_PENCIL, {}, {}),
        MakeShape(TOOL_TEXT, {480, 300}, {}),
    };
    state.shapes[7].points = {{40, 300}, {60, 320}, {80, 300}, {100, 320}, {120, 300}};
    state.shapes[8].text = L"Nucleus";
    state.selectedIndex = 2; // the circle, with filled handles
    state.hoverIndex = 8;    // the note, framed
    buffer.Draw(state, Calibrated(640, 480));
    buffer.Snapshot(L"measure-labels-every-kind.png");

    // Where each kind leaves its line is seen end to end, with the same shapes drawn by the mouse;
    // here the crosshair, the selected circle's filled handle and every label in its box.
    EXPECT_TRUE(buffer.Near(320, 420, IsGrid, 0));
    EXPECT_TRUE(buffer.Near(600, 240, IsGrid, 0));
    EXPECT_GT(buffer.Count({456, 66, 464, 74}, IsLine), 40); // filled handle at the circle's rim

    // Every label: its text, and the text colour inside its box.
    std::wstring texts;
    for (const OverlayItem& item : buffer.items()) {
        if (item.step != OverlayStep::Text)
            continue;
        texts += item.text + L"|";
        if (!item.text.empty()) {
            EXPECT_GT(buffer.Count(item.rect, IsText), 5) << std::string(item.text.begin(), item.text.end());
        }
    }
    EXPECT_EQ(texts, L"1.0mm|1.60000mm|0.90x0.60mm|S:0.54mm^2|R:0.40000mm|C:2.51327mm|S:0.50265mm^2|"
                     L"D:0.50000mm|R1:0.30000mm|R2:0.50000mm||90.000\u00B0|Nucleus|");
}

// The same figures as the unit tests', through the Windows C library: a negative number, a non-ASCII
// unit, the smallest step and a number longer than most.
TEST(MeasureRender, LabelNumbersAsTheWindowsLibraryPrintsThem) {
    EXPECT_EQ(LabelsOfShape(MakeShape(TOOL_ANGLE, {0, 0}, {0, -9}, {9, 0}), TOOL_ANGLE, -1.0f, L"").lines[0],
              L"-90.000\u00B0");
    EXPECT_EQ(
        LabelsOfShape(MakeShape(TOOL_CIRCLE, {0, 0}, {30, 40}), TOOL_CIRCLE, 10.0f, L"\u03BCm").lines[2],
        L"S:78.53975\u03BCm^2");
    EXPECT_EQ(StepLabelText(0.005f, L"mm"), L"0.005mm");
    EXPECT_EQ(FormatText(L"%.5f", 3.4028235e38).size(), 45u);
}

TEST(MeasureRender, CalibrationLineAloneWithItsLengthAndGrabMarks) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    BackBuffer buffer(640, 480);
    MeasureState state;
    state.shapes.push_back(MakeShape(TOOL_LINE, {40, 40}, {200, 40}));
    int length = 4800;
    LayoutCalibrationLineOf(state, length, 640);
    state.calibHoverLeft = true;
    OverlayInput in = Calibrated(640, 480);
    in.calibLineLength = length;
    buffer.Draw(state, in);
    buffer.Snapshot(L"measure-calibration-line.png");
    EXPECT_EQ(length, 300);
    for (int x : {175, 320, 465})
        EXPECT_TRUE(buffer.Near(x, 240, IsLine, 1)) << x;
    for (int y : {182, 200, 280, 298}) {
        EXPECT_TRUE(buffer.Near(170, y, IsLine, 0)) << y;
        EXPECT_TRUE(buffer.Near(470, y, IsLine, 0)) << y;
    }
    EXPECT_FALSE(buffer.Near(470, 320, IsLine, 1)); // bars end 60 below the line
    EXPECT_TRUE(buffer.Near(164, 210, IsLine, 1));  // grab marks at the left end only
    EXPECT_FALSE(buffer.Near(476, 210, IsLine, 1));
    EXPECT_FALSE(buffer.Near(120, 40, IsLine, 2)); // no shapes, no crosshair
    EXPECT_FALSE(buffer.Near(320, 420, IsGrid, 1));
    ASSERT_FALSE(buffer.items().empty());
    EXPECT_EQ(buffer.items()[3].text, L"300 pixels");
    EXPECT_GT(buffer.Count(buffer.items()[3].rect, IsText), 5);
}
