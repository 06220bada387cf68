// The virtual camera through plain DirectShow, as a capture program meets it: found by the system
// device enumerator, bound from its moniker, connected to an RGB24 sample grabber and a null
// renderer, run, and driven from outside through testcam_control. What the camera delivers through
// the program's own capture code (pictures in each format, the still pin, the signal frame, Set
// calls) is checked in capture_test; here only what those tests take for granted.
#include "capture/media_types.h"
#include "testcam/testcam_control.h"

#include <dshow.h>
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testcam/test_picture.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kCategoryPrefix[] = L"@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\";

// Collects what a sample grabber hands over, on the camera's streaming thread.
class FrameCollector final : public ISampleGrabberCB {
public:
    FrameCollector() { InitializeCriticalSection(&lock_); }
    ~FrameCollector() { DeleteCriticalSection(&lock_); }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
            *out = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    STDMETHODIMP BufferCB(double time, BYTE* buffer, long length) override {
        EnterCriticalSection(&lock_);
        frames_.emplace_back(buffer, buffer + length);
        times_.push_back(time);
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    size_t Count() { return Frames().size(); }
    std::vector<std::vector<uint8_t>> Frames() {
        EnterCriticalSection(&lock_);
        auto copy = frames_;
        LeaveCriticalSection(&lock_);
        return copy;
    }
    std::vector<double> Times() {
        EnterCriticalSection(&lock_);
        auto copy = times_;
        LeaveCriticalSection(&lock_);
        return copy;
    }
    bool WaitFor(size_t count, DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        while (Count() < count) {
            if (GetTickCount() - start > timeoutMs)
                return false;
            Sleep(10);
        }
        return true;
    }
    void Clear() {
        EnterCriticalSection(&lock_);
        frames_.clear();
        times_.clear();
        LeaveCriticalSection(&lock_);
    }

private:
    CRITICAL_SECTION lock_;
    std::vector<std::vector<uint8_t>> frames_;
    std::vector<double> times_;
};

struct DeviceEntry {
    std::wstring displayName, friendlyName, devicePath;
    ComPtr<IMoniker> moniker;
};

std::wstring ReadBag(IPropertyBag* bag, const wchar_t* name) {
    VARIANT v;
    VariantInit(&v);
    std::wstring s;
    if (SUCCEEDED(bag->Read(name, &v, nullptr)) && v.vt == VT_BSTR)
        s = v.bstrVal;
    VariantClear(&v);
    return s;
}

// Every device of the video-input category, in enumeration order.
std::vector<DeviceEntry> ListDevices() {
    std::vector<DeviceEntry> list;
    ComPtr<ICreateDevEnum> devices;
    ComPtr<IEnumMoniker> monikers;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&devices))) ||
        devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) != S_OK)
        return list;
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
        DeviceEntry e;
        e.moniker = moniker;
        LPOLESTR name = nullptr;
        if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &name)) && name) {
            e.displayName = name;
            CoTaskMemFree(name);
        }
        ComPtr<IPropertyBag> bag;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag)))) {
            e.friendlyName = ReadBag(bag.Get(), L"FriendlyName");
            e.devicePath = ReadBag(bag.Get(), L"DevicePath");
        }
        list.push_back(e);
    }
    return list;
}

// Binds the camera of this instance from its moniker, as a capture program does.
HRESULT BindCamera(const std::wstring& instance, ComPtr<IBaseFilter>* filter) {
    for (const DeviceEntry& device : ListDevices()) {
        if (device.displayName != kCategoryPrefix + instance)
            continue;
        ComPtr<IBindCtx> context;
        CreateBindCtx(0, &context);
        return device.moniker->BindToObject(context.Get(), nullptr,
                                            IID_PPV_ARGS(filter->ReleaseAndGetAddressOf()));
    }
    return E_FAIL;
}

