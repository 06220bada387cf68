#include "view/time_samples.h"
#include "view/view_geometry.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ViewZoom, FitTakesTheSmallerRatioWithinFiftyToTwoHundred) {
    EXPECT_EQ(FitZoomPercent(1000, 700, 1920, 1080), 52); // width decides: 52.08
    EXPECT_EQ(FitZoomPercent(1920, 540, 1920, 1080), 50); // height decides
    EXPECT_EQ(FitZoomPercent(570, 10000, 1000, 480), 57); // exact, not 56.999...
    EXPECT_EQ(FitZoomPercent(300, 200, 1920, 1080), 50);  // clamped up
    EXPECT_EQ(FitZoomPercent(4000, 4000, 640, 480), 200); // clamped down
    EXPECT_EQ(FitZoomPercent(0, 0, 640, 480), 50);
    EXPECT_EQ(FitZoomPercent(800, 600, 0, 0), 100); // no content: nothing to fit
    EXPECT_TRUE(IsFitZoomRequest(49));
    EXPECT_TRUE(IsFitZoomRequest(201));
    EXPECT_TRUE(IsFitZoomRequest(0));
    EXPECT_FALSE(IsFitZoomRequest(50));
    EXPECT_FALSE(IsFitZoomRequest(200));
    EXPECT_EQ(ZoomedSize(1280, 75), 960);
    EXPECT_EQ(ZoomedSize(641, 50), 320); // truncated
}

TEST(ViewScrollBars, PictureSmallerThanWindowNeedsNoBar) {
    const ScrollBarState s = LayoutScrollBars(1000, 800, 640, 480, 30, 40, 17, 17);
    EXPECT_FALSE(s.hShown);
    EXPECT_FALSE(s.vShown);
    EXPECT_EQ(s.scrollX, 0);
    EXPECT_EQ(s.scrollY, 0);
}

TEST(ViewScrollBars, HorizontalBarCanBringTheVerticalOne) {
    // Only wider than the window; the horizontal bar's height then makes it taller than the rest.
    const ScrollBarState s = LayoutScrollBars(600, 490, 640, 480, 0, 0, 17, 17);
    EXPECT_TRUE(s.hShown);
    EXPECT_TRUE(s.vShown);
    EXPECT_EQ(s.viewWidth, 583);
    EXPECT_EQ(s.viewHeight, 473);
}

TEST(ViewScrollBars, VerticalBarCanBringTheHorizontalOne) {
    // Fits in width until the vertical bar takes its 17 pixels.
    const ScrollBarState s = LayoutScrollBars(650, 400, 640, 480, 0, 0, 17, 17);
    EXPECT_TRUE(s.vShown);
    EXPECT_TRUE(s.hShown);
    EXPECT_EQ(s.viewWidth, 633);
    EXPECT_EQ(s.viewHeight, 383);
}

TEST(ViewScrollBars, ClampsPositionAndSetsPageAndRange) {
    const ScrollBarState s = LayoutScrollBars(500, 2000, 1280, 960, 5000, -10, 17, 17);
    EXPECT_TRUE(s.hShown);
    EXPECT_FALSE(s.vShown);
    EXPECT_EQ(s.scrollX, 1280 - 500);
    EXPECT_EQ(s.scrollY, 0);
    EXPECT_EQ(s.hPage, 50); // min(500 / 3, 50)
    EXPECT_EQ(s.hMax, (1280 - 500) + 50 - 1);
    const ScrollBarState small = LayoutScrollBars(90, 2000, 1280, 960, 0, 0, 17, 17);
    EXPECT_EQ(small.hPage, 30);
}

TEST(ViewScroll, RequestsMoveAndClamp) {
    EXPECT_EQ(ScrollPosition(kScrollLineDown, 10, 0, 1000, 400), 15);
    EXPECT_EQ(ScrollPosition(kScrollLineUp, 3, 0, 1000, 400), 0);
    EXPECT_EQ(ScrollPosition(kScrollPageDown, 10, 0, 1000, 400), 60);
    EXPECT_EQ(ScrollPosition(kScrollPageUp, 100, 0, 1000, 400), 50);
    EXPECT_EQ(ScrollPosition(kScrollThumbTrack, 10, 250, 1000, 400), 250);
    EXPECT_EQ(ScrollPosition(kScrollThumbPosition, 10, 9999, 1000, 400), 600);
    EXPECT_EQ(ScrollPosition(kScrollTop, 300, 0, 1000, 400), 0);
    EXPECT_EQ(ScrollPosition(kScrollBottom, 0, 0, 1000, 400), 600); // right edge at the window's edge
    EXPECT_EQ(ScrollPosition(8, 123, 0, 1000, 400), 123);           // end-scroll keeps it
    EXPECT_EQ(ScrollPosition(kScrollBottom, 0, 0, 300, 400), 0);    // picture smaller: stays 0
}

