#include "panels/image_viewer.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "panels/image_header.h"
#include "panels/image_view_geometry.h"
#include "output/recent_files.h"

#include <gdiplus.h>
#include <windowsx.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

// Made once for the process.
HBRUSH s_backgroundBrush = nullptr;
HBRUSH s_playBrush = nullptr;
HPEN s_playPen = nullptr;

void MakeSharedObjects() {
    if (!s_backgroundBrush)
        s_backgroundBrush = CreateSolidBrush(kImageBackground);
    if (!s_playBrush)
        s_playBrush = CreateSolidBrush(kImagePlayFill);
    if (!s_playPen)
        s_playPen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
}

ImageViewState* DataOf(HWND hwnd) {
    return WindowRecord<ImageViewState>(hwnd);
}

void DropDisplayBitmap(ImageViewState* v) {
    v->display.reset();
}

void DropPicture(ImageViewState* v) {
    DropDisplayBitmap(v);
    std::vector<BYTE>().swap(v->pixels);
    v->imageWidth = v->imageHeight = 0;
    v->displayWidth = v->displayHeight = 0;
    v->header = {};
}

void UpdateDisplaySize(ImageViewState* v) {
    v->displayWidth = ImageZoomSize(v->imageWidth, v->zoom);
    v->displayHeight = ImageZoomSize(v->imageHeight, v->zoom);
}

void ClampScroll(ImageViewState* v) {
    const SIZE client = ClientSize(v->window);
    v->scrollX = ClampImageScroll(v->scrollX, v->displayWidth, client.cx);
    v->scrollY = ClampImageScroll(v->scrollY, v->displayHeight, client.cy);
}

// The size the file's header claims, from its first bytes; not known for formats not read there.
ImageHeaderSize ProbeHeaderSize(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[kImageHeaderProbeBytes]);
    DWORD got = 0;
    const bool read = bytes && ReadFile(file, bytes.get(), kImageHeaderProbeBytes, &got, nullptr);
    CloseHandle(file);
    return read ? ReadImageHeaderSize(bytes.get(), got) : ImageHeaderSize{};
}

// Decodes the file into 24-bit rows, bottom row first. False, with nothing kept, when the file is
// not a picture the platform reads or is larger than the viewer holds.
bool DecodePicture(ImageViewState* v, const std::wstring& path) {
    // A huge picture is turned away before the decoder allocates for it.
    const ImageHeaderSize claimed = ProbeHeaderSize(path);
    if (claimed.known && !ImageSizeCanBeHeld(claimed.width, claimed.height))
        return false;

    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFileICM(path.c_str(), &bitmap) != Gdiplus::Ok || !bitmap)
        return false;
    auto release = [&] { Gdiplus::DllExports::GdipDisposeImage(bitmap); };
    UINT width = 0;
    UINT height = 0;
    Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
    Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
    if (!ImageSizeCanBeHeld(width, height)) {
        release();
        return false;
    }

    Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData locked = {};
    if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap, &whole, Gdiplus::ImageLockModeRead,
                                                PixelFormat24bppRGB, &locked) != Gdiplus::Ok) {
        release();
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(ImageRowBytes(width));
    bool copied = false;
    try {
        v->pixels.assign(rowBytes * height, 0);
        // The locked rows run top-down; the buffer keeps the bottom row first.
        const auto* source = static_cast<const BYTE*>(locked.Scan0);
        for (UINT row = 0; row < height; ++row) {
            std::memcpy(v->pixels.data() + static_cast<size_t>(height - 1 - row) * rowBytes,
                        source + static_cast<ptrdiff_t>(row) * locked.Stride, static_cast<size_t>(width) * 3);
        }
        copied = true;
    } catch (const std::bad_alloc&) {
        std::vector<BYTE>().swap(v->pixels);
    }
    Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap, &locked);
    release();
    if (!copied)
        return false;

    v->imageWidth = static_cast<int>(width);
    v->imageHeight = static_cast<int>(height);
    v->header = {};
    v->header.biSize = sizeof(BITMAPINFOHEADER);
    v->header.biWidth = v->imageWidth;
    v->header.biHeight = v->imageHeight;
    v->header.biPlanes = 1;
    v->header.biBitCount = 24;
    v->header.biCompression = BI_RGB;
    v->header.biSizeImage = static_cast<DWORD>(v->pixels.size());
    return true;
}

void LoadPicture(ImageViewState* v, const wchar_t* requested) {
    DropPicture(v);
    v->video = 0;
    std::wstring path = requested ? requested : L"";
    if (path.size() < 4) {
        InvalidateRect(v->window, nullptr, TRUE);
        return;
    }
    const std::wstring picture = VideoPreviewPicturePath(path);
    if (!picture.empty()) {
        path = picture;
        v->video = 1;
    }
    if (!DecodePicture(v, path)) {
        DropPicture(v);
        InvalidateRect(v->window, nullptr, TRUE);
        return;
    }
    UpdateDisplaySize(v);
    ClampScroll(v);
    const SIZE client = ClientSize(v->window);
    v->scrollX = CentredImageScroll(v->displayWidth, client.cx);
    v->scrollY = CentredImageScroll(v->displayHeight, client.cy);
    InvalidateRect(v->window, nullptr, FALSE);
}

void SetZoom(ImageViewState* v, int zoom) {
    v->zoom = zoom;
    UpdateDisplaySize(v);
    DropDisplayBitmap(v);
    ClampScroll(v);
    InvalidateRect(v->window, nullptr, TRUE);
}

void DrawPlayMark(HDC dc, int displayWidth, int displayHeight) {
    const PlayTriangle mark = VideoPlayTriangle(displayWidth, displayHeight);
    POINT points[3];
    for (int i = 0; i < 3; ++i)
        points[i] = {mark.points[i].x, mark.points[i].y};
    const SelectedObject brush(dc, s_playBrush);
    const SelectedObject pen(dc, s_playPen);
    Polygon(dc, points, 3);
}

