// A picture as 0x00RRGGBB pixels, read back from a file through GDI+ (which must be started) or
// taken off the screen.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    // Black outside the picture.
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0;
        const uint32_t rgb = pixels[static_cast<size_t>(y) * width + x];
        return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
};

// Empty (0 x 0) when the file cannot be read.
inline Picture LoadPicture(const std::wstring& path) {
    Gdiplus::Bitmap bitmap(path.c_str());
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return {};
    Picture picture{static_cast<int>(bitmap.GetWidth()), static_cast<int>(bitmap.GetHeight()), {}};
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    // Read straight into the picture's rows.
    Gdiplus::BitmapData data = {};
    data.Width = picture.width;
    data.Height = picture.height;
    data.Stride = picture.width * 4;
    data.PixelFormat = PixelFormat32bppRGB;
    data.Scan0 = picture.pixels.data();
    Gdiplus::Rect all(0, 0, picture.width, picture.height);
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                        PixelFormat32bppRGB, &data) != Gdiplus::Ok)
        return {};
    bitmap.UnlockBits(&data);
    return picture;
}
