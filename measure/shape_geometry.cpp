#include "measure/shape_geometry.h"

#include "base/display_scale.h"

#include <cmath>
#include <cstdlib>

namespace {

int Nearest(double v) {
    return static_cast<int>(std::lround(v)); // halves away from zero
}

} // namespace

float PixelLength(ShapePoint p, ShapePoint q) {
    if (p.x == q.x)
        return static_cast<float>(std::abs(static_cast<int64_t>(q.y) - p.y));
    if (p.y == q.y)
        return static_cast<float>(std::abs(static_cast<int64_t>(q.x) - p.x));
    const int64_t dx = static_cast<int64_t>(q.x) - p.x;
    const int64_t dy = static_cast<int64_t>(q.y) - p.y;
    return std::sqrt(static_cast<float>(dx * dx + dy * dy));
}

std::array<Segment, 2> EndTicks(ShapePoint p1, ShapePoint p2, int s) {
    // (c, d): the tick's half extent for a slanted line, perpendicular to it.
    int c = 0;
    int d = 0;
    if (p1.x != p2.x && p1.y != p2.y) {
        const double a = std::atan2(static_cast<double>(p2.y - p1.y), static_cast<double>(p2.x - p1.x));
        c = static_cast<int>(std::sin(a) * s);
        d = static_cast<int>(std::cos(a) * s);
    }
    auto tick = [&](ShapePoint e) -> Segment {
        if (p1.x == p2.x)
            return {{e.x - s, e.y}, {e.x + s, e.y}};
        if (p1.y == p2.y)
            return {{e.x, e.y - s}, {e.x, e.y + s}};
        return {{e.x - c, e.y + d}, {e.x + c, e.y - d}};
    };
    return {tick(p1), tick(p2)};
}

ArrowHead ArrowHeadCorners(ShapePoint p1, ShapePoint p2) {
    const int dx = p2.x - p1.x;
    const int dy = p2.y - p1.y;
    if (dy == 0) {
        const int bx = p2.x < p1.x ? p2.x + 13 : p2.x - 13;
        return {{bx, p2.y - 11}, {bx, p2.y + 11}};
    }
    if (dx == 0) {
        const int by = p2.y < p1.y ? p2.y + 13 : p2.y - 13;
        return {{p2.x - 11, by}, {p2.x + 11, by}};
    }
    const double a = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
    const double bx = p2.x - 13 * std::cos(a);
    const double by = p2.y - 13 * std::sin(a);
    return {{Nearest(bx - 11 * std::sin(a)), Nearest(by + 11 * std::cos(a))},
            {Nearest(bx + 11 * std::sin(a)), Nearest(by - 11 * std::cos(a))}};
}

ParallelConstruction ConstructParallel(ShapePoint p1, ShapePoint p2, ShapePoint p3) {
    ParallelConstruction c;
    const int dx = p2.x - p1.x;
    const int dy = p2.y - p1.y;
    if (dy == 0) { // horizontal base, also a base of one point
        c.connector = {p3, {p3.x, p1.y}};
        const int half = std::abs(dx) / 2;
        c.parallel = {{p3.x - half, p3.y}, {p3.x + half, p3.y}};
        c.distance = std::abs(p3.y - p1.y);
        return c;
    }
    if (dx == 0) {
        c.connector = {p3, {p1.x, p3.y}};
        const int half = std::abs(dy) / 2;
        c.parallel = {{p3.x, p3.y - half}, {p3.x, p3.y + half}};
        c.distance = std::abs(p3.x - p1.x);
        return c;
    }
    const double a = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
    const double rx = p3.x - p1.x;
    const double ry = p3.y - p1.y;
    const double t = rx - ry / std::tan(a);
    c.distance = std::sin(a) * t;
    const double k = std::cos(a) * t + ry / std::sin(a); // foot of the perpendicular, along the base
    c.connector = {p3, {p1.x + static_cast<int>(std::cos(a) * k), p1.y + static_cast<int>(std::sin(a) * k)}};
    c.thinConnector = true;
    const double length = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
    const int hx = static_cast<int>(std::cos(a) * length * 0.5);
    const int hy = static_cast<int>(std::sin(a) * length * 0.5);
    c.parallel = {{p3.x - hx, p3.y - hy}, {p3.x + hx, p3.y + hy}};
    return c;
}

