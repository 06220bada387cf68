#include "view/camera_view.h"

#include "base/win32_window.h"
#include "base/window_dpi.h"
#include "capture/capture_graph.h"
#include "capture/capture_messages.h"
#include "capture/capture_session.h"
#include "capture/device_list.h"
#include "measure/labels.h"
#include "view/measure_view.h"
#include "view/picture_copy.h"
#include "view/view_commands.h"
#include "view/view_composition.h"
#include "view/view_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kViewCmdDeviceRemoved = 3;
constexpr int kViewCmdAutoOpen = 11;

CameraViewState* StateOf(HWND hwnd) {
    return WindowRecord<CameraViewState>(hwnd);
}

std::wstring Clamped(const std::wstring& text) {
    return text.substr(0, kViewTextMax);
}

void SetBarPosition(HWND hwnd, int bar, int position) {
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_POS;
    si.nPos = position;
    SetScrollInfo(hwnd, bar, &si, TRUE);
}

void SetBarRange(HWND hwnd, int bar, int maximum, int page, int position) {
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = maximum;
    si.nPage = static_cast<UINT>(page);
    si.nPos = position;
    SetScrollInfo(hwnd, bar, &si, TRUE);
}

void UpdateScrollBars(CameraViewState* v) {
    SIZE client = ClientSize(v->window);
    if (v->vScrollShown)
        client.cx += GetSystemMetrics(SM_CXVSCROLL);
    if (v->hScrollShown)
        client.cy += GetSystemMetrics(SM_CYHSCROLL);
    const ScrollBarState s =
        LayoutScrollBars(client.cx, client.cy, v->displayWidth, v->displayHeight, v->scrollX, v->scrollY,
                         GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
    v->scrollX = s.scrollX;
    v->scrollY = s.scrollY;
    if (s.hShown != v->hScrollShown) {
        v->hScrollShown = s.hShown;
        ShowScrollBar(v->window, SB_HORZ, s.hShown);
    }
    if (s.vShown != v->vScrollShown) {
        v->vScrollShown = s.vShown;
        ShowScrollBar(v->window, SB_VERT, s.vShown);
    }
    if (s.hShown)
        SetBarRange(v->window, SB_HORZ, s.hMax, s.hPage, s.scrollX);
    if (s.vShown)
        SetBarRange(v->window, SB_VERT, s.vMax, s.vPage, s.scrollY);
}

void CentreScroll(CameraViewState* v) {
    const SIZE client = ClientSize(v->window);
    const int x = CentredScrollPosition(v->scrollX, v->contentWidth, client.cx);
    const int y = CentredScrollPosition(v->scrollY, v->contentHeight, client.cy);
    if (x != v->scrollX) {
        v->scrollX = x;
        SetBarPosition(v->window, SB_HORZ, x);
    }
    if (y != v->scrollY) {
        v->scrollY = y;
        SetBarPosition(v->window, SB_VERT, y);
    }
}

void Scroll(CameraViewState* v, int bar, int request, int thumb) {
    const SIZE client = ClientSize(v->window);
    const bool horizontal = bar == SB_HORZ;
    int& position = horizontal ? v->scrollX : v->scrollY;
    const int next = ScrollPosition(request, position, thumb, horizontal ? v->displayWidth : v->displayHeight,
                                    horizontal ? client.cx : client.cy);
    if (next == position)
        return;
    position = next;
    SetBarPosition(v->window, bar, next);
    RedrawNow(*v);
}

void NotifyDevicesChanged(CameraViewState* v) {
    RefreshDeviceList();
    PostMessageW(GetParent(v->window), UM_DEVICES_CHANGED, 0, 0);
}

// How the view follows cameras that capture opens or closes as they come and go.
CameraShownHooks ShownHooks(const CameraViewState* v) {
    CameraShownHooks hooks;
    hooks.context = v->window;
    hooks.release = [](void* view) { ReleaseViewResources(static_cast<HWND>(view)); };
    hooks.opened = [](void* view) { InitViewFromFormat(static_cast<HWND>(view)); };
    return hooks;
}

void AfterCameraChange(CameraViewState* v) {
    PostMessageW(v->window, WM_SIZE, 0, 0);
    InvalidateRect(v->window, nullptr, TRUE);
}

void AutoOpenDevice(CameraViewState* v) {
    NotifyDevicesChanged(v);
    if (OpenNewestCamera(ShownHooks(v)))
        AfterCameraChange(v);
}

void HandleDeviceRemoval(CameraViewState* v) {
    NotifyDevicesChanged(v);
    if (CloseCameraIfGone(ShownHooks(v)))
        AfterCameraChange(v);
}

void MakeNoDeviceFont(CameraViewState* v) {
    v->noDeviceFont.Reset(CreateFontW(-MulDiv(18, WindowDpi(v->window), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                      FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI"));
}

void OnCreate(HWND hwnd) {
    auto* v = new CameraViewState();
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(v));
    v->window = hwnd;
    InitCaptureGraph(hwnd);
    v->noDeviceText = L"Please connect USB microscope.";
    v->inputHintText = L" Input text, drag to move. ";
    MakeNoDeviceFont(v);
    v->reopenCountdown = kReopenCountdownAtStart;
    v->cameraNotification.Start(hwnd);
    SetTimer(hwnd, kCameraViewTimer, 100, nullptr);
}

void OnDestroy(CameraViewState* v) {
    KillTimer(v->window, kCameraViewTimer);
    ClearDeviceList();
    ReleaseViewResources(v->window);
    CloseCaptureGraph();
    ReleaseCaptureGraph();
    v->cameraNotification.Stop();
    SetWindowLongPtrW(v->window, 0, 0);
    delete v;
}

void ZoomTo(CameraViewState& view, int percent) {
    CameraViewState* v = &view;
    const SIZE client = ClientSize(v->window);
    if (IsFitZoomRequest(percent)) {
        v->fitToWindow = true;
        percent = FitZoomPercent(client.cx, client.cy, v->contentWidth, v->contentHeight);
    } else {
        v->fitToWindow = false;
    }
    if (percent == v->zoomPercent)
        return;
    v->zoomPercent = percent;
    // A tool, the cross-hair, a calibration or the window's size may have changed it: the
    // Preview section's read-out follows.
    PostMessageW(GetParent(v->window), UM_PANEL_REFRESH, kRefreshZoom, 0);
    v->displayWidth = ZoomedSize(v->contentWidth, percent);
    v->displayHeight = ZoomedSize(v->contentHeight, percent);
    DropBackBuffer(*v);
    DropDrawingObjects(*v);
    UpdateScrollBars(v);
    InvalidateRect(v->window, nullptr, FALSE);
}

void OnViewCommand(CameraViewState* v, int command, LPARAM lParam) {
    switch (command) {
        case kViewCmdDeviceRemoved:
            HandleDeviceRemoval(v);
            break;
        case kViewCmdAutoOpen:
            AutoOpenDevice(v);
            break;
        case VIEW_CMD_STYLE: {
            const auto* style = reinterpret_cast<const ViewStyle*>(lParam);
            if (!style)
                break;
            DropDrawingObjects(*v);
            v->style = *style;
            if (v->back) {
                MakeDrawingObjects(*v, BackBufferDc(*v));
                InvalidateRect(v->window, nullptr, FALSE);
            }
            break;
        }
        case VIEW_CMD_TOOL:
            MeasureSelectTool(v, static_cast<int>(lParam));
            break;
        case VIEW_CMD_ZOOM:
            ZoomTo(*v, static_cast<int>(lParam));
            break;
        case VIEW_CMD_SCALE: {
            const auto* value = reinterpret_cast<const ViewScale*>(lParam);
            if (!value)
                break;
            v->scale = value->scale;
            v->unitIndex = value->unit;
            v->unitText = UnitText(value->unit);
            v->ruler = ComputeRulerStep(v->scale);
            InvalidateRect(v->window, nullptr, FALSE);
            break;
        }
        case VIEW_CMD_TEXT:
            MeasureTextCommand(v, static_cast<NoteCommand>(lParam));
            break;
        default:
            break;
    }
}

} // namespace

HWND CameraViewOf(HWND mainWindow) {
    return mainWindow ? GetDlgItem(mainWindow, kIdCameraView) : nullptr;
}

CameraViewState* CameraViewStateOf(HWND view) {
    return view ? StateOf(view) : nullptr;
}

void SetZoom(HWND view, int percent) {
    if (CameraViewState* v = CameraViewStateOf(view))
        ZoomTo(*v, percent);
}

void InitViewFromFormat(HWND view) {
    CameraViewState* v = CameraViewStateOf(view);
    if (!v)
        return;
    v->frameWidth = g_capture.currentFormat.width;
    v->frameHeight = std::abs(g_capture.currentFormat.height);
    v->contentWidth = g_capture.requestedFormat.width;
    v->contentHeight = g_capture.requestedFormat.height;
    if (v->contentWidth <= 0 || v->contentHeight <= 0) { // nothing better known: the frame itself
        v->contentWidth = v->frameWidth;
        v->contentHeight = v->frameHeight;
    }
    v->frameHeader = RgbBitmapHeader(v->frameWidth, g_capture.currentFormat.height, 24);
    DropBackBuffer(*v);
    DropDrawingObjects(*v);
    v->displayWidth = v->contentWidth;
    v->displayHeight = v->contentHeight;
    v->zoomPercent = 100;
    v->fitToWindow = false;
    v->digitalZoomStep = 0;
    v->scale = -1.0f;
    v->unitIndex = 0;
    v->ruler = ComputeRulerStep(v->scale);
    PostMessageW(v->window, WM_SIZE, 0, 0);
}

void ReleaseViewResources(HWND view) {
    CameraViewState* v = CameraViewStateOf(view);
    if (!v)
        return;
    DropBackBuffer(*v);
    DropDrawingObjects(*v);
    v->scale = -1.0f;
    ClearShapes(v->measure);
    v->frameWidth = v->frameHeight = 0;
    v->contentWidth = v->contentHeight = 0;
    v->displayWidth = v->displayHeight = 0;
    v->zoomPercent = 100;
    v->fitToWindow = false;
    v->digitalZoomStep = 0;
    v->ruler = ComputeRulerStep(v->scale);
    UpdateScrollBars(v);
    InvalidateRect(v->window, nullptr, TRUE);
}

void PanBy(CameraViewState& view, int x, int y) {
    CameraViewState* v = &view;
    const int dx = x - v->measure.lastMousePoint.x;
    const int dy = y - v->measure.lastMousePoint.y;
    const SIZE client = ClientSize(v->window);
    if ((dx == 0 && dy == 0) || (v->displayWidth <= client.cx && v->displayHeight <= client.cy))
        return;
    bool changed = false;
    const int nx = PanPosition(v->scrollX, dx, v->displayWidth, client.cx);
    if (nx != v->scrollX) {
        v->scrollX = nx;
        SetBarPosition(v->window, SB_HORZ, nx);
        changed = true;
    }
    const int ny = PanPosition(v->scrollY, dy, v->displayHeight, client.cy);
    if (ny != v->scrollY) {
        v->scrollY = ny;
        SetBarPosition(v->window, SB_VERT, ny);
        changed = true;
    }
    if (changed)
        RedrawNow(*v);
}

void SetViewTexts(HWND view, const std::wstring& noDevice, const std::wstring& inputHint) {
    CameraViewState* v = CameraViewStateOf(view);
    if (!v)
        return;
    v->noDeviceText = Clamped(noDevice);
    v->inputHintText = Clamped(inputHint);
    InvalidateRect(v->window, nullptr, TRUE);
}

LRESULT CALLBACK CameraViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        OnCreate(hwnd);
        return 0;
    }
    CameraViewState* v = StateOf(hwnd);
    if (!v)
        return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_DESTROY:
            OnDestroy(v);
            return 0;
        case WM_SIZE:
            if (lParam == 0)
                CentreScroll(v);
            if (v->fitToWindow)
                ZoomTo(*v, 0);
            UpdateScrollBars(v);
            return 0;
        case WM_PAINT:
            PaintCameraView(*v);
            return 0;
        case WM_DPICHANGED_AFTERPARENT: // fonts and pens for the new DPI
            MakeNoDeviceFont(v);
            DropDrawingObjects(*v);
            if (v->back)
                MakeDrawingObjects(*v, BackBufferDc(*v));
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE)
                PostMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(CMD_TAKE_PHOTO, 0), 0);
            else if (wParam == VK_DELETE || wParam == VK_BACK)
                MeasureDeleteSelected(v);
            else if (wParam == 'C' && GetKeyState(VK_CONTROL) < 0)
                CopyPictureToClipboard(hwnd);
            return 0;
        case WM_COPY:
            CopyPictureToClipboard(hwnd);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            MeasureMouseDown(v, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_MOUSEMOVE:
            MeasureMouseMove(v, wParam, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_LBUTTONUP:
            MeasureMouseUp(v);
            return 0;
        case WM_HSCROLL:
            Scroll(v, SB_HORZ, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
            return 0;
        case WM_VSCROLL:
            Scroll(v, SB_VERT, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
            return 0;
        case WM_TIMER:
            if (wParam == kCameraViewTimer) {
                const CountdownTick tick = TickReopenCountdown(v->reopenCountdown);
                v->reopenCountdown = tick.next;
                if (tick.openNow)
                    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kViewCmdAutoOpen, 0), 0);
            }
            return 0;
        case WM_DEVICECHANGE:
            switch (CameraChangeOf(wParam, lParam)) {
                case CameraChange::kArrived:
                    v->reopenCountdown = kReopenCountdownAfterArrival;
                    break;
                case CameraChange::kRemoved:
                    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kViewCmdDeviceRemoved, 0), 0);
                    break;
                case CameraChange::kNone:
                    break;
            }
            return TRUE;
        case WM_QUERYNEWPALETTE:
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        case WM_PALETTECHANGED:
            if (reinterpret_cast<HWND>(wParam) != hwnd)
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_COMMAND:
            OnViewCommand(v, LOWORD(wParam), lParam);
            return 0;
        case UM_GRAPH_EVENT:
            if (IsCaptureGraphOpen())
                DrainGraphEvents();
            return 0;
        case UM_CAMERA_OPENED:
        case UM_CAMERA_CLOSED:
        case UM_STILL_BUTTON:
        case UM_ZOOM_STEP:
            PostMessageW(GetParent(hwnd), msg, 0, 0);
            return 0;
        case UM_VIEW_QUERY:
            return AnswerViewQuery(*v, static_cast<int>(wParam), lParam);
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
