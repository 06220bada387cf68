// The capture code in-process against Wine's DirectShow, with the virtual camera registered as
// USB cameras: device list, format choice, the running graph, frames, still button, signal frame,
// camera controls, and what is left behind after closing.
#include "tests/support/message_pump.h"
#include "capture/capture_session.h"
#include "capture/capture_messages.h"
#include "app/main_window.h"
#include "capture/camera_controls.h"
#include "capture/capture_graph.h"
#include "capture/device_list.h"
#include "capture/frame_delivery.h"
#include "capture/frame_ring.h"
#include "capture/power_line.h"
#include "capture/signal_frame.h"
#include "testcam/testcam_control.h"
#include "capture/frame_filters.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// What the capture code posted to the view.
struct Posted {
    int opened = 0;
    int closed = 0;
    int still = 0;
    int zoom = 0;
};
Posted s_posted;

// Frames published to the ring, seen through the recorder's hand-off point.
std::atomic<int> s_published{0};
std::atomic<int> s_publishedSignalFrames{0};

void CountFrame(const uint8_t* frame, size_t length) {
    ++s_published;
    if (IsSignalFrame(frame, length))
        ++s_publishedSignalFrames;
}

LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case UM_GRAPH_EVENT:
            DrainGraphEvents();
            return 0;
        case UM_CAMERA_OPENED:
            ++s_posted.opened;
            return 0;
        case UM_CAMERA_CLOSED:
            ++s_posted.closed;
            return 0;
        case UM_STILL_BUTTON:
            ++s_posted.still;
            return 0;
        case UM_ZOOM_STEP:
            ++s_posted.zoom;
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

HWND CreateViewWindow() {
    static bool registered = false;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ViewProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"CaptureTestView";
        registered = RegisterClassW(&wc) != 0;
    }
    return CreateWindowExW(0, L"CaptureTestView", L"", WS_OVERLAPPED, 0, 0, 320, 240, nullptr, nullptr,
                           instance, nullptr);
}

constexpr wchar_t kDemoInstance[] = L"vid_1d6b&pid_0102&mi_00#demo#0";

std::vector<std::wstring> ListedNames() {
    std::vector<std::wstring> names;
    for (const CaptureDeviceInfo& device : g_capture.devices)
        names.push_back(device.friendlyName);
    return names;
}

std::vector<int32_t> Keys(const FormatMap& map) {
    std::vector<int32_t> keys;
    for (const auto& entry : map)
        keys.push_back(entry.first);
    return keys;
}

// Pixels of the frame that differ from the camera's specimen picture by more than `tolerance` in
// a channel, over a grid of samples; the turning marker is left out. Mirrored: column x shows
// column width-1-x.
int SpecimenMismatches(const FrameBuffer& frame, bool mirrored, int tolerance = 6) {
    const int w = frame.width;
    const int h = frame.height;
    const TestRect marker = TestPicture_MarkerRect(w, h);
    int mismatches = 0;
    for (int y = 0; y < h; y += 7) {
        for (int x = 0; x < w; x += 5) {
            const int sourceX = mirrored ? w - 1 - x : x;
            if (marker.Contains(sourceX, y))
                continue;
            const TestRgb expected = TestPicture_SpecimenPixel(w, h, sourceX, y, 0, 30);
            const uint8_t* p = frame.pixels.get() + (static_cast<size_t>(h - 1 - y) * w + x) * 3;
            if (std::abs(p[0] - expected.b) > tolerance || std::abs(p[1] - expected.g) > tolerance ||
                std::abs(p[2] - expected.r) > tolerance)
                ++mismatches;
        }
    }
    return mismatches;
}

TestRgb PixelAt(const FrameBuffer& frame, int x, int y) {
    const uint8_t* p = frame.pixels.get() + (static_cast<size_t>(frame.height - 1 - y) * frame.width + x) * 3;
    return {p[2], p[1], p[0]};
}

struct ProcessUsage {
    size_t heapBytes = 0;    // in use on the process's heaps
    size_t privateBytes = 0; // committed private memory
    size_t handles = 0;
};

