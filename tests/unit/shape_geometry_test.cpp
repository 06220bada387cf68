#include "measure/shape_geometry.h"
#include "measure/shape_layout.h"
#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(PixelLength, ExactAlongAnAxisAndPythagoreanOtherwise) {
    EXPECT_EQ(PixelLength({0, 0}, {0, -7}), 7.0f);
    EXPECT_EQ(PixelLength({5, 3}, {-6, 3}), 11.0f);
    EXPECT_EQ(PixelLength({4, 4}, {4, 4}), 0.0f);
    EXPECT_EQ(PixelLength({0, 0}, {3, 4}), 5.0f);
    EXPECT_FLOAT_EQ(PixelLength({10, 10}, {11, 11}), std::sqrt(2.0f));
}

TEST(EndTicks, HorizontalForVerticalAndZeroLengthLines) {
    // p1 = p2 takes the vertical-line case first: horizontal ticks.
    for (const auto& tick : EndTicks({10, 10}, {10, 10}, 12))
        EXPECT_EQ(tick, (Segment{{-2, 10}, {22, 10}}));
    const auto v = EndTicks({5, 0}, {5, 50}, 32);
    EXPECT_EQ(v[0], (Segment{{-27, 0}, {37, 0}}));
    EXPECT_EQ(v[1], (Segment{{-27, 50}, {37, 50}}));
}

TEST(EndTicks, VerticalForHorizontalLinesAndPerpendicularOtherwise) {
    const auto h = EndTicks({0, 0}, {10, 0}, 12);
    EXPECT_EQ(h[0], (Segment{{0, -12}, {0, 12}}));
    EXPECT_EQ(h[1], (Segment{{10, -12}, {10, 12}}));
    // 45 degrees: sin = cos = 0.707, 12 * 0.707 = 8.49 truncated to 8.
    const auto d = EndTicks({0, 0}, {10, 10}, 12);
    EXPECT_EQ(d[0], (Segment{{-8, 8}, {8, -8}}));
    EXPECT_EQ(d[1], (Segment{{2, 18}, {18, 2}}));
    // A 3-4-5 line: the tick is perpendicular to it.
    const auto s = EndTicks({0, 0}, {30, 40}, 32);
    const int tx = s[0].b.x - s[0].a.x;
    const int ty = s[0].b.y - s[0].a.y;
    EXPECT_LE(std::abs(tx * 30 + ty * 40), 60); // dot product ~ 0 up to truncation
    EXPECT_EQ(s[0].a, (ShapePoint{-25, 19}));   // sin 0.8 * 32 = 25.6, cos 0.6 * 32 = 19.2
}

TEST(ArrowHead, AxisArrowsPointTheirWay) {
    EXPECT_EQ(ArrowHeadCorners({0, 0}, {100, 0}), (ArrowHead{{87, -11}, {87, 11}}));
    EXPECT_EQ(ArrowHeadCorners({100, 0}, {0, 0}), (ArrowHead{{13, -11}, {13, 11}}));
    EXPECT_EQ(ArrowHeadCorners({0, 0}, {0, 100}), (ArrowHead{{-11, 87}, {11, 87}}));
    EXPECT_EQ(ArrowHeadCorners({0, 100}, {0, 0}), (ArrowHead{{-11, 13}, {11, 13}}));
    // A zero-length arrow counts as pointing right.
    EXPECT_EQ(ArrowHeadCorners({7, 7}, {7, 7}), (ArrowHead{{-6, -4}, {-6, 18}}));
}

TEST(ArrowHead, SlantedHeadIsThirteenLongAndTwentyTwoWide) {
    // 3-4-5 direction: base point (30 - 7.8, 40 - 10.4) = (22.2, 29.6); corners 11 to either side.
    EXPECT_EQ(ArrowHeadCorners({0, 0}, {30, 40}), (ArrowHead{{13, 36}, {31, 23}}));
    const ShapePoint p1 = {-37, 12}, p2 = {190, -61};
    const ArrowHead h = ArrowHeadCorners(p1, p2);
    const double width = std::hypot(h.a.x - h.b.x, h.a.y - h.b.y);
    const double mx = (h.a.x + h.b.x) / 2.0 - p2.x, my = (h.a.y + h.b.y) / 2.0 - p2.y;
    EXPECT_NEAR(width, 22.0, 1.5);
    EXPECT_NEAR(std::hypot(mx, my), 13.0, 1.0);
}

