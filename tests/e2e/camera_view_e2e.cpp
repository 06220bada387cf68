// The camera view of the real program with the virtual camera: the live picture, zoom, panning,
// cameras coming and going, the digital zoom.
#include "panels/panel_messages.h"
#include "tests/e2e/e2e_support.h"
#include "view/view_geometry.h"

#include <algorithm>

namespace {

constexpr wchar_t kFirstCamera[] = L"vid_1d6b&pid_0102&mi_00#e2e#1";
constexpr wchar_t kSecondCamera[] = L"vid_1d6b&pid_0103&mi_00#e2e#2";
constexpr wchar_t kThirdCamera[] = L"vid_1d6b&pid_0104&mi_00#e2e#3";

class CameraViewTest : public ProgramTest {
protected:
    // A camera of one 640x480 format asked for as `width` x `height` (interpolated when larger).
    void StartAt640x480(int width = 640, int height = 480) {
        ASSERT_TRUE(AddCamera(kFirstCamera, L"Bench Scope", {{kTestCamMjpg, 640, 480, 30}}));
        ASSERT_TRUE(StoreRequestedFormat(true, width, height, width != 640));
        Launch();
        ASSERT_TRUE(WaitFor([&] { return Live(); }, 3000));
    }

    void ViewCommand(int command, LPARAM value) const {
        SendWithTimeout(view_, WM_COMMAND, MAKEWPARAM(command, 0), value);
    }
};

} // namespace

TEST_F(CameraViewTest, LivePictureIsCentredZoomFitsClampsAndPansIgnoresTheSignalFrameAndCamerasComeAndGo) {
    const DWORD start = GetTickCount();
    StartAt640x480();
    EXPECT_LE(GetTickCount() - start, 2000u) << "no live picture within 2 s of start";

    // Shown at 100 % in the middle, between gray margins.
    EXPECT_EQ(Query(kQueryScrollBars), 0);
    const SIZE client = ClientSize(view_);
    EXPECT_EQ(ScreenPixel(view_, 2, client.cy / 2), RGB(191, 191, 191));
    // The camera's picture, where it does not change from frame to frame.
    EXPECT_EQ(PictureMismatches(
                  640, 480, [](int x, int y) { return TestPicture_SpecimenPixel(640, 480, x, y, 0, 30); }),
              0);

    const int fit = FitZoomPercent(client.cx, client.cy, 640, 480);
    for (int request : {49, 201, 0}) {
        ViewCommand(8003, 100);
        ViewCommand(8003, request);
        EXPECT_EQ(Query(kQueryFitToWindow), 1) << request;
        EXPECT_EQ(Query(kQueryZoom), fit) << request;
    }

    // 200 %: larger than the window, with scroll bars; the picture follows a drag with the Drag tool.
    ViewCommand(8003, 200);
    EXPECT_EQ(Query(kQueryDisplayWidth), 1280);
    EXPECT_NE(Query(kQueryScrollBars), 0);
    const LRESULT x0 = Query(kQueryScrollX);
    const LRESULT y0 = Query(kQueryScrollY);
    PostMouse(view_, WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
    PostMouse(view_, WM_MOUSEMOVE, 320, 310, MK_LBUTTON);
    PostMouse(view_, WM_MOUSEMOVE, 340, 330, MK_LBUTTON);
    PostMouse(view_, WM_LBUTTONUP, 340, 330);
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryScrollX) == std::max<LRESULT>(x0 - 40, 0); }, 2000))
        << Query(kQueryScrollX) << " from " << x0;
    EXPECT_EQ(Query(kQueryScrollY), std::max<LRESULT>(y0 - 30, 0));

    // A drawing tool chosen on the toolbar brings the zoom back to 100 %.
    ClickTool(IDC_TOOL_LINE);
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryZoom) == 100; }, 2000));
    EXPECT_EQ(Query(kQueryScrollBars), 0);

    // Without an interpolated format the signal frame does not step the digital zoom.
    ASSERT_TRUE(TestCam_SendSignalFrame(kFirstCamera, 3));
    Sleep(600);
    EXPECT_EQ(Query(kQueryDigitalZoom), 0);

    // A second camera arriving while one is open changes only the device list.
    ASSERT_TRUE(AddCamera(kSecondCamera, L"Second Scope", {{kTestCamMjpg, 1024, 768, 30}}));
    TestCam_NotifyDeviceChange(view_, true);
    Sleep(1500);
    EXPECT_EQ(Query(kQueryContentWidth), 640);

    // The open camera pulled out: back to the no-device screen.
    ASSERT_TRUE(TestCam_Unregister(kFirstCamera));
    TestCam_NotifyDeviceChange(view_, false);
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryContentWidth) == 0; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return TestCam_ReadStatus(kFirstCamera).running == 0; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(view_, 3, 3) == RGB(48, 62, 71); }, 3000));

    // With none open, the second camera is still listed but opens only on the next arrival; a
    // camera plugged in now is opened about 0.8 s later (the last listed one).
    ASSERT_TRUE(AddCamera(kThirdCamera, L"Third Scope", {{kTestCamMjpg, 800, 600, 30}}));
    const DWORD arrival = GetTickCount();
    TestCam_NotifyDeviceChange(view_, true);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryContentWidth) > 0; }, 4000));
    const DWORD opened = GetTickCount() - arrival;
    EXPECT_GE(opened, 500u);
    EXPECT_LE(opened, 2500u);
    EXPECT_EQ(Query(kQueryContentWidth), 800);
}

TEST_F(CameraViewTest, InterpolatedFormatShowsTheLargerPictureAndStepsDigitalZoom) {
    StartAt640x480(1280, 960);
    EXPECT_EQ(Query(kQueryContentWidth), 1280);
    EXPECT_EQ(Query(kQueryContentHeight), 960);
    EXPECT_EQ(Query(kQueryDisplayWidth), 1280);

    // The signal frame steps the digital zoom X1 .. X5 and back to none.
    for (int expected : {1, 2, 3, 4, 5, 0}) {
        ASSERT_TRUE(TestCam_SendSignalFrame(kFirstCamera));
        EXPECT_TRUE(WaitFor([&] { return Query(kQueryDigitalZoom) == expected; }, 3000)) << expected;
    }
}