// Handles of this process from the system's handle table (entry layout of SystemHandleInformation).
size_t CountHandlesInSystemTable() {
    struct Entry {
        ULONG processId;
        UCHAR objectType;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    while (query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()),
                 &needed) == static_cast<LONG>(0xC0000004) /* STATUS_INFO_LENGTH_MISMATCH */)
        buffer.resize(buffer.size() * 2);
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    size_t count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        count += table->entries[i].processId == GetCurrentProcessId();
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
    // Wine fills PagefileUsage (private resident memory) but leaves PrivateUsage 0.
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    usage.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    // Wine answers GetProcessHandleCount with 0: count the system's table instead.
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    usage.handles = handles ? handles : CountHandlesInSystemTable();
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

class CaptureTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        view_ = CreateViewWindow();
        ASSERT_NE(view_, nullptr);
        InitCaptureGraph(view_);
        s_posted = {};
        s_published = 0;
        s_publishedSignalFrames = 0;
        g_recorderFrameHook = CountFrame;
        g_capture.requestedFormat = FormatFromSettings(0, 0, 0, 0);
        ClearFilterFlags();
    }

    void TearDown() override {
        CloseCaptureGraph();
        ReleaseCaptureGraph();
        ClearDeviceList();
        g_capture.currentDevice = -1;
        g_recorderFrameHook = nullptr;
        for (const std::wstring& instance : registered_) {
            TestCam_Unregister(instance);
            TestCam_RemoveConfig(instance);
        }
        Pump(0);
        DestroyWindow(view_);
        CoUninitialize();
    }

    void Register(const TestCamConfig& config) {
        ASSERT_TRUE(TestCam_Register(config));
        registered_.push_back(config.instanceName);
    }

    // Opens the device at index as the camera view does.
    bool Open(size_t index) {
        CloseCaptureGraph();
        if (index >= g_capture.devices.size())
            return false;
        CaptureDeviceInfo& device = g_capture.devices[index];
        if (FAILED(BindDeviceFilter(device)))
            return false;
        g_capture.graph.deviceMoniker = device.moniker;
        g_capture.graph.captureFilter = device.filter;
        const bool opened = OpenCaptureGraph();
        if (opened)
            EnsureCaptureFormats();
        return opened;
    }

    bool RegisterAndOpen(const TestCamConfig& config) {
        Register(config);
        RefreshDeviceList();
        return Open(0);
    }

    bool WaitForFrames(int count, DWORD timeoutMs = 5000) {
        const int target = s_published + count;
        return PumpUntil([&] { return s_published >= target; }, timeoutMs);
    }

    HWND view_ = nullptr;
    std::vector<std::wstring> registered_;
};

} // namespace

TEST_F(CaptureTest, BuiltInCameraNamesAndPathsWithoutIdsAreNotListed) {
    Register(TestCam_MakeConfig(L"vid_0001&pid_0001&mi_00#integrated#0", L"Integrated Camera"));
    Register(TestCam_MakeConfig(L"vid_0002&pid_0002&mi_00#lifecam#0", L"Microsoft LifeCam"));
    Register(TestCam_MakeConfig(L"vid_0003&pid_0003&mi_00#lower#0", L"integrated microsoft scope"));
    Register(TestCam_MakeConfig(L"VID_0004&PID_0004&MI_00#capitals#0", L"Capital Marker Scope"));
    Register(TestCam_MakeConfig(L"scope#0", L"No Ids Scope"));
    RefreshDeviceList();

    EXPECT_EQ(ListedNames(), std::vector<std::wstring>{L"integrated microsoft scope"});
    ASSERT_EQ(g_capture.devices.size(), 1u);
    EXPECT_EQ(g_capture.devices[0].hasUsbIds, 1);
    EXPECT_NE(g_capture.devices[0].devicePath.find(L"\\vid_0003&pid_0003&mi_00#lower#0"), std::wstring::npos);
    EXPECT_EQ(g_capture.devices[0].filter.Get(), nullptr); // bound only when a caller needs it
    EXPECT_TRUE(g_capture.devices[0].mjpgFormats.empty());
}

