#include "panels/section_header.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "panels/panel_classes.h"
#include "panels/panel_layout.h"

#include <new>

namespace {

constexpr int kTitleMax = 63;

HFONT MakePanelFont(int points) {
    const WindowDc screen(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    return CreateFontW(height, 0, 0, 0, FW_LIGHT, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

PanelHeaderState* DataOf(HWND hwnd) {
    return WindowRecord<PanelHeaderState>(hwnd);
}

void Paint(HWND hwnd, const PanelHeaderState& data) {
    const PaintDc paint(hwnd);
    HDC dc = paint.get();
    RECT client = {};
    GetClientRect(hwnd, &client);

    wchar_t title[kTitleMax + 1] = {};
    const int length = GetWindowTextW(hwnd, title, kTitleMax + 1);
    {
        const SelectedObject font(dc, data.font ? data.font : SectionHeaderFont());
        SIZE extent = {};
        GetTextExtentPoint32W(dc, title, length, &extent);

        SetDCBrushColor(dc, kHeaderFaceColor);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, data.hover ? kHeaderHoverTextColor : kHeaderTextColor);
        ExtTextOutW(dc, kHeaderTextX, HeaderTextY(client.bottom, extent.cy), ETO_CLIPPED, &client, title,
                    static_cast<UINT>(length), nullptr);
    }

    const Chevron chevron = HeaderChevron(client.right, client.bottom, data.expanded != 0);
    MoveToEx(dc, chevron.from.x, chevron.from.y, nullptr);
    LineTo(dc, chevron.tip.x, chevron.tip.y);
    LineTo(dc, chevron.to.x, chevron.to.y);
}

void RepaintNow(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

bool InsideClient(HWND hwnd, LPARAM lParam) {
    // Taken unsigned: a point left of or above the bar (possible while it holds the capture)
    // comes out large and so outside as well.
    const int x = LOWORD(lParam);
    const int y = HIWORD(lParam);
    RECT client = {};
    GetClientRect(hwnd, &client);
    return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

void Toggle(HWND hwnd, PanelHeaderState& data) {
    data.expanded = !data.expanded;
    InvalidateRect(hwnd, nullptr, FALSE);
    PostMessageW(GetParent(hwnd), UM_SECTION_EXPAND, static_cast<WPARAM>(data.expanded), 0);
}

void OnMouseMove(HWND hwnd, PanelHeaderState& data, LPARAM lParam) {
    if (!data.hover) {
        SetCapture(hwnd);
        data.hover = 1;
        RepaintNow(hwnd);
    } else if (!InsideClient(hwnd, lParam)) {
        data.hover = 0;
        ReleaseCapture();
        RepaintNow(hwnd);
    }
}

} // namespace

HFONT SectionHeaderFont() {
    static HFONT font = MakePanelFont(12);
    return font;
}

HFONT SectionControlFont() {
    static HFONT font = MakePanelFont(10);
    return font;
}

HWND CreateSectionHeader(HWND section, const wchar_t* title, int width, int height) {
    return CreateWindowExW(0, kCtrlPanelHeaderWndClass, title, WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                           section, reinterpret_cast<HMENU>(INT_PTR{kIdSectionHeader}),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(section, GWLP_HINSTANCE)), nullptr);
}

void SetSectionHeaderTitle(HWND header, const wchar_t* title) {
    if (!header)
        return;
    SetWindowTextW(header, title);
    InvalidateRect(header, nullptr, TRUE);
}

LRESULT CALLBACK SectionHeaderWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PanelHeaderState* data = DataOf(hwnd);
    switch (msg) {
        case WM_CREATE: {
            data = new (std::nothrow) PanelHeaderState();
            if (!data)
                return -1;
            data->window = hwnd;
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(data));
            return 0;
        }
        case WM_DESTROY:
            SetWindowLongPtrW(hwnd, 0, 0);
            delete data;
            return 0;
        default:
            break;
    }
    if (!data)
        return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_PAINT:
            Paint(hwnd, *data);
            return 0;
        case WM_SETFONT:
            data->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam))
                InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(data->font);
        case WM_MOUSEMOVE:
            OnMouseMove(hwnd, *data, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            // Capture taken away (a menu, a dialog): the pointer is no longer ours.
            if (data->hover && reinterpret_cast<HWND>(lParam) != hwnd) {
                data->hover = 0;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONDOWN:
            if (InsideClient(hwnd, lParam))
                Toggle(hwnd, *data);
            return 0;
        case UM_SECTION_EXPAND:
            Toggle(hwnd, *data);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
