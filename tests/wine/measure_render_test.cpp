// The measurement overlay drawn with Wine's GDI and GDI+ onto a back buffer like the camera view's,
// over the virtual camera's specimen: what every kind of shape and its labels leave in the pixels,
// the calibration line, label texts as the Windows C library formats them, and drawing time.
#include "base/gdi_holders.h"
#include "bench/bench_table.h"
#include "measure/labels.h"
#include "measure/measure_render.h"
#include "measure/shape_layout.h"
#include "testcam/test_picture.h"
#include "tests/support/overlay_colours.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kLine = RGB(255, 0, 0);
constexpr COLORREF kGrid = RGB(0, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 255);

// A back buffer as the view makes it: a bitmap compatible with the screen in a memory context,
// holding the specimen, with the overlay's drawing objects.
class BackBuffer {
public:
    BackBuffer(int width, int height, int lineWidth = 2) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        dc_ = CreateCompatibleDC(screen);
        old_ = SelectObject(dc_, bitmap_);
        font_ = CreateFontW(-MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                            FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
        ReleaseDC(nullptr, screen);

        std::vector<uint8_t> dib(TestPicture_DibStride(width) * height);
        TestPicture_Render(TestCamPicture::Specimen, width, height, dib.data(), TestPicture_DibStride(width),
                           0, 30);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        SetDIBitsToDevice(dc_, 0, 0, width, height, 0, 0, 0, height, dib.data(), &info, DIB_RGB_COLORS);

        const ViewStyle style = {kGrid, kLine, lineWidth, kText, 12};
        drawing_ = CreateMeasureDrawing(dc_, style, font_);
    }
    ~BackBuffer() {
        DestroyMeasureDrawing(drawing_);
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        DeleteObject(font_);
    }

    void Draw(const MeasureState& state, const OverlayInput& in) {
        OverlaySession session(drawing_);
        BuildOverlay(state, in, session.Metrics(), items_);
        session.Draw(items_);
    }

    // Reads the picture back once drawing is done.
    void Snapshot() {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        pixels_.assign(static_cast<size_t>(width_) * height_, 0);
        GetDIBits(dc_, bitmap_, 0, height_, pixels_.data(), &info, DIB_RGB_COLORS);
    }
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return 0;
        const uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
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

    // The picture as a 24-bit BMP under the run's artifact folder.
    void Save(const char* name) const {
        const char* folder = std::getenv("VANTIX_ARTIFACTS");
        std::string path = std::string(folder ? folder : ".") + "/" + name;
        if (!path.empty() && path[0] == '/')
            path = "Z:" + path;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return;
        const int stride = (width_ * 3 + 3) & ~3;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {sizeof(info), width_, height_, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info);
        file.bfSize = file.bfOffBits + stride * height_;
        std::fwrite(&file, sizeof(file), 1, f);
        std::fwrite(&info, sizeof(info), 1, f);
        std::vector<uint8_t> row(stride);
        for (int y = height_ - 1; y >= 0; --y) {
            for (int x = 0; x < width_; ++x) {
                const COLORREF c = At(x, y);
                row[x * 3] = GetBValue(c);
                row[x * 3 + 1] = GetGValue(c);
                row[x * 3 + 2] = GetRValue(c);
            }
            std::fwrite(row.data(), 1, stride, f);
        }
        std::fclose(f);
    }

    HDC dc() const { return dc_; }
    MeasureDrawing* drawing() const { return drawing_; }
    const std::vector<OverlayItem>& items() const { return items_; }

private:
    int width_;
    int height_;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    HFONT font_ = nullptr;
    MeasureDrawing* drawing_ = nullptr;
    std::vector<OverlayItem> items_;
    std::vector<uint32_t> pixels_;
};

MeasureShape Shape(int kind, ShapePoint p1, ShapePoint p2, ShapePoint p3 = kUnplacedPoint) {
    MeasureShape s;
    s.kind = kind;
    s.p1 = p1;
    s.p2 = p2;
    s.p3 = p3;
    return s;
}

OverlayInput Calibrated(int width, int height) {
    OverlayInput in;
    in.width = width;
    in.height = height;
    in.scale = 100.0f; // the specimen's own scale at 640 wide: 100 pixels a millimetre
    in.unit = L"mm";
    in.ruler = ComputeRulerStep(in.scale);
    in.crosshair = true;
    in.lineWidth = 2;
    in.prompt = L" Input text, drag to move. ";
    return in;
}

} // namespace