// The camera in a graph: capture pin -> grabber -> null renderer, connected pin to pin as the
// program does, and optionally the still pin -> second grabber -> second null renderer through
// ICaptureGraphBuilder2::RenderStream.
struct CameraGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<ICaptureGraphBuilder2> builder;
    ComPtr<IMediaControl> control;
    ComPtr<IBaseFilter> camera, grabberFilter, nullRenderer, stillGrabberFilter, stillNull;
    ComPtr<ISampleGrabber> grabber, stillGrabber;
    FrameCollector frames, stills;

    HRESULT Build(const std::wstring& instance) {
        const HRESULT hr = BindCamera(instance, &camera);
        return FAILED(hr) ? hr : BuildAround();
    }

    HRESULT BuildAround() {
        HRESULT hr;
        AM_MEDIA_TYPE mt = {};
        mt.majortype = MEDIATYPE_Video;
        mt.subtype = MEDIASUBTYPE_RGB24;
        ComPtr<IPin> out, in, grabbed, rendered;
        if (FAILED(hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&graph))) ||
            FAILED(hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&builder))) ||
            FAILED(hr = builder->SetFiltergraph(graph.Get())) || FAILED(hr = graph.As(&control)) ||
            FAILED(hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&grabberFilter))) ||
            FAILED(hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&nullRenderer))) ||
            FAILED(hr = grabberFilter.As(&grabber)) ||
            FAILED(hr = graph->AddFilter(camera.Get(), L"Camera Input")) ||
            FAILED(hr = graph->AddFilter(grabberFilter.Get(), L"Sample Grabber")) ||
            FAILED(hr = graph->AddFilter(nullRenderer.Get(), L"Null Filter")) ||
            FAILED(hr = grabber->SetMediaType(&mt)) ||
            FAILED(hr = builder->FindPin(camera.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, nullptr, TRUE, 0,
                                         &out)) ||
            FAILED(hr =
                       builder->FindPin(grabberFilter.Get(), PINDIR_INPUT, nullptr, nullptr, TRUE, 0, &in)) ||
            FAILED(hr = builder->FindPin(grabberFilter.Get(), PINDIR_OUTPUT, nullptr, nullptr, TRUE, 0,
                                         &grabbed)) ||
            FAILED(hr = builder->FindPin(nullRenderer.Get(), PINDIR_INPUT, nullptr, nullptr, TRUE, 0,
                                         &rendered)) ||
            FAILED(hr = graph->Connect(out.Get(), in.Get())) ||
            FAILED(hr = graph->Connect(grabbed.Get(), rendered.Get())))
            return hr;
        grabber->SetBufferSamples(FALSE);
        return grabber->SetCallback(&frames, 1);
    }

    HRESULT AddStill() {
        HRESULT hr;
        if (FAILED(hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&stillGrabberFilter))) ||
            FAILED(hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&stillNull))) ||
            FAILED(hr = stillGrabberFilter.As(&stillGrabber)) ||
            FAILED(hr = graph->AddFilter(stillGrabberFilter.Get(), L"Sample Grabber2")) ||
            FAILED(hr = graph->AddFilter(stillNull.Get(), L"Null Filter2")) ||
            FAILED(hr = builder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, camera.Get(),
                                              stillGrabberFilter.Get(), stillNull.Get())))
            return hr;
        stillGrabber->SetBufferSamples(FALSE);
        return stillGrabber->SetCallback(&stills, 1);
    }

    // Stops the graph and releases everything in the order a program would.
    void Release() {
        if (control)
            control->Stop();
        if (grabber)
            grabber->SetCallback(nullptr, 1);
        if (stillGrabber)
            stillGrabber->SetCallback(nullptr, 1);
        control.Reset();
        stillGrabber.Reset();
        grabber.Reset();
        stillNull.Reset();
        stillGrabberFilter.Reset();
        nullRenderer.Reset();
        grabberFilter.Reset();
        camera.Reset();
        builder.Reset();
        graph.Reset();
    }
    ~CameraGraph() { Release(); }
};

ComPtr<IAMStreamConfig> StreamConfig(IBaseFilter* camera) {
    ComPtr<IPin> pin;
    ComPtr<IAMStreamConfig> config;
    if (SUCCEEDED(camera->FindPin(L"Capture", &pin)))
        pin.As(&config);
    return config;
}

// Sets the capture pin to the capability of this subtype and size, as a program does before it
// builds its graph.
HRESULT SetCapability(IBaseFilter* camera, uint32_t fourcc, int width, int height) {
    const ComPtr<IAMStreamConfig> config = StreamConfig(camera);
    if (!config)
        return E_FAIL;
    int count = 0, size = 0;
    config->GetNumberOfCapabilities(&count, &size);
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        if (config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)) != S_OK)
            break;
        const auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        const bool match = mt->subtype.Data1 == fourcc && vih->bmiHeader.biWidth == width &&
                           vih->bmiHeader.biHeight == height;
        const HRESULT hr = match ? config->SetFormat(mt) : E_FAIL;
        FreeMediaType(mt);
        if (match)
            return hr;
    }
    return E_FAIL;
}

