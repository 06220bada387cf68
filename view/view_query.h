// Reading the camera view's state from outside, as the test driver and the benchmarks do: the
// view's child id, the message, the figures it answers, and the answer itself. Free of windows.h.
#pragma once

#include "base/app_message_base.h"

#include <cstdint>

// The view's child id in the window that holds it (the main window), by which it is found.
inline constexpr int kIdCameraView = 108;

// Asks the view for one of its figures (wParam: ViewQuery, lParam: its argument); the result is
// the figure.
inline constexpr unsigned UM_VIEW_QUERY = kWmApp + 40;
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

struct CameraViewState;

// The answer to UM_VIEW_QUERY; -1 for a query the view does not know.
intptr_t AnswerViewQuery(const CameraViewState& v, int which, intptr_t argument);
