// A bitmap compatible with the screen, in a memory context of its own, to draw into and read back.
#pragma once

#include <windows.h>

#include "base/gdi_holders.h"
#include "base/win32_window.h" // ClientSize

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : Canvas(WindowDc(nullptr), width, height, fill) {}
    HDC dc() const { return buffer_.dc.get(); }
    HBITMAP bitmap() const { return buffer_.bitmap.get(); }
    COLORREF At(int x, int y) const { return GetPixel(dc(), x, y); }

private:
    Canvas(const WindowDc& screen, int width, int height, COLORREF fill)
        : buffer_(screen.get(), GdiBitmap(CreateCompatibleBitmap(screen.get(), width, height))) {
        const RECT all = {0, 0, width, height};
        const GdiBrush brush(CreateSolidBrush(fill));
        FillRect(dc(), &all, brush.get());
    }
    OffscreenBitmap buffer_;
};

// What a window paints of its client area (WM_PRINTCLIENT), over a colour no window paints so
// that what it leaves unpainted shows.
class Painted : public Canvas {
public:
    static constexpr COLORREF kUnpainted = RGB(1, 2, 3);
    explicit Painted(HWND window) : Canvas(ClientSize(window).cx, ClientSize(window).cy, kUnpainted) {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc()), PRF_CLIENT);
    }
};
