#include "app/main_layout.h"

#include "base/display_scale.h"

#include <algorithm>

MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int panelWidth) {
    return ComputeMainLayoutForDpi(clientWidth, clientHeight, panelWidth, kBaseDpi);
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
