// The capture code's Wine tests' common ground: a stand-in for the camera view that counts what
// the capture code posts it, the frames handed to the recorder, the virtual camera's specimen
// compared pixel by pixel, and a fixture that registers cameras and opens them as the view does.
#pragma once

#include "tests/support/message_pump.h"
#include "capture/capture_session.h"
#include "capture/capture_messages.h"
#include "capture/capture_graph.h"
#include "capture/device_list.h"
#include "capture/frame_delivery.h"
#include "capture/frame_ring.h"
#include "capture/signal_frame.h"
#include "testcam/testcam_control.h"
#include "capture/frame_filters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <cstdlib>
#include <string>
#include <vector>

// Frames published to the ring, seen through the recorder's hand-off point.
inline std::atomic<int> s_published{0};
inline std::atomic<int> s_publishedSignalFrames{0};

inline void CountFrame(const uint8_t* frame, size_t length) {
    ++s_published;
    if (IsSignalFrame(frame, length))
        ++s_publishedSignalFrames;
}

// What the capture code posted to the view (UM_CAMERA_OPENED...), counted by message.
inline std::map<UINT, int> s_posted;

// Stands in for the camera view: counts what it is posted and drains the graph's events.
inline HWND CreateViewWindow() {
    HWND view = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(view, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
                          if (msg < WM_APP)
                              return DefWindowProcW(hwnd, msg, wParam, lParam);
                          if (msg == UM_GRAPH_EVENT)
                              DrainGraphEvents();
                          ++s_posted[msg];
                          return LRESULT{0};
                      }));
    return view;
}

inline constexpr wchar_t kDemoInstance[] = L"vid_1d6b&pid_0102&mi_00#demo#0";
// What the UVC-only cameras offer: MJPG needs the MJPEG decompressor, YUY2 the colour converter.
inline const TestCamFormat kUvcFormats[] = {{kTestCamMjpg, 1280, 720, 30}, {kTestCamYuy2, 640, 480, 30}};

inline std::vector<std::wstring> ListedNames() {
    std::vector<std::wstring> names;
    for (const CaptureDeviceInfo& device : g_capture.devices)
        names.push_back(device.friendlyName);
    return names;
}

inline std::vector<int32_t> Keys(const FormatMap& map) {
    std::vector<int32_t> keys;
    for (const auto& entry : map)
        keys.push_back(entry.first);
    return keys;
}

// Pixels of the frame that differ from the camera's specimen picture by more than `tolerance` in
// a channel, over a grid of samples; the turning marker is left out. Mirrored: column x shows
// column width-1-x.
inline int SpecimenMismatches(const FrameBuffer& frame, bool mirrored, int tolerance = 6) {
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

inline TestRgb PixelAt(const FrameBuffer& frame, int x, int y) {
    const uint8_t* p = frame.pixels.get() + (static_cast<size_t>(frame.height - 1 - y) * frame.width + x) * 3;
    return {p[2], p[1], p[0]};
}

// Opens the listed device at index as the camera view does.
inline bool Open(size_t index) {
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

class CaptureTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        view_ = CreateViewWindow();
        ASSERT_NE(view_, nullptr);
        InitCaptureGraph(view_);
        s_posted.clear();
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

    bool RegisterAndOpen(const TestCamConfig& config) {
        Register(config);
        RefreshDeviceList();
        return Open(0);
    }

    bool WaitForFrames(int count, DWORD timeoutMs = 5000) {
        const int target = s_published + count;
        return PumpUntil([&] { return s_published >= target; }, timeoutMs);
    }

    // A camera that offers only what a UVC camera's pins do, without the RGB24 beside it.
    static TestCamConfig UvcCamera(const TestCamFormat& format) {
        TestCamConfig config = TestCam_MakeConfig(kDemoInstance, L"UVC Scope", {format});
        config.uvcOnly = true;
        return config;
    }

    // After an open that failed: nothing built or posted, the caller's references kept until it
    // lets go of them, and then nothing held on the camera.
    static void ExpectNothingLeft() {
        Pump(300);
        EXPECT_EQ(s_posted[UM_CAMERA_OPENED], 0);
        EXPECT_FALSE(IsCaptureGraphOpen());
        EXPECT_EQ(g_capture.graph.previewGrabber.Get(), nullptr);
        EXPECT_EQ(GetLatestFrame(), nullptr);
        EXPECT_EQ(g_capture.currentFormat, (VideoFormat{0, 0, 0, 0}));
        EXPECT_EQ(g_capture.currentDevice, -1);
        EXPECT_NE(g_capture.graph.captureFilter.Get(), nullptr);
        ReleaseCaptureGraph();
        ClearDeviceList();
        const TestCamStatus status = TestCam_ReadStatus(kDemoInstance);
        EXPECT_EQ(status.capturePinRefs, 0);
        EXPECT_EQ(status.filterRefs, 0);
        EXPECT_EQ(status.running, 0);
    }

    HWND view_ = nullptr;
    std::vector<std::wstring> registered_;
};
