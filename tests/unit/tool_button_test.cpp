#include "base/string_table.h"
#include "app/tool_commands.h"
#include "measure/measure_tool.h"
#include "panels/panel_messages.h"
#include "panels/tool_button_face.h"
#include "panels/tool_button_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

namespace {

constexpr std::uint16_t kMinus1 = 0xFFFF; // x = -1 as a mouse message carries it

// Feeds mouse messages to the state machine and plays the window's part: who holds the capture,
// how many clicks were posted.
struct PointerSim {
    ToolButtonMouse state;
    bool capture = false;
    int clicks = 0;

    void Apply(const ToolButtonMouseEffect& e) {
        EXPECT_FALSE(e.takeCapture && capture) << "took the capture it already had";
        EXPECT_FALSE(e.releaseCapture && !capture) << "released a capture it did not have";
        capture = (capture || e.takeCapture) && !e.releaseCapture;
        clicks += e.click;
    }
    static bool Inside(std::uint16_t x, std::uint16_t y) { return IsOverToolButton(x, y, 52, 52); }
    void Move(std::uint16_t x, std::uint16_t y) { Apply(ToolButtonMouseMove(state, Inside(x, y), capture)); }
    void Down(std::uint16_t x, std::uint16_t y) { Apply(ToolButtonLeftDown(state, Inside(x, y), capture)); }
    void Up(std::uint16_t x, std::uint16_t y) { Apply(ToolButtonLeftUp(state, Inside(x, y), capture)); }
    int Alpha(bool checked) const { return ToolWashAlpha(state.hover, state.pressed, checked); }
};

} // namespace

// The row's ids and the maps between buttons, commands and tools, as what must hold of the table
// rather than a copy of it (the order of the row and its images: ToolButtonsScaleWithTheirOwnStrip).
TEST(ToolButtonTable, RowEndsAtTheToolbarsEdgeAndEveryIdMapsBack) {
    SelectLanguage(0);
    std::set<int> ids;
    for (int i = 0; i < kToolButtonCount; ++i) {
        const ToolButtonSpec& b = kToolButtons[i];
        SCOPED_TRACE(b.tipKey);
        EXPECT_FALSE(GetText(b.tipKey).empty()); // every language has it, short enough for a tooltip
        EXPECT_TRUE(ids.insert(b.id).second);
        EXPECT_EQ(ToolButtonIndex(b.id), i);
        EXPECT_TRUE(IsToolButtonId(b.id));
        const int tool = ToolForCommand(b.id);
        EXPECT_TRUE(tool < 0 || ToolButtonForTool(tool) == b.id);
    }
    EXPECT_EQ(kToolButtons.back().x + kToolButtonSize, 740);
    for (int id : {IDC_SETTING, IDC_PHOTO, 3018, 3031, 1039, 0, -1, 0x10000 + IDC_TOOL_CALIBRATE})
        EXPECT_FALSE(IsToolButtonId(id)) << id;

    // Every drawing tool has a button of its own that selects it again (text is handled apart, as
    // it needs an open camera); anything else checks Drag.
    std::set<int> buttons;
    for (int tool : {TOOL_LINE, TOOL_PARALLEL_LINES, TOOL_RECTANGLE, TOOL_CIRCLE, TOOL_CONCENTRIC_CIRCLES,
                     TOOL_ANGLE, TOOL_PENCIL, TOOL_ARROW, TOOL_TEXT}) {
        const int button = ToolButtonForTool(tool);
        EXPECT_TRUE(IsToolButtonId(button) && button != IDC_TOOL_DRAG && buttons.insert(button).second)
            << tool;
        EXPECT_EQ(ToolForCommand(button), tool == TOOL_TEXT ? -1 : tool) << tool;
    }
    EXPECT_EQ(ToolButtonForTool(TOOL_TEXT), IDC_TOOL_TEXT);
    EXPECT_EQ(ToolForCommand(IDC_TOOL_DRAG), TOOL_DRAG);
    for (int other : {-1, 7, 8, 9, 10, 14, 1000})
        EXPECT_EQ(ToolButtonForTool(other), IDC_TOOL_DRAG) << other;
    for (int command : {IDC_TOOL_CALIBRATE, IDC_TOOL_DELETE_LAST, IDC_TOOL_DELETE_ALL, IDC_TOOL_CROSSHAIR,
                        IDC_SETTING, 11, 0})
        EXPECT_EQ(ToolForCommand(command), -1) << command;
}

