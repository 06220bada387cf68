// The measurement overlay drawn with Wine's GDI and GDI+ onto a back buffer like the camera view's,
// over the virtual camera's specimen, and read back. The overlay's tests and its drawing-time
// figures (bench/wine) share it.
#pragma once

#include "base/gdi_holders.h"
#include "measure/measure_render.h"
#include "output/image_encoders.h"
#include "testcam/test_picture.h"
#include "tests/support/canvas.h"
#include "tests/unit/measure_test_support.h"

#include <cstdlib>
#include <string>
#include <vector>

inline constexpr COLORREF kOverlayLine = RGB(255, 0, 0);
inline constexpr COLORREF kOverlayGrid = RGB(0, 255, 255);
inline constexpr COLORREF kOverlayText = RGB(0, 0, 255);

// A bitmap compatible with the screen in a memory context, holding the specimen, with the
// overlay's drawing objects.
class BackBuffer {
public:
    BackBuffer(int width, int height, int lineWidth = 2)
        : width_(width), height_(height), canvas_(width, height, 0),
          font_(CreateFontW(-MulDiv(12, GetDeviceCaps(canvas_.dc(), LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                            FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI")) {
        std::vector<uint8_t> dib(TestPicture_DibStride(width) * height);
        TestPicture_Render(TestCamPicture::Specimen, width, height, dib.data(), TestPicture_DibStride(width),
                           0, 30);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        SetDIBitsToDevice(dc(), 0, 0, width, height, 0, 0, 0, height, dib.data(), &info, DIB_RGB_COLORS);
        drawing_ = CreateMeasureDrawing(dc(), {kOverlayGrid, kOverlayLine, lineWidth, kOverlayText, 12},
                                        font_.get());
    }
    ~BackBuffer() { DestroyMeasureDrawing(drawing_); }

    void Draw(const MeasureState& state, const OverlayInput& in) {
        OverlaySession session(drawing_);
        BuildOverlay(state, in, session.Metrics(), items_);
        session.Draw(items_);
    }

    // Reads the picture back once drawing is done, and keeps it as a PNG under the run's artifact
    // folder when `name` is given.
    void Snapshot(const wchar_t* name = nullptr) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        pixels_.assign(static_cast<size_t>(width_) * height_, 0);
        GetDIBits(dc(), canvas_.bitmap(), 0, height_, pixels_.data(), &info, DIB_RGB_COLORS);
        const wchar_t* folder = _wgetenv(L"VANTIX_ARTIFACTS");
        if (name && LookupImageEncoders()) {
            const std::wstring path = std::wstring(folder && *folder == L'/' ? L"Z:" : L"") +
                                      (folder ? folder : L".") + L"/" + name;
            Gdiplus::Bitmap(canvas_.bitmap(), nullptr).Save(path.c_str(), &g_pngEncoderClsid, nullptr);
        }
    }
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return 0;
        const uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Whether a pixel of the colour is within `radius` of (x, y).
    bool Near(int x, int y, bool (*colour)(COLORREF), int radius = 2) const {
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                if (colour(At(x + dx, y + dy)))
                    return true;
            }
        }
        return false;
    }
    int Count(const ShapeRect& r, bool (*colour)(COLORREF)) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x)
                n += colour(At(x, y));
        }
        return n;
    }

    HDC dc() const { return canvas_.dc(); }
    MeasureDrawing* drawing() const { return drawing_; }
    const std::vector<OverlayItem>& items() const { return items_; }

private:
    int width_;
    int height_;
    Canvas canvas_;
    GdiFont font_;
    MeasureDrawing* drawing_ = nullptr;
    std::vector<OverlayItem> items_;
    std::vector<uint32_t> pixels_;
};

// The specimen's own scale at 640 wide: 100 pixels a millimetre, with the crosshair.
inline OverlayInput Calibrated(int width, int height) {
    OverlayInput in;
    in.width = width;
    in.height = height;
    in.scale = 100.0f;
    in.unit = L"mm";
    in.ruler = ComputeRulerStep(in.scale);
    in.crosshair = true;
    in.lineWidth = 2;
    in.prompt = L" Input text, drag to move. ";
    return in;
}