TEST(MeasureRender, EveryKindWithItsLabelsOnTheSpecimen) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    BackBuffer buffer(640, 480);
    MeasureState state;
    state.shapes = {
        Shape(TOOL_LINE, {40, 40}, {200, 40}),
        Shape(TOOL_RECTANGLE, {240, 30}, {330, 90}),
        Shape(TOOL_CIRCLE, {420, 70}, {460, 70}),
        Shape(TOOL_ARROW, {500, 40}, {600, 100}),
        Shape(TOOL_PARALLEL_LINES, {40, 150}, {160, 150}, {100, 200}),
        Shape(TOOL_CONCENTRIC_CIRCLES, {230, 180}, {260, 180}, {230, 230}),
        Shape(TOOL_ANGLE, {420, 200}, {500, 200}, {420, 140}),
        Shape(TOOL_PENCIL, {}, {}),
        Shape(TOOL_TEXT, {480, 300}, {}),
    };
    state.shapes[7].points = {{40, 300}, {60, 320}, {80, 300}, {100, 320}, {120, 300}};
    state.shapes[8].text = L"Nucleus";
    state.selectedIndex = 2; // the circle, with filled handles
    state.hoverIndex = 8;    // the note, framed
    buffer.Draw(state, Calibrated(640, 480));
    buffer.Snapshot();
    buffer.Save("measure-labels-every-kind.bmp");

    struct Place {
        const char* what;
        int x, y;
    } places[] = {
        {"line", 120, 40},           {"line tick", 40, 50},
        {"rectangle", 285, 30},      {"rectangle", 240, 60},
        {"circle", 420, 30},         {"circle", 380, 70},
        {"arrow shaft", 550, 70},    {"arrow head", 592, 95},
        {"parallel base", 100, 150}, {"parallel", 70, 200},
        {"connector", 100, 175},     {"inner circle", 230, 150},
        {"outer circle", 180, 180},  {"concentric radius", 230, 205},
        {"first arm", 460, 200},     {"second arm", 420, 170},
        {"pencil", 50, 310},         {"pencil", 110, 310},
        {"note frame", 500, 302},
    };
    for (const Place& p : places)
        EXPECT_TRUE(buffer.Near(p.x, p.y, IsLine)) << p.what << " at " << p.x << "," << p.y;
    EXPECT_TRUE(buffer.Near(320, 420, IsGrid, 0));
    EXPECT_TRUE(buffer.Near(600, 240, IsGrid, 0));
    EXPECT_GT(buffer.Count({456, 66, 464, 74}, IsLine), 40); // filled handle at the circle's rim

    // Every label: its text, and the text colour inside its box.
    std::vector<std::wstring> texts;
    for (const OverlayItem& item : buffer.items()) {
        if (item.step != OverlayStep::Text)
            continue;
        texts.push_back(item.text);
        if (!item.text.empty()) {
            EXPECT_GT(buffer.Count(item.rect, IsText), 5) << std::string(item.text.begin(), item.text.end());
        }
    }
    const std::vector<std::wstring> expected = {
        L"1.0mm",
        L"1.60000mm",
        L"0.90x0.60mm",
        L"S:0.54mm^2",
        L"R:0.40000mm",
        L"C:2.51327mm",
        L"S:0.50265mm^2",
        L"D:0.50000mm",
        L"R1:0.30000mm",
        L"R2:0.50000mm",
        L"",
        L"90.000\u00B0",
        L"Nucleus",
    };
    EXPECT_EQ(texts, expected);
}

TEST(MeasureRender, LabelNumbersAsTheWindowsLibraryPrintsThem) {
    EXPECT_EQ(LabelsOfShape(Shape(TOOL_LINE, {5, 5}, {5, 5}), TOOL_LINE, 100.0f, L"mm").lines[0],
              L"0.00000mm");
    EXPECT_EQ(LabelsOfShape(Shape(TOOL_ANGLE, {0, 0}, {0, -9}, {9, 0}), TOOL_ANGLE, -1.0f, L"").lines[0],
              L"-90.000\u00B0");
    EXPECT_EQ(LabelsOfShape(Shape(TOOL_CIRCLE, {0, 0}, {30, 40}), TOOL_CIRCLE, 10.0f, L"\u03BCm").lines[2],
              L"S:78.53975\u03BCm^2");
    EXPECT_EQ(StepLabelText(0.05f, L"mm"), L"0.05mm");
    EXPECT_EQ(StepLabelText(0.5f, L"mm"), L"0.5mm");
    EXPECT_EQ(StepLabelText(0.005f, L"mm"), L"0.005mm");
    EXPECT_EQ(FormatText(L"%.5f", 3.4028235e38).size(), 45u);
}