// Renders the picture at display size, once per load or zoom change.
bool EnsureDisplayBitmap(ImageViewState* v, HDC windowDC) {
    if (v->display)
        return true;
    if (v->displayWidth <= 0 || v->displayHeight <= 0)
        return false;
    GdiBitmap bitmap(CreateCompatibleBitmap(windowDC, v->displayWidth, v->displayHeight));
    if (!bitmap)
        return false; // too large for the display driver: only the background shows
    const auto* info = reinterpret_cast<const BITMAPINFO*>(&v->header);
    // Zoom 100 and every zoom without a scale of its own show the picture at its own size.
    const bool ownSize = v->displayWidth == v->imageWidth && v->displayHeight == v->imageHeight;
    if (ownSize) {
        // Straight copy; the bitmap must not be selected into a context meanwhile.
        SetDIBits(windowDC, bitmap.get(), 0, v->imageHeight, v->pixels.data(), info, DIB_RGB_COLORS);
    }
    v->display.emplace(windowDC, std::move(bitmap));
    HDC displayDC = v->display->dc.get();
    if (!displayDC) {
        DropDisplayBitmap(v);
        return false;
    }
    if (!ownSize) {
        if (v->zoom < 100)
            SetStretchBltMode(displayDC, COLORONCOLOR);
        StretchDIBits(displayDC, 0, 0, v->displayWidth, v->displayHeight, 0, 0, v->imageWidth, v->imageHeight,
                      v->pixels.data(), info, DIB_RGB_COLORS, SRCCOPY);
    }
    if (v->video)
        DrawPlayMark(displayDC, v->displayWidth, v->displayHeight);
    return true;
}

void Paint(ImageViewState* v, HDC dc) {
    MakeSharedObjects();
    const SIZE client = ClientSize(v->window);
    const RECT clientRect = {0, 0, client.cx, client.cy};
    const bool shown = !v->pixels.empty() && v->displayWidth > 0 && v->displayHeight > 0;
    const ImageSpan across = ImageBlitSpan(v->scrollX, v->displayWidth, client.cx);
    const ImageSpan down = ImageBlitSpan(v->scrollY, v->displayHeight, client.cy);

    // The background goes only where the picture does not, so that it does not flicker.
    const int saved = SaveDC(dc);
    if (shown) {
        ExcludeClipRect(dc, across.destination, down.destination, across.destination + across.length,
                        down.destination + down.length);
    }
    FillRect(dc, &clientRect, s_backgroundBrush);
    RestoreDC(dc, saved);

    if (!shown || !EnsureDisplayBitmap(v, dc)) {
        if (shown) // nothing to copy after all: cover the hole left for it
            FillRect(dc, &clientRect, s_backgroundBrush);
        return;
    }
    BitBlt(dc, across.destination, down.destination, across.length, down.length, v->display->dc.get(),
           across.source, down.source, SRCCOPY);
}

void Pan(ImageViewState* v, int x, int y) {
    const int dx = x - v->lastX;
    const int dy = y - v->lastY;
    const SIZE client = ClientSize(v->window);
    if ((dx == 0 && dy == 0) || (v->displayWidth <= client.cx && v->displayHeight <= client.cy))
        return;
    const int scrollX = PanImageScroll(v->scrollX, dx, v->displayWidth, client.cx);
    const int scrollY = PanImageScroll(v->scrollY, dy, v->displayHeight, client.cy);
    if (scrollX == v->scrollX && scrollY == v->scrollY)
        return;
    v->scrollX = scrollX;
    v->scrollY = scrollY;
    const WindowDc dc(v->window);
    if (dc.get())
        Paint(v, dc.get());
}

void NotifyParent(HWND hwnd, WPARAM doubleClick) {
    PostMessageW(GetParent(hwnd), UM_THUMB_CLICKED, doubleClick, GetDlgCtrlID(hwnd));
}

LRESULT OnCreate(HWND hwnd) {
    auto* v = new (std::nothrow) ImageViewState{};
    if (!v)
        return -1;
    v->window = hwnd;
    v->zoom = 100;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(v));
    MakeSharedObjects();
    return 0;
}

void OnDestroy(HWND hwnd) {
    ImageViewState* v = DataOf(hwnd);
    if (!v)
        return;
    DropPicture(v);
    SetWindowLongPtrW(hwnd, 0, 0);
    delete v;
}

} // namespace

LRESULT CALLBACK ImageWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        return OnCreate(hwnd);
    ImageViewState* v = DataOf(hwnd);
    if (!v)
        return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_DESTROY:
            OnDestroy(hwnd);
            return 0;
        case WM_SIZE:
            ClampScroll(v);
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_PAINT: {
            const PaintDc paint(hwnd);
            Paint(v, paint.get());
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(v, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kImageLoadCommand:
                    LoadPicture(v, reinterpret_cast<const wchar_t*>(lParam));
                    return 0;
                case kImageZoomCommand:
                    SetZoom(v, static_cast<int>(lParam));
                    return 0;
                default:
                    return 0;
            }
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            v->lastX = GET_X_LPARAM(lParam);
            v->lastY = GET_Y_LPARAM(lParam);
            v->dragging = 1;
            NotifyParent(hwnd, 0);
            return 0;
        case WM_MOUSEMOVE:
            if (v->dragging && (wParam & MK_LBUTTON)) {
                Pan(v, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                v->lastX = GET_X_LPARAM(lParam);
                v->lastY = GET_Y_LPARAM(lParam);
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd)
                ReleaseCapture();
            v->dragging = 0;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDBLCLK:
            NotifyParent(hwnd, 1);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
