// The camera view of the real program with the virtual camera: the live picture, zoom, panning,
// cameras coming and going, the digital zoom.
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"
#include "view/view_geometry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr wchar_t kFirstCamera[] = L"vid_1d6b&pid_0102&mi_00#e2e#1";
constexpr wchar_t kSecondCamera[] = L"vid_1d6b&pid_0103&mi_00#e2e#2";
constexpr wchar_t kThirdCamera[] = L"vid_1d6b&pid_0104&mi_00#e2e#3";

TestCamConfig Camera(const wchar_t* instance, const wchar_t* name, std::vector<TestCamFormat> formats) {
    TestCamConfig config;
    config.instanceName = instance;
    config.friendlyName = name;
    config.formats = std::move(formats);
    return config;
}

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// The format the program opens the camera with next time, as a saved setting.
void StoreRequestedFormat(int mjpg, int width, int height, int interpolated) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantix", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    WriteDword(key, L"mjpg", mjpg);
    WriteDword(key, L"width", width);
    WriteDword(key, L"height", height);
    WriteDword(key, L"interpolated", interpolated);
    RegCloseKey(key);
}

LRESULT Query(HWND view, ViewQuery which) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(view, UM_VIEW_QUERY, which, 0, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

void ViewCommand(HWND view, int command, LPARAM value) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(view, WM_COMMAND, MAKEWPARAM(command, 0), value, SMTO_ABORTIFHUNG, 5000, &result);
}

bool Live(HWND view) {
    return Query(view, kQueryContentWidth) > 0 && Query(view, kQueryPaints) > 0;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool Near(COLORREF actual, TestRgb expected, int tolerance = 3) {
    return std::abs(GetRValue(actual) - expected.r) <= tolerance &&
           std::abs(GetGValue(actual) - expected.g) <= tolerance &&
           std::abs(GetBValue(actual) - expected.b) <= tolerance;
}

SIZE ClientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return {rc.right, rc.bottom};
}

// Screen position of content pixel (x, y) of a view at 100 % with no scroll bars.
POINT ScreenOfContent(HWND view, int contentWidth, int contentHeight, int x, int y) {
    const SIZE client = ClientSize(view);
    POINT p = {CentringMargin(client.cx, contentWidth) + x, CentringMargin(client.cy, contentHeight) + y};
    ClientToScreen(view, &p);
    return p;
}

void PostMouse(HWND hwnd, UINT msg, int x, int y, WPARAM keys) {
    PostMessageW(hwnd, msg, keys, MAKELPARAM(x, y));
}

class CameraViewTest : public testing::Test {
protected:
    void TearDown() override {
        if (session_.process.hProcess) {
            EXPECT_EQ(CloseProgram(&session_), 0u);
        }
        for (const wchar_t* instance : {kFirstCamera, kSecondCamera, kThirdCamera}) {
            TestCam_Unregister(instance);
            TestCam_RemoveConfig(instance);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantix");
    }

    HWND Start() {
        EXPECT_TRUE(LaunchProgram(&session_));
        view_ = session_.mainWindow ? GetDlgItem(session_.mainWindow, 108) : nullptr;
        EXPECT_NE(view_, nullptr);
        return view_;
    }

    ProgramSession session_;
    HWND view_ = nullptr;
};

} // namespace

TEST_F(CameraViewTest, LivePictureAppearsCentredWithGrayMargins) {
    ASSERT_TRUE(TestCam_Register(
        Camera(kFirstCamera, L"Bench Scope", {{kTestCamMjpg, 800, 600, 30}, {kTestCamMjpg, 1024, 768, 30}})));
    const DWORD start = GetTickCount();
    HWND view = Start();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Live(view); }, 2000)) << "no live picture within 2 s of start";
    EXPECT_LE(GetTickCount() - start, 2000u);

    // 800x600 and 1024x768 only: the default is the larger one, shown at 100 % in the middle.
    EXPECT_EQ(Query(view, kQueryContentWidth), 1024);
    EXPECT_EQ(Query(view, kQueryContentHeight), 768);
    EXPECT_EQ(Query(view, kQueryZoom), 100);
    EXPECT_EQ(Query(view, kQueryScrollBars), 0);
    Sleep(300); // a few more frames
    SaveScreenshot(L"live_view.bmp");

    const SIZE client = ClientSize(view);
    ASSERT_GT(client.cx, 1024);
    ASSERT_GT(client.cy, 768);
    POINT margin = {2, client.cy / 2};
    ClientToScreen(view, &margin);
    EXPECT_TRUE(Near(ScreenPixel(margin.x, margin.y), {191, 191, 191}, 0));

    // Pixels of the camera's picture where it does not change from frame to frame.
    const TestRect marker = TestPicture_MarkerRect(1024, 768);
    int checked = 0;
    for (int y = 20; y < 768; y += 97) {
        for (int x = 15; x < 1024; x += 131) {
            if (marker.Contains(x, y))
                continue;
            const POINT p = ScreenOfContent(view, 1024, 768, x, y);
            const TestRgb expected = TestPicture_SpecimenPixel(1024, 768, x, y, 0, 30);
            EXPECT_TRUE(Near(ScreenPixel(p.x, p.y), expected)) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 40);
}

