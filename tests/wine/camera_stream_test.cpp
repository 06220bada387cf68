// A camera open through the capture code under Wine: the frames and what is done to them, the
// signal frame and the still button, the camera's controls, reopening, and what is left behind
// after closing. The virtual camera's own counts, rate and control values, which these checks
// read, are seen to be true here too.
#include "tests/wine/capture_fixture.h"
#include "capture/camera_controls.h"
#include "capture/power_line.h"

namespace {

struct ProcessUsage {
    size_t heapBytes = 0; // in use on the process's heaps
    size_t handles = 0;
};

// Handles of this process: the handle values in use, which Wine hands out as small multiples of 4.
size_t CountHandles() {
    size_t count = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return count;
}

ProcessUsage MeasureProcess() {
    ProcessUsage usage;
    HANDLE heaps[64];
    const DWORD heapCount = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < heapCount && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                usage.heapBytes += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    // Wine answers GetProcessHandleCount with 0.
    usage.handles = CountHandles();
    return usage;
}

double Grown(size_t before, size_t after) {
    return static_cast<double>(after) - static_cast<double>(before);
}

// Handles that making and releasing this many empty filter graphs leaves behind.
double HandlesLeftByBareGraphs(int count) {
    const size_t before = MeasureProcess().handles;
    for (int i = 0; i < count; ++i) {
        Microsoft::WRL::ComPtr<IGraphBuilder> graph;
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    }
    return Grown(before, MeasureProcess().handles);
}

} // namespace

TEST_F(CaptureTest, FramesShowThePictureMirroredOnRequestSignalFramesZoomAndTheStillButtonPosts) {
    ASSERT_TRUE(
        RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"VGA Scope", {{kTestCamMjpg, 640, 480, 30}})));
    ASSERT_TRUE(WaitForFrames(20));
    // The camera's 30 frames a second, give or take a busy machine (late ticks are dropped).
    EXPECT_GT(g_capture.frameRate.load(), 10.0f);
    EXPECT_LT(g_capture.frameRate.load(), 45.0f);
    // The 1 mm tick of the ruler, from its top edge down; mirrored, it is on the other side.
    const TestRect ruler = TestPicture_RulerRect(640, 480);
    const int tickX = TestPicture_RulerTickX(640, 10);
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "mirrored" : "as shot");
        g_filterFlags.mirror = mirrored;
        ASSERT_TRUE(WaitForFrames(3));
        HeldFrame frame;
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->width, 640);
        ASSERT_EQ(frame->height, 480);
        EXPECT_EQ(SpecimenMismatches(*frame.get(), mirrored), 0);
        const int inkX = mirrored ? 639 - tickX : tickX;
        EXPECT_EQ(PixelAt(*frame.get(), inkX, ruler.top + 4), kTestPictureInk);
    }

    // At 640x480 the signal frame is swallowed and posts one zoom step.
    ASSERT_TRUE(TestCam_SendSignalFrame(kDemoInstance, 1));
    ASSERT_TRUE(PumpUntil([] { return TestCam_ReadStatus(kDemoInstance).signalFramesDelivered >= 1; }, 5000));
    ASSERT_TRUE(WaitForFrames(5));
    EXPECT_EQ(s_posted[UM_ZOOM_STEP], 1);
    EXPECT_EQ(s_publishedSignalFrames, 0);

    ASSERT_NE(g_capture.graph.stillGrabber.Get(), nullptr);
    ASSERT_TRUE(TestCam_PressSnapshot(kDemoInstance));
    EXPECT_TRUE(PumpUntil([] { return s_posted[UM_STILL_BUTTON] == 1; }, 5000));
    Pump(300);
    EXPECT_EQ(s_posted[UM_STILL_BUTTON], 1);

    // At another size the same bands are just a picture; a camera without a still pin gets no
    // still branch.
    CloseCaptureGraph();
    ClearDeviceList();
    TestCam_Unregister(kDemoInstance);
    TestCamConfig hd =
        TestCam_MakeConfig(L"vid_1d6b&pid_0300&mi_00#hd#0", L"HD Scope", {{kTestCamMjpg, 1280, 720, 30}});
    hd.stillPin = false;
    ASSERT_TRUE(RegisterAndOpen(hd));
    EXPECT_EQ(g_capture.graph.stillGrabber.Get(), nullptr);
    ASSERT_TRUE(WaitForFrames(2));
    ASSERT_TRUE(TestCam_SendSignalFrame(hd.instanceName, 1));
    ASSERT_TRUE(
        PumpUntil([&] { return TestCam_ReadStatus(hd.instanceName).signalFramesDelivered >= 1; }, 5000));
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_EQ(s_posted[UM_ZOOM_STEP], 1);
}