// Whether a bottom-up RGB24 frame shows the specimen, sampling a grid of pixels and every ruler
// tick's top pixel; the live marker's square is left out.
::testing::AssertionResult ShowsSpecimen(const std::vector<uint8_t>& frame, int width, int height) {
    const size_t stride = TestPicture_DibStride(width);
    if (frame.size() != stride * size_t(height))
        return ::testing::AssertionFailure() << "frame of " << frame.size() << " bytes";
    const TestRect marker = TestPicture_MarkerRect(width, height);
    auto check = [&](int x, int y) -> bool {
        if (marker.Contains(x, y))
            return true;
        const uint8_t* p = frame.data() + size_t(height - 1 - y) * stride + size_t(x) * 3;
        const TestRgb want = TestPicture_Pixel(TestCamPicture::Specimen, width, height, x, y, 0, 30);
        return p[0] == want.b && p[1] == want.g && p[2] == want.r;
    };
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 5)
            if (!check(x, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
    const TestRect ruler = TestPicture_RulerRect(width, height);
    for (int t = 0; t < TestPicture_RulerTickCount(width); ++t)
        if (!check(TestPicture_RulerTickX(width, t), ruler.top))
            return ::testing::AssertionFailure() << "tick " << t;
    return ::testing::AssertionSuccess();
}

class TestCam : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override {
        for (const std::wstring& instance : registered_) {
            TestCam_Unregister(instance);
            TestCam_RemoveConfig(instance);
        }
        CoUninitialize();
    }
    void Register(const TestCamConfig& config) {
        ASSERT_TRUE(TestCam_Register(config));
        registered_.push_back(config.instanceName);
    }
    std::vector<std::wstring> registered_;
};

} // namespace

TEST_F(TestCam, EnumeratesComesAndGoesAndReportsItsCapabilities) {
    const std::wstring first = L"vid_1d6b&pid_0102&mi_00#demo#0",
                       second = L"vid_1d6b&pid_0104&mi_00#second#0";
    Register(TestCam_MakeConfig(first, L"Demo Microscope"));
    TestCamConfig c = TestCam_MakeConfig(second, L"Caps",
                                         {{kTestCamMjpg, 1280, 720, 30},
                                          {kTestCamMjpg, 1280, 720, 15},
                                          {kTestCamYuy2, 640, 480, 30},
                                          {kTestCamYuy2, 320, 240, 30}});
    Register(c);
    std::vector<DeviceEntry> devices = ListDevices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].displayName, kCategoryPrefix + first);
    EXPECT_EQ(devices[0].friendlyName, L"Demo Microscope");
    EXPECT_EQ(devices[0].devicePath,
              L"\\\\?\\usb#vid_1d6b&pid_0102&mi_00#demo#0#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    EXPECT_EQ(devices[1].friendlyName, L"Caps");

    // Each moniker binds the filter of its own camera, with its own configuration.
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(BindCamera(second, &filter), S_OK);
    const ComPtr<IAMStreamConfig> config = StreamConfig(filter.Get());
    ASSERT_TRUE(config);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(size, 128);
    for (int i = 0; i <= count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        if (i == count) {
            EXPECT_EQ(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)), S_FALSE);
            break;
        }
        ASSERT_EQ(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
        EXPECT_EQ(mt->majortype, MEDIATYPE_Video);
        EXPECT_EQ(mt->formattype, FORMAT_VideoInfo);
        ASSERT_GE(mt->cbFormat, sizeof(VIDEOINFOHEADER));
        const auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        EXPECT_EQ(mt->subtype.Data1, c.formats[i].fourcc);
        EXPECT_EQ(vih->bmiHeader.biCompression, c.formats[i].fourcc);
        EXPECT_EQ(vih->bmiHeader.biWidth, c.formats[i].width);
        EXPECT_EQ(vih->bmiHeader.biHeight, c.formats[i].height);
        EXPECT_EQ(vih->AvgTimePerFrame, 10000000 / c.formats[i].fps);
        EXPECT_EQ(caps.MaxOutputSize.cx, c.formats[i].width);
        EXPECT_EQ(caps.MinFrameInterval, 10000000 / c.formats[i].fps);
        FreeMediaType(mt);
    }
    // The current format is the first capability until one is set; a size the camera does not
    // have is refused and changes nothing.
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(config->GetFormat(&mt), S_OK);
    EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth, 1280);
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = 1000;
    EXPECT_TRUE(FAILED(config->SetFormat(mt)));
    FreeMediaType(mt);
    ASSERT_EQ(SetCapability(filter.Get(), kTestCamYuy2, 320, 240), S_OK);
    ASSERT_EQ(config->GetFormat(&mt), S_OK);
    EXPECT_EQ(mt->subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth, 320);
    FreeMediaType(mt);

    // The still pin answers its category and has no stream configuration.
    ComPtr<IPin> still;
    ASSERT_EQ(filter->FindPin(L"Still", &still), S_OK);
    GUID category = {};
    DWORD returned = 0;
    ComPtr<IKsPropertySet> ks;
    ASSERT_EQ(still.As(&ks), S_OK);
    ASSERT_EQ(
        ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &returned),
        S_OK);
    EXPECT_EQ(category, PIN_CATEGORY_STILL);
    ComPtr<IAMStreamConfig> stillConfig;
    EXPECT_EQ(still.As(&stillConfig), E_NOINTERFACE);

    // Unregistering the first while the second's filter is in use leaves only the second.
    ASSERT_TRUE(TestCam_Unregister(first));
    devices = ListDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].friendlyName, L"Caps");
    EXPECT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
}

