// Photos and Ctrl+C in-process under Wine with the program's main window and view and the virtual
// camera open: the scale fields and text entry GDI+'s encoders' files carry once the program has
// written them, read back by the unit tests' reader; the clipboard's picture and table.
#include "tests/unit/image_fields_reader.h"
#include "tests/unit/measure_test_support.h"
#include "tests/wine/main_window_fixture.h"
#include "tests/support/file_bytes.h"
#include "base/gdi_holders.h"
#include "output/image_encoders.h"
#include "measure/calibration.h"
#include "measure/measure_table.h"
#include "output/photo.h"
#include "output/photo_metadata.h"
#include "testcam/test_picture.h"
#include "view/view_commands.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#photo#0";
constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// A line, a circle and a note, away from the live marker.
std::vector<MeasureShape> ThreeShapes() {
    return {MakeShape(TOOL_LINE, {100, 300}, {400, 300}), MakeShape(TOOL_CIRCLE, {200, 150}, {250, 150}),
            MakeShape(TOOL_TEXT, {420, 380}, {560, 400}, kUnplacedPoint, L"pore \u00D8")};
}

std::wstring Temp(const wchar_t* name) {
    return TempFolder(L"vantix-photo") + L"\\" + name;
}

class Photos : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static const GdiplusSession gdiplus; // shut down at exit, after the suite
        ASSERT_TRUE(gdiplus.Ok());
        ASSERT_EQ(LookupImageEncoders(), 1);
        ASSERT_TRUE(OpenMainWindowWithCamera(kCamera, L"Photo Scope", {{kTestCamMjpg, kWidth, kHeight, 30}}))
            << "the virtual camera did not open";
        Pump(300); // frames arrive
    }

    static void TearDownTestSuite() { CloseMainWindowAndCamera(kCamera); }

    void SetUp() override {
        g_calibration.slots = CalibrationTable();
        g_calibration.active = -1;
        SetViewScale(g_mainWindow.cameraView, -1.0f, 0);
        View()->measure.shapes.clear();
        Pump(50);
    }

    // Applies slot 3 as the manage dialog's Apply does.
    static void Calibrate(const wchar_t* name, int unit, int pixels, float length) {
        g_calibration.slots[3] = MakeCalibration(name, unit, pixels, length);
        g_calibration.active = 3;
        SetViewScale(g_mainWindow.cameraView, g_calibration.slots[3].scale, unit);
        Pump(50);
    }
};

TEST_F(Photos, OnlyCalibratedPhotosCarryTheScaleAndTheirMeasurements) {
    View()->measure.shapes = ThreeShapes();
    const std::wstring png = Temp(L"scale.png"), jpg = Temp(L"scale.jpg");
    ASSERT_TRUE(SavePhoto(g_mainWindow.cameraView, png));
    ASSERT_TRUE(SavePhoto(g_mainWindow.cameraView, jpg));
    {
        const ImageFields p = ReadPngFields(ReadBytes(png));
        const ImageFields j = ReadJpegFields(ReadBytes(jpg));
        EXPECT_TRUE(p.texts.empty());
        EXPECT_TRUE(j.texts.empty());
        // Whatever the encoder writes by itself is its 96-dpi default, not a scale.
        EXPECT_TRUE(!p.hasScale || p.x == 3780u) << p.x;
        EXPECT_TRUE(!j.hasScale || (j.units == 1 && j.x == 96u)) << j.x;
    }

    Calibrate(L"Objective \u03B1 10x", UNIT_MICROMETRE, 500, 400.0f); // 1.25 px/µm
    View()->measure.shapes = ThreeShapes();
    const std::wstring table = MeasurementTable(ThreeShapes(), 1.25f, L"\u03BCm");
    const std::string note = PhotoScaleNote(L"Objective \u03B1 10x", L"\u03BCm", 1.25f, table);
    ASSERT_TRUE(SavePhoto(g_mainWindow.cameraView, png));
    const ImageFields p = ReadPngFields(ReadBytes(png));
    EXPECT_TRUE(p.wellFormed);
    EXPECT_EQ(p.x, 1250000u);
    EXPECT_EQ(p.y, 1250000u);
    EXPECT_EQ(std::count(p.texts.begin(), p.texts.end(), note), 1);

    ASSERT_TRUE(SavePhoto(g_mainWindow.cameraView, jpg));
    const ImageFields j = ReadJpegFields(ReadBytes(jpg));
    EXPECT_TRUE(j.wellFormed);
    EXPECT_EQ(j.units, 1);
    EXPECT_EQ(j.x, 31750u); // 1250 px/mm in dots per inch
    EXPECT_EQ(j.y, 31750u);
    EXPECT_EQ(std::count(j.texts.begin(), j.texts.end(), note), 1);
    DeleteFileW(jpg.c_str());

    // Zoomed out the shapes are not in the photo, nor in its list; the scale stays.
    SetZoom(g_mainWindow.cameraView, 50);
    ASSERT_TRUE(SavePhoto(g_mainWindow.cameraView, png));
    const ImageFields zoomed = ReadPngFields(ReadBytes(png));
    EXPECT_EQ(zoomed.x, 1250000u);
    ASSERT_EQ(zoomed.texts.size(), 1u);
    EXPECT_EQ(zoomed.texts[0].find("Line"), std::string::npos);
    SetZoom(g_mainWindow.cameraView, 100);
    DeleteFileW(png.c_str());
}

