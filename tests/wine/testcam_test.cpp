// The virtual camera through plain DirectShow, as a capture program meets it: found by the system
// device enumerator, bound from its moniker, connected to an RGB24 sample grabber and a null
// renderer by the capture graph builder, run, and driven from outside through testcam_control.
#include "capture/media_type_free.h"
#include "testcam/testcam_control.h"

#include <dshow.h>
#include <gdiplus.h>
#include <qedit.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "testcam/frame_convert.h"
#include "testcam/test_picture.h"

namespace {

// mingw-w64's qedit.h declares the interfaces but not these classes.
constexpr CLSID kSampleGrabber = {
    0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
constexpr wchar_t kCategoryPrefix[] = L"@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\";

template <typename T> class Ref {
public:
    Ref() = default;
    ~Ref() { Reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        Reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void Reset() {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

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
        if (frames_.size() > 400)
            frames_.erase(frames_.begin()); // keep memory flat in long runs
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    size_t Count() {
        EnterCriticalSection(&lock_);
        const size_t n = frames_.size();
        LeaveCriticalSection(&lock_);
        return n;
    }
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
    Ref<ICreateDevEnum> devices;
    Ref<IEnumMoniker> monikers;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devices.putVoid())) ||
        devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.put(), 0) != S_OK)
        return list;
    Ref<IMoniker> moniker;
    while (monikers->Next(1, moniker.put(), nullptr) == S_OK) {
        DeviceEntry e;
        LPOLESTR name = nullptr;
        if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &name)) && name) {
            e.displayName = name;
            CoTaskMemFree(name);
        }
        Ref<IPropertyBag> bag;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid()))) {
            e.friendlyName = ReadBag(bag.get(), L"FriendlyName");
            e.devicePath = ReadBag(bag.get(), L"DevicePath");
        }
        list.push_back(e);
    }
    return list;
}

// Binds the camera of this instance from its moniker, as a capture program does.
HRESULT BindCamera(const std::wstring& instance, IBaseFilter** filter) {
    *filter = nullptr;
    Ref<ICreateDevEnum> devices;
    Ref<IEnumMoniker> monikers;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  devices.putVoid());
    if (FAILED(hr))
        return hr;
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.put(), 0) != S_OK)
        return E_FAIL;
    Ref<IMoniker> moniker;
    while (monikers->Next(1, moniker.put(), nullptr) == S_OK) {
        LPOLESTR name = nullptr;
        if (FAILED(moniker->GetDisplayName(nullptr, nullptr, &name)) || !name)
            continue;
        const bool match = std::wstring(name) == kCategoryPrefix + instance;
        CoTaskMemFree(name);
        if (!match)
            continue;
        IBindCtx* context = nullptr;
        CreateBindCtx(0, &context);
        hr = moniker->BindToObject(context, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
        if (context)
            context->Release();
        return hr;
    }
    return E_FAIL;
}

HRESULT SetGrabberType(ISampleGrabber* grabber, const GUID& subtype) {
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = subtype;
    return grabber->SetMediaType(&mt);
}

// The camera in a graph: capture pin -> grabber -> null renderer, and optionally the still pin
// -> second grabber -> second null renderer, both through ICaptureGraphBuilder2::RenderStream.
struct CameraGraph {
    Ref<IGraphBuilder> graph;
    Ref<ICaptureGraphBuilder2> builder;
    Ref<IMediaControl> control;
    Ref<IBaseFilter> camera, grabberFilter, nullRenderer, stillGrabberFilter, stillNull;
    Ref<ISampleGrabber> grabber, stillGrabber;
    FrameCollector frames, stills;

    // RenderStream puts a Smart Tee in front of the grabber (the camera has no preview pin);
    // Direct connects the capture pin to the grabber with IGraphBuilder::Connect, as the
    // program does.
    enum class Route { RenderStream, Direct };

    HRESULT Build(const std::wstring& instance, const GUID& subtype = MEDIASUBTYPE_RGB24,
                  Route route = Route::RenderStream) {
        HRESULT hr = BindCamera(instance, camera.put());
        if (FAILED(hr))
            return hr;
        return BuildAround(subtype, route);
    }