TEST_F(CaptureTest, SecondCameraAppendsRefreshKeepsTheListAndRemovalShiftsTheRest) {
    // The second camera's name sorts first, so an enumeration alone would put it in front.
    const TestCamConfig first = TestCam_MakeConfig(L"vid_1d6b&pid_0b00&mi_00#b#0", L"Scope B");
    const TestCamConfig second = TestCam_MakeConfig(L"vid_1d6b&pid_0a00&mi_00#a#0", L"Scope A");
    Register(first);
    RefreshDeviceList();
    ASSERT_EQ(ListedNames(), std::vector<std::wstring>{L"Scope B"});
    ASSERT_EQ(BindDeviceFilter(g_capture.devices[0]), S_OK);
    IBaseFilter* const firstFilter = g_capture.devices[0].filter.Get();
    IMoniker* const firstMoniker = g_capture.devices[0].moniker.Get();

    Register(second);
    RefreshDeviceList();
    EXPECT_EQ(ListedNames(), (std::vector<std::wstring>{L"Scope B", L"Scope A"}));
    RefreshDeviceList();
    EXPECT_EQ(ListedNames(), (std::vector<std::wstring>{L"Scope B", L"Scope A"}));
    EXPECT_EQ(g_capture.devices[0].filter.Get(), firstFilter);
    EXPECT_EQ(g_capture.devices[0].moniker.Get(), firstMoniker);
    EXPECT_EQ(g_capture.devices[1].filter.Get(), nullptr);

    // The second camera is open when the first goes: its index follows it to 0.
    ASSERT_TRUE(Open(1));
    EXPECT_EQ(g_capture.currentDevice, 1);
    ASSERT_TRUE(TestCam_Unregister(first.instanceName));
    RefreshDeviceList();
    EXPECT_EQ(ListedNames(), std::vector<std::wstring>{L"Scope A"});
    EXPECT_EQ(g_capture.currentDevice, 0);
    EXPECT_EQ(TestCam_ReadStatus(first.instanceName).filterObjects, 0);

    CloseCaptureGraph();
    EXPECT_EQ(g_capture.currentDevice, -1);
    ASSERT_TRUE(TestCam_Unregister(second.instanceName));
    RefreshDeviceList();
    EXPECT_TRUE(g_capture.devices.empty());
    EXPECT_EQ(TestCam_ReadStatus(second.instanceName).filterObjects, 0);
}

TEST_F(CaptureTest, CameraOf640x480AtMostOpensAtInterpolated1920x1080) {
    ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"Small Scope",
                                                   {{kTestCamMjpg, 320, 240, 30},
                                                    {kTestCamMjpg, 640, 480, 30},
                                                    {kTestCamYuy2, 320, 240, 30},
                                                    {kTestCamYuy2, 640, 480, 30}})));
    EXPECT_EQ(g_capture.requestedFormat, (VideoFormat{kFourccMjpg, 640, 480, 1}));
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{kFourccMjpg, 640, 480, 1}));
    const std::vector<int32_t> expectedKeys = {640 * 480, 1280 * 960, 1920 * 1080};
    EXPECT_EQ(Keys(g_capture.graph.mjpgFormats), expectedKeys);
    EXPECT_EQ(Keys(g_capture.graph.yuy2Formats), expectedKeys);
    EXPECT_EQ(g_capture.graph.mjpgFormats.at(1920 * 1080), (VideoFormat{kFourccMjpg, 1920, 1080, 1}));
    EXPECT_EQ(g_capture.currentDevice, 0);

    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_TRUE(PumpUntil([] { return s_posted.opened == 1; }, 1000));
    HeldFrame frame;
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, 640);
    EXPECT_EQ(frame->height, 480);
    const TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
    EXPECT_EQ(status.width, 640);
    EXPECT_EQ(status.height, 480);
    EXPECT_EQ(status.running, 1);
}