TEST(MeasureRender, CalibrationLineAloneWithItsLengthAndGrabMarks) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    BackBuffer buffer(640, 480);
    MeasureState state;
    state.shapes.push_back(Shape(TOOL_LINE, {40, 40}, {200, 40}));
    int length = 4800;
    LayoutCalibrationLineOf(state, length, 640);
    state.calibHoverLeft = true;
    OverlayInput in = Calibrated(640, 480);
    in.calibLineLength = length;
    buffer.Draw(state, in);
    buffer.Snapshot();
    buffer.Save("measure-calibration-line.bmp");
    EXPECT_EQ(length, 300);
    for (int x : {175, 320, 465})
        EXPECT_TRUE(buffer.Near(x, 240, IsLine, 1)) << x;
    for (int y : {182, 200, 280, 298}) {
        EXPECT_TRUE(buffer.Near(170, y, IsLine, 0)) << y;
        EXPECT_TRUE(buffer.Near(470, y, IsLine, 0)) << y;
    }
    EXPECT_FALSE(buffer.Near(470, 320, IsLine, 1)); // bars end 60 below the line
    EXPECT_TRUE(buffer.Near(164, 210, IsLine, 1));  // grab marks at the left end only
    EXPECT_FALSE(buffer.Near(476, 210, IsLine, 1));
    EXPECT_FALSE(buffer.Near(120, 40, IsLine, 2)); // no shapes, no crosshair
    EXPECT_FALSE(buffer.Near(320, 420, IsGrid, 1));
    ASSERT_FALSE(buffer.items().empty());
    EXPECT_EQ(buffer.items()[3].text, L"300 pixels");
    EXPECT_GT(buffer.Count(buffer.items()[3].rect, IsText), 5);
}

// Not pass/fail: how long the overlay of 100 shapes of every kind with the crosshair takes at
// 1920x1080, split into building the steps and drawing each kind of step.
TEST(MeasureRender, HundredShapesAt1920x1080Figures) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    BackBuffer buffer(1920, 1080);
    MeasureState state;
    const int kinds[] = {TOOL_LINE,           TOOL_RECTANGLE,          TOOL_CIRCLE, TOOL_ARROW,
                         TOOL_PARALLEL_LINES, TOOL_CONCENTRIC_CIRCLES, TOOL_ANGLE,  TOOL_PENCIL};
    for (int i = 0; i < 100; ++i) {
        const int x = 20 + (i * 97) % 1700, y = 20 + (i * 61) % 900;
        MeasureShape s = Shape(kinds[i % 8], {x, y}, {x + 90, y + 70}, {x + 30, y + 90});
        for (int k = 0; k <= 12; ++k)
            s.points.push_back({x + 7 * k, y + 6 * k});
        state.shapes.push_back(s);
    }
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // The baseline: one memcpy of a 1920x1080 frame of the camera.
    std::vector<uint8_t> from(1920 * 1080 * 3, 1), to(from.size());
    std::vector<double> copies;
    for (int run = 0; run < 15; ++run) {
        const auto t0 = Clock::now();
        std::memcpy(to.data(), from.data(), from.size());
        copies.push_back(ms(Clock::now() - t0));
        from[static_cast<size_t>(run) * 4096] = to.back();
    }
    const double copy = median(copies);
    char baseline[48];
    std::snprintf(baseline, sizeof baseline, "memcpy %.2f ms", copy);
    for (float scale : {-1.0f, 100.0f}) {
        OverlayInput in = Calibrated(1920, 1080);
        in.scale = scale;
        in.ruler = ComputeRulerStep(scale);
        std::vector<double> build, draw;
        std::map<int, std::vector<double>> byStep;
        std::map<int, size_t> counts;
        for (int run = 0; run < 15; ++run) {
            OverlaySession session(buffer.drawing());
            std::vector<OverlayItem> items;
            const auto t0 = Clock::now();
            BuildOverlay(state, in, session.Metrics(), items);
            const auto t1 = Clock::now();
            session.Draw(items);
            const auto t2 = Clock::now();
            build.push_back(ms(t1 - t0));
            draw.push_back(ms(t2 - t1));
            for (int step = 0; step <= static_cast<int>(OverlayStep::Text); ++step) {
                std::vector<OverlayItem> subset;
                for (const OverlayItem& item : items) {
                    if (static_cast<int>(item.step) == step)
                        subset.push_back(item);
                }
                counts[step] = subset.size();
                const auto s0 = Clock::now();
                session.Draw(subset);
                byStep[step].push_back(ms(Clock::now() - s0));
            }
        }
        for (const auto& [name, times] : {std::pair{"build", &build}, std::pair{"draw", &draw}}) {
            char figure[96], measured[32], ratio[16];
            std::snprintf(figure, sizeof figure, "overlay of 100 shapes 1920x1080 %s, %s, median of 15",
                          scale > 0 ? "calibrated" : "uncalibrated", name);
            std::snprintf(measured, sizeof measured, "%.2f ms", median(*times));
            std::snprintf(ratio, sizeof ratio, "%.2fx", median(*times) / copy);
            PrintBenchRow(figure, measured, baseline, ratio, "-", "-");
        }
        const char* names[] = {"lines", "circles", "strokes", "triangles", "filled boxes", "frames", "texts"};
        for (const auto& [step, times] : byStep)
            std::printf("  %-12s %4zu: %.2f ms\n", names[step], counts[step], median(times));
    }
}
