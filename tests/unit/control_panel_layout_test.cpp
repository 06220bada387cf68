// The control panel's arithmetic: the sections' heights answers, the stack of sections, the
// scroll range and position, and the header bar's chevron.
#include "panels/panel_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

namespace {

PanelSlot Slot(int collapsed, int expanded, int isExpanded) {
    return {{collapsed, expanded}, isExpanded};
}

// Device, Preview and Files expanded, Colors collapsed, with heights of a 96-dpi screen.
std::vector<PanelSlot> StartingSlots() {
    return {Slot(29, 213, 1), Slot(29, 161, 1), Slot(29, 465, 0), Slot(29, 465, 1)};
}

} // namespace

TEST(PanelLayout, HeightsAnswersAndTheStackFromTheTopMarginMinusTheScrollPosition) {
    EXPECT_EQ(PackHeightsAnswer(29, 213), 29u | 213u << 16);
    const SectionHeights h = UnpackHeightsAnswer(PackHeightsAnswer(29, 213));
    EXPECT_EQ(std::tuple(h.collapsed, h.expanded), std::tuple(29, 213));

    // A window that does not know the query answers 0: it takes no room either way.
    const SectionHeights none = UnpackHeightsAnswer(0);
    EXPECT_EQ(std::tuple(none.collapsed, none.expanded), std::tuple(0, 0));
    EXPECT_EQ(SlotHeight({none, 1}), 0);

    // Out of 16 bits: clamped, never spilling into the other half.
    const SectionHeights clamped = UnpackHeightsAnswer(PackHeightsAnswer(70000, -3));
    EXPECT_EQ(std::tuple(clamped.collapsed, clamped.expanded), std::tuple(0xFFFF, 0));

    const std::vector<PanelSlot> slots = StartingSlots();
    EXPECT_EQ(PanelContentHeight(slots, 8), 16 + 213 + 161 + 29 + 465);

    const std::vector<PanelRect> at0 = LayoutPanelSections(slots, 252, 8, 8, 0);
    ASSERT_EQ(at0.size(), 4u);
    EXPECT_EQ(at0[0], (PanelRect{8, 8, 236, 213}));
    EXPECT_EQ(at0[2], (PanelRect{8, 382, 236, 29})); // collapsed
    EXPECT_EQ(at0[3], (PanelRect{8, 411, 236, 465}));

    const std::vector<PanelRect> scrolled = LayoutPanelSections(slots, 235, 8, 8, 100);
    EXPECT_EQ(scrolled[0], (PanelRect{8, -92, 219, 213}));
    EXPECT_EQ(scrolled[3].y, 311);

    // Narrower than the margins: no negative widths.
    EXPECT_EQ(LayoutPanelSections(slots, 10, 8, 8, 0)[0].width, 0);
}

TEST(PanelScroll, BarOnlyForTallerContentWithThePositionClamped) {
    for (int old : {0, 57, 10000}) {
        const PanelScroll s = ComputePanelScroll(600, 700, old);
        EXPECT_FALSE(s.showBar);
        EXPECT_EQ(s.position, 0) << old;
    }
    EXPECT_FALSE(ComputePanelScroll(700, 700, 30).showBar); // exactly fitting

    // Taller content shows the bar with a clamped position.
    const PanelScroll s = ComputePanelScroll(900, 480, 57);
    EXPECT_EQ(std::tuple(bool(s.showBar), s.range, s.position), std::tuple(true, 420, 57));
    // A page of 20 on a maximum of range + 19: the thumb's last position is exactly the range.
    EXPECT_EQ(s.scrollMax - kPanelScrollPage + 1, s.range);

    EXPECT_EQ(ComputePanelScroll(900, 480, 5000).position, 420); // window grew: clamped
    EXPECT_EQ(ComputePanelScroll(900, 480, -4).position, 0);

    // Collapsing the section that overflowed resets the position.
    std::vector<PanelSlot> slots = {Slot(29, 213, 1), Slot(29, 400, 1)};
    const int client = 500;
    int position = ComputePanelScroll(PanelContentHeight(slots, 8), client, 0).position;
    position = ScrolledPanelPosition(kScrollBottom, position, 0, 17, PanelContentHeight(slots, 8), client);
    EXPECT_EQ(position, 16 + 613 - 500);

    slots[1].expanded = 0;
    const PanelScroll after = ComputePanelScroll(PanelContentHeight(slots, 8), client, position);
    EXPECT_FALSE(after.showBar);
    EXPECT_EQ(LayoutPanelSections(slots, 252, 8, 8, after.position)[0].y, 8);
}

TEST(PanelScroll, RequestsAndTheWheelMoveWithinTheRange) {
    const int content = 900, client = 480, step = 17; // range 420
    EXPECT_EQ(ScrolledPanelPosition(kScrollLineDown, 100, 0, step, content, client), 117);
    EXPECT_EQ(ScrolledPanelPosition(kScrollLineUp, 100, 0, step, content, client), 83);
    EXPECT_EQ(ScrolledPanelPosition(kScrollPageDown, 100, 0, step, content, client), 168);
    EXPECT_EQ(ScrolledPanelPosition(kScrollPageUp, 100, 0, step, content, client), 32);
    EXPECT_EQ(ScrolledPanelPosition(kScrollThumbTrack, 100, 250, step, content, client), 250);
    EXPECT_EQ(ScrolledPanelPosition(kScrollThumbPosition, 100, 251, step, content, client), 251);
    EXPECT_EQ(ScrolledPanelPosition(kScrollTop, 100, 0, step, content, client), 0);
    EXPECT_EQ(ScrolledPanelPosition(kScrollBottom, 100, 0, step, content, client), 420);
    EXPECT_EQ(ScrolledPanelPosition(8 /* SB_ENDSCROLL */, 100, 0, step, content, client), 100);

    // Past either end stops at the end.
    EXPECT_EQ(ScrolledPanelPosition(kScrollLineUp, 5, 0, step, content, client), 0);
    EXPECT_EQ(ScrolledPanelPosition(kScrollPageDown, 410, 0, step, content, client), 420);

    // Nothing moves while everything fits.
    EXPECT_EQ(ScrolledPanelPosition(kScrollBottom, 0, 0, step, 400, 480), 0);

    // The wheel: up for positive deltas, down otherwise.
    EXPECT_EQ(WheelScrollRequest(1), kScrollLineUp);
    EXPECT_EQ(WheelScrollRequest(0), kScrollLineDown);
}

// The chevron sits 20 pixels from the bar's right end, about its middle, pointing up when the
// section is expanded and down when collapsed; the caption is centred the same way.
TEST(HeaderBar, ChevronPointsUpWhenExpandedAndDownWhenCollapsed) {
    for (const int height : {27, 28})
        for (const bool expanded : {true, false}) {
            SCOPED_TRACE(testing::Message() << height << (expanded ? " expanded" : " collapsed"));
            const Chevron c = HeaderChevron(236, height, expanded);
            EXPECT_EQ(std::tuple(c.from.x, c.tip.x, c.to.x), std::tuple(211, 216, 222));
            EXPECT_EQ(c.tip.y < c.from.y && c.tip.y < c.to.y, expanded);
            EXPECT_EQ(std::abs(c.from.y - c.tip.y), 5);
            EXPECT_EQ(std::abs(c.to.y - c.tip.y), 6);
            EXPECT_LE(std::abs(c.from.y + c.tip.y - height), 3);
        }
    EXPECT_EQ(HeaderTextY(28, 21), 3);
}
