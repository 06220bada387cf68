#include "view/camera_view.h"

#include "capture/capture_session.h"
#include "view/view_commands.h"
#include "base/string_table.h"
#include "base/window_dpi.h"
#include "capture/capture_graph.h"
#include "capture/capture_messages.h"
#include "capture/device_list.h"
#include "capture/frame_ring.h"
#include "capture/video_format.h"
#include "measure/labels.h"
#include "measure/measure_render.h"
#include "view/measure_view.h"
#include "view/picture_copy.h"
#include "resources/resource.h"
#include "capture/frame_filters.h"
#include "view/back_buffer_pixels.h"
#include "view/view_geometry.h"

#include <dbt.h>
#include <strsafe.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr COLORREF kMarginColor = RGB(191, 191, 191);
constexpr COLORREF kNoDeviceBackground = RGB(48, 62, 71);
constexpr COLORREF kNoDeviceTextColor = RGB(192, 255, 192);
constexpr int kViewCmdDeviceRemoved = 3;
constexpr int kViewCmdAutoOpen = 11;

// {65E8773D-8F56-11D0-A3B9-00A0C9223196}
constexpr GUID kCaptureInterfaceClass = {
    0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

CameraViewState* StateOf(HWND hwnd) {
    return reinterpret_cast<CameraViewState*>(GetWindowLongPtrW(hwnd, 0));
}

SIZE ClientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

std::wstring Clamped(const std::wstring& text) {
    return text.substr(0, kViewTextMax);
}

void DropMeasureDrawing(CameraViewState* v) {
    if (v->measureDrawing) {
        DestroyMeasureDrawing(v->measureDrawing);
        v->measureDrawing = nullptr;
    }
}

void DropBackBuffer(CameraViewState* v) {
    DropMeasureDrawing(v); // it draws on the buffer's context
    if (v->backDc) {
        SelectObject(v->backDc, v->backDisplaced);
        DeleteDC(v->backDc);
        v->backDc = nullptr;
    }
    if (v->backBitmap) {
        DeleteObject(v->backBitmap);
        v->backBitmap = nullptr;
    }
    v->backDisplaced = nullptr;
}

void DropDrawingObjects(CameraViewState* v) {
    DropMeasureDrawing(v);
    if (v->labelFont) {
        DeleteObject(v->labelFont);
        v->labelFont = nullptr;
    }
}

// The overlay's drawing objects, made once per back buffer and style, never per paint.
void MakeDrawingObjects(CameraViewState* v, HDC dc) {
    EnsureLabelFont(v, dc);
    if (!v->measureDrawing)
        v->measureDrawing = CreateMeasureDrawing(dc, v->style, v->labelFont, WindowDpi(v->window));
}

bool EnsureBackBuffer(CameraViewState* v, HDC dc) {
    if (v->backDc)
        return true;
    if (v->displayWidth <= 0 || v->displayHeight <= 0)
        return false;
    v->backBitmap = CreateCompatibleBitmap(dc, v->displayWidth, v->displayHeight);
    if (!v->backBitmap)
        return false;
    v->backDc = CreateCompatibleDC(dc);
    if (!v->backDc) {
        DeleteObject(v->backBitmap);
        v->backBitmap = nullptr;
        return false;
    }
    v->backDisplaced = SelectObject(v->backDc, v->backBitmap);
    MakeDrawingObjects(v, v->backDc);
    return true;
}

unsigned Microseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<unsigned>(ticks * 1000000 / std::max<LONGLONG>(frequency.QuadPart, 1));
}

// A composition done: its time, and the frame's whole way when it is a camera frame.
void RecordComposition(CameraViewState* v, const FrameBuffer* frame, LONGLONG ticks) {
    const unsigned micros = Microseconds(ticks);
    v->stats.compose.Add(micros);
    ++v->stats.paints;
    if (frame->sequence == 0)
        return;
    v->stats.framePath.Add(frame->deliverMicros + micros);
    if (frame->sequence != v->stats.lastPainted) {
        ++v->stats.framesPainted;
        v->stats.lastPainted = frame->sequence;
    }
}

