#include "panels/tool_button.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "panels/panel_classes.h"
#include "panels/tool_button_table.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

static_assert(kToolStrips[0].resourceId == IDB_TOOLBAR && kToolStrips[1].resourceId == IDB_TOOLBAR_150 &&
              kToolStrips[2].resourceId == IDB_TOOLBAR_200);

namespace {

constexpr COLORREF kStripTransparent = RGB(255, 255, 255);
constexpr COLORREF kWashColor = RGB(0, 111, 0);

// Shared by every button; written once at start-up, only read afterwards.
COLORREF s_faceColor = kToolbarFaceColor;
int s_stripMarker = 0;
struct LoadedStrip {
    HDC dc = nullptr;
    int imageSize = 0;
};
// Parallel to kToolStrips; a larger strip that failed to load stays empty.
LoadedStrip s_strips[std::size(kToolStrips)];
HDC s_stripDC = nullptr; // the 100 % strip, always there once initialised
HDC s_washDC = nullptr;
int s_washSize = 0;

ToolButtonState* DataOf(HWND hwnd) {
    return WindowRecord<ToolButtonState>(hwnd);
}

} // namespace

HDC ToolButtonFaceDc(const ToolButtonState& data) {
    return data.back ? data.back->dc.get() : nullptr;
}

namespace {

void BuildBackBuffer(HWND hwnd, ToolButtonState& data) {
    data.back.reset();
    const WindowDc window(hwnd);
    GdiBitmap bitmap(CreateCompatibleBitmap(window.get(), data.width, data.height));
    if (!bitmap)
        return;
    data.back.emplace(window.get(), std::move(bitmap));
    if (!data.back->dc.get())
        data.back.reset();
}

void PaintFace(const ToolButtonState& data) {
    if (!ToolButtonFaceDc(data))
        return;
    const RECT face = {0, 0, data.width, data.height};
    SetDCBrushColor(ToolButtonFaceDc(data), s_faceColor);
    FillRect(ToolButtonFaceDc(data), &face, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (!s_stripDC)
        return;

    const FacePoint at = ToolImageOrigin(data.width, data.height, data.imageWidth);
    const LoadedStrip* strip = &s_strips[0];
    for (const LoadedStrip& loaded : s_strips) {
        if (loaded.dc && loaded.imageSize == data.imageWidth)
            strip = &loaded;
    }
    // Without its own strip (a resource that did not load) the 100 % image is stretched.
    const int sourceX = data.imageWidth > 0 ? data.imageX / data.imageWidth * strip->imageSize : 0;
    TransparentBlt(ToolButtonFaceDc(data), at.x, at.y, data.imageWidth, data.imageHeight, strip->dc, sourceX,
                   data.imageY, strip->imageSize, strip->imageSize, kStripTransparent);

    const int alpha = ToolWashAlpha(data.hover != 0, data.pressed != 0, data.checked != 0);
    if (alpha == 0 || !s_washDC)
        return;
    // The wash is one flat colour: a face larger than it simply gets it stretched.
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
    AlphaBlend(ToolButtonFaceDc(data), 0, 0, data.width, data.height, s_washDC, 0, 0,
               std::min(data.width, s_washSize), std::min(data.height, s_washSize), blend);
}

// After a mouse-driven change the face goes straight to the screen, without waiting for WM_PAINT.
void ShowFaceNow(HWND hwnd, const ToolButtonState& data) {
    PaintFace(data);
    if (!ToolButtonFaceDc(data))
        return;
    const WindowDc window(hwnd);
    BitBlt(window.get(), 0, 0, data.width, data.height, ToolButtonFaceDc(data), 0, 0, SRCCOPY);
}

void RepaintLater(HWND hwnd, const ToolButtonState& data) {
    PaintFace(data);
    InvalidateRect(hwnd, nullptr, FALSE);
}

TOOLINFOW ToolInfoFor(HWND button, ToolButtonState& data) {
    // TOOLINFOW's full size for this build: the 32-bit size (48) would cut the record short on x64.
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(GetParent(button)); // the main window owns the tips
    info.uId = reinterpret_cast<UINT_PTR>(button);
    info.lpszText = data.tipText;
    return info;
}

void ApplyMouseEffect(HWND hwnd, ToolButtonState& data, ToolButtonMouse state,
                      const ToolButtonMouseEffect& effect) {
    data.hover = state.hover ? 1 : 0;
    data.pressed = state.pressed ? 1 : 0;
    if (effect.takeCapture)
        SetCapture(hwnd);
    if (effect.releaseCapture)
        ReleaseCapture();
    if (effect.repaint)
        ShowFaceNow(hwnd, data);
    if (effect.click) {
        PostMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), 0), 0);
    }
}