float AngleDegrees(ShapePoint p1, ShapePoint p2, ShapePoint p3) {
    const double a1 = std::atan2(static_cast<double>(p2.y - p1.y), static_cast<double>(p2.x - p1.x));
    const double a2 = std::atan2(static_cast<double>(p3.y - p1.y), static_cast<double>(p3.x - p1.x));
    const float d = static_cast<float>((a1 - a2) * 180.0 / 3.1415926);
    if (std::fabs(d) < 180.0f)
        return d;
    return d >= 180.0f ? 360.0f - d : d + 360.0f;
}

int CircleRadius(ShapePoint centre, ShapePoint q) {
    return static_cast<int>(static_cast<double>(PixelLength(centre, q)) + 0.49);
}

void CrosshairSegments(int W, int H, float scale, RulerStep ruler, std::vector<Segment>& out, int dpi) {
    const int shortTick = ScaleForDpi(4, dpi);
    const int longTick = ScaleForDpi(9, dpi);
    const int minorTick = ScaleForDpi(8, dpi);
    const int halfTick = ScaleForDpi(14, dpi);
    const int majorTick = ScaleForDpi(20, dpi);
    const int cx = W / 2;
    const int cy = H / 2;
    out.push_back({{0, cy}, {W, cy}});
    out.push_back({{cx, 0}, {cx, H}});
    if (scale < 0.0f) {
        for (int k = 1; k < cy / 10; ++k) {
            const int len = k % 5 == 0 ? longTick : shortTick;
            for (int y : {cy - 10 * k, cy + 10 * k})
                out.push_back({{cx - len, y}, {cx, y}});
        }
        for (int k = 1; k < cx / 10; ++k) {
            const int len = k % 5 == 0 ? longTick : shortTick;
            for (int x : {cx - 10 * k, cx + 10 * k})
                out.push_back({{x, cy - len}, {x, cy}});
        }
        return;
    }
    if (ruler.pixels <= 0 || !(ruler.step > 0.0f))
        return;
    const int P = ruler.pixels;
    const float tenth = static_cast<float>(P) / 10.0f;
    auto offset = [tenth](int i) { return static_cast<int>(tenth * static_cast<float>(i) + 0.5f); };
    auto minorLength = [=](int i) { return i == 5 ? halfTick : minorTick; };
    // Vertical line: ticks to its right.
    for (int m = 1; m <= cy / P + 1; ++m) {
        const int up = cy - m * P;
        if (up > 0)
            out.push_back({{cx, up}, {cx + majorTick, up}});
        for (int i = 1; i <= 9; ++i) {
            const int y = up + offset(i);
            if (y > 0)
                out.push_back({{cx, y}, {cx + minorLength(i), y}});
        }
        const int down = cy + m * P;
        if (down + 1 < H)
            out.push_back({{cx, down}, {cx + majorTick, down}});
        for (int i = 1; i <= 9; ++i) {
            const int y = down - offset(i);
            if (y + 1 < H)
                out.push_back({{cx, y}, {cx + minorLength(i), y}});
        }
    }
    // Horizontal line: ticks above it.
    for (int m = 1; m <= cx / P + 1; ++m) {
        const int left = cx - m * P;
        if (left > 0)
            out.push_back({{left, cy - 20}, {left, cy}});
        for (int i = 1; i <= 9; ++i) {
            const int x = left + offset(i);
            if (x > 0)
                out.push_back({{x, cy - minorLength(i)}, {x, cy}});
        }
        const int right = cx + m * P;
        if (right + 1 < W)
            out.push_back({{right, cy - 20}, {right, cy}});
        for (int i = 1; i <= 9; ++i) {
            const int x = right - offset(i);
            if (x + 1 < W)
                out.push_back({{x, cy - minorLength(i)}, {x, cy}});
        }
    }
}
