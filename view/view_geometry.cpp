#include "view/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

int ClampScroll(int position, int displaySize, int windowSize) {
    // Upper bound first and the lower bound last, so a picture smaller than the window gives 0.
    return std::max(std::min(position, displaySize - windowSize), 0);
}

} // namespace

int FitZoomPercent(int clientWidth, int clientHeight, int contentWidth, int contentHeight) {
    if (contentWidth <= 0 || contentHeight <= 0)
        return 100;
    // Whole-number arithmetic: a floating ratio such as 0.57 would truncate to 56 %.
    const long long byWidth = static_cast<long long>(std::max(clientWidth, 0)) * 100 / contentWidth;
    const long long byHeight = static_cast<long long>(std::max(clientHeight, 0)) * 100 / contentHeight;
    const long long percent = std::min(byWidth, byHeight);
    return static_cast<int>(std::clamp<long long>(percent, kMinZoomPercent, kMaxZoomPercent));
}

int ZoomedSize(int contentSize, int percent) {
    return static_cast<int>(static_cast<float>(contentSize) * static_cast<float>(percent) / 100.0f);
}

ScrollBarState LayoutScrollBars(int clientWidth, int clientHeight, int displayWidth, int displayHeight,
                                int scrollX, int scrollY, int vBarWidth, int hBarHeight) {
    ScrollBarState s;
    int w = clientWidth;
    int h = clientHeight;
    s.hShown = displayWidth > w;
    if (s.hShown)
        h -= hBarHeight;
    s.vShown = displayHeight > h;
    if (s.vShown) {
        w -= vBarWidth;
        if (displayWidth > w && !s.hShown) {
            s.hShown = true;
            h -= hBarHeight;
        }
    }
    s.viewWidth = w;
    s.viewHeight = h;
    s.scrollX = ClampScroll(scrollX, displayWidth, w);
    s.scrollY = ClampScroll(scrollY, displayHeight, h);
    if (s.hShown) {
        s.hPage = std::min(w / 3, 50);
        s.hMax = (displayWidth - w) + s.hPage - 1;
    }
    if (s.vShown) {
        s.vPage = std::min(h / 3, 50);
        s.vMax = (displayHeight - h) + s.vPage - 1;
    }
    return s;
}

int ScrollPosition(int request, int position, int thumb, int displaySize, int windowSize) {
    int next = position;
    switch (request) {
        case kScrollLineUp:
            next = position - 5;
            break;
        case kScrollLineDown:
            next = position + 5;
            break;
        case kScrollPageUp:
            next = position - 50;
            break;
        case kScrollPageDown:
            next = position + 50;
            break;
        case kScrollThumbPosition:
        case kScrollThumbTrack:
            next = thumb;
            break;
        case kScrollTop:
            next = 0;
            break;
        case kScrollBottom:
            next = displaySize - windowSize;
            break;
        default:
            break;
    }
    return ClampScroll(next, displaySize, windowSize);
}

int PanPosition(int position, int delta, int displaySize, int windowSize) {
    if (displaySize <= windowSize)
        return position;
    return ClampScroll(position - delta, displaySize, windowSize);
}

int CentredScrollPosition(int position, int contentSize, int windowSize) {
    return contentSize > windowSize ? (contentSize - windowSize) / 2 : position;
}

ContentPoint WindowToContent(int x, int y, int clientWidth, int clientHeight, int contentWidth,
                             int contentHeight, int scrollX, int scrollY) {
    return ContentPointAt(x, y, CentringMargin(clientWidth, contentWidth),
                          CentringMargin(clientHeight, contentHeight), scrollX, scrollY, contentWidth,
                          contentHeight);
}

BlitSpan BackBufferSpan(bool scrollBarShown, int scroll, int windowSize, int displaySize) {
    if (scrollBarShown)
        return {0, scroll, windowSize};
    return {(windowSize - displaySize) / 2, 0, displaySize};
}

CountdownTick TickReopenCountdown(int countdown) {
    if (countdown == 0)
        return {0, false};
    const int next = countdown + 100;
    if (next > 800)
        return {0, true};
    return {next, false};
}

CropRect DigitalZoomCrop(int frameWidth, int frameHeight, int step) {
    if (step < 1 || step > 5)
        return {0, 0, frameWidth, frameHeight};
    // Rounded half away from zero, as the sizes are never negative a plain round does it.
    const int cropX = static_cast<int>(std::lround(frameWidth * 0.1 * step));
    const int cropY = static_cast<int>(std::lround(frameHeight * 0.1 * step));
    return {cropX / 2, cropY / 2, frameWidth - cropX, frameHeight - cropY};
}