    HRESULT BuildAround(const GUID& subtype, Route route = Route::RenderStream) {
        HRESULT hr;
        if (FAILED(hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         graph.putVoid())) ||
            FAILED(hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_ICaptureGraphBuilder2, builder.putVoid())) ||
            FAILED(hr = builder->SetFiltergraph(graph.get())) ||
            FAILED(hr = graph->QueryInterface(IID_IMediaControl, control.putVoid())) ||
            FAILED(hr = CoCreateInstance(kSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         grabberFilter.putVoid())) ||
            FAILED(hr = CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         nullRenderer.putVoid())) ||
            FAILED(hr = grabberFilter->QueryInterface(IID_ISampleGrabber, grabber.putVoid())) ||
            FAILED(hr = graph->AddFilter(camera.get(), L"Camera Input")) ||
            FAILED(hr = graph->AddFilter(grabberFilter.get(), L"Sample Grabber")) ||
            FAILED(hr = graph->AddFilter(nullRenderer.get(), L"Null Filter")) ||
            FAILED(hr = SetGrabberType(grabber.get(), subtype)))
            return hr;
        if (route == Route::RenderStream) {
            hr = builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera.get(),
                                       grabberFilter.get(), nullRenderer.get());
        } else {
            Ref<IPin> out, in, grabbed, rendered;
            if (FAILED(hr = builder->FindPin(camera.get(), PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, nullptr,
                                             TRUE, 0, out.put())) ||
                FAILED(hr = builder->FindPin(grabberFilter.get(), PINDIR_INPUT, nullptr, nullptr, TRUE, 0,
                                             in.put())) ||
                FAILED(hr = builder->FindPin(grabberFilter.get(), PINDIR_OUTPUT, nullptr, nullptr, TRUE, 0,
                                             grabbed.put())) ||
                FAILED(hr = builder->FindPin(nullRenderer.get(), PINDIR_INPUT, nullptr, nullptr, TRUE, 0,
                                             rendered.put())) ||
                FAILED(hr = graph->Connect(out.get(), in.get())))
                return hr;
            hr = graph->Connect(grabbed.get(), rendered.get());
        }
        if (FAILED(hr))
            return hr;
        grabber->SetOneShot(FALSE);
        grabber->SetBufferSamples(FALSE);
        return grabber->SetCallback(&frames, 1);
    }

    HRESULT AddStill() {
        HRESULT hr;
        if (FAILED(hr = CoCreateInstance(kSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         stillGrabberFilter.putVoid())) ||
            FAILED(hr = CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         stillNull.putVoid())) ||
            FAILED(hr = stillGrabberFilter->QueryInterface(IID_ISampleGrabber, stillGrabber.putVoid())) ||
            FAILED(hr = graph->AddFilter(stillGrabberFilter.get(), L"Sample Grabber2")) ||
            FAILED(hr = graph->AddFilter(stillNull.get(), L"Null Filter2")))
            return hr;
        hr = builder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, camera.get(),
                                   stillGrabberFilter.get(), stillNull.get());
        if (FAILED(hr))
            return hr;
        stillGrabber->SetOneShot(FALSE);
        stillGrabber->SetBufferSamples(FALSE);
        return stillGrabber->SetCallback(&stills, 1);
    }

    HRESULT StreamConfig(IAMStreamConfig** config) {
        return builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera.get(),
                                      IID_IAMStreamConfig, reinterpret_cast<void**>(config));
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

// Sets the capture pin to the capability of this subtype and size, as a program does before it
// builds its graph.
HRESULT SetCapability(IBaseFilter* camera, uint32_t fourcc, int width, int height, int fps = 0) {
    Ref<IEnumPins> pins;
    Ref<IPin> pin;
    Ref<IAMStreamConfig> config;
    HRESULT hr = camera->EnumPins(pins.put());
    if (FAILED(hr) || pins->Next(1, pin.put(), nullptr) != S_OK)
        return E_FAIL;
    if (FAILED(hr = pin->QueryInterface(IID_IAMStreamConfig, config.putVoid())))
        return hr;
    int count = 0, size = 0;
    config->GetNumberOfCapabilities(&count, &size);
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        if (config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)) != S_OK)
            break;
        const auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        const bool match = mt->subtype.Data1 == fourcc && vih->bmiHeader.biWidth == width &&
                           vih->bmiHeader.biHeight == height &&
                           (fps == 0 || vih->AvgTimePerFrame == 10000000 / fps);
        if (match)
            hr = config->SetFormat(mt);
        FreeMediaType(mt);
        if (match)
            return hr;
    }
    return E_FAIL;
}