TEST_F(CaptureTest, TenCameraPropertiesAreProbedAndSetCallsReachTheCamera) {
    TestCamConfig config = TestCam_MakeConfig(kDemoInstance, L"HD Scope");
    // White balance whose default lies above its range.
    config.procAmp[7] = {true, 0, 255, 1, 300, 3, 128, 1};
    ASSERT_TRUE(RegisterAndOpen(config));

    for (int i = 0; i < kCameraPropertyCount; ++i) {
        const auto index = static_cast<CameraPropertyIndex>(i);
        const ControlId id = ControlIdOf(index);
        SCOPED_TRACE(testing::Message() << "record " << i << ", property " << id.property);
        TestCamProperty p;
        ASSERT_TRUE(TestCam_ReadProperty(kDemoInstance,
                                         id.where == ControlInterface::CameraControl
                                             ? TestCamInterface::CameraControl
                                             : TestCamInterface::VideoProcAmp,
                                         id.property, &p));
        const CameraProperty expected = {p.min,   p.max,   p.step,          p.defaultValue,
                                         p.flags, p.value, p.capsFlags & 1, p.flags & 1};
        EXPECT_EQ(g_capture.graph.properties[i], expected);
    }
    const PowerLineList powerLine = PowerLineItems(g_capture.graph.properties[kPropPowerLineFrequency]);
    ASSERT_EQ(powerLine.items.size(), 2u);

    TestCam_ClearSetCalls(kDemoInstance);
    SetCameraPropertyValue(kPropGain, 70);
    SetCameraPropertyAuto(kPropExposure, false);
    SetCameraPropertyAuto(kPropWhiteBalance, false);
    SetCameraPropertyAuto(kPropWhiteBalance, true);
    SetCameraPropertyAuto(kPropGamma, true); // no automatic mode there: nothing is sent
    SetPowerLineFrequency(powerLine.items[1].value);
    RestoreCameraDefaults();

    using I = TestCamInterface;
    const std::vector<TestCamSetCall> expected = {
        {I::VideoProcAmp, 9, 70, 2}, {I::CameraControl, 4, -6, 2}, {I::VideoProcAmp, 7, 255, 2},
        {I::VideoProcAmp, 7, 0, 1},  {I::VideoProcAmp, 13, 2, 2},  {I::VideoProcAmp, 9, 0, 2},
        {I::VideoProcAmp, 0, 0, 2},  {I::VideoProcAmp, 1, 50, 2},  {I::VideoProcAmp, 2, 0, 2},
        {I::VideoProcAmp, 3, 64, 2}, {I::VideoProcAmp, 4, 2, 2},   {I::VideoProcAmp, 5, 100, 2},
    };
    std::vector<TestCamSetCall> calls = TestCam_ReadSetCalls(kDemoInstance);
    for (TestCamSetCall& call : calls)
        call.result = S_OK;
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(g_capture.graph.properties[kPropGain].value, 0);
    EXPECT_EQ(g_capture.graph.properties[kPropPowerLineFrequency].value, 2);
    EXPECT_EQ(g_capture.graph.properties[kPropExposure].autoOn, 0);

    // Closing clears the records.
    CloseCaptureGraph();
    EXPECT_EQ(g_capture.graph.properties, CameraProperties{});

    // Without IAMCameraControl exposure stays empty and nothing is sent for it.
    ClearDeviceList();
    config.hasCameraControl = false;
    ASSERT_TRUE(RegisterAndOpen(config));
    EXPECT_EQ(g_capture.graph.cameraControl.Get(), nullptr);
    EXPECT_EQ(g_capture.graph.properties[kPropExposure], CameraProperty{});
    EXPECT_EQ(g_capture.graph.properties[kPropGain].max, 100);
    TestCam_ClearSetCalls(kDemoInstance);
    SetCameraPropertyAuto(kPropExposure, false);
    SetCameraPropertyValue(kPropBrightness, 10);
    EXPECT_EQ(TestCam_ReadSetCalls(kDemoInstance),
              (std::vector<TestCamSetCall>{{I::VideoProcAmp, 0, 10, 2}}));
}

