#include "app/main_layout.h"
#include "base/display_scale.h"
#include "panels/tool_button_face.h"
#include "panels/tool_button_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

constexpr int kDpis[] = {96, 120, 144, 168, 192, 288};

} // namespace

TEST(DisplayScale, IdentityAt96MonotoneAndRoundedHalfUp) {
    for (int value : {-7, 0, 1, 2, 3, 52, 126, 798, 100000}) {
        EXPECT_EQ(ScaleForDpi(value, 96), value);
        // A DPI the window cannot tell counts as 96.
        EXPECT_EQ(ScaleForDpi(value, 0), value);
        EXPECT_EQ(ScaleForDpi(value, -144), value);
        int previous = value;
        for (int dpi : kDpis) {
            const int scaled = ScaleForDpi(value, dpi);
            if (value >= 0) {
                EXPECT_GE(scaled, previous) << value << " at " << dpi;
            }
            previous = scaled;
        }
    }
    for (int dpi : kDpis) {
        for (int value = 0; value < 200; ++value)
            EXPECT_LE(ScaleForDpi(value, dpi), ScaleForDpi(value + 1, dpi)) << value << " at " << dpi;
    }
    EXPECT_EQ(ScaleForDpi(52, 120), 65);
    EXPECT_EQ(ScaleForDpi(2, 120), 3); // 2.5
    EXPECT_EQ(ScaleBetweenDpis(253, 144, 144), 253);
    EXPECT_EQ(ScaleBetweenDpis(378, 144, 96), 252);
    // Rectangles that touch at 96 DPI still touch once scaled.
    const LayoutRect left = ScaleRectForDpi({4, 0, 52, 52}, 120);
    const LayoutRect right = ScaleRectForDpi({56, 0, 52, 52}, 120);
    EXPECT_EQ(left.x + left.width, ScaleForDpi(56, 120));
    EXPECT_EQ(right.x, ScaleForDpi(56, 120));
}

TEST(MulDivRounded, RoundsHalfAwayFromZeroLikeThePlatform) {
    EXPECT_EQ(MulDivRounded(126, 7, 4), 221); // 220.5
    EXPECT_EQ(MulDivRounded(-126, 7, 4), -221);
    EXPECT_EQ(MulDivRounded(4, 1, 3), 1); // 1.33
    EXPECT_EQ(MulDivRounded(1, 1, 0), -1);
    EXPECT_EQ(MulDivRounded(0x40000000, 4, 1), -1);         // overflow
    EXPECT_EQ(MulDivRounded(0x40000000, 4, 8), 0x20000000); // no overflow in between
}

// The panel on the left at its full height; the toolbar right of the gap across the top; the view
// below it. Down to a minimised client nothing gets a negative size.
TEST(DisplayScale, MainLayoutKeepsItsShapeAtEveryDpi) {
    EXPECT_EQ(DialogUnitsToPixelsX(kPanelWidthDialogUnits, 8), 252);
    for (int w : {0, 300, 1280, 2560}) {
        for (int h : {0, 40, 1024}) {
            for (int dpi : kDpis) {
                SCOPED_TRACE(testing::Message() << w << "x" << h << " at " << dpi);
                const MainLayout l = ComputeMainLayoutForDpi(w, h, 378, dpi);
                EXPECT_EQ(std::tuple(l.panel.x, l.panel.y, l.panel.width, l.panel.height, l.toolbar.x,
                                     l.toolbar.y, l.toolbar.height),
                          std::tuple(0, 0, 378, h, 378 + ScaleForDpi(kPanelGap, dpi), 0,
                                     ScaleForDpi(kToolbarHeight, dpi)));
                EXPECT_EQ(std::tuple(l.toolbar.width, l.view.x, l.view.y, l.view.width, l.view.height),
                          std::tuple(std::max(w - l.toolbar.x, 0), l.toolbar.x, l.toolbar.height,
                                     l.toolbar.width, std::max(h - l.toolbar.height, 0)));
            }
        }
    }
}

TEST(DisplayScale, MinimumTrackSizeGrowsButStaysOnTheScreen) {
    const struct {
        int dpi;
        MinTrackSize workArea;
        int width;
        int height;
    } cases[] = {
        {96, {640, 480}, 798, 520}, // 100 %: as it always was, even on a small screen
        {96, {0, 0}, 798, 520},          {120, {0, 0}, 998, 650},     {144, {1920, 1040}, 1197, 780},
        {192, {1280, 1024}, 1280, 1024}, {192, {700, 500}, 798, 520}, // never below the 100 % size
    };
    for (const auto& c : cases) {
        const MinTrackSize size = MinTrackSizeForDpi(c.dpi, c.workArea);
        EXPECT_EQ(size.width, c.width) << c.dpi;
        EXPECT_EQ(size.height, c.height) << c.dpi;
    }
}

TEST(DisplayScale, ToolButtonsScaleWithTheirOwnStrip) {
    const struct {
        int dpi;
        int imageSize;
        int stripId;
    } strips[] = {{72, 40, 137}, {120, 40, 137}, {144, 60, 138}, {192, 80, 139}};
    for (const auto& s : strips) {
        EXPECT_EQ(ToolStripForDpi(s.dpi).imageSize, s.imageSize) << s.dpi;
        EXPECT_EQ(ToolStripForDpi(s.dpi).resourceId, s.stripId) << s.dpi;
    }
    for (int i = 0; i < kToolButtonCount; ++i) {
        const ToolButtonPlace at96 = PlaceToolButton(i, 96);
        EXPECT_EQ(std::tuple(at96.x, at96.size, at96.imageX, at96.imageSize),
                  std::tuple(kToolButtons[i].x, kToolButtonSize, kToolButtons[i].imageX, kToolImageSize));
    }
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        for (int i = 0; i < kToolButtonCount; ++i) {
            const ToolButtonPlace p = PlaceToolButton(i, dpi);
            EXPECT_EQ(p.size, ScaleForDpi(kToolButtonSize, dpi));
            EXPECT_EQ(p.imageX, i * p.imageSize); // image i of its own strip
            // The image sits inside the face with a margin, drawn 1:1.
            const FacePoint at = ToolImageOrigin(p.size, p.size, p.imageSize);
            EXPECT_GT(at.x, 0);
            EXPECT_GE(p.size - at.x - p.imageSize, at.x);
            if (i > 0) { // the row keeps its order and its gaps, no button over another
                EXPECT_GE(p.x, PlaceToolButton(i - 1, dpi).x + p.size);
            }
        }
        // The toolbar's height is the face's height.
        EXPECT_EQ(PlaceToolButton(0, dpi).size, ScaleForDpi(kToolbarHeight, dpi));
    }
    EXPECT_EQ(PlaceToolButton(-1, 144).size, 0);
    EXPECT_EQ(PlaceToolButton(kToolButtonCount, 144).size, 0);
}