void OnMouse(HWND hwnd, ToolButtonState& data, UINT msg, LPARAM lParam) {
    ToolButtonMouse state = {data.hover != 0, data.pressed != 0};
    const bool inside = IsOverToolButton(LOWORD(lParam), HIWORD(lParam), data.width, data.height);
    const bool hasCapture = GetCapture() == hwnd;
    ToolButtonMouseEffect effect;
    switch (msg) {
        case WM_MOUSEMOVE:
            effect = ToolButtonMouseMove(state, inside, hasCapture);
            break;
        case WM_LBUTTONDOWN:
            effect = ToolButtonLeftDown(state, inside, hasCapture);
            break;
        case WM_LBUTTONUP:
            effect = ToolButtonLeftUp(state, inside, hasCapture);
            break;
    }
    ApplyMouseEffect(hwnd, data, state, effect);
}

void OnCommand(HWND hwnd, ToolButtonState& data, WPARAM wParam, LPARAM lParam) {
    switch (HIWORD(wParam)) {
        case kToolButtonCheckCommand:
            data.checked = lParam != 0 ? 1 : 0;
            RepaintLater(hwnd, data);
            return;
        case kToolButtonTipCommand: {
            CopyTipText(data.tipText, reinterpret_cast<const wchar_t*>(lParam));
            // The tooltip keeps its own copy of the text: hand it the new one.
            if (data.tooltip && IsWindow(data.tooltip)) {
                TOOLINFOW info = ToolInfoFor(hwnd, data);
                SendMessageW(data.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
            }
            return;
        }
        default:
            return;
    }
}

} // namespace

void SetToolButtonFaceColor(COLORREF color) {
    s_faceColor = color;
}

COLORREF ToolButtonFaceColor() {
    return s_faceColor;
}

int ToolButtonStripMarker() {
    return s_stripMarker;
}

