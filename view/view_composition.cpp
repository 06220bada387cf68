#include "view/view_composition.h"

#include "base/win32_window.h"
#include "base/window_dpi.h"
#include "capture/capture_session.h"
#include "capture/frame_filters.h"
#include "capture/frame_ring.h"
#include "resources/resource.h"
#include "view/back_buffer_pixels.h"
#include "view/measure_view.h"
#include "view/view_geometry.h"

#include <strsafe.h>

#include <algorithm>
#include <cwchar>

namespace {

constexpr COLORREF kMarginColor = RGB(191, 191, 191);
constexpr COLORREF kNoDeviceBackground = RGB(48, 62, 71);
constexpr COLORREF kNoDeviceTextColor = RGB(192, 255, 192);

bool EnsureBackBuffer(CameraViewState& v, HDC dc) {
    if (v.back)
        return true;
    if (v.displayWidth <= 0 || v.displayHeight <= 0)
        return false;
    GdiBitmap bitmap(CreateCompatibleBitmap(dc, v.displayWidth, v.displayHeight));
    if (!bitmap)
        return false;
    v.back.emplace(dc, std::move(bitmap));
    if (!v.back->dc.get()) {
        v.back.reset();
        return false;
    }
    MakeDrawingObjects(v, v.back->dc.get());
    return true;
}

// "X2" and so on in the corner of a digitally zoomed picture.
void DrawDigitalZoomLabel(const CameraViewState& v, HDC dc) {
    wchar_t label[16];
    StringCchPrintfW(label, 16, L"X%d", v.digitalZoomStep);
    const SelectedObject font(dc, v.labelFont ? v.labelFont.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, v.style.textColor);
    TextOutW(dc, 2, 2, label, static_cast<int>(wcslen(label)));
}

// The part of the frame the picture shows: all of it, or the digital zoom's crop.
CropRect ShownCrop(const CameraViewState& v) {
    if (v.digitalZoomStep > 0)
        return DigitalZoomCrop(v.frameWidth, v.frameHeight, v.digitalZoomStep);
    return {0, 0, v.frameWidth, v.frameHeight};
}

bool FitsView(const CameraViewState& v, const FrameBuffer* frame) {
    return frame && frame->pixels && frame->width == v.frameWidth && frame->height == v.frameHeight;
}

void FillRectColor(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    if (right <= left || bottom <= top)
        return;
    const RECT rc = {left, top, right, bottom};
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void PaintNoDevice(CameraViewState& v, HDC dc, SIZE client) {
    FillRectColor(dc, 0, 0, client.cx, client.cy, kNoDeviceBackground);
    if (!v.noDeviceBitmap)
        v.noDeviceBitmap.Reset(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_NODEVICE)));
    if (v.noDeviceBitmap) {
        BITMAP bm = {};
        GetObjectW(v.noDeviceBitmap.get(), sizeof(bm), &bm);
        const MemoryDc memory(dc);
        const SelectedObject picture(memory.get(), v.noDeviceBitmap.get());
        BitBlt(dc, std::max<int>((client.cx - bm.bmWidth) / 2, 0),
               std::max<int>((client.cy - bm.bmHeight) / 2, 0), bm.bmWidth, bm.bmHeight, memory.get(), 0, 0,
               SRCCOPY);
    } else if (g_capture.devices.empty()) {
        const SelectedObject font(dc, v.noDeviceFont.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kNoDeviceTextColor);
        // One line where the view is wide enough; a narrow view (large display scale) wraps it.
        RECT room = {22, 18, std::max<LONG>(client.cx - 22, 23), std::max<LONG>(client.cy, 19)};
        DrawTextW(dc, v.noDeviceText.c_str(), static_cast<int>(v.noDeviceText.size()), &room,
                  DT_WORDBREAK | DT_NOPREFIX);
    }
}

} // namespace

BITMAPINFOHEADER RgbBitmapHeader(int width, int height, WORD bitCount) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    return header;
}

