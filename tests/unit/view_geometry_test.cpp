#include "view/time_samples.h"
#include "view/view_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>

TEST(ViewZoom, FitTakesTheSmallerRatioWithinFiftyToTwoHundred) {
    // Window, content, percent: the width decides (52.08), the height, exactly 57 (not 56.999),
    // clamped up, clamped down, no window; no content, nothing to fit.
    for (const auto& [ww, wh, cw, ch, percent] : {std::array{1000, 700, 1920, 1080, 52},
                                                  {1920, 540, 1920, 1080, 50},
                                                  {570, 10000, 1000, 480, 57},
                                                  {300, 200, 1920, 1080, 50},
                                                  {4000, 4000, 640, 480, 200},
                                                  {0, 0, 640, 480, 50},
                                                  {800, 600, 0, 0, 100}})
        EXPECT_EQ(FitZoomPercent(ww, wh, cw, ch), percent) << ww << "x" << wh << " " << cw << "x" << ch;
    for (const int zoom : {49, 201, 0, 50, 200})
        EXPECT_EQ(IsFitZoomRequest(zoom), zoom < 50 || zoom > 200) << zoom;
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

TEST(ViewScroll, RequestsAndPanningMoveAndClamp) {
    // Request, position, thumb, picture size, window size, position after. The bottom puts the
    // picture's far edge at the window's; end-scroll (8) keeps the position; a smaller picture stays at 0.
    for (const auto& [request, position, thumb, picture, window, after] :
         {std::array<int, 6>{kScrollLineDown, 10, 0, 1000, 400, 15},
          {kScrollLineUp, 3, 0, 1000, 400, 0},
          {kScrollPageDown, 10, 0, 1000, 400, 60},
          {kScrollPageUp, 100, 0, 1000, 400, 50},
          {kScrollThumbTrack, 10, 250, 1000, 400, 250},
          {kScrollThumbPosition, 10, 9999, 1000, 400, 600},
          {kScrollTop, 300, 0, 1000, 400, 0},
          {kScrollBottom, 0, 0, 1000, 400, 600},
          {8, 123, 0, 1000, 400, 123},
          {kScrollBottom, 0, 0, 300, 400, 0}})
        EXPECT_EQ(ScrollPosition(request, position, thumb, picture, window), after)
            << request << " from " << position;

    EXPECT_EQ(PanPosition(100, 30, 1000, 400), 70); // pointer right: picture moves right
    EXPECT_EQ(PanPosition(10, 30, 1000, 400), 0);
    EXPECT_EQ(PanPosition(590, -30, 1000, 400), 600);
    EXPECT_EQ(PanPosition(0, 30, 400, 400), 0); // fits: no panning
}

TEST(ViewPoints, WindowPointToContentCentringAndBlitSpans) {
    const auto at = [](ContentPoint p) { return std::tuple(p.x, p.y, p.inside); };
    // 640x480 content centred in 1000x800: margins 180 and 160.
    EXPECT_EQ(at(WindowToContent(180, 160, 1000, 800, 640, 480, 0, 0)), std::tuple(0, 0, true));
    EXPECT_FALSE(WindowToContent(179, 500, 1000, 800, 640, 480, 0, 0).inside);
    EXPECT_EQ(at(WindowToContent(819, 639, 1000, 800, 640, 480, 0, 0)), std::tuple(639, 479, true));
    EXPECT_FALSE(WindowToContent(820, 300, 1000, 800, 640, 480, 0, 0).inside);
    // Larger than the window: no margin, the scroll offset counts.
    EXPECT_EQ(at(WindowToContent(10, 20, 800, 600, 1920, 1080, 300, 200)), std::tuple(310, 220, true));

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
    for (int step = 0; step <= 5; ++step) // at 5, the middle half
        EXPECT_EQ(crop(640, 480, step), std::tuple(32 * step, 24 * step, 640 - 64 * step, 480 - 48 * step))
            << step;
    // Rounding half away from zero: 0.1 * 3 * 645 = 193.5 -> 194.
    EXPECT_EQ(crop(645, 485, 3), std::tuple(97, 73, 645 - 194, 485 - 146));
}

TEST(TimeSamples, PercentilesAreOfTheNewestSamplesOnly) {
    TimeSamples samples;
    EXPECT_EQ(samples.Percentile(50), 0u);
    // 1000 slow samples, then a full window of fast ones 1..256: only the fast ones count.
    for (unsigned i = 0; i < 1000; ++i)
        samples.Add(1000000);
    for (unsigned i = 1; i <= TimeSamples::kKept; ++i)
        samples.Add(i);
    for (const auto& [percent, sample] : {std::pair{0, 1u}, {50, 129u}, {95, 244u}, {100, 256u}, {150, 256u}})
        EXPECT_EQ(samples.Percentile(percent), sample) << percent;
}