// The baseline of the frame path's figures: one memcpy of a frame of the open camera's size.
unsigned FrameCopyMicros(const CameraViewState* v) {
    const size_t size = static_cast<size_t>(std::max(v->frameWidth, 0)) * std::max(v->frameHeight, 0) * 3;
    if (size == 0)
        return 0;
    std::vector<uint8_t> from(size, 1), to(size);
    TimeSamples copies;
    for (int i = 0; i < 9; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        std::memcpy(to.data(), from.data(), size);
        QueryPerformanceCounter(&end);
        copies.Add(Microseconds(end.QuadPart - start.QuadPart));
        from[static_cast<size_t>(i) * 4096 % size] = to[size - 1];
    }
    return copies.Percentile(50);
}

void DrawDigitalZoomLabel(CameraViewState* v) {
    wchar_t label[16];
    StringCchPrintfW(label, 16, L"X%d", v->digitalZoomStep);
    HGDIOBJ oldFont = SelectObject(v->backDc, v->labelFont ? v->labelFont : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(v->backDc, TRANSPARENT);
    SetTextColor(v->backDc, v->style.textColor);
    TextOutW(v->backDc, 2, 2, label, static_cast<int>(wcslen(label)));
    SelectObject(v->backDc, oldFont);
}

// Frame into the back buffer, then the visible part onto `dc`. Only what the window shows is composed
// (the back buffer is clipped to it), unless `whole` asks for all of it, as a photo of the view does.
void ComposeAndCopy(CameraViewState* v, HDC dc, const FrameBuffer* frame, bool whole = false) {
    if (!frame || !frame->pixels || frame->width != v->frameWidth || frame->height != v->frameHeight)
        return;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!EnsureBackBuffer(v, dc))
        return;
    const SIZE client = ClientSize(v->window);
    const BlitSpan xs = BackBufferSpan(v->hScrollShown != 0, v->scrollX, client.cx, v->displayWidth);
    const BlitSpan ys = BackBufferSpan(v->vScrollShown != 0, v->scrollY, client.cy, v->displayHeight);
    if (!whole)
        IntersectClipRect(v->backDc, xs.source, ys.source, xs.source + xs.length, ys.source + ys.length);

    // The shown part of the frame (or all of it), scaled to the display size where it must be, is made
    // into the buffer's own 32-bit pixels here, so that GDI only copies it in. The frame's rows are
    // bottom-up; flip vertical takes them top-down instead.
    CropRect source = {0, 0, v->frameWidth, v->frameHeight};
    if (v->digitalZoomStep > 0)
        source = DigitalZoomCrop(v->frameWidth, v->frameHeight, v->digitalZoomStep);
    ScaledBlock block = {0, 0, v->displayWidth, v->displayHeight};
    if (!whole) {
        block.left = std::clamp(xs.source, 0, v->displayWidth);
        block.top = std::clamp(ys.source, 0, v->displayHeight);
        block.width = std::clamp(xs.length, 0, v->displayWidth - block.left);
        block.height = std::clamp(ys.length, 0, v->displayHeight - block.top);
    }
    if (block.width > 0 && block.height > 0) {
        const bool topDown =
            (v->frameHeader.biHeight < 0) != g_filterFlags.flipVertical.load(std::memory_order_relaxed);
        const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(v->frameWidth) * 3;
        const ptrdiff_t stride = topDown ? rowBytes : -rowBytes;
        const uint8_t* sourceTop = frame->pixels.get() + static_cast<ptrdiff_t>(source.x) * 3 +
                                   (topDown ? source.y : v->frameHeight - 1 - source.y) * rowBytes;
        const ptrdiff_t shownRowBytes = static_cast<ptrdiff_t>(block.width) * 4;
        v->shownPixels.resize(static_cast<size_t>(shownRowBytes) * block.height);
        if (source.width == v->displayWidth && source.height == v->displayHeight) {
            CopyPixels24To32(sourceTop + block.top * stride + static_cast<ptrdiff_t>(block.left) * 3, stride,
                             v->shownPixels.data(), shownRowBytes, block.width, block.height);
        } else {
            ScalePixels24To32(sourceTop, stride, source.width, source.height, v->shownPixels.data(),
                              shownRowBytes, v->displayWidth, v->displayHeight, block, v->scaleColumns);
        }
        BITMAPINFO shown = {};
        shown.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        shown.bmiHeader.biWidth = block.width;
        shown.bmiHeader.biHeight = -block.height; // top-down
        shown.bmiHeader.biPlanes = 1;
        shown.bmiHeader.biBitCount = 32;
        shown.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(v->backDc, block.left, block.top, block.width, block.height, 0, 0, 0, block.height,
                          v->shownPixels.data(), &shown, DIB_RGB_COLORS);
    }
    if (v->digitalZoomStep > 0)
        DrawDigitalZoomLabel(v);
    DrawMeasureOverlay(v);
    if (!whole)
        SelectClipRgn(v->backDc, nullptr);

    BitBlt(dc, xs.destination, ys.destination, xs.length, ys.length, v->backDc, xs.source, ys.source,
           SRCCOPY);

    QueryPerformanceCounter(&end);
    RecordComposition(v, frame, end.QuadPart - start.QuadPart);
}

