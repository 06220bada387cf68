#include "panels/image_view_geometry.h"

#include <algorithm>

int ImageZoomSize(int size, int zoom) {
    const int64_t s = size;
    int64_t scaled = s;
    switch (zoom) {
        case 15:
            scaled = s * 15 / 100;
            break;
        case 25:
            scaled = s / 4;
            break;
        case 50:
            scaled = s / 2;
            break;
        case 75:
            scaled = 3 * s / 4;
            break;
        case 125:
            scaled = 5 * s / 4;
            break;
        case 150:
            scaled = 3 * s / 2;
            break;
        case 175:
            scaled = 7 * s / 4;
            break;
        case 200:
            scaled = 2 * s;
            break;
        default:
            break;
    }
    return static_cast<int>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX));
}

int ClampImageScroll(int scroll, int displaySize, int clientSize) {
    const int limit = displaySize - clientSize;
    const int clamped = std::min(scroll, limit);
    return clamped < 1 ? 0 : clamped;
}

int CentredImageScroll(int displaySize, int clientSize) {
    return displaySize > clientSize ? (displaySize - clientSize) / 2 : 0;
}

int PanImageScroll(int scroll, int delta, int displaySize, int clientSize) {
    if (displaySize <= clientSize)
        return scroll;
    return std::clamp(scroll - delta, 0, displaySize - clientSize);
}

ImageSpan ImageBlitSpan(int scroll, int displaySize, int clientSize) {
    if (displaySize <= clientSize)
        return {(clientSize - displaySize) / 2, 0, displaySize};
    return {0, scroll, clientSize};
}

PlayTriangle VideoPlayTriangle(int displayWidth, int displayHeight) {
    const int cx = displayWidth / 2;
    const int cy = displayHeight / 2;
    return {{{cx - 7, cy - 10}, {cx - 7, cy + 10}, {cx + 7, cy}}};
}