TEST_F(CaptureTest, DefaultFormatIs1280x720WhenOfferedElseTheMiddleOne) {
    // The default capability list has MJPG 640x480 and 1280x720 (twice), and YUY2 up to 1280x720.
    ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"HD Scope")));
    EXPECT_EQ(g_capture.requestedFormat, (VideoFormat{kFourccMjpg, 1280, 720, 0}));
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{kFourccMjpg, 1280, 720, 0}));
    EXPECT_EQ(Keys(g_capture.graph.mjpgFormats), (std::vector<int32_t>{640 * 480, 1280 * 720}));
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(HeldFrame()->width, 1280);
    CloseCaptureGraph();
    ClearDeviceList();

    const TestCamConfig svga =
        TestCam_MakeConfig(L"vid_1d6b&pid_0200&mi_00#svga#0", L"SVGA Scope",
                           {{kTestCamYuy2, 800, 600, 30}, {kTestCamYuy2, 1024, 768, 30}});
    g_capture.requestedFormat = FormatFromSettings(1, 0, 0, 0);
    TestCam_Unregister(kDemoInstance);
    ASSERT_TRUE(RegisterAndOpen(svga));
    EXPECT_EQ(g_capture.requestedFormat, (VideoFormat{kFourccYuy2, 1024, 768, 0}));
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(HeldFrame()->width, 1024);
    EXPECT_EQ(TestCam_ReadStatus(svga.instanceName).width, 1024);
}

TEST_F(CaptureTest, RequestTheCameraLacksFallsBackToTheDefault) {
    g_capture.requestedFormat = FormatFromSettings(0, 800, 600, 0);
    ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"HD Scope")));
    EXPECT_EQ(g_capture.requestedFormat, (VideoFormat{kFourccMjpg, 1280, 720, 0}));
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{kFourccMjpg, 1280, 720, 0}));
    ASSERT_TRUE(WaitForFrames(1));

    // A size the camera lists is kept as asked, in YUY2 too.
    CloseCaptureGraph();
    g_capture.requestedFormat = FormatFromSettings(0, 640, 480, 0);
    ASSERT_TRUE(Open(0));
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{kFourccYuy2, 640, 480, 0}));
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_EQ(TestCam_ReadStatus(kDemoInstance).width, 640);
}

TEST_F(CaptureTest, CameraWithNoUsableFormatFailsWithoutLeavingAnything) {
    ASSERT_FALSE(RegisterAndOpen(TestCam_MakeConfig(
        kDemoInstance, L"Tiny Scope", {{kTestCamMjpg, 320, 240, 30}, {kTestCamYuy2, 160, 120, 30}})));
    Pump(300);
    EXPECT_EQ(s_posted.opened, 0);
    EXPECT_FALSE(IsCaptureGraphOpen());
    EXPECT_EQ(GetLatestFrame(), nullptr);
    EXPECT_EQ(g_capture.currentDevice, -1);
    // The caller's references stay until it lets go of them.
    EXPECT_NE(g_capture.graph.captureFilter.Get(), nullptr);
    ReleaseCaptureGraph();
    ClearDeviceList();
    EXPECT_EQ(TestCam_ReadStatus(kDemoInstance).filterRefs, 0);
}

TEST_F(CaptureTest, FramesCarryTheCameraPictureMirroredWhenMirrorIsOn) {
    ASSERT_TRUE(
        RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"HD Scope", {{kTestCamMjpg, 1280, 720, 30}})));
    ASSERT_TRUE(WaitForFrames(3));
    {
        HeldFrame frame;
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->width, 1280);
        ASSERT_EQ(frame->height, 720);
        EXPECT_EQ(SpecimenMismatches(*frame.get(), false), 0);
        // The 1 mm tick of the ruler, from its top edge down.
        const TestRect ruler = TestPicture_RulerRect(1280, 720);
        const int tickX = TestPicture_RulerTickX(1280, 10);
        EXPECT_EQ(PixelAt(*frame.get(), tickX, ruler.top + 4), kTestPictureInk);
        EXPECT_EQ(PixelAt(*frame.get(), 1279 - tickX, ruler.top + 4),
                  TestPicture_SpecimenPixel(1280, 720, 1279 - tickX, ruler.top + 4, 0, 30));
    }

    g_filterFlags.mirror = 1;
    ASSERT_TRUE(WaitForFrames(3));
    HeldFrame frame;
    ASSERT_TRUE(frame);
    EXPECT_EQ(SpecimenMismatches(*frame.get(), true), 0);
    const TestRect ruler = TestPicture_RulerRect(1280, 720);
    EXPECT_EQ(PixelAt(*frame.get(), 1279 - TestPicture_RulerTickX(1280, 10), ruler.top + 4), kTestPictureInk);
    EXPECT_GT(g_capture.frameRate.load(), 5.0f);
}

