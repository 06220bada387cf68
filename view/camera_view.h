// The camera view: the live picture of the open camera, zoomed, scrolled and panned, the screen
// shown without a camera, and the automatic opening and closing of cameras as they come and go.
#pragma once

#include "view/view_messages.h"
#include "measure/calibration.h"
#include "measure/overlay_plan.h"
#include "measure/shape_editor.h"
#include "view/time_samples.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

inline constexpr UINT_PTR kCameraViewTimer = 16;
inline constexpr int kViewTextMax = 63;

struct MeasureDrawing;

// Figures of the picture path, for measuring it from outside (UM_VIEW_STATS).
struct ViewStats {
    unsigned paints = 0;        // compositions copied to the window
    TimeSamples compose;        // composing the back buffer and copying it to the window
    TimeSamples framePath;      // a frame's whole way: copy and filters on delivery, then its composition
    unsigned framesPainted = 0; // camera frames painted at least once
    uint64_t lastPainted = 0;   // the sequence number of the frame painted last
};

struct CameraViewState {
    HWND window = nullptr;
    int frameWidth = 0; // frames as the camera delivers them
    int frameHeight = 0;
    int contentWidth = 0; // the picture as presented, measured and saved
    int contentHeight = 0;
    int displayWidth = 0; // content at the zoom; 0 while no camera is open
    int displayHeight = 0;
    int zoomPercent = 100;
    bool fitToWindow = false;
    BITMAPINFOHEADER frameHeader = {};

    // Back buffer: the composed picture, kept between frames; rebuilt when its size or the style changes.
    HDC backDc = nullptr;
    HBITMAP backBitmap = nullptr;
    std::vector<uint8_t> shownPixels;   // the shown part of the frame, 32-bit, on its way into the buffer
    std::vector<uint32_t> scaleColumns; // room for the scaled copy
    HGDIOBJ backDisplaced = nullptr;
    HFONT labelFont = nullptr;
    MeasureDrawing* measureDrawing = nullptr; // pens, brushes of the overlay (measure_render.h)
    std::vector<OverlayItem> overlay;         // the overlay's drawing steps, room kept between paints

    int scrollX = 0;
    int scrollY = 0;
    bool hScrollShown = false;
    bool vScrollShown = false;

    float scale = -1.0f; // pixels per unit; -1 = not calibrated
    int unitIndex = 0;
    std::wstring unitText;
    RulerStep ruler;
    int digitalZoomStep = 0;
    int calibLineLength = 0; // non-zero while calibrating (calibration_line.h)
    bool crosshair = false;
    ViewStyle style = {};

    std::wstring noDeviceText;
    std::wstring inputHintText;
    int reopenCountdown = 0;
    HFONT noDeviceFont = nullptr;
    HBITMAP noDeviceBitmap = nullptr;
    HDEVNOTIFY deviceNotification = nullptr;

    MeasureState measure; // tool, shapes, selection, the shape being drawn, the calibration line

    ViewStats stats;
};

// Asks the view for one of its figures (wParam: ViewQuery), so that the picture path can be
// measured and the view's state read from outside the process, as the test driver does.
inline constexpr UINT UM_VIEW_QUERY = kWmApp + 40;
enum ViewQuery : int {
    kQueryPaints = 0,        // compositions copied to the window so far
    kQueryComposeMedian = 1, // recent composition times, microseconds
    kQueryCompose95 = 2,
    kQueryZoom = 4,
    kQueryDisplayWidth = 5,
    kQueryDisplayHeight = 6,
    kQueryContentWidth = 7,
    kQueryContentHeight = 8,
    kQueryDigitalZoom = 9,
    kQueryScrollX = 10,
    kQueryScrollY = 11,
    kQueryScrollBars = 12, // 1 horizontal shown, 2 vertical shown
    kQueryFitToWindow = 13,
    kQueryTool = 14,
    kQueryCrosshair = 15,
    kQueryScaleBits = 16, // the scale's float bits (pixels per unit; -1.0 = not calibrated)
    kQueryUnit = 17,
    kQueryCalibLine = 18,       // calibLineLength: 0 = no calibration line
    kQueryFramePathMedian = 19, // a frame's way from delivery to the window, microseconds
    kQueryFramePath95 = 20,
    kQueryFramesPainted = 21, // camera frames painted at least once (not the black one before the first)
    kQueryFrameCopy = 22,     // one memcpy of a frame of the open camera, microseconds (median of 9)
    kQueryShapeCount = 30,
    kQuerySelectedShape = 31, // -1 = none
    kQueryHoveredShape = 32,  // -1 = none
    kQueryPendingPhase = 33,
    kQueryShapeKind = 34,  // lParam: shape index; -1 when there is no such shape
    kQueryShapeP1 = 35,    // lParam: shape index; x in the low, y in the high 16 bits (signed)
    kQueryShapeLabel = 36, // lParam: shape index; the number of its first label x 1000, -1 without one
};

LRESULT CALLBACK CameraViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The view's record, or null before the view exists.
CameraViewState* CameraView();

void SetZoom(int percent);
void InitViewFromFormat();
void ReleaseViewResources();
void PanBy(int x, int y);
void RedrawNow();
// The label font of the view's style, made on `dc` when missing.
HFONT EnsureLabelFont(CameraViewState* v, HDC dc);
void SetViewTexts(const std::wstring& noDevice, const std::wstring& inputHint);

// The picture as a photo keeps it: the newest frame at the content size whatever the zoom, with
// what the view draws over it at 100 % (at other zooms the view shows the frame alone). A top-down
// 24-bit DIB section that the caller deletes; null without a camera or a frame.
HBITMAP ComposeContentPicture();

// Whether that picture has the measurement shapes in it: only at 100 % without digital zoom.
bool ContentPictureShowsShapes();

// Pixels per unit of that picture: the view's scale, magnified by the digital zoom; -1 when not
// calibrated.
float ContentPictureScale();
