// The image viewer (window class "ImageWndClass"): loads a picture file, shows it at a fixed zoom,
// centred while it is smaller than the window and draggable while it is larger, and tells its
// parent about clicks. A video is shown through the picture of the same name with "jpg" beside it,
// marked with a play triangle. The Files section uses one as its preview.
#pragma once

#include "base/gdi_holders.h"

#include <windows.h>

#include <optional>
#include <vector>

// WM_COMMAND codes (low word of wParam) the owner sends with SendMessage:
// load: lParam = const wchar_t* path, empty or null to clear; zoom: lParam = percent.
inline constexpr int kImageLoadCommand = 1;
inline constexpr int kImageZoomCommand = 6;

inline constexpr COLORREF kImageBackground = RGB(240, 255, 255);
inline constexpr COLORREF kImagePlayFill = RGB(31, 31, 191);

// One viewer's record, in its first extra window word from WM_CREATE to WM_DESTROY.
struct ImageViewState {
    HWND window;
    int imageWidth, imageHeight; // 0 while nothing is loaded
    int displayWidth, displayHeight;
    int scrollX, scrollY; // where the window's top-left corner lies in the displayed picture
    int zoom;             // percent
    int video;            // the picture stands for a video: draw the play mark
    BITMAPINFOHEADER header;
    std::vector<BYTE> pixels; // 24-bit BGR rows padded to 4 bytes, bottom row first
    std::optional<OffscreenBitmap>
        display; // the picture at display size, made by the first paint after a change
    int dragging;
    int lastX, lastY;
};

LRESULT CALLBACK ImageWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