// Whether a bottom-up RGB24 frame shows the picture, sampling a grid of pixels and every ruler
// tick's top pixel; the live marker's square is left out.
::testing::AssertionResult ShowsPicture(const std::vector<uint8_t>& frame, TestCamPicture picture, int width,
                                        int height) {
    const size_t stride = TestPicture_DibStride(width);
    if (frame.size() != stride * size_t(height))
        return ::testing::AssertionFailure() << "frame of " << frame.size() << " bytes";
    const TestRect marker = TestPicture_MarkerRect(width, height);
    auto check = [&](int x, int y) -> bool {
        if (marker.Contains(x, y))
            return true;
        const uint8_t* p = frame.data() + size_t(height - 1 - y) * stride + size_t(x) * 3;
        const TestRgb want = TestPicture_Pixel(picture, width, height, x, y, 0, 30);
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

TEST_F(TestCam, EnumeratesUnderItsInstanceNameAndComesAndGoes) {
    Register(TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#demo#0", L"Demo Microscope"));
    Register(TestCam_MakeConfig(L"vid_1d6b&pid_0104&mi_00#second#0", L"Second Scope"));
    std::vector<DeviceEntry> devices = ListDevices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].displayName, std::wstring(kCategoryPrefix) + L"vid_1d6b&pid_0102&mi_00#demo#0");
    EXPECT_EQ(devices[0].friendlyName, L"Demo Microscope");
    EXPECT_EQ(devices[0].devicePath,
              L"\\\\?\\usb#vid_1d6b&pid_0102&mi_00#demo#0#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    EXPECT_EQ(devices[1].friendlyName, L"Second Scope");

    // Each moniker binds the filter of its own camera: the second has its own configuration.
    TestCamConfig one = TestCam_MakeConfig(L"vid_1d6b&pid_0104&mi_00#second#0", L"One Format");
    one.formats = {{kTestCamYuy2, 800, 600, 20}};
    Register(one);
    Ref<IBaseFilter> filter;
    ASSERT_EQ(BindCamera(one.instanceName, filter.put()), S_OK);
    Ref<IPin> pin;
    ASSERT_EQ(filter->FindPin(L"Capture", pin.put()), S_OK);
    Ref<IAMStreamConfig> config;
    ASSERT_EQ(pin->QueryInterface(IID_IAMStreamConfig, config.putVoid()), S_OK);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(TestCam_ReadStatus(one.instanceName).filterObjects, 1);

    // Unregistering the first while the second's filter is in use leaves only the second.
    ASSERT_TRUE(TestCam_Unregister(L"vid_1d6b&pid_0102&mi_00#demo#0"));
    devices = ListDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].friendlyName, L"One Format");
    EXPECT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
}

