// How long the measurement overlay takes to draw under Wine, not a pass/fail test: 100 shapes of
// every kind with the crosshair at 1920x1080, split into building the steps and drawing each kind
// of step, against one memcpy of a frame. Built into the overlay's Wine test executable
// (measure_render_test); tools/bench runs the ...Figures case, ctest leaves it out.
#include "bench/bench_table.h"
#include "tests/wine/overlay_back_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

TEST(MeasureRender, HundredShapesAt1920x1080Figures) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    BackBuffer buffer(1920, 1080);
    MeasureState state;
    const int kinds[] = {TOOL_LINE,           TOOL_RECTANGLE,          TOOL_CIRCLE, TOOL_ARROW,
                         TOOL_PARALLEL_LINES, TOOL_CONCENTRIC_CIRCLES, TOOL_ANGLE,  TOOL_PENCIL};
    for (int i = 0; i < 100; ++i) {
        const int x = 20 + (i * 97) % 1700, y = 20 + (i * 61) % 900;
        MeasureShape s = MakeShape(kinds[i % 8], {x, y}, {x + 90, y + 70}, {x + 30, y + 90});
        for (int k = 0; k <= 12; ++k)
            s.points.push_back({x + 7 * k, y + 6 * k});
        state.shapes.push_back(s);
    }
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // The baseline: one memcpy of a 1920x1080 frame of the camera.
    std::vector<uint8_t> from(1920 * 1080 * 3, 1), to(from.size());
    std::vector<double> copies;
    for (int run = 0; run < 15; ++run) {
        const auto t0 = Clock::now();
        std::memcpy(to.data(), from.data(), from.size());
        copies.push_back(ms(Clock::now() - t0));
        from[static_cast<size_t>(run) * 4096] = to.back();
    }
    const double copy = median(copies);
    char baseline[48];
    std::snprintf(baseline, sizeof baseline, "memcpy %.2f ms", copy);
    for (float scale : {-1.0f, 100.0f}) {
        OverlayInput in = Calibrated(1920, 1080);
        in.scale = scale;
        in.ruler = ComputeRulerStep(scale);
        std::vector<double> build, draw;
        std::map<int, std::vector<double>> byStep;
        std::map<int, size_t> counts;
        for (int run = 0; run < 15; ++run) {
            OverlaySession session(buffer.drawing());
            std::vector<OverlayItem> items;
            const auto t0 = Clock::now();
            BuildOverlay(state, in, session.Metrics(), items);
            const auto t1 = Clock::now();
            session.Draw(items);
            const auto t2 = Clock::now();
            build.push_back(ms(t1 - t0));
            draw.push_back(ms(t2 - t1));
            for (int step = 0; step <= static_cast<int>(OverlayStep::Text); ++step) {
                std::vector<OverlayItem> subset;
                for (const OverlayItem& item : items) {
                    if (static_cast<int>(item.step) == step)
                        subset.push_back(item);
                }
                counts[step] = subset.size();
                const auto s0 = Clock::now();
                session.Draw(subset);
                byStep[step].push_back(ms(Clock::now() - s0));
            }
        }
        for (const auto& [name, times] : {std::pair{"build", &build}, std::pair{"draw", &draw}}) {
            char figure[96], measured[32], ratio[16];
            std::snprintf(figure, sizeof figure, "overlay of 100 shapes 1920x1080 %s, %s, median of 15",
                          scale > 0 ? "calibrated" : "uncalibrated", name);
            std::snprintf(measured, sizeof measured, "%.2f ms", median(*times));
            std::snprintf(ratio, sizeof ratio, "%.2fx", median(*times) / copy);
            PrintBenchRow(figure, measured, baseline, ratio, "-", "-");
        }
        const char* names[] = {"lines", "circles", "strokes", "triangles", "filled boxes", "frames", "texts"};
        for (const auto& [step, times] : byStep)
            std::printf("  %-12s %4zu: %.2f ms\n", names[step], counts[step], median(times));
    }
}
