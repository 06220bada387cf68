#include "view/time_samples.h"
#include "view/view_geometry.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
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

TEST(ViewScrollBars, EachBarCanBringTheOtherAndThePositionIsClamped) {
    // Which bars, the view left beside them, the position: a picture smaller than the window needs
    // none; one bar's thickness can make the picture overflow the other way too.
    const auto bars = [](const ScrollBarState& s) {
        return std::tuple(s.hShown, s.vShown, s.viewWidth, s.viewHeight, s.scrollX, s.scrollY);
    };
    EXPECT_EQ(bars(LayoutScrollBars(1000, 800, 640, 480, 30, 40, 17, 17)),
              std::tuple(false, false, 1000, 800, 0, 0));
    EXPECT_EQ(bars(LayoutScrollBars(600, 490, 640, 480, 0, 0, 17, 17)),
              std::tuple(true, true, 583, 473, 0, 0));
    EXPECT_EQ(bars(LayoutScrollBars(650, 400, 640, 480, 0, 0, 17, 17)),
              std::tuple(true, true, 633, 383, 0, 0));
    const ScrollBarState s = LayoutScrollBars(500, 2000, 1280, 960, 5000, -10, 17, 17);
    EXPECT_EQ(bars(s), std::tuple(true, false, 500, 2000 - 17, 1280 - 500, 0));
    EXPECT_EQ(s.hPage, 50); // a third of the view, at most 50
    EXPECT_EQ(s.hMax, (1280 - 500) + 50 - 1);
    EXPECT_EQ(LayoutScrollBars(90, 2000, 1280, 960, 0, 0, 17, 17).hPage, 30);
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
    const auto at = [](ContentPoint p) { return std::tuple(p.x, p.y, p.inside); };
    // 640x480 content centred in 1000x800: margins 180 and 160.
    EXPECT_EQ(at(WindowToContent(180, 160, 1000, 800, 640, 480, 0, 0)), std::tuple(0, 0, true));
    EXPECT_FALSE(WindowToContent(179, 500, 1000, 800, 640, 480, 0, 0).inside);
    EXPECT_EQ(at(WindowToContent(819, 639, 1000, 800, 640, 480, 0, 0)), std::tuple(639, 479, true));
    EXPECT_FALSE(WindowToContent(820, 300, 1000, 800, 640, 480, 0, 0).inside);
    // Larger than the window: no margin, the scroll offset counts.
    EXPECT_EQ(at(WindowToContent(10, 20, 800, 600, 1920, 1080, 300, 200)), std::tuple(310, 220, true));
}

TEST(ViewPoints, CentringAndBlitSpans) {
    const auto span = [](BlitSpan s) { return std::tuple(s.destination, s.source, s.length); };
    EXPECT_EQ(CentredScrollPosition(7, 1920, 800), 560);
    EXPECT_EQ(CentredScrollPosition(7, 640, 800), 7);
    EXPECT_EQ(span(BackBufferSpan(false, 99, 1000, 640)), std::tuple(180, 0, 640));
    EXPECT_EQ(span(BackBufferSpan(true, 99, 800, 1920)), std::tuple(0, 99, 800));
}

TEST(ViewCountdown, FirstOpenAfterOneTickAndEightAfterAnArrival) {
    const auto tick = [](CountdownTick t) { return std::pair(t.next, t.openNow); };
    EXPECT_EQ(tick(TickReopenCountdown(kReopenCountdownAtStart)), std::pair(0, true));
    int countdown = kReopenCountdownAfterArrival;
    int ticks = 0;
    for (bool opened = false; !opened && ticks < 100; ++ticks) {
        const CountdownTick t = TickReopenCountdown(countdown);
        countdown = t.next;
        opened = t.openNow;
    }
    EXPECT_EQ(ticks, 8);
    EXPECT_EQ(countdown, 0);
    EXPECT_EQ(tick(TickReopenCountdown(0)), std::pair(0, false)); // idle stays idle
}

TEST(ViewDigitalZoom, EachStepCropsTenPercentMoreHalfFromEachSide) {
    const auto crop = [](int w, int h, int step) {
        const CropRect r = DigitalZoomCrop(w, h, step);
        return std::tuple(r.x, r.y, r.width, r.height);
    };
    EXPECT_EQ(crop(640, 480, 1), std::tuple(32, 24, 576, 432));
    EXPECT_EQ(crop(640, 480, 2), std::tuple(64, 48, 512, 384));
    EXPECT_EQ(crop(640, 480, 3), std::tuple(96, 72, 448, 336));
    EXPECT_EQ(crop(640, 480, 4), std::tuple(128, 96, 384, 288));
    EXPECT_EQ(crop(640, 480, 5), std::tuple(160, 120, 320, 240)); // the middle half
    // Rounding half away from zero: 0.1 * 3 * 645 = 193.5 -> 194.
    EXPECT_EQ(crop(645, 485, 3), std::tuple(97, 73, 645 - 194, 485 - 146));
    EXPECT_EQ(crop(640, 480, 0), std::tuple(0, 0, 640, 480));
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