int LoadToolButtonImages(HINSTANCE instance) {
    if (s_stripDC)
        return 0;
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(kToolImageStripId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!strip) {
        OutputDebugStringW(L"LoadToolButtonImages failed.\r\n");
        return 0;
    }
    s_stripMarker = kToolImageStripId;
    BITMAP info = {};
    GetObjectW(strip, sizeof(info), &info);

    HDC screen = GetDC(nullptr);
    s_stripDC = CreateCompatibleDC(screen);
    if (s_stripDC)
        SelectObject(s_stripDC, strip);
    s_strips[0] = {s_stripDC, kToolImageSize};
    for (size_t i = 1; i < std::size(kToolStrips) && s_stripDC; ++i) {
        HBITMAP larger = static_cast<HBITMAP>(LoadImageW(
            instance, MAKEINTRESOURCEW(kToolStrips[i].resourceId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
        HDC dc = larger ? CreateCompatibleDC(screen) : nullptr;
        if (dc) {
            SelectObject(dc, larger);
            s_strips[i] = {dc, kToolStrips[i].imageSize};
        } else if (larger) {
            DeleteObject(larger);
        }
    }

    s_washSize = 2 * info.bmHeight;
    HBITMAP wash = CreateCompatibleBitmap(screen, s_washSize, s_washSize);
    HDC washDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!wash || !washDC) {
        if (wash)
            DeleteObject(wash);
        if (washDC)
            DeleteDC(washDC);
        s_washSize = 0;
        OutputDebugStringW(L"LoadToolButtonImages failed..\r\n");
        return 0;
    }
    SelectObject(washDC, wash);
    const RECT all = {0, 0, s_washSize, s_washSize};
    SetDCBrushColor(washDC, kWashColor);
    FillRect(washDC, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    s_washDC = washDC;
    OutputDebugStringW(L"LoadToolButtonImages OK\r\n");
    return 1;
}

HWND CreateToolButton(HWND parent, int id, int x, int imageX, const wchar_t* tipText, HWND tooltip) {
    ToolButtonPlace place;
    place.x = x;
    place.size = kToolButtonSize;
    place.stripId = kToolImageStripId;
    place.imageX = imageX;
    place.imageSize = kToolImageSize;
    return CreateToolButton(parent, id, place, tipText, tooltip);
}

HWND CreateToolButton(HWND parent, int id, const ToolButtonPlace& place, const wchar_t* tipText,
                      HWND tooltip) {
    auto* data = new (std::nothrow) ToolButtonState{};
    if (!data)
        return nullptr;
    data->x = place.x;
    data->y = 0;
    data->width = place.size;
    data->height = place.size;
    data->imageX = place.imageX;
    data->imageY = 0;
    data->imageWidth = place.imageSize;
    data->imageHeight = place.imageSize;
    CopyTipText(data->tipText, tipText);
    data->tooltip = tooltip;

    HWND button = CreateWindowExW(0, kToolButtonWndClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                  place.x, 0, place.size, place.size, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), data);
    if (!button) {
        OutputDebugStringW(L"CreateToolButton.xxx.\r\n");
        delete data;
        return nullptr;
    }
    if (data->tipText[0] != L'\0' && data->tooltip) {
        TOOLINFOW info = ToolInfoFor(button, *data);
        SendMessageW(data->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    return button;
}

void MoveToolButton(HWND button, const ToolButtonPlace& place) {
    ToolButtonState* data = button ? DataOf(button) : nullptr;
    if (!data)
        return;
    data->x = place.x;
    data->imageX = place.imageX;
    data->imageWidth = place.imageSize;
    data->imageHeight = place.imageSize;
    // The WM_SIZE of the move rebuilds the face; a move without a new size repaints it here.
    MoveWindow(button, place.x, 0, place.size, place.size, TRUE);
    RepaintLater(button, *data);
}

LRESULT CALLBACK ToolButtonWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* data = static_cast<ToolButtonState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(data));
        if (data) {
            BuildBackBuffer(hwnd, *data);
            PaintFace(*data);
        }
        return 0;
    }
    ToolButtonState* data = DataOf(hwnd);
    if (!data)
        return msg == WM_GETDLGCODE ? DLGC_STATIC : DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_DESTROY:
            if (data->tooltip && IsWindow(data->tooltip)) {
                TOOLINFOW info = ToolInfoFor(hwnd, *data);
                SendMessageW(data->tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
            }
            SetWindowLongPtrW(hwnd, 0, 0);
            delete data;
            return 0;
        case WM_SIZE: {
            const int width = LOWORD(lParam);
            const int height = HIWORD(lParam);
            if (width == 0 || height == 0)
                return 0;
            data->width = width;
            data->height = height;
            BuildBackBuffer(hwnd, *data);
            RepaintLater(hwnd, *data);
            return 0;
        }
        case WM_PAINT: {
            const PaintDc paint(hwnd);
            if (ToolButtonFaceDc(*data))
                BitBlt(paint.get(), 0, 0, data->width, data->height, ToolButtonFaceDc(*data), 0, 0, SRCCOPY);
            return 0;
        }
        case WM_CANCELMODE: {
            ToolButtonMouse state = {data->hover != 0, data->pressed != 0};
            const ToolButtonMouseEffect effect = ToolButtonCancelMode(state, GetCapture() == hwnd);
            data->hover = state.hover ? 1 : 0;
            data->pressed = state.pressed ? 1 : 0;
            if (effect.releaseCapture)
                ReleaseCapture();
            if (effect.repaint)
                RepaintLater(hwnd, *data);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_COMMAND:
            OnCommand(hwnd, *data, wParam, lParam);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            OnMouse(hwnd, *data, msg, lParam);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
