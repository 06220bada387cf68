#include "measure/labels.h"

#include "measure/shape_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cwchar>

std::wstring FormatText(const wchar_t* format, ...) {
    wchar_t buffer[192]; // the largest float printed with five decimals fits many times over
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);
    va_end(args);
    return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(n));
}

namespace {

// printf takes a float argument as double; the value itself stays the single-precision one.
double Arg(float v) {
    return static_cast<double>(v);
}

} // namespace

ShapeLabels LabelsOfShape(const MeasureShape& s, int kind, float scale, std::wstring_view unitView) {
    ShapeLabels labels;
    const std::wstring unit(unitView);
    const wchar_t* u = unit.c_str();
    const bool calibrated = scale > 0.0f;
    switch (kind) {
        case TOOL_LINE:
            if (calibrated) {
                labels.count = 1;
                labels.lines[0] = FormatText(L"%.5f%ls", Arg(PixelLength(s.p1, s.p2) / scale), u);
                labels.at = s.p1;
            }
            break;
        case TOOL_PARALLEL_LINES:
            if (calibrated && ThirdPointPlaced(s.p3)) {
                const float distance = static_cast<float>(ConstructParallel(s.p1, s.p2, s.p3).distance);
                labels.count = 1;
                labels.lines[0] = FormatText(L"D:%.5f%ls", Arg(std::fabs(distance / scale)), u);
                labels.at = s.p3;
            }
            break;
        case TOOL_RECTANGLE:
            if (calibrated) {
                const float w = static_cast<float>(std::abs(s.p2.x - s.p1.x)) / scale;
                const float h = static_cast<float>(std::abs(s.p2.y - s.p1.y)) / scale;
                labels.count = 2;
                labels.lines[0] = FormatText(L"%.2fx%.2f%ls", Arg(w), Arg(h), u);
                labels.lines[1] = FormatText(L"S:%.2f%ls^2", Arg(h * w), u);
                labels.at = {std::min(s.p1.x, s.p2.x), std::min(s.p1.y, s.p2.y)};
            }
            break;
        case TOOL_CIRCLE:
            if (calibrated) {
                const float r = PixelLength(s.p1, s.p2) / scale;
                labels.count = 3;
                labels.lines[0] = FormatText(L"R:%.5f%ls", Arg(r), u);
                labels.lines[1] = FormatText(L"C:%.5f%ls", Arg(r * 2.0f * 3.14159f), u);
                labels.lines[2] = FormatText(L"S:%.5f%ls^2", Arg(r * r * 3.14159f), u);
                labels.at = s.p1;
            }
            break;
        case TOOL_CONCENTRIC_CIRCLES:
            if (calibrated) {
                const float r1 = PixelLength(s.p1, s.p2) / scale;
                labels.lines[0] = FormatText(L"R1:%.5f%ls", Arg(r1), u);
                if (ConcentricThirdPointPlaced(s.p3)) {
                    labels.count = 3; // the third line stays empty
                    labels.lines[1] = FormatText(L"R2:%.5f%ls", Arg(PixelLength(s.p1, s.p3) / scale), u);
                    labels.at = s.p3;
                } else {
                    labels.count = 1;
                    labels.at = s.p1;
                }
            }
            break;
        case TOOL_ANGLE: // degrees need no calibration
            if (ThirdPointPlaced(s.p3)) {
                labels.count = 1;
                labels.lines[0] = FormatText(L"%.3f\u00B0", Arg(AngleDegrees(s.p1, s.p2, s.p3)));
                labels.at = s.p1;
            }
            break;
        default:
            break;
    }
    return labels;
}

ShapeRect PlaceLabel(ShapeSize extent, ShapePoint pt, int width, int height) {
    ShapeRect box = {pt.x + 2, pt.y + 2, pt.x + 2 + extent.cx, pt.y + 2 + extent.cy};
    if (box.right > width) {
        box.right = pt.x - 2;
        box.left = pt.x - 2 - extent.cx;
    }
    if (box.bottom > height) {
        box.bottom = pt.y - 2;
        box.top = pt.y - 2 - extent.cy;
    }
    return box;
}

std::array<ShapeRect, 3> PlaceLabelLines(const std::array<ShapeSize, 3>& e, int count, ShapePoint pt,
                                         int width, int height) {
    count = std::clamp(count, 2, 3);
    int blockWidth = 0;
    for (int i = 0; i < count; ++i)
        blockWidth = std::max(blockWidth, e[i].cx);
    int blockHeight = e[0].cy + e[1].cy + 1;
    if (count == 3)
        blockHeight += e[2].cy + 1;
    const bool left = pt.x + 2 + blockWidth > width;
    const bool up = pt.y + 2 + blockHeight > height;

    std::array<ShapeRect, 3> boxes = {};
    int down = pt.y + 2;  // next top when stacking downward
    int above = pt.y - 2; // next bottom when stacking upward
    for (int i = 0; i < count; ++i) {
        ShapeRect& b = boxes[i];
        if (left) {
            b.right = pt.x - 2;
            b.left = b.right - e[i].cx;
        } else {
            b.left = pt.x + 2;
            b.right = b.left + e[i].cx;
        }
        if (up) {
            b.bottom = above;
            b.top = above - e[i].cy;
            above = b.top;
        } else {
            b.top = down;
            b.bottom = down + e[i].cy;
            down = b.bottom;
        }
    }
    return boxes;
}

std::wstring StepLabelText(float step, std::wstring_view unitView) {
    const std::wstring unit(unitView);
    if (step >= 0.1f)
        return FormatText(L"%.1f%ls", static_cast<double>(step) + 0.01, unit.c_str());
    if (step >= 0.01f)
        return FormatText(L"%.2f%ls", static_cast<double>(step) + 0.001, unit.c_str());
    return FormatText(L"%.3f%ls", static_cast<double>(step) + 0.0001, unit.c_str());
}

ShapeRect StepLabelBox(ShapeSize extent, int width, int height, int rulerPixels) {
    const int left = width / 2 - extent.cx / 2 + rulerPixels;
    const int top = height / 2 + 2;
    return {left, top, left + extent.cx, top + extent.cy};
}

std::wstring CalibrationLineLabel(int length) {
    return FormatText(L"%d pixels", length);
}
