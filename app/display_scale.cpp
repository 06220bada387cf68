#include "app/display_scale.h"

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

MainLayout ComputeMainLayoutForDpi(int clientWidth, int clientHeight, int panelWidth, int dpi) {
    const int toolbarHeight = ScaleForDpi(kToolbarHeight, dpi);
    const int gap = ScaleForDpi(kPanelGap, dpi);
    const int width = std::max(clientWidth, 0);
    const int height = std::max(clientHeight, 0);
    const int left = panelWidth + gap;
    const int right = std::max(width - left, 0);
    MainLayout layout;
    layout.panel = {0, 0, std::max(panelWidth, 0), height};
    layout.toolbar = {left, 0, right, toolbarHeight};
    layout.view = {left, toolbarHeight, right, std::max(height - toolbarHeight, 0)};
    return layout;
}

MinTrackSize MinTrackSizeForDpi(int dpi, MinTrackSize workArea) {
    MinTrackSize size = {ScaleForDpi(kMainMinTrackWidth, dpi), ScaleForDpi(kMainMinTrackHeight, dpi)};
    // At 100 % the size stays as it always was, whatever the screen.
    if (UsableDpi(dpi) <= kBaseDpi)
        return {kMainMinTrackWidth, kMainMinTrackHeight};
    if (workArea.width > 0)
        size.width = std::max(std::min(size.width, workArea.width), kMainMinTrackWidth);
    if (workArea.height > 0)
        size.height = std::max(std::min(size.height, workArea.height), kMainMinTrackHeight);
    return size;
}
