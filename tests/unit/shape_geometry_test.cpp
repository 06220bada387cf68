#include "measure/shape_geometry.h"
#include "measure/shape_layout.h"
#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

TEST(PixelLength, ExactAlongAnAxisAndPythagoreanOtherwise) {
    EXPECT_EQ(PixelLength({0, 0}, {0, -7}), 7.0f);
    EXPECT_EQ(PixelLength({5, 3}, {-6, 3}), 11.0f);
}

TEST(EndTicks, HorizontalForVerticalVerticalForHorizontalPerpendicularOtherwise) {
    // p1 = p2 takes the vertical-line case first: horizontal ticks.
    for (const auto& tick : EndTicks({10, 10}, {10, 10}, 12))
        EXPECT_EQ(tick, (Segment{{-2, 10}, {22, 10}}));
    EXPECT_EQ(EndTicks({5, 0}, {5, 50}, 32)[0], (Segment{{-27, 0}, {37, 0}}));

    // A 3-4-5 line: the tick is perpendicular to it, sin 0.8 * 32 = 25.6 and cos 0.6 * 32 = 19.2 either
    // side of the end.
    EXPECT_EQ(EndTicks({0, 0}, {30, 40}, 32)[0], (Segment{{-25, 19}, {25, -19}}));
}

TEST(ArrowHead, PointsTheArrowsWayThirteenLongAndTwentyTwoWide) {
    EXPECT_EQ(ArrowHeadCorners({100, 0}, {0, 0}), (ArrowHead{{13, -11}, {13, 11}}));
    EXPECT_EQ(ArrowHeadCorners({0, 0}, {0, 100}), (ArrowHead{{-11, 87}, {11, 87}}));
    EXPECT_EQ(ArrowHeadCorners({0, 100}, {0, 0}), (ArrowHead{{-11, 13}, {11, 13}}));
    // A zero-length arrow counts as pointing right.
    EXPECT_EQ(ArrowHeadCorners({7, 7}, {7, 7}), (ArrowHead{{-6, -4}, {-6, 18}}));

    // 3-4-5 direction: base point (30 - 7.8, 40 - 10.4) = (22.2, 29.6); corners 11 to either side.
    EXPECT_EQ(ArrowHeadCorners({0, 0}, {30, 40}), (ArrowHead{{13, 36}, {31, 23}}));
}

TEST(ParallelLines, PerpendicularDistanceAndACentredParallelForAnyBase) {
    ParallelConstruction c = ConstructParallel({10, 10}, {10, 70}, {40, 20});
    EXPECT_EQ(c.connector, (Segment{{40, 20}, {10, 20}}));
    EXPECT_EQ(c.parallel, (Segment{{40, -10}, {40, 50}}));
    EXPECT_EQ(c.distance, 30.0);

    // A base of one point is horizontal: the distance is vertical and the parallel has no length.
    c = ConstructParallel({10, 10}, {10, 10}, {25, 4});
    EXPECT_EQ(c.distance, 6.0);
    EXPECT_EQ(c.parallel, (Segment{{25, 4}, {25, 4}}));

    const struct {
        ShapePoint p1, p2, p3;
    } cases[] = {
        {{100, 100}, {40, 180}, {300, 20}},
        {{0, 0}, {400, -3}, {17, 250}},
        {{320, 240}, {321, 400}, {10, 10}},
    };
    for (const auto& t : cases) {
        const ParallelConstruction c = ConstructParallel(t.p1, t.p2, t.p3);
        const double bx = t.p2.x - t.p1.x, by = t.p2.y - t.p1.y;
        const double base = std::hypot(bx, by);
        const double cross = (bx * (t.p3.y - t.p1.y) - by * (t.p3.x - t.p1.x)) / base;
        EXPECT_NEAR(std::fabs(c.distance), std::fabs(cross), 1e-6);
        EXPECT_TRUE(c.thinConnector);
        // The connector runs from p3 to a point on the base line (up to truncation).
        EXPECT_EQ(c.connector.a, t.p3);
        const ShapePoint f = c.connector.b;
        EXPECT_LE(std::fabs(bx * (f.y - t.p1.y) - by * (f.x - t.p1.x)) / base, 1.5);
        // The parallel: the base's length, centred on p3, in the base's direction.
        const Segment& p = c.parallel;
        EXPECT_EQ(p.a.x + p.b.x, 2 * t.p3.x);
        EXPECT_EQ(p.a.y + p.b.y, 2 * t.p3.y);
        EXPECT_NEAR(std::hypot(p.b.x - p.a.x, p.b.y - p.a.y), base, 3.0); // two truncated halves
        EXPECT_LE(std::fabs(bx * (p.b.y - p.a.y) - by * (p.b.x - p.a.x)) / base, 2.0);
    }
}

TEST(Angle, SignFollowsTheOrderOfTheArms) {
    // Screen y points down: from an arm pointing up to one pointing right is -90.
    EXPECT_FLOAT_EQ(AngleDegrees({100, 100}, {100, 0}, {200, 100}), -90.0f);
    EXPECT_NEAR(AngleDegrees({0, 0}, {10, 0}, {-10, 0}), 180.0f, 1e-4f);

    // Both arms point left, one a little up and one a little down: the raw difference is near
    // +-360, the shown angle the small one between them, positive whichever arm comes first.
    const float a = AngleDegrees({0, 0}, {-100, 1}, {-100, -1});
    const float b = AngleDegrees({0, 0}, {-100, -1}, {-100, 1});
    EXPECT_NEAR(a, 1.14587f, 1e-3f);
    EXPECT_NEAR(b, 1.14587f, 1e-3f);
}