void DropBackBuffer(CameraViewState& v) {
    v.measureDrawing.reset(); // it draws on the buffer's context
    v.back.reset();
}

void DropDrawingObjects(CameraViewState& v) {
    v.measureDrawing.reset();
    v.labelFont.Reset();
}

void MakeDrawingObjects(CameraViewState& v, HDC dc) {
    EnsureLabelFont(&v, dc);
    if (!v.measureDrawing)
        v.measureDrawing.reset(CreateMeasureDrawing(dc, v.style, v.labelFont.get(), WindowDpi(v.window)));
}

void ComposeAndCopy(CameraViewState& v, HDC dc, const FrameBuffer* frame, bool whole) {
    if (!FitsView(v, frame))
        return;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!EnsureBackBuffer(v, dc))
        return;
    HDC backDc = v.back->dc.get();
    const SIZE client = ClientSize(v.window);
    const BlitSpan xs = BackBufferSpan(v.hScrollShown, v.scrollX, client.cx, v.displayWidth);
    const BlitSpan ys = BackBufferSpan(v.vScrollShown, v.scrollY, client.cy, v.displayHeight);
    if (!whole)
        IntersectClipRect(backDc, xs.source, ys.source, xs.source + xs.length, ys.source + ys.length);

    // The shown part of the frame (or all of it), scaled to the display size where it must be, is made
    // into the buffer's own 32-bit pixels here, so that GDI only copies it in. The frame's rows are
    // bottom-up; flip vertical takes them top-down instead.
    const CropRect source = ShownCrop(v);
    ScaledBlock block = {0, 0, v.displayWidth, v.displayHeight};
    if (!whole) {
        block.left = std::clamp(xs.source, 0, v.displayWidth);
        block.top = std::clamp(ys.source, 0, v.displayHeight);
        block.width = std::clamp(xs.length, 0, v.displayWidth - block.left);
        block.height = std::clamp(ys.length, 0, v.displayHeight - block.top);
    }
    if (block.width > 0 && block.height > 0) {
        const bool topDown =
            (v.frameHeader.biHeight < 0) != g_filterFlags.flipVertical.load(std::memory_order_relaxed);
        const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(v.frameWidth) * 3;
        const ptrdiff_t stride = topDown ? rowBytes : -rowBytes;
        const uint8_t* sourceTop = frame->pixels.get() + static_cast<ptrdiff_t>(source.x) * 3 +
                                   (topDown ? source.y : v.frameHeight - 1 - source.y) * rowBytes;
        const ptrdiff_t shownRowBytes = static_cast<ptrdiff_t>(block.width) * 4;
        v.shownPixels.resize(static_cast<size_t>(shownRowBytes) * block.height);
        if (source.width == v.displayWidth && source.height == v.displayHeight) {
            CopyPixels24To32(sourceTop + block.top * stride + static_cast<ptrdiff_t>(block.left) * 3, stride,
                             v.shownPixels.data(), shownRowBytes, block.width, block.height);
        } else {
            ScalePixels24To32(sourceTop, stride, source.width, source.height, v.shownPixels.data(),
                              shownRowBytes, v.displayWidth, v.displayHeight, block, v.scaleColumns);
        }
        BITMAPINFO shown = {};
        shown.bmiHeader = RgbBitmapHeader(block.width, -block.height, 32);
        SetDIBitsToDevice(backDc, block.left, block.top, block.width, block.height, 0, 0, 0, block.height,
                          v.shownPixels.data(), &shown, DIB_RGB_COLORS);
    }
    if (v.digitalZoomStep > 0)
        DrawDigitalZoomLabel(v, backDc);
    DrawMeasureOverlay(&v);
    if (!whole)
        SelectClipRgn(backDc, nullptr);

    BitBlt(dc, xs.destination, ys.destination, xs.length, ys.length, backDc, xs.source, ys.source, SRCCOPY);

    QueryPerformanceCounter(&end);
    RecordComposition(v.stats, *frame, end.QuadPart - start.QuadPart);
}