TEST_F(TestCam, DeliversTheRulerPictureAtTheSetSizeAndRate) {
    const TestCamConfig c = TestCam_MakeConfig(
        L"vid_1d6b&pid_0102&mi_00#stream#0", L"Streaming",
        {{kTestCamMjpg, 1280, 720, 30}, {kTestCamMjpg, 640, 480, 30}, {kTestCamYuy2, 320, 240, 15}});
    Register(c);
    CameraGraph g;
    ASSERT_EQ(BindCamera(c.instanceName, &g.camera), S_OK);
    ASSERT_EQ(SetCapability(g.camera.Get(), kTestCamMjpg, 640, 480), S_OK);
    ASSERT_EQ(g.BuildAround(), S_OK);
    TestCamStatus status = TestCam_ReadStatus(c.instanceName);
    EXPECT_TRUE(status.connected);
    EXPECT_EQ(status.fourcc, kTestCamRgb24);
    EXPECT_EQ(status.width, 640);

    // A live source: running from stopped has nothing to preroll.
    const HRESULT run = g.control->Run();
    EXPECT_TRUE(run == S_OK || run == S_FALSE) << std::hex << run;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(g.frames.WaitFor(45, 5000));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GT(elapsed, 1100u); // 45 frames at 30 a second take about 1.5 s
    EXPECT_LT(elapsed, 4500u); // (more on a busy machine: late ticks are dropped, not bunched)
    const auto frames = g.frames.Frames();
    EXPECT_TRUE(ShowsSpecimen(frames.back(), 640, 480));
    const auto times = g.frames.Times();
    EXPECT_NEAR(times[40] - times[10], 1.0, 0.4);

    // The marker turns: four phases a second.
    std::vector<uint8_t> corners;
    const TestRect m = TestPicture_MarkerRect(640, 480);
    for (const auto& f : frames)
        corners.push_back(f[size_t(479 - m.top) * 1920 + size_t(m.left) * 3]);
    EXPECT_NE(*std::min_element(corners.begin(), corners.end()),
              *std::max_element(corners.begin(), corners.end()));

    // Pause delivers nothing (and does not wait for the streaming thread).
    ASSERT_TRUE(SUCCEEDED(g.control->Pause()));
    FILTER_STATE state;
    EXPECT_EQ(g.camera->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    Sleep(100);
    const size_t paused = g.frames.Count();
    Sleep(400);
    EXPECT_EQ(g.frames.Count(), paused);

    // Another capability, set while stopped, changes the size (and the rate) delivered: the
    // graph reconnects the pin. Stop returns at once and nothing arrives after it.
    const DWORD stopStart = GetTickCount();
    ASSERT_EQ(g.control->Stop(), S_OK);
    EXPECT_LT(GetTickCount() - stopStart, 2000u);
    EXPECT_EQ(TestCam_ReadStatus(c.instanceName).running, 0);
    ASSERT_EQ(SetCapability(g.camera.Get(), kTestCamYuy2, 320, 240), S_OK);
    g.frames.Clear();
    g.control->Run();
    ASSERT_TRUE(g.frames.WaitFor(10, 5000));
    EXPECT_TRUE(ShowsSpecimen(g.frames.Frames().back(), 320, 240));
    const auto smallTimes = g.frames.Times();
    EXPECT_NEAR(smallTimes[9] - smallTimes[0], 9 / 15.0, 0.3);
    status = TestCam_ReadStatus(c.instanceName);
    EXPECT_EQ(status.width, 320);
    EXPECT_EQ(status.running, 1);
    // Set while running, it is refused.
    EXPECT_EQ(SetCapability(g.camera.Get(), kTestCamMjpg, 640, 480), VFW_E_NOT_STOPPED);
    g.control->Stop();
    const size_t stopped = g.frames.Count();
    Sleep(300);
    EXPECT_EQ(g.frames.Count(), stopped);
}

TEST_F(TestCam, PictureControlsReportRangesAndRecordEverySet) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#controls#0", L"Controls");
    c.cameraControl[4] = {true, -13, -1, 1, -6, 3, -7, 2};
    c.procAmp[kTestCamPowerLineFrequency] = {true, 0, 2, 1, 1, 2, 2, 2};
    c.procAmp[2] = {}; // no hue
    Register(c);
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(BindCamera(c.instanceName, &filter), S_OK);
    ComPtr<IAMCameraControl> camera;
    ComPtr<IAMVideoProcAmp> procAmp;
    ASSERT_EQ(filter.As(&camera), S_OK);
    ASSERT_EQ(filter.As(&procAmp), S_OK);

    long min, max, step, def, caps, value, flags;
    ASSERT_EQ(camera->GetRange(CameraControl_Exposure, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(std::vector<long>({min, max, def, caps}), std::vector<long>({-13, -1, -6, 3}));
    ASSERT_EQ(camera->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(std::vector<long>({value, flags}), std::vector<long>({-7, 2}));
    EXPECT_EQ(camera->GetRange(CameraControl_Focus, &min, &max, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);
    ASSERT_EQ(procAmp->GetRange(13, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(max, 2);
    EXPECT_EQ(procAmp->GetRange(VideoProcAmp_Hue, &min, &max, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);

    // Every Set is recorded with what it returned: out of range, a mode the control lacks and a
    // missing control are refused.
    const std::vector<TestCamSetCall> calls = {
        {TestCamInterface::CameraControl, CameraControl_Exposure, -9, 2, S_OK},
        {TestCamInterface::CameraControl, CameraControl_Exposure, 0, 1, S_OK}, // automatic
        {TestCamInterface::VideoProcAmp, VideoProcAmp_Brightness, 500, 2, E_INVALIDARG},
        {TestCamInterface::VideoProcAmp, VideoProcAmp_Brightness, 12, 1, E_INVALIDARG}, // no automatic mode
        {TestCamInterface::VideoProcAmp, 13, 1, 2, S_OK},
        {TestCamInterface::VideoProcAmp, VideoProcAmp_Hue, 3, 2, E_PROP_ID_UNSUPPORTED},
    };
    for (const TestCamSetCall& call : calls) {
        const HRESULT hr = call.iface == TestCamInterface::CameraControl
                               ? camera->Set(call.property, call.value, call.flags)
                               : procAmp->Set(call.property, call.value, call.flags);
        EXPECT_EQ(hr, call.result) << call.property << " = " << call.value;
    }
    ASSERT_EQ(camera->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(value, -9); // automatic keeps the last value
    EXPECT_EQ(flags, 1);
    EXPECT_EQ(TestCam_ReadSetCalls(c.instanceName), calls);
    TestCamProperty p;
    ASSERT_TRUE(TestCam_ReadProperty(c.instanceName, TestCamInterface::VideoProcAmp, 13, &p));
    EXPECT_EQ(p.value, 1);
    EXPECT_FALSE(TestCam_ReadProperty(c.instanceName, TestCamInterface::VideoProcAmp, 2, &p));

    // Like a device, the camera keeps its values for the next program that binds it.
    camera.Reset();
    procAmp.Reset();
    ASSERT_EQ(BindCamera(c.instanceName, &filter), S_OK);
    ASSERT_EQ(filter.As(&procAmp), S_OK);
    ASSERT_EQ(procAmp->Get(13, &value, &flags), S_OK);
    EXPECT_EQ(value, 1);
    TestCam_ClearSetCalls(c.instanceName);
    EXPECT_TRUE(TestCam_ReadSetCalls(c.instanceName).empty());
    // Registering again starts from the configuration.
    Register(c);
    ASSERT_TRUE(TestCam_ReadProperty(c.instanceName, TestCamInterface::VideoProcAmp, 13, &p));
    EXPECT_EQ(p.value, 2);
}

TEST_F(TestCam, PartsLeftOutAreMissing) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#bare#0", L"Bare");
    c.hasCameraControl = false;
    c.hasVideoProcAmp = false;
    c.stillPin = false;
    Register(c);
    CameraGraph g;
    ASSERT_EQ(g.Build(c.instanceName), S_OK);
    ComPtr<IAMCameraControl> camera;
    ComPtr<IAMVideoProcAmp> procAmp;
    EXPECT_EQ(g.camera.As(&camera), E_NOINTERFACE);
    EXPECT_EQ(g.camera.As(&procAmp), E_NOINTERFACE);
    ComPtr<IPin> still;
    EXPECT_TRUE(FAILED(g.builder->FindPin(g.camera.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_STILL,
                                          &MEDIATYPE_Video, TRUE, 0, &still)));
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(g.camera->EnumPins(&pins), S_OK);
    IPin* list[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(pins->Next(3, list, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    for (ULONG i = 0; i < fetched; ++i)
        list[i]->Release();
}

// capture_test's release checks read these counts: they must see a reference left behind.
TEST_F(TestCam, CountsTheReferencesHeldOnFilterAndPins) {
    const std::wstring instance = L"vid_1d6b&pid_0102&mi_00#refs#0";
    Register(TestCam_MakeConfig(instance, L"Refs"));
    EXPECT_FALSE(TestCam_ReadStatus(instance).loaded);
    {
        CameraGraph g;
        ASSERT_EQ(g.Build(instance), S_OK);
        ASSERT_EQ(g.AddStill(), S_OK);
        g.control->Run();
        ASSERT_TRUE(g.frames.WaitFor(3, 5000));
        TestCamStatus s = TestCam_ReadStatus(instance);
        EXPECT_TRUE(s.loaded);
        EXPECT_EQ(s.filterObjects, 1);
        EXPECT_GE(s.filterRefs, 2); // ours and the graph's
        EXPECT_GE(s.capturePinRefs, 1);
        EXPECT_GT(s.framesDelivered, 0);

        // A pin kept past the close is seen.
        ComPtr<IPin> kept;
        ASSERT_EQ(g.camera->FindPin(L"Capture", &kept), S_OK);
        g.Release();
        s = TestCam_ReadStatus(instance);
        EXPECT_EQ(s.filterObjects, 1);
        EXPECT_EQ(s.filterRefs, 0);
        EXPECT_EQ(s.capturePinRefs, 1);
        EXPECT_EQ(s.stillPinRefs, 0);
    }
    const TestCamStatus s = TestCam_ReadStatus(instance);
    EXPECT_FALSE(s.loaded);
    EXPECT_EQ(s.filterRefs + s.capturePinRefs + s.stillPinRefs, 0);
}

TEST_F(TestCam, StreamsToAClientInTheMultithreadedApartment) {
    const std::wstring instance = L"vid_1d6b&pid_0102&mi_00#mta#0";
    Register(TestCam_MakeConfig(instance, L"MTA"));
    struct Run {
        std::wstring instance;
        bool ok = false;
    } run{instance};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* r = static_cast<Run*>(p);
            if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
                return 1;
            {
                CameraGraph g;
                r->ok = g.Build(r->instance) == S_OK && g.AddStill() == S_OK && SUCCEEDED(g.control->Run()) &&
                        g.frames.WaitFor(3, 5000);
            }
            CoUninitialize();
            return 0;
        },
        &run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // A class registered for the apartment model only would hang this client.
    ASSERT_EQ(WaitForSingleObject(thread, 20000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_TRUE(run.ok);
}
