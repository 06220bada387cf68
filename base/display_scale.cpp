#include "base/display_scale.h"

#include <algorithm>

int UsableDpi(int dpi) {
    return dpi > 0 ? dpi : kBaseDpi;
}

int ScaleBetweenDpis(int value, int fromDpi, int toDpi) {
    const int from = UsableDpi(fromDpi);
    const int to = UsableDpi(toDpi);
    if (from == to)
        return value;
    return MulDivRounded(value, to, from);
}

int ScaleForDpi(int value, int dpi) {
    return ScaleBetweenDpis(value, kBaseDpi, dpi);
}

LayoutRect ScaleRectForDpi(const LayoutRect& rect, int dpi) {
    // Edges are scaled rather than sizes, so that rectangles which touch at 96 DPI still touch.
    const int left = ScaleForDpi(rect.x, dpi);
    const int top = ScaleForDpi(rect.y, dpi);
    return {left, top, ScaleForDpi(rect.x + rect.width, dpi) - left,
            ScaleForDpi(rect.y + rect.height, dpi) - top};
}