TEST(Circle, RadiusRoundsFromJustBelowAHalf) {
    EXPECT_EQ(CircleRadius({0, 0}, {1, 1}), 1); // 1.414
    EXPECT_EQ(CircleRadius({0, 0}, {2, 3}), 4); // 3.606
}

TEST(ThirdPoint, APlacedPointStaysPlacedWhereverItIsDragged) {
    EXPECT_FALSE(ThirdPointPlaced(MeasureShape{}.p3));
    for (const int kind : {TOOL_PARALLEL_LINES, TOOL_CONCENTRIC_CIRCLES, TOOL_ANGLE}) {
        SCOPED_TRACE(kind);
        MeasureShape shape;
        shape.kind = kind;
        shape.p1 = {40, 40};
        shape.p2 = {60, 40};
        shape.p3 = {5, 1};
        // Dragged past the left and top edges, then back.
        MoveShape(shape, -200, -100, FakeMetrics(), L"");
        EXPECT_TRUE(ThirdPointPlaced(shape.p3));
        EXPECT_TRUE(ConcentricThirdPointPlaced(shape.p3));
        EXPECT_EQ(shape.p3, (ShapePoint{-195, -99}));
        MoveShape(shape, 200, 100, FakeMetrics(), L"");
        EXPECT_EQ(shape.p3, (ShapePoint{5, 1}));
        // One not placed yet stays so when its shape moves.
        shape.p3 = kUnplacedPoint;
        MoveShape(shape, -200, 0, FakeMetrics(), L"");
        EXPECT_FALSE(ThirdPointPlaced(shape.p3));
    }
}

// Every tick sits on one of the two lines a whole spacing from the centre, inside the picture and
// never at the centre; its length gives its rank. Uncalibrated: every 10 pixels, left of the
// vertical line, 9 long every fifth and 4 otherwise. Calibrated at 400 pixels a unit (a ruler step
// of 0.2 = 80 pixels): every tenth of the step, right of the vertical line, 20 long at a step, 14 at
// half a step, 8 otherwise. On the horizontal line the ticks stand above it.
TEST(Crosshair, TicksEveryTenPixelsOrEveryTenthOfTheRulerStep) {
    const struct {
        float scale;
        int spacing, step, major, half, minor;
        bool rightOfVertical;
        size_t vertical, horizontal, majors;
    } cases[] = {{-1.0f, 10, 50, 9, 4, 4, false, 46, 62, 8}, {400.0f, 8, 80, 20, 14, 8, true, 58, 78, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        const RulerStep ruler = ComputeRulerStep(c.scale);
        ASSERT_EQ(ruler.pixels, c.scale < 0 ? 0 : 80);
        std::vector<Segment> out;
        CrosshairSegments(640, 480, c.scale, ruler, out);
        ASSERT_GE(out.size(), 2u);
        EXPECT_EQ(out[0], (Segment{{0, 240}, {640, 240}}));
        EXPECT_EQ(out[1], (Segment{{320, 0}, {320, 480}}));
        size_t vertical = 0, horizontal = 0, majors = 0;
        for (size_t i = 2; i < out.size(); ++i) {
            const Segment& t = out[i];
            const bool onVertical = t.a.y == t.b.y;
            const int offset = onVertical ? std::abs(t.a.y - 240) : std::abs(t.a.x - 320);
            const int at = onVertical ? t.a.y : t.a.x;
            const int length = onVertical ? std::abs(t.b.x - t.a.x) : t.b.y - t.a.y;
            SCOPED_TRACE(testing::Message() << (onVertical ? "vertical, y " : "horizontal, x ") << at);
            (onVertical ? vertical : horizontal)++;
            majors += length == c.major && onVertical;
            EXPECT_TRUE(offset > 0 && offset % c.spacing == 0);
            EXPECT_TRUE(at > 0 && at + 1 < (onVertical ? 480 : 640));
            EXPECT_EQ(length, offset % c.step == 0            ? c.major
                              : offset % c.step == c.step / 2 ? c.half
                                                              : c.minor);
            if (onVertical)
                EXPECT_EQ(std::min(t.a.x, t.b.x), c.rightOfVertical ? 320 : 320 - length);
            else
                EXPECT_EQ(t.b.y, 240);
        }
        EXPECT_EQ(std::tuple(vertical, horizontal, majors), std::tuple(c.vertical, c.horizontal, c.majors));
    }
}

// A picture too small for a tick, no ruler step within 200 pixels (above 2,000,000 pixels a unit)
// or a zero scale (calibrated, without a ruler): the lines alone.
TEST(Crosshair, OnlyTheLinesWithoutRoomOrARulerStep) {
    EXPECT_EQ(ComputeRulerStep(3.0e6f).pixels, 0);
    for (const auto& [w, h, scale] : {std::tuple{30, 38, -1.0f}, {640, 480, 3.0e6f}, {640, 480, 0.0f}}) {
        std::vector<Segment> out;
        CrosshairSegments(w, h, scale, ComputeRulerStep(scale), out);
        EXPECT_EQ(out.size(), 2u) << w << "x" << h << " at " << scale;
    }
}