TEST_F(CameraViewTest, ZoomFitsClampsAndPans) {
    ASSERT_TRUE(TestCam_Register(Camera(kFirstCamera, L"Bench Scope", {{kTestCamMjpg, 640, 480, 30}})));
    StoreRequestedFormat(1, 640, 480, 0);
    HWND view = Start();
    ASSERT_TRUE(WaitFor([&] { return Live(view); }, 3000));

    const SIZE client = ClientSize(view);
    const int fit = FitZoomPercent(client.cx, client.cy, 640, 480);
    for (int request : {49, 201, 0}) {
        ViewCommand(view, 8003, 100);
        ViewCommand(view, 8003, request);
        EXPECT_EQ(Query(view, kQueryFitToWindow), 1) << request;
        EXPECT_EQ(Query(view, kQueryZoom), fit) << request;
    }

    // 200 %: larger than the window, with scroll bars; the picture follows a drag with the Drag tool.
    ViewCommand(view, 8003, 200);
    EXPECT_EQ(Query(view, kQueryZoom), 200);
    EXPECT_EQ(Query(view, kQueryDisplayWidth), 1280);
    EXPECT_NE(Query(view, kQueryScrollBars), 0);
    const LRESULT x0 = Query(view, kQueryScrollX);
    const LRESULT y0 = Query(view, kQueryScrollY);
    PostMouse(view, WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
    PostMouse(view, WM_MOUSEMOVE, 320, 310, MK_LBUTTON);
    PostMouse(view, WM_MOUSEMOVE, 340, 330, MK_LBUTTON);
    PostMouse(view, WM_LBUTTONUP, 340, 330, 0);
    EXPECT_TRUE(WaitFor([&] { return Query(view, kQueryScrollX) == std::max<LRESULT>(x0 - 40, 0); }, 2000))
        << Query(view, kQueryScrollX) << " from " << x0;
    EXPECT_EQ(Query(view, kQueryScrollY), std::max<LRESULT>(y0 - 30, 0));

    // A drawing tool chosen on the toolbar brings the zoom back to 100 %.
    HWND toolbar = GetDlgItem(session_.mainWindow, 107);
    HWND line = GetDlgItem(toolbar, 3021);
    ASSERT_NE(line, nullptr);
    PostMouse(line, WM_MOUSEMOVE, 20, 20, 0);
    PostMouse(line, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    PostMouse(line, WM_LBUTTONUP, 20, 20, 0);
    EXPECT_TRUE(WaitFor([&] { return Query(view, kQueryZoom) == 100; }, 2000));
    EXPECT_EQ(Query(view, kQueryTool), 1);
    EXPECT_EQ(Query(view, kQueryScrollBars), 0);
}

TEST_F(CameraViewTest, InterpolatedFormatShowsTheLargerPictureAndStepsDigitalZoom) {
    ASSERT_TRUE(TestCam_Register(Camera(kFirstCamera, L"Bench Scope", {{kTestCamMjpg, 640, 480, 30}})));
    StoreRequestedFormat(1, 1280, 960, 1);
    HWND view = Start();
    ASSERT_TRUE(WaitFor([&] { return Live(view); }, 3000));
    EXPECT_EQ(Query(view, kQueryContentWidth), 1280);
    EXPECT_EQ(Query(view, kQueryContentHeight), 960);
    EXPECT_EQ(Query(view, kQueryZoom), 100);
    EXPECT_EQ(Query(view, kQueryDisplayWidth), 1280);

    // The signal frame steps the digital zoom X1 .. X5 and back to none.
    for (int expected : {1, 2, 3, 4, 5, 0}) {
        ASSERT_TRUE(TestCam_SendSignalFrame(kFirstCamera));
        EXPECT_TRUE(WaitFor([&] { return Query(view, kQueryDigitalZoom) == expected; }, 3000)) << expected;
    }
}

TEST_F(CameraViewTest, SignalFrameIsIgnoredWithoutAnInterpolatedFormat) {
    ASSERT_TRUE(TestCam_Register(Camera(kFirstCamera, L"Bench Scope", {{kTestCamMjpg, 640, 480, 30}})));
    StoreRequestedFormat(1, 640, 480, 0);
    HWND view = Start();
    ASSERT_TRUE(WaitFor([&] { return Live(view); }, 3000));
    ASSERT_TRUE(TestCam_SendSignalFrame(kFirstCamera, 3));
    Sleep(600);
    EXPECT_EQ(Query(view, kQueryDigitalZoom), 0);
}

TEST_F(CameraViewTest, WideCameraStartsFittedToTheWindow) {
    ASSERT_TRUE(TestCam_Register(Camera(kFirstCamera, L"Wide Scope", {{kTestCamMjpg, 1920, 1080, 30}})));
    HWND view = Start();
    ASSERT_TRUE(WaitFor([&] { return Live(view) && Query(view, kQueryFitToWindow) == 1; }, 3000));
    const SIZE client = ClientSize(view);
    EXPECT_EQ(Query(view, kQueryZoom), FitZoomPercent(client.cx, client.cy, 1920, 1080));
    EXPECT_EQ(Query(view, kQueryScrollBars), 0);
}

TEST_F(CameraViewTest, CamerasComingAndGoing) {
    ASSERT_TRUE(TestCam_Register(Camera(kFirstCamera, L"First Scope", {{kTestCamMjpg, 640, 480, 30}})));
    StoreRequestedFormat(1, 640, 480, 0);
    HWND view = Start();
    ASSERT_TRUE(WaitFor([&] { return Live(view); }, 3000));
    ASSERT_TRUE(TestCam_ReadStatus(kFirstCamera).running > 0);

    // A second camera arriving while one is open changes only the device list.
    ASSERT_TRUE(TestCam_Register(Camera(kSecondCamera, L"Second Scope", {{kTestCamMjpg, 1024, 768, 30}})));
    TestCam_NotifyDeviceChange(view, true);
    Sleep(1500);
    EXPECT_GT(TestCam_ReadStatus(kFirstCamera).running, 0);
    EXPECT_FALSE(TestCam_ReadStatus(kSecondCamera).running > 0);
    EXPECT_EQ(Query(view, kQueryContentWidth), 640);

    // The open camera pulled out: back to the no-device screen.
    ASSERT_TRUE(TestCam_Unregister(kFirstCamera));
    TestCam_NotifyDeviceChange(view, false);
    EXPECT_TRUE(WaitFor([&] { return Query(view, kQueryContentWidth) == 0; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return TestCam_ReadStatus(kFirstCamera).running == 0; }, 3000));
    Sleep(300);
    SaveScreenshot(L"no_device.bmp");
    POINT corner = {3, 3};
    ClientToScreen(view, &corner);
    EXPECT_TRUE(Near(ScreenPixel(corner.x, corner.y), {48, 62, 71}, 0));

    // With none open, the second camera is still listed but opens only on the next arrival; a
    // camera plugged in now is opened about 0.8 s later (the last listed one).
    ASSERT_TRUE(TestCam_Register(Camera(kThirdCamera, L"Third Scope", {{kTestCamMjpg, 800, 600, 30}})));
    const DWORD arrival = GetTickCount();
    TestCam_NotifyDeviceChange(view, true);
    ASSERT_TRUE(WaitFor([&] { return Query(view, kQueryContentWidth) > 0; }, 4000));
    const DWORD opened = GetTickCount() - arrival;
    EXPECT_GE(opened, 500u);
    EXPECT_LE(opened, 2500u);
    EXPECT_EQ(Query(view, kQueryContentWidth), 800);
}
