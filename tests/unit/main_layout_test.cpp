#include "app/main_layout.h"

#include <gtest/gtest.h>

TEST(MulDivRounded, RoundsHalfAwayFromZeroLikeThePlatform) {
    EXPECT_EQ(MulDivRounded(126, 8, 4), 252);
    EXPECT_EQ(MulDivRounded(126, 7, 4), 221); // 220.5
    EXPECT_EQ(MulDivRounded(-126, 7, 4), -221);
    EXPECT_EQ(MulDivRounded(5, 1, 3), 2); // 1.67
    EXPECT_EQ(MulDivRounded(4, 1, 3), 1); // 1.33
    EXPECT_EQ(MulDivRounded(1, 1, 0), -1);
    EXPECT_EQ(MulDivRounded(0x40000000, 4, 1), -1);         // overflow
    EXPECT_EQ(MulDivRounded(0x40000000, 4, 8), 0x20000000); // no overflow in between
}

TEST(MainLayout, PanelLeftToolbarAndViewRight) {
    const int panel = DialogUnitsToPixelsX(kPanelWidthDialogUnits, 8); // 252
    const MainLayout l = ComputeMainLayout(1280, 900, panel);
    EXPECT_EQ(l.panel.x, 0);
    EXPECT_EQ(l.panel.width, 252);
    EXPECT_EQ(l.panel.height, 900);
    EXPECT_EQ(l.toolbar.x, 254); // the 2-pixel strip
    EXPECT_EQ(l.toolbar.y, 0);
    EXPECT_EQ(l.toolbar.width, 1280 - 254);
    EXPECT_EQ(l.toolbar.height, 52);
    EXPECT_EQ(l.view.x, 254);
    EXPECT_EQ(l.view.y, 52);
    EXPECT_EQ(l.view.width, 1280 - 254);
    EXPECT_EQ(l.view.height, 900 - 52);
}

TEST(MainLayout, TinyOrMinimisedClientGivesNoNegativeSizes) {
    const MainLayout l = ComputeMainLayout(0, 0, 252);
    EXPECT_EQ(l.toolbar.width, 0);
    EXPECT_EQ(l.view.width, 0);
    EXPECT_EQ(l.view.height, 0);
    EXPECT_EQ(l.panel.height, 0);
    const MainLayout m = ComputeMainLayout(300, 40, 252);
    EXPECT_EQ(m.toolbar.width, 46);
    EXPECT_EQ(m.view.height, 0);
}
