// Arithmetic of the camera view: zoom, scroll bars, scrolling, panning, margins, the device
// re-open countdown and the digital-zoom crop. The window code only feeds it sizes.
#pragma once

#include "measure/shape_editor.h"

inline constexpr int kMinZoomPercent = 50;
inline constexpr int kMaxZoomPercent = 200;

// Zoom for fit-to-window: the smaller of the two ratios, in whole percent, kept to 50..200.
int FitZoomPercent(int clientWidth, int clientHeight, int contentWidth, int contentHeight);

// True when a requested zoom asks for fit-to-window (anything outside 50..200).
inline bool IsFitZoomRequest(int percent) {
    return percent < kMinZoomPercent || percent > kMaxZoomPercent;
}

// Content size times the zoom, computed in single precision and truncated.
int ZoomedSize(int contentSize, int percent);

struct ScrollBarState {
    bool hShown = false;
    bool vShown = false;
    int viewWidth = 0; // client area left beside the shown bars
    int viewHeight = 0;
    int scrollX = 0;
    int scrollY = 0;
    int hPage = 0; // page and maximum of a shown bar (range 0..max)
    int hMax = 0;
    int vPage = 0;
    int vMax = 0;
};

// Which scroll bars a displayed picture needs and where the scroll position may be.
// clientWidth/Height are the full client size with every bar's thickness given back.
// A horizontal bar takes height from the window and may thereby bring the vertical bar,
// which takes width and may in turn bring the horizontal one.
ScrollBarState LayoutScrollBars(int clientWidth, int clientHeight, int displayWidth, int displayHeight,
                                int scrollX, int scrollY, int vBarWidth, int hBarHeight);

// The scroll-bar requests the view handles (the platform's SB_* numbers).
enum ScrollRequest : int {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
    kScrollTop = 6,
    kScrollBottom = 7,
};

// The position after a scroll request, kept to 0..(displaySize - windowSize).
int ScrollPosition(int request, int position, int thumb, int displaySize, int windowSize);

// Drag-panning by `delta` pointer pixels along one axis: the picture follows the pointer.
// Returns the new scroll position; unchanged when the picture fits along that axis.
int PanPosition(int position, int delta, int displaySize, int windowSize);

// Centre of a content larger than the window; the position is unchanged otherwise.
int CentredScrollPosition(int position, int contentSize, int windowSize);

// Offset of a content smaller than the window (centred); 0 when it is as large or larger.
inline int CentringMargin(int windowSize, int contentSize) {
    return contentSize < windowSize ? (windowSize - contentSize) / 2 : 0;
}

// The content pixel under a window point.
ContentPoint WindowToContent(int x, int y, int clientWidth, int clientHeight, int contentWidth,
                             int contentHeight, int scrollX, int scrollY);

// One axis of the copy from the back buffer to the window.
struct BlitSpan {
    int destination = 0;
    int source = 0;
    int length = 0;
};
BlitSpan BackBufferSpan(bool scrollBarShown, int scroll, int windowSize, int displaySize);

// Device re-open countdown: 0 is idle; each 100 ms tick adds 100 and, once past 800, the count
// returns to 0 and a camera is opened. Start-up begins at 718 so the first tick opens one.
inline constexpr int kReopenCountdownAtStart = 718;
inline constexpr int kReopenCountdownAfterArrival = 1;
struct CountdownTick {
    int next = 0;
    bool openNow = false;
};
CountdownTick TickReopenCountdown(int countdown);

// Source rectangle of the frame for digital-zoom step 1..5: 10 % more of each dimension cropped
// per step, half from each side. Step 0 (or any other value) gives the whole frame.
struct CropRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
CropRect DigitalZoomCrop(int frameWidth, int frameHeight, int step);
