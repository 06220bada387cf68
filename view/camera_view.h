// The camera view: the live picture of the open camera, zoomed, scrolled and panned, the screen
// shown without a camera, and the automatic opening and closing of cameras as they come and go.
#pragma once

#include "base/gdi_holders.h"
#include "capture/camera_arrival.h"
#include "measure/calibration.h"
#include "measure/measure_render.h"
#include "measure/overlay_plan.h"
#include "measure/shape_editor.h"
#include "view/view_messages.h"
#include "view/view_query.h"
#include "view/view_stats.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

inline constexpr UINT_PTR kCameraViewTimer = 16;
inline constexpr int kViewTextMax = 63;

// The overlay's drawing objects (measure_render.h).
struct MeasureDrawingRelease {
    void operator()(MeasureDrawing* drawing) const { DestroyMeasureDrawing(drawing); }
};
using MeasureDrawingHolder = std::unique_ptr<MeasureDrawing, MeasureDrawingRelease>;

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
    std::optional<OffscreenBitmap> back;
    std::vector<uint8_t> shownPixels;   // the shown part of the frame, 32-bit, on its way into the buffer
    std::vector<uint32_t> scaleColumns; // room for the scaled copy
    GdiFont labelFont;
    MeasureDrawingHolder measureDrawing; // pens, brushes of the overlay (measure_render.h)
    std::vector<OverlayItem> overlay;    // the overlay's drawing steps, room kept between paints

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
    GdiFont noDeviceFont;
    GdiBitmap noDeviceBitmap;
    CameraNotification cameraNotification;

    MeasureState measure; // tool, shapes, selection, the shape being drawn, the calibration line

    ViewStats stats;
};

// The back buffer's context; null while there is none.
inline HDC BackBufferDc(const CameraViewState& v) {
    return v.back ? v.back->dc.get() : nullptr;
}

LRESULT CALLBACK CameraViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The camera view among the children of `mainWindow` (child kIdCameraView); null when it has none.
// Panels and dialogs find it from the window they were given: a section from its top-level window,
// a dialog from its owner.
HWND CameraViewOf(HWND mainWindow);

// The view's record; null without a window or before the view has made it.
CameraViewState* CameraViewStateOf(HWND view);

// A percentage outside the zoom range (0, say) fits the picture to the window and keeps it fitted.
void SetZoom(HWND view, int percent);
// A camera opened, or is gone: the view takes its format, or goes back to its no-camera screen.
void InitViewFromFormat(HWND view);
void ReleaseViewResources(HWND view);
// Pans so that the picture follows the pointer from the last mouse point to (x, y), client pixels.
void PanBy(CameraViewState& v, int x, int y);
// Composes and shows the newest frame at once, not waiting for WM_PAINT.
void RedrawNow(CameraViewState& v);
// The label font of the view's style, made on `dc` when missing.
HFONT EnsureLabelFont(CameraViewState* v, HDC dc);
void SetViewTexts(HWND view, const std::wstring& noDevice, const std::wstring& inputHint);

// The picture as a photo keeps it: the newest frame at the content size whatever the zoom, with
// what the view draws over it at 100 % (at other zooms the view shows the frame alone). A top-down
// 24-bit DIB section that the caller deletes; null without a camera or a frame.
HBITMAP ComposeContentPicture(HWND view);

// Whether that picture has the measurement shapes in it: only at 100 % without digital zoom.
bool ContentPictureShowsShapes(HWND view);

// Pixels per unit of that picture: the view's scale, magnified by the digital zoom; -1 when not
// calibrated.
float ContentPictureScale(HWND view);