TEST_F(CaptureTest, ReopenKeepsTheCameraAndCloseReleasesEveryReferenceOnIt) {
    ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"HD Scope")));
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_GE(TestCam_ReadStatus(kDemoInstance).stillPinRefs, 1);

    g_capture.requestedFormat = FormatFromSettings(0, 640, 480, 0);
    ReopenCaptureGraph();
    ASSERT_TRUE(IsCaptureGraphOpen());
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{kFourccYuy2, 640, 480, 0}));
    EXPECT_EQ(g_capture.currentDevice, 0);
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(HeldFrame()->width, 640);
    EXPECT_TRUE(
        PumpUntil([] { return s_posted[UM_CAMERA_OPENED] == 2 && s_posted[UM_CAMERA_CLOSED] == 1; }, 1000));

    CloseCaptureGraph();
    EXPECT_TRUE(PumpUntil([] { return s_posted[UM_CAMERA_CLOSED] == 2; }, 1000));
    EXPECT_EQ(GetLatestFrame(), nullptr);
    EXPECT_EQ(g_capture.frameRate.load(), kDefaultFrameRate);
    const TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
    EXPECT_EQ(status.running, 0);
    EXPECT_EQ(status.capturePinRefs, 0);
    EXPECT_EQ(status.stillPinRefs, 0);
    EXPECT_EQ(status.filterRefs, 1); // the device list's own

    const int published = s_published;
    Pump(300);
    EXPECT_EQ(s_published, published); // nothing arrives after the close
}

TEST_F(CaptureTest, FiftyOpenCloseCyclesLeaveMemoryAndHandlesFlat) {
    Register(TestCam_MakeConfig(kDemoInstance, L"HD Scope"));
    RefreshDeviceList();
    ASSERT_EQ(g_capture.devices.size(), 1u);

    auto cycle = [&] {
        g_capture.requestedFormat = FormatFromSettings(1, 1280, 720, 0);
        ASSERT_TRUE(Open(0));
        ASSERT_TRUE(WaitForFrames(1));
        CloseCaptureGraph();
        Pump(0);
    };
    for (int i = 0; i < 5; ++i)
        cycle();
    const ProcessUsage before = MeasureProcess();
    for (int i = 0; i < 50; ++i) {
        cycle();
        if (HasFatalFailure())
            return;
    }
    const ProcessUsage after = MeasureProcess();
    // One open holds four 1280x720 frames (11 MB); a leak of any of it would show many times over.
    EXPECT_LT(Grown(before.heapBytes, after.heapBytes), 1.0 * 1024 * 1024)
        << before.heapBytes << " -> " << after.heapBytes;
    // Wine 8's filter graph keeps one event handle for every graph object it ever made, whoever
    // uses it; that much growth is the platform's, measured here on bare graphs.
    const double platformHandles = HandlesLeftByBareGraphs(50);
    EXPECT_LE(Grown(before.handles, after.handles), platformHandles + 5.0)
        << before.handles << " -> " << after.handles << ", bare graphs leave " << platformHandles;
    EXPECT_EQ(s_posted[UM_CAMERA_OPENED], 55);
    EXPECT_EQ(s_posted[UM_CAMERA_CLOSED], 55);
    const TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
    EXPECT_EQ(status.filterObjects, 1); // the device list's filter only
    EXPECT_EQ(status.filterRefs, 1);
}
