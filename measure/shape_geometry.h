// The measured values and constructed points of the shapes: lengths, end ticks, the arrow head,
// the parallel line, the angle, circle radii, and the crosshair with its ruler ticks. Pure code.
#pragma once

#include "measure/calibration.h"
#include "measure/shape_model.h"

#include <array>
#include <vector>

struct Segment {
    ShapePoint a;
    ShapePoint b;
    bool operator==(const Segment&) const = default;
};

// Distance in pixels, single precision; exact along an axis.
float PixelLength(ShapePoint p, ShapePoint q);

// Ticks across both ends of the line p1-p2, each 2 * halfLength long and centred on its end:
// horizontal for a vertical line (and for p1 = p2), vertical for a horizontal one, otherwise
// perpendicular to the line.
std::array<Segment, 2> EndTicks(ShapePoint p1, ShapePoint p2, int halfLength);

// The two back corners of an arrow head at p2 (13 pixels long, 22 wide), for an arrow from p1.
struct ArrowHead {
    ShapePoint a;
    ShapePoint b;
    bool operator==(const ArrowHead&) const = default;
};
ArrowHead ArrowHeadCorners(ShapePoint p1, ShapePoint p2);

// The parallel through p3 to the base p1-p2: the connector from p3 to the base (drawn with the
// thin pen when the base is slanted), the parallel segment (the base's length, centred on p3) and
// the signed distance in pixels.
struct ParallelConstruction {
    Segment connector;
    bool thinConnector = false;
    Segment parallel;
    double distance = 0.0;
};
ParallelConstruction ConstructParallel(ShapePoint p1, ShapePoint p2, ShapePoint p3);

inline bool ThirdPointPlaced(ShapePoint p3) {
    return p3 != kUnplacedPoint;
}
inline bool ConcentricThirdPointPlaced(ShapePoint p3) {
    return ThirdPointPlaced(p3);
}

// Angle between the arms p1-p2 and p1-p3 in degrees, within -180..180: the smaller angle, positive
// when the second arm lies counter-clockwise on screen (y down) from the first.
float AngleDegrees(ShapePoint p1, ShapePoint p2, ShapePoint p3);

// Radius in whole pixels of the circle through q around p.
int CircleRadius(ShapePoint centre, ShapePoint q);

// The crosshair over a W x H picture: the two lines through the centre, then the ruler ticks:
// every 10 pixels while uncalibrated (scale < 0), or the calibrated ruler of `ruler` (major tick
// every ruler.pixels, nine minor ticks between). No ticks when calibrated without a ruler step.
// The ticks are spaced in picture pixels; their lengths follow the display's DPI.
void CrosshairSegments(int width, int height, float scale, RulerStep ruler, std::vector<Segment>& out,
                       int dpi = 96);