TEST(ViewPan, PictureFollowsThePointer) {
    EXPECT_EQ(PanPosition(100, 30, 1000, 400), 70); // pointer right: picture moves right
    EXPECT_EQ(PanPosition(100, -30, 1000, 400), 130);
    EXPECT_EQ(PanPosition(10, 30, 1000, 400), 0);
    EXPECT_EQ(PanPosition(590, -30, 1000, 400), 600);
    EXPECT_EQ(PanPosition(0, 30, 400, 400), 0); // fits: no panning
}

TEST(ViewPoints, WindowPointToContentWithCentringAndScroll) {
    // 640x480 content centred in 1000x800: margins 180 and 160.
    ContentPoint p = WindowToContent(180, 160, 1000, 800, 640, 480, 0, 0);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_TRUE(p.inside);
    p = WindowToContent(179, 500, 1000, 800, 640, 480, 0, 0);
    EXPECT_FALSE(p.inside);
    p = WindowToContent(819, 639, 1000, 800, 640, 480, 0, 0);
    EXPECT_EQ(p.x, 639);
    EXPECT_EQ(p.y, 479);
    EXPECT_TRUE(p.inside);
    p = WindowToContent(820, 300, 1000, 800, 640, 480, 0, 0);
    EXPECT_FALSE(p.inside);
    // Larger than the window: no margin, the scroll offset counts.
    p = WindowToContent(10, 20, 800, 600, 1920, 1080, 300, 200);
    EXPECT_EQ(p.x, 310);
    EXPECT_EQ(p.y, 220);
    EXPECT_TRUE(p.inside);
}

TEST(ViewPoints, CentringAndBlitSpans) {
    EXPECT_EQ(CentredScrollPosition(7, 1920, 800), 560);
    EXPECT_EQ(CentredScrollPosition(7, 640, 800), 7);
    const BlitSpan centred = BackBufferSpan(false, 99, 1000, 640);
    EXPECT_EQ(centred.destination, 180);
    EXPECT_EQ(centred.source, 0);
    EXPECT_EQ(centred.length, 640);
    const BlitSpan scrolled = BackBufferSpan(true, 99, 800, 1920);
    EXPECT_EQ(scrolled.destination, 0);
    EXPECT_EQ(scrolled.source, 99);
    EXPECT_EQ(scrolled.length, 800);
}

TEST(ViewCountdown, FirstOpenAfterOneTickAndEightAfterAnArrival) {
    CountdownTick t = TickReopenCountdown(kReopenCountdownAtStart);
    EXPECT_TRUE(t.openNow);
    EXPECT_EQ(t.next, 0);
    int countdown = kReopenCountdownAfterArrival;
    int ticks = 0;
    bool opened = false;
    while (!opened && ticks < 100) {
        t = TickReopenCountdown(countdown);
        countdown = t.next;
        opened = t.openNow;
        ++ticks;
    }
    EXPECT_EQ(ticks, 8);
    EXPECT_EQ(countdown, 0);
    t = TickReopenCountdown(0); // idle stays idle
    EXPECT_FALSE(t.openNow);
    EXPECT_EQ(t.next, 0);
}

TEST(ViewDigitalZoom, EachStepCropsTenPercentMoreHalfFromEachSide) {
    const struct {
        int step, x, y, w, h;
    } cases[] = {
        {1, 32, 24, 576, 432},  {2, 64, 48, 512, 384},   {3, 96, 72, 448, 336},
        {4, 128, 96, 384, 288}, {5, 160, 120, 320, 240}, // step 5: the middle half
    };
    for (const auto& c : cases) {
        const CropRect r = DigitalZoomCrop(640, 480, c.step);
        EXPECT_EQ(r.x, c.x) << c.step;
        EXPECT_EQ(r.y, c.y) << c.step;
        EXPECT_EQ(r.width, c.w) << c.step;
        EXPECT_EQ(r.height, c.h) << c.step;
    }
    // Rounding half away from zero: 0.1 * 3 * 645 = 193.5 -> 194.
    const CropRect odd = DigitalZoomCrop(645, 485, 3);
    EXPECT_EQ(odd.width, 645 - 194);
    EXPECT_EQ(odd.x, 97);
    const CropRect none = DigitalZoomCrop(640, 480, 0);
    EXPECT_EQ(none.width, 640);
    EXPECT_EQ(none.x, 0);
}

TEST(TimeSamples, PercentilesAreOfTheNewestSamplesOnly) {
    TimeSamples samples;
    EXPECT_EQ(samples.Percentile(50), 0u);
    // 1000 slow samples, then a full window of fast ones 1..256: only the fast ones count.
    for (unsigned i = 0; i < 1000; ++i)
        samples.Add(1000000);
    for (unsigned i = 1; i <= TimeSamples::kKept; ++i)
        samples.Add(i);
    EXPECT_EQ(samples.Percentile(0), 1u);
    EXPECT_EQ(samples.Percentile(50), 129u);
    EXPECT_EQ(samples.Percentile(95), 244u);
    EXPECT_EQ(samples.Percentile(100), 256u);
    EXPECT_EQ(samples.Percentile(150), 256u);
}