TEST(ParallelLines, HorizontalVerticalAndOnePointBases) {
    ParallelConstruction c = ConstructParallel({10, 10}, {50, 10}, {30, 40});
    EXPECT_EQ(c.connector, (Segment{{30, 40}, {30, 10}}));
    EXPECT_FALSE(c.thinConnector);
    EXPECT_EQ(c.parallel, (Segment{{10, 40}, {50, 40}}));
    EXPECT_EQ(c.distance, 30.0);

    c = ConstructParallel({10, 10}, {10, 70}, {40, 20});
    EXPECT_EQ(c.connector, (Segment{{40, 20}, {10, 20}}));
    EXPECT_EQ(c.parallel, (Segment{{40, -10}, {40, 50}}));
    EXPECT_EQ(c.distance, 30.0);

    // A base of one point is horizontal: the distance is vertical and the parallel has no length.
    c = ConstructParallel({10, 10}, {10, 10}, {25, 4});
    EXPECT_EQ(c.distance, 6.0);
    EXPECT_EQ(c.parallel, (Segment{{25, 4}, {25, 4}}));
}

TEST(ParallelLines, SlantedBaseGivesThePerpendicularDistanceAndACentredParallel) {
    const struct {
        ShapePoint p1, p2, p3;
    } cases[] = {
        {{3, 7}, {50, 21}, {20, 60}},
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
    // Screen y points down: with the first arm pointing right, an arm pointing up is +90.
    EXPECT_FLOAT_EQ(AngleDegrees({100, 100}, {200, 100}, {100, 0}), 90.0f);
    EXPECT_FLOAT_EQ(AngleDegrees({100, 100}, {100, 0}, {200, 100}), -90.0f);
    EXPECT_FLOAT_EQ(AngleDegrees({100, 100}, {200, 100}, {100, 200}), -90.0f);
    EXPECT_NEAR(AngleDegrees({0, 0}, {10, 0}, {-10, 0}), 180.0f, 1e-4f);
    EXPECT_NEAR(AngleDegrees({0, 0}, {10, 10}, {0, 10}), -45.0f, 1e-4f);
}

TEST(Angle, ArmsAcrossTheNegativeAxisGiveTheSmallerAnglePositive) {
    // Both arms point left, one a little up and one a little down: the raw difference is near
    // +-360, the shown angle the small one between them, positive whichever arm comes first.
    const float a = AngleDegrees({0, 0}, {-100, 1}, {-100, -1});
    const float b = AngleDegrees({0, 0}, {-100, -1}, {-100, 1});
    EXPECT_NEAR(a, 1.14587f, 1e-3f);
    EXPECT_NEAR(b, 1.14587f, 1e-3f);
}

TEST(Circle, RadiusRoundsFromJustBelowAHalf) {
    EXPECT_EQ(CircleRadius({0, 0}, {30, 40}), 50);
    EXPECT_EQ(CircleRadius({0, 0}, {1, 1}), 1); // 1.414
    EXPECT_EQ(CircleRadius({0, 0}, {2, 3}), 4); // 3.606
    EXPECT_EQ(CircleRadius({0, 0}, {0, 7}), 7);
    EXPECT_EQ(CircleRadius({5, 5}, {5, 5}), 0);
    EXPECT_EQ(CircleRadius({0, 0}, {5, 11}), 12); // 12.083
    EXPECT_EQ(CircleRadius({0, 0}, {1, 3}), 3);   // 3.162
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

namespace {

struct Ticks {
    std::vector<Segment> vertical;   // on the vertical line (horizontal segments)
    std::vector<Segment> horizontal; // on the horizontal line
};

Ticks SplitTicks(const std::vector<Segment>& all) {
    Ticks t;
    for (size_t i = 2; i < all.size(); ++i)
        (all[i].a.y == all[i].b.y ? t.vertical : t.horizontal).push_back(all[i]);
    return t;
}

} // namespace

TEST(Crosshair, UncalibratedTicksEveryTenPixels) {
    std::vector<Segment> out;
    CrosshairSegments(640, 480, -1.0f, {}, out);
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[0], (Segment{{0, 240}, {640, 240}}));
    EXPECT_EQ(out[1], (Segment{{320, 0}, {320, 480}}));
    const Ticks t = SplitTicks(out);
    // k = 1 .. 23 on the vertical line, 1 .. 31 on the horizontal one, both sides of the centre.
    ASSERT_EQ(t.vertical.size(), 46u);
    ASSERT_EQ(t.horizontal.size(), 62u);
    for (int k = 1; k <= 23; ++k) {
        const int len = k % 5 == 0 ? 9 : 4;
        EXPECT_EQ(t.vertical[2 * (k - 1)], (Segment{{320 - len, 240 - 10 * k}, {320, 240 - 10 * k}})) << k;
        EXPECT_EQ(t.vertical[2 * (k - 1) + 1], (Segment{{320 - len, 240 + 10 * k}, {320, 240 + 10 * k}}))
            << k;
    }
    for (int k = 1; k <= 31; ++k) {
        const int len = k % 5 == 0 ? 9 : 4;
        EXPECT_EQ(t.horizontal[2 * (k - 1)], (Segment{{320 - 10 * k, 240 - len}, {320 - 10 * k, 240}})) << k;
        EXPECT_EQ(t.horizontal[2 * (k - 1) + 1], (Segment{{320 + 10 * k, 240 - len}, {320 + 10 * k, 240}}))
            << k;
    }
}

TEST(Crosshair, TinyPictureHasOnlyTheLines) {
    std::vector<Segment> out;
    CrosshairSegments(30, 38, -1.0f, {}, out); // (19 / 10) = 1: no k below it
    EXPECT_EQ(out.size(), 2u);
}

TEST(Crosshair, CalibratedRulerHasMajorTicksEveryStepAndNineMinorBetween) {
    const RulerStep ruler = ComputeRulerStep(400.0f); // 0.2 mm = 80 pixels
    ASSERT_EQ(ruler.pixels, 80);
    std::vector<Segment> out;
    CrosshairSegments(640, 480, 400.0f, ruler, out);
    const Ticks t = SplitTicks(out);
    for (const Segment& s : t.vertical) {
        EXPECT_EQ(s.a.x, 320); // to the right of the line
        const int len = s.b.x - s.a.x;
        const int offset = std::abs(s.a.y - 240);
        ASSERT_GT(s.a.y, 0);
        ASSERT_LT(s.a.y + 1, 480);
        ASSERT_NE(offset, 0) << "no tick at the centre";
        if (offset % 80 == 0)
            EXPECT_EQ(len, 20) << s.a.y;
        else if (offset % 80 == 40)
            EXPECT_EQ(len, 14) << s.a.y;
        else
            EXPECT_EQ(len, 8) << s.a.y;
        EXPECT_EQ(offset % 8, 0) << s.a.y;
    }
    // Majors at 160, 80 above and 320, 400 below; 0 and 480 are off the picture.
    int majors = 0;
    for (const Segment& s : t.vertical)
        majors += s.b.x - s.a.x == 20;
    EXPECT_EQ(majors, 4);
    for (const Segment& s : t.horizontal) {
        EXPECT_EQ(s.b.y, 240); // above the line
        ASSERT_GT(s.a.x, 0);
        ASSERT_LT(s.a.x + 1, 640);
    }
    // Every tenth of the step from 8 to 632 except the centre: 78 positions.
    EXPECT_EQ(t.horizontal.size(), 78u);
}

TEST(Crosshair, NoRulerWithoutAStepButTheLinesStay) {
    // Above 2,000,000 pixels a unit no step lies within 200 pixels: the ruler is off.
    const RulerStep ruler = ComputeRulerStep(3.0e6f);
    EXPECT_EQ(ruler.pixels, 0);
    std::vector<Segment> out;
    CrosshairSegments(640, 480, 3.0e6f, ruler, out);
    EXPECT_EQ(out.size(), 2u);
    out.clear();
    CrosshairSegments(640, 480, 0.0f, {}, out); // zero counts as calibrated, without a ruler
    EXPECT_EQ(out.size(), 2u);
}