TEST_F(CaptureTest, SignalFrameIsSwallowedAndPostsOneZoomStep) {
    ASSERT_TRUE(
        RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"VGA Scope", {{kTestCamMjpg, 640, 480, 30}})));
    ASSERT_TRUE(WaitForFrames(3));
    ASSERT_TRUE(TestCam_SendSignalFrame(kDemoInstance, 1));
    ASSERT_TRUE(PumpUntil([] { return TestCam_ReadStatus(kDemoInstance).signalFramesDelivered >= 1; }, 5000));
    ASSERT_TRUE(WaitForFrames(5));
    EXPECT_EQ(s_posted.zoom, 1);
    EXPECT_EQ(s_publishedSignalFrames, 0);

    // At another size the same bands are just a picture.
    CloseCaptureGraph();
    ClearDeviceList();
    TestCam_Unregister(kDemoInstance);
    const TestCamConfig hd =
        TestCam_MakeConfig(L"vid_1d6b&pid_0300&mi_00#hd#0", L"HD Scope", {{kTestCamMjpg, 1280, 720, 30}});
    ASSERT_TRUE(RegisterAndOpen(hd));
    ASSERT_TRUE(WaitForFrames(2));
    ASSERT_TRUE(TestCam_SendSignalFrame(hd.instanceName, 1));
    ASSERT_TRUE(
        PumpUntil([&] { return TestCam_ReadStatus(hd.instanceName).signalFramesDelivered >= 1; }, 5000));
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_EQ(s_posted.zoom, 1);
}

TEST_F(CaptureTest, SnapshotButtonPostsStillButton) {
    ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"HD Scope")));
    ASSERT_NE(g_capture.graph.stillGrabber.Get(), nullptr);
    ASSERT_TRUE(WaitForFrames(2));
    ASSERT_TRUE(TestCam_PressSnapshot(kDemoInstance));
    EXPECT_TRUE(PumpUntil([] { return s_posted.still == 1; }, 5000));
    Pump(300);
    EXPECT_EQ(s_posted.still, 1);

    // A camera without a still pin works all the same.
    CloseCaptureGraph();
    ClearDeviceList();
    TestCam_Unregister(kDemoInstance);
    TestCamConfig plain = TestCam_MakeConfig(L"vid_1d6b&pid_0400&mi_00#plain#0", L"Plain Scope");
    plain.stillPin = false;
    ASSERT_TRUE(RegisterAndOpen(plain));
    EXPECT_EQ(g_capture.graph.stillGrabber.Get(), nullptr);
    EXPECT_EQ(g_capture.graph.stillPin.Get(), nullptr);
    ASSERT_TRUE(WaitForFrames(2));
    TestCam_PressSnapshot(plain.instanceName);
    Pump(500);
    EXPECT_EQ(s_posted.still, 1);
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
    EXPECT_EQ(powerLine.items[1].text, L"60 Hz");

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
}

TEST_F(CaptureTest, CameraWithoutCameraControlLeavesExposureZero) {
    TestCamConfig config = TestCam_MakeConfig(kDemoInstance, L"HD Scope");
    config.hasCameraControl = false;
    ASSERT_TRUE(RegisterAndOpen(config));
    EXPECT_EQ(g_capture.graph.cameraControl.Get(), nullptr);
    EXPECT_EQ(g_capture.graph.properties[kPropExposure], CameraProperty{});
    EXPECT_EQ(g_capture.graph.properties[kPropGain].max, 100);

    TestCam_ClearSetCalls(kDemoInstance);
    SetCameraPropertyAuto(kPropExposure, false);
    SetCameraPropertyValue(kPropBrightness, 10);
    const std::vector<TestCamSetCall> calls = TestCam_ReadSetCalls(kDemoInstance);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].iface, TestCamInterface::VideoProcAmp);
    EXPECT_EQ(calls[0].property, 0);
    EXPECT_EQ(calls[0].value, 10);
}