TEST_F(Photos, CtrlCPutsThePhotosPixelsAndTheTableOnTheClipboard) {
    Calibrate(L"Ruler", UNIT_MILLIMETRE, 100, 1.0f);
    View()->measure.shapes = ThreeShapes();
    SetFocus(g_mainWindow.cameraView);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(g_mainWindow.cameraView, WM_KEYDOWN, 'C', 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);

    ASSERT_TRUE(OpenClipboard(nullptr));
    std::wstring text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    std::vector<uint8_t> dib;
    if (HANDLE h = GetClipboardData(CF_DIB)) {
        const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
        dib.assign(p, p + GlobalSize(h));
        GlobalUnlock(h);
    }
    CloseClipboard();

    // The table of the shapes in the calibration's unit.
    EXPECT_EQ(text, MeasurementTable(ThreeShapes(), 100.0f, L"mm"));

    // The bitmap is the photo's picture, shapes burnt in, but for the live marker.
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    ASSERT_EQ(header.biWidth, kWidth);
    ASSERT_EQ(header.biHeight, kHeight); // bottom-up
    ASSERT_EQ(header.biBitCount, 24);
    const size_t stride = TestPicture_DibStride(kWidth);
    ASSERT_GE(dib.size(), sizeof header + stride * kHeight);
    HBITMAP photo = ComposeContentPicture(g_mainWindow.cameraView);
    ASSERT_NE(photo, nullptr);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectW(photo, sizeof section, &section), static_cast<int>(sizeof section));
    const TestRect marker = TestPicture_MarkerRect(kWidth, kHeight);
    int differing = 0, lineRows = 0;
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* copied = dib.data() + sizeof header + stride * static_cast<size_t>(kHeight - 1 - y);
        const uint8_t* shown =
            static_cast<const uint8_t*>(section.dsBm.bmBits) + section.dsBm.bmWidthBytes * y;
        for (int x = 0; x < kWidth; ++x) {
            if (marker.Contains(x, y))
                continue;
            differing += std::memcmp(copied + 3 * x, shown + 3 * x, 3) != 0;
            if (y == 300 && x >= 150 && x < 350) // the line's row against the specimen's just above it
                lineRows += std::memcmp(copied + 3 * x, copied + stride * 4 + 3 * x, 3) != 0;
        }
    }
    DeleteObject(photo);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lineRows, 150) << "the line is burnt in";

    // Without shapes only the picture.
    View()->measure.shapes.clear();
    SendMessageW(g_mainWindow.cameraView, WM_COPY, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    CloseClipboard();
}

} // namespace
