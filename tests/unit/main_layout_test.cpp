#include "app/main_layout.h"

#include <gtest/gtest.h>

#include <tuple>

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
    EXPECT_EQ(std::tuple(l.panel.x, l.panel.width, l.panel.height), std::tuple(0, 252, 900));
    EXPECT_EQ(l.toolbar.x, 254); // the 2-pixel strip
    EXPECT_EQ(std::tuple(l.toolbar.y, l.toolbar.width, l.toolbar.height, l.view.x, l.view.y, l.view.width,
                         l.view.height),
              std::tuple(0, 1280 - 254, 52, 254, 52, 1280 - 254, 900 - 52));
}

TEST(MainLayout, TinyOrMinimisedClientGivesNoNegativeSizes) {
    const MainLayout l = ComputeMainLayout(0, 0, 252);
    EXPECT_EQ(std::tuple(l.toolbar.width, l.view.width, l.view.height, l.panel.height),
              std::tuple(0, 0, 0, 0));
    const MainLayout m = ComputeMainLayout(300, 40, 252);
    EXPECT_EQ(m.toolbar.width, 46);
    EXPECT_EQ(m.view.height, 0);
}