TEST_F(TestCam, ReportsItsCapabilitiesThroughStreamConfig) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#caps#0", L"Caps");
    c.formats = {{kTestCamMjpg, 1280, 720, 30},
                 {kTestCamMjpg, 1280, 720, 15},
                 {kTestCamYuy2, 640, 480, 30},
                 {kTestCamYuy2, 320, 240, 30}};
    Register(c);
    Ref<IBaseFilter> filter;
    ASSERT_EQ(BindCamera(c.instanceName, filter.put()), S_OK);
    Ref<IPin> pin;
    ASSERT_EQ(filter->FindPin(L"Capture", pin.put()), S_OK);
    Ref<IAMStreamConfig> config;
    ASSERT_EQ(pin->QueryInterface(IID_IAMStreamConfig, config.putVoid()), S_OK);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(size, 128);
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
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
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    EXPECT_EQ(config->GetStreamCaps(4, &mt, reinterpret_cast<BYTE*>(&caps)), S_FALSE);

    // The current format is the first capability until one is set.
    ASSERT_EQ(config->GetFormat(&mt), S_OK);
    EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth, 1280);
    // A size the camera does not have is refused and changes nothing.
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = 1000;
    EXPECT_TRUE(FAILED(config->SetFormat(mt)));
    FreeMediaType(mt);
    ASSERT_EQ(SetCapability(filter.get(), kTestCamYuy2, 320, 240), S_OK);
    ASSERT_EQ(config->GetFormat(&mt), S_OK);
    EXPECT_EQ(mt->subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth, 320);
    FreeMediaType(mt);

    // The pins answer their category; the still pin has no stream configuration.
    Ref<IPin> still;
    ASSERT_EQ(filter->FindPin(L"Still", still.put()), S_OK);
    GUID category = {};
    DWORD returned = 0;
    Ref<IKsPropertySet> ks;
    ASSERT_EQ(still->QueryInterface(IID_IKsPropertySet, ks.putVoid()), S_OK);
    ASSERT_EQ(
        ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &returned),
        S_OK);
    EXPECT_EQ(category, PIN_CATEGORY_STILL);
    Ref<IAMStreamConfig> stillConfig;
    EXPECT_EQ(still->QueryInterface(IID_IAMStreamConfig, stillConfig.putVoid()), E_NOINTERFACE);
}

TEST_F(TestCam, DeliversTheRulerPictureAtTheSetSizeAndRate) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#stream#0", L"Streaming");
    c.formats = {{kTestCamMjpg, 1280, 720, 30}, {kTestCamMjpg, 640, 480, 30}, {kTestCamYuy2, 320, 240, 15}};
    Register(c);
    CameraGraph g;
    ASSERT_EQ(BindCamera(c.instanceName, g.camera.put()), S_OK);
    ASSERT_EQ(SetCapability(g.camera.get(), kTestCamMjpg, 640, 480), S_OK);
    ASSERT_EQ(g.BuildAround(MEDIASUBTYPE_RGB24, CameraGraph::Route::Direct), S_OK);
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
    EXPECT_TRUE(ShowsPicture(frames.back(), TestCamPicture::Specimen, 640, 480));
    const auto times = g.frames.Times();
    EXPECT_NEAR(times[40] - times[10], 1.0, 0.4);

    // The marker turns: four phases a second.
    std::vector<uint8_t> corners;
    const TestRect m = TestPicture_MarkerRect(640, 480);
    for (const auto& f : frames)
        corners.push_back(f[size_t(479 - m.top) * 1920 + size_t(m.left) * 3]);
    EXPECT_NE(*std::min_element(corners.begin(), corners.end()),
              *std::max_element(corners.begin(), corners.end()));

    // Another capability, set while stopped, changes the size (and the rate) delivered: the
    // graph reconnects the pin.
    ASSERT_EQ(g.control->Stop(), S_OK);
    ASSERT_EQ(SetCapability(g.camera.get(), kTestCamYuy2, 320, 240), S_OK);
    g.frames.Clear();
    g.control->Run();
    ASSERT_TRUE(g.frames.WaitFor(10, 5000));
    const auto small = g.frames.Frames();
    EXPECT_TRUE(ShowsPicture(small.back(), TestCamPicture::Specimen, 320, 240));
    const auto smallTimes = g.frames.Times();
    EXPECT_NEAR(smallTimes[9] - smallTimes[0], 9 / 15.0, 0.3);
    status = TestCam_ReadStatus(c.instanceName);
    EXPECT_EQ(status.width, 320);
    EXPECT_EQ(status.running, 1);
    // Set while running, it is refused.
    EXPECT_EQ(SetCapability(g.camera.get(), kTestCamMjpg, 640, 480), VFW_E_NOT_STOPPED);
}