void FillRectColor(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    if (right <= left || bottom <= top)
        return;
    const RECT rc = {left, top, right, bottom};
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void PaintNoDevice(CameraViewState* v, HDC dc, SIZE client) {
    FillRectColor(dc, 0, 0, client.cx, client.cy, kNoDeviceBackground);
    if (!v->noDeviceBitmap)
        v->noDeviceBitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_NODEVICE));
    if (v->noDeviceBitmap) {
        BITMAP bm = {};
        GetObjectW(v->noDeviceBitmap, sizeof(bm), &bm);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, v->noDeviceBitmap);
        BitBlt(dc, std::max<int>((client.cx - bm.bmWidth) / 2, 0),
               std::max<int>((client.cy - bm.bmHeight) / 2, 0), bm.bmWidth, bm.bmHeight, memory, 0, 0,
               SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else if (g_capture.devices.empty()) {
        HGDIOBJ oldFont = SelectObject(dc, v->noDeviceFont);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kNoDeviceTextColor);
        // One line where the view is wide enough; a narrow view (large display scale) wraps it.
        RECT room = {22, 18, std::max<LONG>(client.cx - 22, 23), std::max<LONG>(client.cy, 19)};
        DrawTextW(dc, v->noDeviceText.c_str(), static_cast<int>(v->noDeviceText.size()), &room,
                  DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, oldFont);
    }
}

void OnPaint(CameraViewState* v) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(v->window, &ps);
    const SIZE client = ClientSize(v->window);
    if (v->displayWidth != 0 && v->displayHeight != 0) {
        if (v->displayWidth < client.cx) {
            FillRectColor(dc, 0, 0, (client.cx - v->displayWidth) / 2, client.cy, kMarginColor);
            FillRectColor(dc, (v->displayWidth + client.cx) / 2, 0, client.cx, client.cy, kMarginColor);
        }
        if (v->displayHeight < client.cy) {
            FillRectColor(dc, 0, 0, client.cx, (client.cy - v->displayHeight) / 2, kMarginColor);
            FillRectColor(dc, 0, (v->displayHeight + client.cy) / 2, client.cx, client.cy, kMarginColor);
        }
    } else {
        PaintNoDevice(v, dc, client);
    }
    if (IsCaptureGraphOpen() && v->displayWidth != 0) {
        HeldFrame frame; // kept out of the ring's rotation while it is drawn
        ComposeAndCopy(v, dc, frame.get());
    }
    EndPaint(v->window, &ps);
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

// A function of user32 looked up at run time.
template <typename Fn> Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
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
    if (s.hShown != (v->hScrollShown != 0)) {
        v->hScrollShown = s.hShown;
        ShowScrollBar(v->window, SB_HORZ, s.hShown);
    }
    if (s.vShown != (v->vScrollShown != 0)) {
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
    RedrawNow();
}

bool IsCaptureDeviceChange(WPARAM event, LPARAM lParam) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        header->dbch_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) - sizeof(wchar_t))
        return false;
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    return IsEqualGUID(device->dbcc_classguid, kCaptureInterfaceClass) != 0;
}

