#include "base/string_table.h"
#include "app/tool_commands.h"
#include "panels/tool_button_face.h"
#include "panels/tool_button_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

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

TEST(ToolButtonTable, FourteenButtonsInTheirFixedRow) {
    const int ids[] = {3017, 3090, 3021, 3022, 3024, 3023, 3039, 3025, 3026, 3068, 3027, 3030, 3028, 3029};
    const int xs[] = {4, 58, 112, 164, 216, 268, 320, 372, 424, 476, 528, 580, 636, 688};
    for (int i = 0; i < kToolButtonCount; ++i) {
        EXPECT_EQ(kToolButtons[i].id, ids[i]);
        EXPECT_EQ(kToolButtons[i].x, xs[i]);
        EXPECT_EQ(kToolButtons[i].imageX, 40 * i) << i; // image i of the 560-pixel strip
        EXPECT_EQ(ToolButtonIndex(ids[i]), i);
    }
    EXPECT_EQ(kToolButtons.back().x + kToolButtonSize, 740);
}

TEST(ToolButtonTable, TipKeysGiveTheTipsInEveryLanguage) {
    SelectLanguage(0);
    const wchar_t* english[] = {L"Calibration", L"Crosshair",    L"Line",        L"Parallel",  L"Rectangle",
                                L"Circle",      L"Concentric",   L"Angle",       L"Draw",      L"Arrow",
                                L"Text",        L"Stop measure", L"Back button", L"Delete all"};
    for (int i = 0; i < kToolButtonCount; ++i)
        EXPECT_EQ(GetText(kToolButtons[i].tipKey), english[i]);
    // Every language's tips fit the buttons' 63-character buffers.
    for (int language = 0; language < kLanguageCount; ++language) {
        SelectLanguage(language);
        for (const ToolButtonSpec& entry : kToolButtons) {
            EXPECT_FALSE(GetText(entry.tipKey).empty()) << entry.tipKey;
            EXPECT_LT(GetText(entry.tipKey).size(), static_cast<std::size_t>(kTipTextCapacity));
        }
    }
    SelectLanguage(0);
}

TEST(ToolButtonTable, OnlyTheFourteenIdsAreToolbarCommands) {
    std::set<int> ids;
    for (const ToolButtonSpec& entry : kToolButtons)
        ids.insert(entry.id);
    EXPECT_EQ(ids.size(), 14u);
    for (int id : {3018, 3019, 3020, 3031, 3016, 3091, 1039, 0, -1, 0x10000 + 3017})
        EXPECT_FALSE(IsToolButtonId(id)) << id;
    // The main window's tool-to-button map only names buttons that exist.
    for (int tool : {0, 1, 2, 3, 4, 5, 6, 11, 12, 13, 7, -1})
        EXPECT_TRUE(IsToolButtonId(ToolButtonForTool(tool))) << tool;
}

TEST(ToolButtonFace, FirstColumnTopRowAndNegativePointsAreOutside) {
    EXPECT_FALSE(IsOverToolButton(0, 10, 52, 52));
    EXPECT_FALSE(IsOverToolButton(10, 0, 52, 52));
    EXPECT_TRUE(IsOverToolButton(1, 1, 52, 52));
    EXPECT_TRUE(IsOverToolButton(51, 51, 52, 52));
    EXPECT_FALSE(IsOverToolButton(52, 10, 52, 52));
    EXPECT_FALSE(IsOverToolButton(10, 52, 52, 52));
    // Left of or above the button while it holds the capture.
    EXPECT_FALSE(IsOverToolButton(kMinus1, 10, 52, 52));
    EXPECT_FALSE(IsOverToolButton(10, kMinus1, 52, 52));
}

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
    p.Move(0, 20); // column 0 is outside: still nothing
    EXPECT_FALSE(p.state.hover || p.capture);
    EXPECT_EQ(p.clicks, 1);
}

TEST(ToolButtonMouseTest, ReleaseOutsideSendsNothingComingBackFirstClicksOnce) {
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
}

TEST(ToolButtonMouseTest, CheckedButtonShowsHoverPressedThenCheckedAgain) {
    PointerSim p;
    EXPECT_EQ(p.Alpha(false), 0);
    EXPECT_EQ(p.Alpha(true), 96);
    p.Move(10, 10);
    EXPECT_EQ(p.Alpha(false), 144);
    EXPECT_EQ(p.Alpha(true), 144);
    p.Down(10, 10);
    EXPECT_EQ(p.Alpha(true), 180);
    p.Move(100, 10);
    EXPECT_EQ(p.Alpha(false), 180); // pressed, though outside
    p.Move(10, 10);
    p.Up(10, 10);
    EXPECT_EQ(p.Alpha(true), 144);
    p.Move(100, 10);
    EXPECT_EQ(p.Alpha(true), 96);
}

TEST(ToolButtonMouseTest, AClickNeedsAPressHereButNoMoveBeforeIt) {
    PointerSim still; // a button that appeared under a still pointer gets no move before the press
    still.Down(20, 20);
    still.Up(20, 20);
    EXPECT_EQ(still.clicks, 1);

    PointerSim drag; // a drag that began elsewhere and ends over the button
    drag.Move(10, 10);
    drag.Up(10, 10);
    EXPECT_EQ(drag.clicks, 0);
}

TEST(ToolButtonMouseTest, CancelModeForgetsHoverAndPressOnlyWithTheCapture) {
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