TEST_F(CaptureTest, CloseReleasesEveryReferenceOnTheCamera) {
    ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"HD Scope")));
    ASSERT_TRUE(WaitForFrames(3));
    ASSERT_TRUE(TestCam_PressSnapshot(kDemoInstance));
    ASSERT_TRUE(PumpUntil([] { return s_posted.still == 1; }, 5000));

    CloseCaptureGraph();
    EXPECT_TRUE(PumpUntil([] { return s_posted.closed == 1; }, 1000));
    EXPECT_FALSE(IsCaptureGraphOpen());
    EXPECT_EQ(GetLatestFrame(), nullptr);
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{0, 0, 0, 0}));
    EXPECT_EQ(g_capture.frameRate.load(), kDefaultFrameRate);
    EXPECT_EQ(g_capture.currentDevice, -1);
    TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
    EXPECT_EQ(status.running, 0);
    EXPECT_EQ(status.capturePinRefs, 0);
    EXPECT_EQ(status.stillPinRefs, 0);
    EXPECT_EQ(status.filterRefs, 1); // the device list's own

    const int published = s_published;
    Pump(300);
    EXPECT_EQ(s_published, published); // nothing arrives after the close

    ClearDeviceList();
    status = TestCam_ReadStatus(kDemoInstance);
    EXPECT_EQ(status.filterRefs, 0);
    EXPECT_EQ(status.filterObjects, 0);
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
    EXPECT_LT(Grown(before.privateBytes, after.privateBytes), 8.0 * 1024 * 1024)
        << before.privateBytes << " -> " << after.privateBytes;
    // Wine 8's filter graph keeps one event handle for every graph object it ever made, whoever
    // uses it; that much growth is the platform's, measured here on bare graphs.
    const double platformHandles = HandlesLeftByBareGraphs(50);
    EXPECT_LE(Grown(before.handles, after.handles), platformHandles + 5.0)
        << before.handles << " -> " << after.handles << ", bare graphs leave " << platformHandles;
    EXPECT_EQ(s_posted.opened, 55);
    EXPECT_EQ(s_posted.closed, 55);
    EXPECT_EQ(TestCam_ReadStatus(kDemoInstance).filterObjects, 1); // the device list's filter only
}

TEST_F(CaptureTest, ReopenRestartsTheSameCameraWithTheNewFormat) {
    ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"HD Scope")));
    ASSERT_TRUE(WaitForFrames(2));
    g_capture.requestedFormat = FormatFromSettings(0, 640, 480, 0);
    ReopenCaptureGraph();
    ASSERT_TRUE(IsCaptureGraphOpen());
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{kFourccYuy2, 640, 480, 0}));
    EXPECT_EQ(g_capture.currentDevice, 0);
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(HeldFrame()->width, 640);
    EXPECT_TRUE(PumpUntil([] { return s_posted.opened == 2 && s_posted.closed == 1; }, 1000));
}

TEST_F(CaptureTest, OpenThatCannotReachTheCameraOutputLeavesNothingBuilt) {
    TestCamConfig config = TestCam_MakeConfig(kDemoInstance, L"HD Scope");
    config.stillPin = false;
    Register(config);
    RefreshDeviceList();
    ASSERT_EQ(BindDeviceFilter(g_capture.devices[0]), S_OK);
    IBaseFilter* const camera = g_capture.devices[0].filter.Get();

    // Another graph holds the camera's only output.
    Microsoft::WRL::ComPtr<IGraphBuilder> other;
    Microsoft::WRL::ComPtr<IBaseFilter> otherGrabber;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&other)), S_OK);
    ASSERT_EQ(
        CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&otherGrabber)),
        S_OK);
    ASSERT_EQ(other->AddFilter(camera, L"Elsewhere"), S_OK);
    ASSERT_EQ(other->AddFilter(otherGrabber.Get(), L"Other Grabber"), S_OK);
    ASSERT_TRUE(SUCCEEDED(other->Connect(FindPin(camera, PINDIR_OUTPUT, false).Get(),
                                         FindPin(otherGrabber.Get(), PINDIR_INPUT, false).Get())));

    EXPECT_FALSE(Open(0));
    Pump(300);
    EXPECT_EQ(s_posted.opened, 0);
    EXPECT_FALSE(IsCaptureGraphOpen());
    EXPECT_EQ(g_capture.graph.previewGrabber.Get(), nullptr);
    EXPECT_EQ(g_capture.graph.capturePin.Get(), nullptr);
    EXPECT_EQ(GetLatestFrame(), nullptr);
    EXPECT_EQ(g_capture.currentFormat, (VideoFormat{0, 0, 0, 0}));
    EXPECT_EQ(g_capture.currentDevice, -1);

    // Once the other graph lets go, the camera opens as usual.
    other.Reset();
    otherGrabber.Reset();
    EXPECT_EQ(TestCam_ReadStatus(kDemoInstance).capturePinRefs, 0);
    ASSERT_TRUE(Open(0));
    EXPECT_TRUE(WaitForFrames(2));
}