// Column 0, row 0 and the far edges are outside, and so are points left of or above the button
// while it holds the capture (x or y of -1).
TEST(ToolButtonFace, FirstColumnTopRowAndNegativePointsAreOutside) {
    using Point = std::pair<std::uint16_t, std::uint16_t>;
    for (const auto& [x, y] : {Point{0, 10}, {10, 0}, {52, 10}, {10, 52}, {kMinus1, 10}, {10, kMinus1}})
        EXPECT_FALSE(IsOverToolButton(x, y, 52, 52)) << x << "," << y;
    EXPECT_TRUE(IsOverToolButton(1, 1, 52, 52));
    EXPECT_TRUE(IsOverToolButton(51, 51, 52, 52));
}

// A click needs a press on the button but no move before it; the capture taken on hover is kept
// after a click, so that the next move out is seen.
TEST(ToolButtonMouseTest, HoverTakesTheCaptureAndAClickKeepsIt) {
    PointerSim p;
    p.Move(10, 10);
    EXPECT_TRUE(p.state.hover && p.capture);
    p.Down(10, 10);
    p.Up(11, 10);
    EXPECT_EQ(p.clicks, 1);
    EXPECT_TRUE(p.state.hover && p.capture); // so that the next move out is seen
    p.Move(kMinus1, 10);
    EXPECT_FALSE(p.state.hover || p.capture);

    PointerSim still; // a button that appeared under a still pointer gets no move before the press
    still.Down(20, 20);
    still.Up(20, 20);
    EXPECT_EQ(still.clicks, 1);
    PointerSim drag; // a drag that began elsewhere and ends over the button
    drag.Move(10, 10);
    drag.Up(10, 10);
    EXPECT_EQ(drag.clicks, 0);
}

TEST(ToolButtonMouseTest, ReleaseOutsideSendsNothingTheWashFollowsAndCancelModeForgets) {
    for (auto [x, y] : {std::pair<std::uint16_t, std::uint16_t>{60, 10}, {0, 10}, {10, 0}}) {
        PointerSim p;
        p.Move(10, 10);
        p.Down(10, 10);
        p.Move(x, y);
        EXPECT_TRUE(p.capture); // held while pressed
        p.Up(x, y);
        EXPECT_EQ(p.clicks, 0);
        EXPECT_FALSE(p.capture);
        EXPECT_EQ(p.Alpha(false), 0);
    }
    PointerSim p;
    p.Move(10, 10);
    p.Down(10, 10);
    p.Move(10, 70);
    p.Move(10, 20);
    EXPECT_TRUE(p.capture);
    p.Up(10, 20);
    EXPECT_EQ(p.clicks, 1);

    PointerSim c;
    EXPECT_EQ(c.Alpha(true), kWashAlphaChecked);
    c.Move(10, 10);
    EXPECT_EQ(c.Alpha(false), kWashAlphaHover);
    EXPECT_EQ(c.Alpha(true), kWashAlphaHover);
    c.Down(10, 10);
    EXPECT_EQ(c.Alpha(true), kWashAlphaPressed);
    c.Move(100, 10);
    EXPECT_EQ(c.Alpha(false), kWashAlphaPressed); // pressed, though outside
    c.Move(10, 10);
    c.Up(10, 10);
    EXPECT_EQ(c.Alpha(true), kWashAlphaHover);
    c.Move(100, 10);
    EXPECT_EQ(c.Alpha(true), kWashAlphaChecked);

    ToolButtonMouse state{true, true};
    ToolButtonMouseEffect e = ToolButtonCancelMode(state, false);
    EXPECT_TRUE(state.hover && state.pressed);
    EXPECT_FALSE(e.releaseCapture || e.repaint);
    e = ToolButtonCancelMode(state, true);
    EXPECT_FALSE(state.hover || state.pressed || e.click);
    EXPECT_TRUE(e.releaseCapture && e.repaint);
}

TEST(ToolButtonTip, CutTo63Characters) {
    wchar_t tip[kTipTextCapacity];
    std::fill(std::begin(tip), std::end(tip), L'#');
    CopyTipText(tip, L"Line");
    EXPECT_STREQ(tip, L"Line");
    CopyTipText(tip, std::wstring(100, L'b').c_str());
    EXPECT_EQ(std::wstring(tip), std::wstring(63, L'b'));
    CopyTipText(tip, nullptr);
    EXPECT_STREQ(tip, L"");
}
