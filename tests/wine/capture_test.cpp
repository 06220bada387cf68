// The capture code in-process against Wine's DirectShow, with the virtual camera registered as
// USB cameras: the device list, the format a camera opens with, and opens that fail; with the
// system's decoders (stand-ins) in place, the decoded picture.
#include "tests/wine/capture_fixture.h"

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

    Register(second);
    RefreshDeviceList();
    EXPECT_EQ(ListedNames(), (std::vector<std::wstring>{L"Scope B", L"Scope A"}));
    EXPECT_EQ(g_capture.devices[0].filter.Get(), firstFilter);
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
}

// The saved request where the camera lists it, else the camera's default; a camera of 640x480 at
// most also offers the two interpolated sizes and opens at the largest.
TEST_F(CaptureTest, EachCameraOpensAtTheRequestedFormatOrItsDefault) {
    const std::vector<TestCamFormat> small = {{kTestCamMjpg, 320, 240, 30},
                                              {kTestCamMjpg, 640, 480, 30},
                                              {kTestCamYuy2, 320, 240, 30},
                                              {kTestCamYuy2, 640, 480, 30}};
    const std::vector<TestCamFormat> svga = {{kTestCamYuy2, 800, 600, 30}, {kTestCamYuy2, 1024, 768, 30}};
    const std::vector<int32_t> interpolated = {640 * 480, 1280 * 960, 1920 * 1080};
    const std::vector<int32_t> hd = {640 * 480, 1280 * 720};
    const struct {
        std::vector<TestCamFormat> formats;
        VideoFormat request, opened;
        std::vector<int32_t> mjpgKeys, yuy2Keys;
    } cases[] = {
        {small, FormatFromSettings(0, 0, 0, 0), {kFourccMjpg, 640, 480, 1}, interpolated, interpolated},
        {TestCam_DefaultFormats(), FormatFromSettings(0, 0, 0, 0), {kFourccMjpg, 1280, 720, 0}, hd, hd},
        {TestCam_DefaultFormats(), FormatFromSettings(0, 800, 600, 0), {kFourccMjpg, 1280, 720, 0}, hd, hd},
        {TestCam_DefaultFormats(), FormatFromSettings(0, 640, 480, 0), {kFourccYuy2, 640, 480, 0}, hd, hd},
        {svga, FormatFromSettings(1, 0, 0, 0), {kFourccYuy2, 1024, 768, 0}, {}, {800 * 600, 1024 * 768}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.formats.size() << " formats, asked " << c.request.width);
        g_capture.requestedFormat = c.request;
        ASSERT_TRUE(RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"Scope", c.formats)));
        EXPECT_EQ(g_capture.requestedFormat, c.opened);
        EXPECT_EQ(g_capture.currentFormat, c.opened);
        EXPECT_EQ(Keys(g_capture.graph.mjpgFormats), c.mjpgKeys);
        EXPECT_EQ(Keys(g_capture.graph.yuy2Formats), c.yuy2Keys);

        ASSERT_TRUE(WaitForFrames(2));
        CloseCaptureGraph();
        ClearDeviceList();
    }
}

// No usable format, or only what a UVC camera offers on a platform without the MJPEG decompressor
// and the colour converter (Wine): no path reaches the RGB24 grabber.
TEST_F(CaptureTest, CameraThatCannotReachTheGrabberFailsWithoutLeavingAnything) {
    TestCamConfig tiny = TestCam_MakeConfig(kDemoInstance, L"Tiny Scope",
                                            {{kTestCamMjpg, 320, 240, 30}, {kTestCamYuy2, 160, 120, 30}});
    for (const TestCamConfig& config : {tiny, UvcCamera(kUvcFormats[0]), UvcCamera(kUvcFormats[1])}) {
        SCOPED_TRACE(testing::Message() << config.formats[0].width);
        EXPECT_FALSE(RegisterAndOpen(config));
        ExpectNothingLeft();
    }
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
    other.Reset();
    otherGrabber.Reset();
    EXPECT_EQ(TestCam_ReadStatus(kDemoInstance).capturePinRefs, 0);
    ExpectNothingLeft();

    // Once the other graph has let go, the camera opens as usual.
    RefreshDeviceList();
    ASSERT_TRUE(Open(0));
    EXPECT_TRUE(WaitForFrames(2));
}

// The same camera where the system's MJPEG decompressor and colour converter exist: stand-ins
// under their class ids (testdecoders.dll), registered for this suite only. ctest runs these
// cases in a prefix of their own, so every other case meets a platform without them.
class SystemDecodersTest : public CaptureTest {
protected:
    static void SetUpTestSuite() {
        s_decoders = LoadLibraryW(L"testdecoders.dll");
        ASSERT_NE(s_decoders, nullptr);
        s_liveFilters = Export<LONG(WINAPI*)()>("TestDecoders_LiveFilters");
        s_refuse = Export<void(WINAPI*)(BOOL)>("TestDecoders_RefuseConnections");
        const auto registerServer = Export<HRESULT(WINAPI*)()>("DllRegisterServer");
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

    template <typename F> static F Export(const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(s_decoders, name)));
    }

    static inline HMODULE s_decoders = nullptr;
    static inline LONG(WINAPI* s_liveFilters)() = nullptr;
    static inline void(WINAPI* s_refuse)(BOOL) = nullptr;
};

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

CLSID WindowClass(IBaseFilter* filter) {
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
    for (const Case& c : {Case{kUvcFormats[0], CLSID_MjpegDec}, Case{kUvcFormats[1], CLSID_Colour}}) {
        SCOPED_TRACE(c.format.fourcc == kTestCamMjpg ? "MJPG" : "YUY2");
        s_posted.clear();
        ASSERT_TRUE(RegisterAndOpen(UvcCamera(c.format)));
        ASSERT_TRUE(WaitForFrames(3));
        const bool isMjpg = c.format.fourcc == kTestCamMjpg;
        EXPECT_EQ(g_capture.graph.mjpgDecoder != nullptr, isMjpg);
        {
            const Microsoft::WRL::ComPtr<IBaseFilter> between =
                FilterBeyond(g_capture.graph.capturePin.Get());
            ASSERT_NE(between.Get(), nullptr);
            EXPECT_EQ(WindowClass(between.Get()), c.between);
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
        EXPECT_TRUE(PumpUntil([] { return s_posted[UM_STILL_BUTTON] == 1; }, 5000));

        CloseCaptureGraph();
        ClearDeviceList();
        TestCam_Unregister(kDemoInstance);
        EXPECT_EQ(s_liveFilters(), 0);
    }
}

// A decoder that will not take the camera's frames ends the open as any failed connection does,
// and nothing of the attempt stays alive.
TEST_F(SystemDecodersTest, DecoderThatRefusesTheCameraFailsTheOpenAndLeavesNothing) {
    s_refuse(TRUE);
    for (const TestCamFormat& format : kUvcFormats) {
        SCOPED_TRACE(format.fourcc == kTestCamMjpg ? "MJPG" : "YUY2");
        EXPECT_FALSE(RegisterAndOpen(UvcCamera(format)));
        EXPECT_EQ(s_liveFilters(), 0);
        ExpectNothingLeft();
    }
}