// A camera that offers only what a UVC camera does, on a platform without the MJPEG decompressor
// and the colour converter (Wine): no path reaches the RGB24 grabber, so the open fails and
// leaves nothing on the camera.
TEST_F(CaptureTest, UvcOnlyCameraWithoutTheSystemsDecodersFailsCleanly) {
    for (const TestCamFormat& format :
         {TestCamFormat{kTestCamMjpg, 1280, 720, 30}, TestCamFormat{kTestCamYuy2, 640, 480, 30}}) {
        SCOPED_TRACE(format.fourcc == kTestCamMjpg ? "MJPG" : "YUY2");
        TestCamConfig config = TestCam_MakeConfig(kDemoInstance, L"UVC Scope", {format});
        config.uvcOnly = true;
        EXPECT_FALSE(RegisterAndOpen(config));
        Pump(300);
        EXPECT_EQ(s_posted.opened, 0);
        EXPECT_FALSE(IsCaptureGraphOpen());
        EXPECT_EQ(g_capture.graph.previewGrabber.Get(), nullptr);
        EXPECT_EQ(GetLatestFrame(), nullptr);
        EXPECT_EQ(g_capture.currentDevice, -1);
        ReleaseCaptureGraph();
        ClearDeviceList();
        const TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
        EXPECT_EQ(status.capturePinRefs, 0);
        EXPECT_EQ(status.filterRefs, 0);
        EXPECT_EQ(status.running, 0);
    }
}

// The same camera where the system's MJPEG decompressor and colour converter exist: stand-ins
// under their class ids (testdecoders.dll), registered for this suite only. ctest runs these
// cases in a prefix of their own, so every other case meets a platform without them.
class SystemDecodersTest : public CaptureTest {
protected:
    static void SetUpTestSuite() {
        s_decoders = LoadLibraryW(L"testdecoders.dll");
        ASSERT_NE(s_decoders, nullptr);
        s_liveFilters = reinterpret_cast<LONG(WINAPI*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(s_decoders, "TestDecoders_LiveFilters")));
        s_refuse = reinterpret_cast<void(WINAPI*)(BOOL)>(
            reinterpret_cast<void (*)()>(GetProcAddress(s_decoders, "TestDecoders_RefuseConnections")));
        const auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(s_decoders, "DllRegisterServer")));
        ASSERT_TRUE(s_liveFilters && s_refuse && registerServer);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const HRESULT hr = registerServer();
        CoUninitialize();
        ASSERT_EQ(hr, S_OK);
    }

    void TearDown() override {
        s_refuse(FALSE);
        CaptureTest::TearDown();
    }

    static TestCamConfig UvcCamera(const TestCamFormat& format) {
        TestCamConfig config = TestCam_MakeConfig(kDemoInstance, L"UVC Scope", {format});
        config.uvcOnly = true;
        return config;
    }

    static HMODULE s_decoders;
    static LONG(WINAPI* s_liveFilters)();
    static void(WINAPI* s_refuse)(BOOL);
};
HMODULE SystemDecodersTest::s_decoders = nullptr;
LONG(WINAPI* SystemDecodersTest::s_liveFilters)() = nullptr;
void(WINAPI* SystemDecodersTest::s_refuse)(BOOL) = nullptr;

// The filter on the far side of a connected pin, or null.
Microsoft::WRL::ComPtr<IBaseFilter> FilterBeyond(IPin* pin) {
    Microsoft::WRL::ComPtr<IPin> peer;
    PIN_INFO info = {};
    if (!pin || FAILED(pin->ConnectedTo(&peer)) || FAILED(peer->QueryPinInfo(&info)))
        return nullptr;
    Microsoft::WRL::ComPtr<IBaseFilter> filter = info.pFilter;
    info.pFilter->Release();
    return filter;
}