void RegisterForDeviceChanges(CameraViewState* v) {
    using RegisterFn = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
    auto registerFn = User32Function<RegisterFn>("RegisterDeviceNotificationW");
    if (!registerFn)
        return;
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kCaptureInterfaceClass;
    v->deviceNotification = registerFn(v->window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void NotifyDevicesChanged(CameraViewState* v) {
    RefreshDeviceList();
    PostMessageW(GetParent(v->window), UM_DEVICES_CHANGED, 0, 0);
}

void AutoOpenDevice(CameraViewState* v) {
    NotifyDevicesChanged(v);
    if (IsCaptureGraphOpen() || g_capture.devices.empty())
        return;
    CaptureDeviceInfo& device = g_capture.devices.back();
    if (!device.filter) {
        const HRESULT hr = BindDeviceFilter(device);
        if (SUCCEEDED(hr) && device.filter) {
            OutputDebugStringW(L"moniker->BindToObject -- OK\r\n");
        } else {
            wchar_t line[160];
            StringCchPrintfW(line, 160, L"%x %x %x %x %x %x %x %x\r\n", static_cast<unsigned>(hr),
                             0x800401E5u, 0x800401E1u, 0x800401E0u, 0x800401E7u, 0x8000FFFFu, 0x8007000Eu,
                             0x80030005u);
            OutputDebugStringW(line);
        }
    }
    if (!device.moniker || !device.filter)
        return;

    ReleaseViewResources();
    CloseCaptureGraph();
    g_capture.graph.deviceMoniker = device.moniker;
    g_capture.graph.captureFilter = device.filter;
    EnsureCaptureFormats();
    const FormatMap& formats =
        g_capture.graph.mjpgFormats.empty() ? g_capture.graph.yuy2Formats : g_capture.graph.mjpgFormats;
    const auto found =
        FindFormatBySize(formats, g_capture.requestedFormat.width, g_capture.requestedFormat.height);
    if (found && found->width != 0 && found->height > 0) {
        g_capture.requestedFormat = *found;
    } else {
        g_capture.requestedFormat.width = 0;
        g_capture.requestedFormat.height = 0;
    }

    if (OpenCaptureGraph()) {
        InitViewFromFormat();
    } else {
        // The camera would not run: back to the no-device screen rather than an empty picture.
        ReleaseCaptureGraph();
        ReleaseViewResources();
    }
    PostMessageW(v->window, WM_SIZE, 0, 0);
    InvalidateRect(v->window, nullptr, TRUE);
}

void HandleDeviceRemoval(CameraViewState* v) {
    NotifyDevicesChanged(v);
    if (!IsCaptureGraphOpen())
        return;
    for (const CaptureDeviceInfo& device : g_capture.devices) {
        if (device.moniker && g_capture.graph.deviceMoniker &&
            device.moniker->IsEqual(g_capture.graph.deviceMoniker.Get()) == S_OK)
            return; // the open camera is still there
    }
    CloseCaptureGraph();
    ReleaseViewResources();
    PostMessageW(v->window, WM_SIZE, 0, 0);
    InvalidateRect(v->window, nullptr, TRUE);
}

void MakeNoDeviceFont(CameraViewState* v) {
    if (v->noDeviceFont)
        DeleteObject(v->noDeviceFont);
    v->noDeviceFont = CreateFontW(-MulDiv(18, WindowDpi(v->window), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

void OnCreate(HWND hwnd) {
    auto* v = new CameraViewState();
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(v));
    v->window = hwnd;
    g_hCameraView = hwnd;
    InitCaptureGraph(hwnd);
    v->noDeviceText = L"Please connect USB microscope.";
    v->inputHintText = L" Input text, drag to move. ";
    MakeNoDeviceFont(v);
    v->reopenCountdown = kReopenCountdownAtStart;
    RegisterForDeviceChanges(v);
    SetTimer(hwnd, kCameraViewTimer, 100, nullptr);
}

void OnDestroy(CameraViewState* v) {
    KillTimer(v->window, kCameraViewTimer);
    ClearDeviceList();
    ReleaseViewResources();
    CloseCaptureGraph();
    ReleaseCaptureGraph();
    if (v->deviceNotification) {
        using UnregisterFn = BOOL(WINAPI*)(HDEVNOTIFY);
        auto unregisterFn = User32Function<UnregisterFn>("UnregisterDeviceNotification");
        if (unregisterFn)
            unregisterFn(v->deviceNotification);
    }
    if (v->noDeviceFont)
        DeleteObject(v->noDeviceFont);
    if (v->noDeviceBitmap)
        DeleteObject(v->noDeviceBitmap);
    SetWindowLongPtrW(v->window, 0, 0);
    if (g_hCameraView == v->window)
        g_hCameraView = nullptr;
    delete v;
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
            DropDrawingObjects(v);
            v->style = *style;
            if (v->backDc) {
                MakeDrawingObjects(v, v->backDc);
                InvalidateRect(v->window, nullptr, FALSE);
            }
            break;
        }
        case VIEW_CMD_TOOL:
            MeasureSelectTool(v, static_cast<int>(lParam));
            break;
        case VIEW_CMD_ZOOM:
            SetZoom(static_cast<int>(lParam));
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

// A shape's point packed for a query: x in the low, y in the high 16 bits.
LRESULT PackPoint(ShapePoint p) {
    const uint32_t x = static_cast<uint16_t>(p.x);
    const uint32_t y = static_cast<uint16_t>(p.y);
    return static_cast<LRESULT>(x | (y << 16));
}

LRESULT OnQuery(const CameraViewState* v, WPARAM which, LPARAM argument) {
    const std::vector<MeasureShape>& shapes = v->measure.shapes;
    const bool validShape = argument >= 0 && static_cast<size_t>(argument) < shapes.size();
    switch (which) {
        case kQueryPaints:
            return v->stats.paints;
        case kQueryComposeMedian:
            return v->stats.compose.Percentile(50);
        case kQueryCompose95:
            return v->stats.compose.Percentile(95);
        case kQueryFramePathMedian:
            return v->stats.framePath.Percentile(50);
        case kQueryFramePath95:
            return v->stats.framePath.Percentile(95);
        case kQueryFramesPainted:
            return v->stats.framesPainted;
        case kQueryFrameCopy:
            return FrameCopyMicros(v);
        case kQueryZoom:
            return v->zoomPercent;
        case kQueryDisplayWidth:
            return v->displayWidth;
        case kQueryDisplayHeight:
            return v->displayHeight;
        case kQueryContentWidth:
            return v->contentWidth;
        case kQueryContentHeight:
            return v->contentHeight;
        case kQueryDigitalZoom:
            return v->digitalZoomStep;
        case kQueryScrollX:
            return v->scrollX;
        case kQueryScrollY:
            return v->scrollY;
        case kQueryScrollBars:
            return (v->hScrollShown ? 1 : 0) | (v->vScrollShown ? 2 : 0);
        case kQueryFitToWindow:
            return v->fitToWindow;
        case kQueryTool:
            return v->measure.currentTool;
        case kQueryCrosshair:
            return v->crosshair;
        case kQueryScaleBits:
            return std::bit_cast<uint32_t>(v->scale);
        case kQueryUnit:
            return v->unitIndex;
        case kQueryCalibLine:
            return v->calibLineLength;
        case kQueryShapeCount:
            return static_cast<LRESULT>(shapes.size());
        case kQuerySelectedShape:
            return v->measure.selectedIndex;
        case kQueryHoveredShape:
            return v->measure.hoverIndex;
        case kQueryPendingPhase:
            return v->measure.pendingPhase;
        case kQueryShapeKind:
            return validShape ? shapes[static_cast<size_t>(argument)].kind : -1;
        case kQueryShapeP1:
            return validShape ? PackPoint(shapes[static_cast<size_t>(argument)].p1) : -1;
        case kQueryShapeLabel: {
            if (!validShape)
                return -1;
            const MeasureShape& shape = shapes[static_cast<size_t>(argument)];
            const ShapeLabels labels = LabelsOfShape(shape, shape.kind, v->scale, v->unitText);
            if (labels.count == 0)
                return -1;
            return static_cast<LRESULT>(std::lround(std::wcstod(labels.lines[0].c_str(), nullptr) * 1000.0));
        }
        default:
            return -1;
    }
}

} // namespace

CameraViewState* CameraView() {
    return g_hCameraView ? StateOf(g_hCameraView) : nullptr;
}

void SetZoom(int percent) {
    CameraViewState* v = CameraView();
    if (!v)
        return;
    const SIZE client = ClientSize(v->window);
    if (IsFitZoomRequest(percent)) {
        v->fitToWindow = 1;
        percent = FitZoomPercent(client.cx, client.cy, v->contentWidth, v->contentHeight);
    } else {
        v->fitToWindow = 0;
    }
    if (percent == v->zoomPercent)
        return;
    v->zoomPercent = percent;
    // A tool, the cross-hair, a calibration or the window's size may have changed it: the
    // Preview section's read-out follows.
    PostMessageW(GetParent(v->window), UM_PANEL_REFRESH, kRefreshZoom, 0);
    v->displayWidth = ZoomedSize(v->contentWidth, percent);
    v->displayHeight = ZoomedSize(v->contentHeight, percent);
    DropBackBuffer(v);
    DropDrawingObjects(v);
    UpdateScrollBars(v);
    InvalidateRect(v->window, nullptr, FALSE);
}

void InitViewFromFormat() {
    CameraViewState* v = CameraView();
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
    v->frameHeader = {};
    v->frameHeader.biSize = sizeof(BITMAPINFOHEADER);
    v->frameHeader.biWidth = v->frameWidth;
    v->frameHeader.biHeight = g_capture.currentFormat.height;
    v->frameHeader.biPlanes = 1;
    v->frameHeader.biBitCount = 24;
    v->frameHeader.biCompression = BI_RGB;
    DropBackBuffer(v);
    DropDrawingObjects(v);
    v->displayWidth = v->contentWidth;
    v->displayHeight = v->contentHeight;
    v->zoomPercent = 100;
    v->fitToWindow = 0;
    v->digitalZoomStep = 0;
    v->scale = -1.0f;
    v->unitIndex = 0;
    v->ruler = ComputeRulerStep(v->scale);
    PostMessageW(v->window, WM_SIZE, 0, 0);
}

void ReleaseViewResources() {
    CameraViewState* v = CameraView();
    if (!v)
        return;
    DropBackBuffer(v);
    DropDrawingObjects(v);
    v->scale = -1.0f;
    ClearShapes(v->measure);
    v->frameWidth = v->frameHeight = 0;
    v->contentWidth = v->contentHeight = 0;
    v->displayWidth = v->displayHeight = 0;
    v->zoomPercent = 100;
    v->fitToWindow = 0;
    v->digitalZoomStep = 0;
    v->ruler = ComputeRulerStep(v->scale);
    UpdateScrollBars(v);
    InvalidateRect(v->window, nullptr, TRUE);
}

void PanBy(int x, int y) {
    CameraViewState* v = CameraView();
    if (!v)
        return;
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
        RedrawNow();
}

void RedrawNow() {
    CameraViewState* v = CameraView();
    if (!v || !IsCaptureGraphOpen() || v->displayWidth == 0)
        return;
    HDC dc = GetDC(v->window);
    {
        HeldFrame frame;
        ComposeAndCopy(v, dc, frame.get());
    }
    ReleaseDC(v->window, dc);
}

HBITMAP ComposeContentPicture() {
    CameraViewState* v = CameraView();
    if (!v || !IsCaptureGraphOpen() || v->contentWidth <= 0 || v->contentHeight <= 0 || v->displayWidth == 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = v->contentWidth;
    info.bmiHeader.biHeight = -v->contentHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pictureBits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pictureBits, nullptr, 0);
    if (!picture)
        return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ displaced = SelectObject(dc, picture);
    bool drawn = false;
    {
        HeldFrame frame;
        if (frame && frame->pixels && frame->width == v->frameWidth && frame->height == v->frameHeight) {
            if (v->displayWidth == v->contentWidth && v->displayHeight == v->contentHeight) {
                // At 100 % the back buffer is the picture: compose it as a paint does, graphics and all.
                HDC windowDc = GetDC(v->window);
                ComposeAndCopy(v, windowDc, frame.get(), true);
                ReleaseDC(v->window, windowDc);
                drawn = v->backDc &&
                        BitBlt(dc, 0, 0, v->contentWidth, v->contentHeight, v->backDc, 0, 0, SRCCOPY);
            } else {
                BITMAPINFO frameInfo = {};
                frameInfo.bmiHeader = v->frameHeader;
                if (g_filterFlags.flipVertical.load(std::memory_order_relaxed))
                    frameInfo.bmiHeader.biHeight = -frameInfo.bmiHeader.biHeight;
                CropRect source = {0, 0, v->frameWidth, v->frameHeight};
                if (v->digitalZoomStep > 0)
                    source = DigitalZoomCrop(v->frameWidth, v->frameHeight, v->digitalZoomStep);
                SetStretchBltMode(dc, COLORONCOLOR);
                drawn = StretchDIBits(dc, 0, 0, v->contentWidth, v->contentHeight, source.x, source.y,
                                      source.width, source.height, frame->pixels.get(), &frameInfo,
                                      DIB_RGB_COLORS, SRCCOPY) > 0;
                if (v->digitalZoomStep > 0) {
                    wchar_t label[16];
                    StringCchPrintfW(label, 16, L"X%d", v->digitalZoomStep);
                    HGDIOBJ oldFont =
                        SelectObject(dc, v->labelFont ? v->labelFont : GetStockObject(DEFAULT_GUI_FONT));
                    SetBkMode(dc, TRANSPARENT);
                    SetTextColor(dc, v->style.textColor);
                    TextOutW(dc, 2, 2, label, static_cast<int>(wcslen(label)));
                    SelectObject(dc, oldFont);
                }
            }
        }
    }
    GdiFlush();
    SelectObject(dc, displaced);
    DeleteDC(dc);
    if (!drawn) {
        DeleteObject(picture);
        return nullptr;
    }
    return picture;
}

bool ContentPictureShowsShapes() {
    const CameraViewState* v = CameraView();
    return v && v->zoomPercent == 100 && v->digitalZoomStep == 0 && v->displayWidth == v->contentWidth &&
           v->displayHeight == v->contentHeight;
}

float ContentPictureScale() {
    const CameraViewState* v = CameraView();
    if (!v || !(v->scale > 0.0f))
        return -1.0f;
    if (v->digitalZoomStep <= 0)
        return v->scale;
    // The zoomed picture stretches a crop of the frame over the whole photo.
    const CropRect crop = DigitalZoomCrop(v->frameWidth, v->frameHeight, v->digitalZoomStep);
    return crop.width > 0 ? v->scale * static_cast<float>(v->frameWidth) / static_cast<float>(crop.width)
                          : -1.0f;
}

HFONT EnsureLabelFont(CameraViewState* v, HDC) {
    if (!v->labelFont) {
        // The window's DPI, not the context's: a back buffer's context has the system's.
        const int height = -MulDiv(std::max(v->style.textSize, 1), WindowDpi(v->window), 72);
        v->labelFont =
            CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
    }
    return v->labelFont;
}

void SetViewTexts(const std::wstring& noDevice, const std::wstring& inputHint) {
    CameraViewState* v = CameraView();
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
                SetZoom(0);
            UpdateScrollBars(v);
            return 0;
        case WM_PAINT:
            OnPaint(v);
            return 0;
        case WM_DPICHANGED_AFTERPARENT: // fonts and pens for the new DPI
            MakeNoDeviceFont(v);
            DropDrawingObjects(v);
            if (v->backDc)
                MakeDrawingObjects(v, v->backDc);
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
            if (IsCaptureDeviceChange(wParam, lParam)) {
                if (wParam == DBT_DEVICEARRIVAL)
                    v->reopenCountdown = kReopenCountdownAfterArrival;
                else
                    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kViewCmdDeviceRemoved, 0), 0);
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
            return OnQuery(v, wParam, lParam);
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