void PaintCameraView(CameraViewState& v) {
    const PaintDc paint(v.window);
    HDC dc = paint.get();
    const SIZE client = ClientSize(v.window);
    if (v.displayWidth != 0 && v.displayHeight != 0) {
        if (v.displayWidth < client.cx) {
            FillRectColor(dc, 0, 0, (client.cx - v.displayWidth) / 2, client.cy, kMarginColor);
            FillRectColor(dc, (v.displayWidth + client.cx) / 2, 0, client.cx, client.cy, kMarginColor);
        }
        if (v.displayHeight < client.cy) {
            FillRectColor(dc, 0, 0, client.cx, (client.cy - v.displayHeight) / 2, kMarginColor);
            FillRectColor(dc, 0, (v.displayHeight + client.cy) / 2, client.cx, client.cy, kMarginColor);
        }
    } else {
        PaintNoDevice(v, dc, client);
    }
    if (IsCaptureGraphOpen() && v.displayWidth != 0) {
        HeldFrame frame; // kept out of the ring's rotation while it is drawn
        ComposeAndCopy(v, dc, frame.get());
    }
}

void RedrawNow(CameraViewState& v) {
    if (!IsCaptureGraphOpen() || v.displayWidth == 0)
        return;
    const WindowDc dc(v.window);
    HeldFrame frame;
    ComposeAndCopy(v, dc.get(), frame.get());
}

HBITMAP ComposeContentPicture(HWND view) {
    CameraViewState* v = CameraViewStateOf(view);
    if (!v || !IsCaptureGraphOpen() || v->contentWidth <= 0 || v->contentHeight <= 0 || v->displayWidth == 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader = RgbBitmapHeader(v->contentWidth, -v->contentHeight, 24);
    void* pictureBits = nullptr;
    GdiBitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pictureBits, nullptr, 0));
    if (!picture)
        return nullptr;
    bool drawn = false;
    {
        const MemoryDc memory(nullptr);
        HDC dc = memory.get();
        const SelectedObject selected(dc, picture.get());
        HeldFrame frame;
        if (FitsView(*v, frame.get())) {
            if (v->displayWidth == v->contentWidth && v->displayHeight == v->contentHeight) {
                // At 100 % the back buffer is the picture: compose it as a paint does, graphics and all.
                {
                    const WindowDc windowDc(v->window);
                    ComposeAndCopy(*v, windowDc.get(), frame.get(), true);
                }
                drawn = v->back &&
                        BitBlt(dc, 0, 0, v->contentWidth, v->contentHeight, v->back->dc.get(), 0, 0, SRCCOPY);
            } else {
                BITMAPINFO frameInfo = {};
                frameInfo.bmiHeader = v->frameHeader;
                if (g_filterFlags.flipVertical.load(std::memory_order_relaxed))
                    frameInfo.bmiHeader.biHeight = -frameInfo.bmiHeader.biHeight;
                const CropRect source = ShownCrop(*v);
                SetStretchBltMode(dc, COLORONCOLOR);
                drawn = StretchDIBits(dc, 0, 0, v->contentWidth, v->contentHeight, source.x, source.y,
                                      source.width, source.height, frame->pixels.get(), &frameInfo,
                                      DIB_RGB_COLORS, SRCCOPY) > 0;
                if (v->digitalZoomStep > 0)
                    DrawDigitalZoomLabel(*v, dc);
            }
        }
        GdiFlush();
    }
    return drawn ? picture.Release() : nullptr;
}

bool ContentPictureShowsShapes(HWND view) {
    const CameraViewState* v = CameraViewStateOf(view);
    return v && v->zoomPercent == 100 && v->digitalZoomStep == 0 && v->displayWidth == v->contentWidth &&
           v->displayHeight == v->contentHeight;
}

float ContentPictureScale(HWND view) {
    const CameraViewState* v = CameraViewStateOf(view);
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
        v->labelFont.Reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                       DEFAULT_PITCH, L"Segoe UI"));
    }
    return v->labelFont.get();
}