TEST_F(TestCam, ConnectsThroughTheCaptureBuilderInEachCapabilitySize) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#builder#0", L"Builder");
    c.formats = {{kTestCamMjpg, 1280, 720, 30}, {kTestCamYuy2, 320, 240, 30}};
    Register(c);
    Ref<IBaseFilter> camera;
    ASSERT_EQ(BindCamera(c.instanceName, camera.put()), S_OK);
    // One filter, opened twice at different sizes, as a program reopens its camera.
    for (const TestCamFormat& f : c.formats) {
        CameraGraph g;
        ASSERT_EQ(SetCapability(camera.get(), f.fourcc, f.width, f.height), S_OK);
        camera->AddRef();
        *g.camera.put() = camera.get();
        ASSERT_EQ(g.BuildAround(MEDIASUBTYPE_RGB24), S_OK);
        g.control->Run();
        ASSERT_TRUE(g.frames.WaitFor(3, 5000));
        EXPECT_TRUE(ShowsPicture(g.frames.Frames().back(), TestCamPicture::Specimen, f.width, f.height));
    }
}

// The busy picture as the camera delivers it: each frame is the pixel function's at some frame of
// the second, and consecutive frames differ.
TEST_F(TestCam, BusyPictureDeliveredIsThePixelFunctionsFrameAfterFrame) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#busy#0", L"Busy");
    c.formats = {{kTestCamRgb24, 320, 240, 30}};
    c.picture = TestCamPicture::Busy;
    Register(c);
    CameraGraph g;
    ASSERT_EQ(g.Build(c.instanceName), S_OK);
    g.control->Run();
    ASSERT_TRUE(g.frames.WaitFor(4, 5000));
    g.control->Stop();
    const auto frames = g.frames.Frames();
    const size_t stride = TestPicture_DibStride(320);
    auto matches = [&](const std::vector<uint8_t>& frame, int index) {
        for (int y = 0; y < 240; y += 3)
            for (int x = 0; x < 320; x += 2) {
                const TestRgb want = TestPicture_BusyPixel(320, 240, x, y, index, 30);
                const uint8_t* p = frame.data() + size_t(239 - y) * stride + size_t(x) * 3;
                if (p[0] != want.b || p[1] != want.g || p[2] != want.r)
                    return false;
            }
        return true;
    };
    int previous = -1;
    for (size_t i = 1; i < 4; ++i) {
        int index = 0;
        while (index < 30 && !matches(frames[i], index))
            ++index;
        EXPECT_LT(index, 30) << "frame " << i << " is no frame of the busy picture";
        EXPECT_NE(index, previous);
        previous = index;
    }
}