CLSID ClassOf(IBaseFilter* filter) {
    CLSID clsid = GUID_NULL;
    if (filter)
        filter->GetClassID(&clsid);
    return clsid;
}

// MJPG goes through the decompressor the program inserts itself; YUY2 is connected straight to
// the grabber and the graph finds the converter on its own. Either way the camera's picture
// arrives, and closing leaves no stand-in and no reference on the camera.
TEST_F(SystemDecodersTest, MjpgAndYuy2OpenThroughTheDecodersWithTheCamerasPicture) {
    struct Case {
        TestCamFormat format;
        CLSID between; // the filter between the camera and the grabber
    };
    for (const Case& c : {Case{{kTestCamMjpg, 1280, 720, 30}, CLSID_MjpegDec},
                          Case{{kTestCamYuy2, 640, 480, 30}, CLSID_Colour}}) {
        SCOPED_TRACE(c.format.fourcc == kTestCamMjpg ? "MJPG" : "YUY2");
        s_posted = {};
        ASSERT_TRUE(RegisterAndOpen(UvcCamera(c.format)));
        ASSERT_TRUE(WaitForFrames(3));
        EXPECT_EQ(TestCam_ReadStatus(kDemoInstance).fourcc, c.format.fourcc);
        const bool isMjpg = c.format.fourcc == kTestCamMjpg;
        EXPECT_EQ(g_capture.graph.mjpgDecoder != nullptr, isMjpg);
        {
            const Microsoft::WRL::ComPtr<IBaseFilter> between =
                FilterBeyond(g_capture.graph.capturePin.Get());
            ASSERT_NE(between.Get(), nullptr);
            EXPECT_EQ(ClassOf(between.Get()), c.between);
            if (isMjpg) {
                EXPECT_EQ(between.Get(), g_capture.graph.mjpgDecoder.Get());
            }
            EXPECT_EQ(FilterBeyond(FindPin(between.Get(), PINDIR_OUTPUT, false).Get()).Get(),
                      g_capture.graph.previewGrabberFilter.Get());
            HeldFrame frame;
            ASSERT_TRUE(frame);
            ASSERT_EQ(frame->width, c.format.width);
            ASSERT_EQ(frame->height, c.format.height);
            const int samples = ((c.format.height + 6) / 7) * ((c.format.width + 4) / 5);
            // JPEG blurs the ruler's edges and YUY2 shares colour between two pixels: a few
            // samples there may differ by more.
            EXPECT_LT(SpecimenMismatches(*frame.get(), false, 24), samples / 100);
        }
        // The still pin offers the same subtype; its branch works through the decoders too.
        ASSERT_TRUE(TestCam_PressSnapshot(kDemoInstance));
        EXPECT_TRUE(PumpUntil([] { return s_posted.still == 1; }, 5000));

        CloseCaptureGraph();
        ClearDeviceList();
        TestCam_Unregister(kDemoInstance);
        EXPECT_EQ(s_liveFilters(), 0);
        const TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
        EXPECT_EQ(status.capturePinRefs, 0);
        EXPECT_EQ(status.filterRefs, 0);
    }
}

// A decoder that will not take the camera's frames ends the open as any failed connection does,
// and nothing of the attempt stays alive.
TEST_F(SystemDecodersTest, DecoderThatRefusesTheCameraFailsTheOpenAndLeavesNothing) {
    s_refuse(TRUE);
    for (const TestCamFormat& format :
         {TestCamFormat{kTestCamMjpg, 1280, 720, 30}, TestCamFormat{kTestCamYuy2, 640, 480, 30}}) {
        SCOPED_TRACE(format.fourcc == kTestCamMjpg ? "MJPG" : "YUY2");
        EXPECT_FALSE(RegisterAndOpen(UvcCamera(format)));
        Pump(300);
        EXPECT_EQ(s_posted.opened, 0);
        EXPECT_FALSE(IsCaptureGraphOpen());
        EXPECT_EQ(GetLatestFrame(), nullptr);
        EXPECT_EQ(s_liveFilters(), 0);
        ReleaseCaptureGraph();
        ClearDeviceList();
        const TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
        EXPECT_EQ(status.capturePinRefs, 0);
        EXPECT_EQ(status.filterRefs, 0);
        EXPECT_EQ(status.running, 0);
    }
}