TEST_F(TestCam, PausedDeliversNothingAndStopReturns) {
    Register(TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#states#0", L"States"));
    CameraGraph g;
    ASSERT_EQ(g.Build(L"vid_1d6b&pid_0102&mi_00#states#0"), S_OK);
    g.control->Run();
    ASSERT_TRUE(g.frames.WaitFor(5, 5000));
    ASSERT_TRUE(SUCCEEDED(g.control->Pause()));
    FILTER_STATE state;
    EXPECT_EQ(g.camera->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    Sleep(100);
    const size_t paused = g.frames.Count();
    Sleep(400);
    EXPECT_EQ(g.frames.Count(), paused);
    g.control->Run();
    ASSERT_TRUE(g.frames.WaitFor(paused + 5, 5000));
    const DWORD start = GetTickCount();
    EXPECT_EQ(g.control->Stop(), S_OK);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(TestCam_ReadStatus(L"vid_1d6b&pid_0102&mi_00#states#0").running, 0);
    const size_t stopped = g.frames.Count();
    Sleep(300);
    EXPECT_EQ(g.frames.Count(), stopped);
}

TEST_F(TestCam, SignalFrameArrivesOnceWhenAskedFor) {
    Register(TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#signal#0", L"Signal"));
    const std::wstring instance = L"vid_1d6b&pid_0102&mi_00#signal#0";
    CameraGraph g;
    ASSERT_EQ(BindCamera(instance, g.camera.put()), S_OK);
    ASSERT_EQ(SetCapability(g.camera.get(), kTestCamMjpg, 640, 480), S_OK);
    ASSERT_EQ(g.BuildAround(MEDIASUBTYPE_RGB24), S_OK);
    g.control->Run();
    ASSERT_TRUE(g.frames.WaitFor(3, 5000));
    ASSERT_TRUE(TestCam_SendSignalFrame(instance));
    const size_t before = g.frames.Count();
    ASSERT_TRUE(g.frames.WaitFor(before + 10, 5000));
    g.control->Stop();
    int signals = 0, pictures = 0;
    for (const auto& f : g.frames.Frames()) {
        if (ShowsPicture(f, TestCamPicture::SignalFrame, 640, 480))
            ++signals;
        else if (ShowsPicture(f, TestCamPicture::Specimen, 640, 480))
            ++pictures;
    }
    EXPECT_EQ(signals, 1);
    EXPECT_EQ(pictures, int(g.frames.Count()) - 1);
    EXPECT_EQ(TestCam_ReadStatus(instance).signalFramesDelivered, 1);
}

TEST_F(TestCam, StillPinFiresWhenTheButtonIsPressed) {
    const std::wstring instance = L"vid_1d6b&pid_0102&mi_00#still#0";
    Register(TestCam_MakeConfig(instance.c_str(), L"Still"));
    CameraGraph g;
    ASSERT_EQ(g.Build(instance), S_OK);
    Ref<IPin> still;
    ASSERT_EQ(g.builder->FindPin(g.camera.get(), PINDIR_OUTPUT, &PIN_CATEGORY_STILL, &MEDIATYPE_Video, TRUE,
                                 0, still.put()),
              S_OK);
    still.Reset();
    ASSERT_EQ(g.AddStill(), S_OK);
    // A press while the camera does not run is lost, as on a real camera.
    EXPECT_FALSE(TestCam_PressSnapshot(instance));
    g.control->Run();
    ASSERT_TRUE(g.frames.WaitFor(5, 5000));
    Sleep(300);
    EXPECT_EQ(g.stills.Count(), 0u);
    ASSERT_TRUE(TestCam_PressSnapshot(instance));
    ASSERT_TRUE(g.stills.WaitFor(1, 3000));
    Sleep(300);
    EXPECT_EQ(g.stills.Count(), 1u);
    EXPECT_TRUE(ShowsPicture(g.stills.Frames()[0], TestCamPicture::Specimen, 1280, 720));
    EXPECT_EQ(TestCam_ReadStatus(instance).stillsDelivered, 1);
    // Two presses, two stills.
    ASSERT_TRUE(TestCam_PressSnapshot(instance));
    ASSERT_TRUE(TestCam_PressSnapshot(instance));
    EXPECT_TRUE(g.stills.WaitFor(3, 3000));
}

TEST_F(TestCam, CameraWithoutStillPinHasOnePin) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#nostill#0", L"No Still");
    c.stillPin = false;
    Register(c);
    CameraGraph g;
    ASSERT_EQ(g.Build(c.instanceName), S_OK);
    Ref<IPin> still;
    EXPECT_TRUE(FAILED(g.builder->FindPin(g.camera.get(), PINDIR_OUTPUT, &PIN_CATEGORY_STILL,
                                          &MEDIATYPE_Video, TRUE, 0, still.put())));
    Ref<IEnumPins> pins;
    ASSERT_EQ(g.camera->EnumPins(pins.put()), S_OK);
    IPin* list[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(pins->Next(3, list, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    for (ULONG i = 0; i < fetched; ++i)
        list[i]->Release();
}

TEST_F(TestCam, DeliversRealYuy2AndJpegWhenConnectedSo) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#formats#0", L"Formats");
    c.formats = {{kTestCamYuy2, 640, 480, 30}, {kTestCamMjpg, 640, 480, 30}};
    Register(c);
    {
        CameraGraph g;
        ASSERT_EQ(g.Build(c.instanceName, MEDIASUBTYPE_YUY2, CameraGraph::Route::Direct), S_OK);
        g.control->Run();
        ASSERT_TRUE(g.frames.WaitFor(2, 5000));
        const auto f = g.frames.Frames().back();
        ASSERT_EQ(f.size(), 640u * 480 * 2);
        // Luma of every fifth pixel of a few rows (rows are top-down in YUY2).
        for (int y : {10, 200, 400})
            for (int x = 0; x < 640; x += 5) {
                if (TestPicture_MarkerRect(640, 480).Contains(x, y))
                    continue;
                const TestRgb p = TestPicture_SpecimenPixel(640, 480, x, y, 0, 30);
                ASSERT_EQ(f[size_t(y) * 1280 + size_t(x) * 2], LumaOf(p.r, p.g, p.b)) << x << "," << y;
            }
    }
    {
        CameraGraph g;
        ASSERT_EQ(BindCamera(c.instanceName, g.camera.put()), S_OK);
        ASSERT_EQ(SetCapability(g.camera.get(), kTestCamMjpg, 640, 480), S_OK);
        ASSERT_EQ(g.BuildAround(MEDIASUBTYPE_MJPG, CameraGraph::Route::Direct), S_OK);
        g.control->Run();
        ASSERT_TRUE(g.frames.WaitFor(2, 5000));
        const auto f = g.frames.Frames().back();
        ASSERT_GT(f.size(), 1000u);
        EXPECT_EQ(f[0], 0xFF);
        EXPECT_EQ(f[1], 0xD8);
        // It decodes to the picture, give or take the compression.
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
        {
            IStream* stream = SHCreateMemStream(f.data(), UINT(f.size()));
            ASSERT_NE(stream, nullptr);
            Gdiplus::Bitmap bitmap(stream);
            ASSERT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
            EXPECT_EQ(bitmap.GetWidth(), 640u);
            EXPECT_EQ(bitmap.GetHeight(), 480u);
            for (int y = 20; y < 480; y += 60)
                for (int x = 20; x < 600; x += 60) {
                    Gdiplus::Color color;
                    bitmap.GetPixel(x, y, &color);
                    const TestRgb p = TestPicture_SpecimenPixel(640, 480, x, y, 0, 30);
                    EXPECT_NEAR(color.GetR(), p.r, 40) << x << "," << y;
                    EXPECT_NEAR(color.GetG(), p.g, 40) << x << "," << y;
                }
            stream->Release();
        }
        Gdiplus::GdiplusShutdown(token);
    }
}

TEST_F(TestCam, PictureControlsReportRangesAndRecordEverySet) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#controls#0", L"Controls");
    c.cameraControl[4] = {true, -13, -1, 1, -6, 3, -7, 2};
    c.procAmp[kTestCamPowerLineFrequency] = {true, 0, 2, 1, 1, 2, 2, 2};
    c.procAmp[2] = {}; // no hue
    Register(c);
    Ref<IBaseFilter> filter;
    ASSERT_EQ(BindCamera(c.instanceName, filter.put()), S_OK);
    Ref<IAMCameraControl> camera;
    Ref<IAMVideoProcAmp> procAmp;
    ASSERT_EQ(filter->QueryInterface(IID_IAMCameraControl, camera.putVoid()), S_OK);
    ASSERT_EQ(filter->QueryInterface(IID_IAMVideoProcAmp, procAmp.putVoid()), S_OK);

    long min, max, step, def, caps, value, flags;
    ASSERT_EQ(camera->GetRange(CameraControl_Exposure, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(min, -13);
    EXPECT_EQ(max, -1);
    EXPECT_EQ(def, -6);
    EXPECT_EQ(caps, 3);
    ASSERT_EQ(camera->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(value, -7);
    EXPECT_EQ(flags, 2);
    EXPECT_EQ(camera->GetRange(CameraControl_Focus, &min, &max, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);
    ASSERT_EQ(procAmp->GetRange(13, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(max, 2);
    EXPECT_EQ(procAmp->GetRange(VideoProcAmp_Hue, &min, &max, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);

    EXPECT_EQ(camera->Set(CameraControl_Exposure, -9, 2), S_OK);
    EXPECT_EQ(camera->Set(CameraControl_Exposure, 0, 1), S_OK); // automatic
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Brightness, 500, 2), E_INVALIDARG);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Brightness, 12, 1), E_INVALIDARG); // no automatic mode
    EXPECT_EQ(procAmp->Set(13, 1, 2), S_OK);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Hue, 3, 2), E_PROP_ID_UNSUPPORTED);
    ASSERT_EQ(camera->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(value, -9); // automatic keeps the last value
    EXPECT_EQ(flags, 1);

    const std::vector<TestCamSetCall> expected = {
        {TestCamInterface::CameraControl, CameraControl_Exposure, -9, 2, S_OK},
        {TestCamInterface::CameraControl, CameraControl_Exposure, 0, 1, S_OK},
        {TestCamInterface::VideoProcAmp, VideoProcAmp_Brightness, 500, 2, E_INVALIDARG},
        {TestCamInterface::VideoProcAmp, VideoProcAmp_Brightness, 12, 1, E_INVALIDARG},
        {TestCamInterface::VideoProcAmp, 13, 1, 2, S_OK},
        {TestCamInterface::VideoProcAmp, VideoProcAmp_Hue, 3, 2, E_PROP_ID_UNSUPPORTED},
    };
    EXPECT_EQ(TestCam_ReadSetCalls(c.instanceName), expected);
    TestCamProperty p;
    ASSERT_TRUE(TestCam_ReadProperty(c.instanceName, TestCamInterface::VideoProcAmp, 13, &p));
    EXPECT_EQ(p.value, 1);
    EXPECT_FALSE(TestCam_ReadProperty(c.instanceName, TestCamInterface::VideoProcAmp, 2, &p));

    // Like a device, the camera keeps its values for the next program that binds it.
    camera.Reset();
    procAmp.Reset();
    filter.Reset();
    ASSERT_EQ(BindCamera(c.instanceName, filter.put()), S_OK);
    ASSERT_EQ(filter->QueryInterface(IID_IAMVideoProcAmp, procAmp.putVoid()), S_OK);
    ASSERT_EQ(procAmp->Get(13, &value, &flags), S_OK);
    EXPECT_EQ(value, 1);
    TestCam_ClearSetCalls(c.instanceName);
    EXPECT_TRUE(TestCam_ReadSetCalls(c.instanceName).empty());
    // Registering again starts from the configuration.
    Register(c);
    EXPECT_FALSE(TestCam_ReadProperty(c.instanceName, TestCamInterface::VideoProcAmp, 2, &p));
    ASSERT_TRUE(TestCam_ReadProperty(c.instanceName, TestCamInterface::VideoProcAmp, 13, &p));
    EXPECT_EQ(p.value, 2);
}

TEST_F(TestCam, InterfacesLeftOutAreMissing) {
    TestCamConfig c = TestCam_MakeConfig(L"vid_1d6b&pid_0102&mi_00#bare#0", L"Bare");
    c.hasCameraControl = false;
    c.hasVideoProcAmp = false;
    Register(c);
    Ref<IBaseFilter> filter;
    ASSERT_EQ(BindCamera(c.instanceName, filter.put()), S_OK);
    Ref<IAMCameraControl> camera;
    Ref<IAMVideoProcAmp> procAmp;
    EXPECT_EQ(filter->QueryInterface(IID_IAMCameraControl, camera.putVoid()), E_NOINTERFACE);
    EXPECT_EQ(filter->QueryInterface(IID_IAMVideoProcAmp, procAmp.putVoid()), E_NOINTERFACE);
}

TEST_F(TestCam, CountsTheReferencesHeldOnFilterAndPins) {
    const std::wstring instance = L"vid_1d6b&pid_0102&mi_00#refs#0";
    Register(TestCam_MakeConfig(instance.c_str(), L"Refs"));
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

        // A pin kept past the close is seen.
        Ref<IPin> kept;
        ASSERT_EQ(g.camera->FindPin(L"Capture", kept.put()), S_OK);
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

    // Fifty builds, runs and releases leave nothing behind: no filter, no handle.
    auto cycle = [&instance] {
        CameraGraph g;
        ASSERT_EQ(g.Build(instance), S_OK);
        ASSERT_EQ(g.AddStill(), S_OK);
        g.control->Run();
        ASSERT_TRUE(g.frames.WaitFor(1, 5000));
    };
    cycle();
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    for (int i = 0; i < 50; ++i)
        cycle();
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handlesBefore + 5);
    EXPECT_EQ(TestCam_ReadStatus(instance).filterObjects, 0);
}

TEST_F(TestCam, StreamsToAClientInTheMultithreadedApartment) {
    const std::wstring instance = L"vid_1d6b&pid_0102&mi_00#mta#0";
    Register(TestCam_MakeConfig(instance.c_str(), L"MTA"));
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
