#include "capture/capture_graph.h"

#include "capture/capture_session.h"
#include "capture/capture_messages.h"
#include "capture/camera_controls.h"
#include "base/debug_output.h"
#include "capture/device_list.h"
#include "capture/frame_callbacks.h"
#include "capture/frame_rate.h"
#include "capture/frame_ring.h"
#include "capture/frame_filters.h"

using Microsoft::WRL::ComPtr;

namespace {

// The platform's size of VIDEO_STREAM_CONFIG_CAPS; a device reporting another size is not read.
constexpr int kStreamCapsSize = 128;
static_assert(sizeof(VIDEO_STREAM_CONFIG_CAPS) == kStreamCapsSize);

ComPtr<IAMStreamConfig> StreamConfigOf(IBaseFilter* filter) {
    ComPtr<IAMStreamConfig> config;
    if (!filter)
        return config;
    ComPtr<IPin> pin = FindPin(filter, PINDIR_OUTPUT, false);
    if (pin)
        pin.As(&config);
    return config;
}

// Calls visit(format, mediaType) for each capability that describes an MJPG or YUY2 video format,
// in the device's order, until visit returns true. Returns whether one did.
template <typename Visit> bool WalkCapabilities(IAMStreamConfig* config, Visit visit) {
    int count = 0;
    int size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size)) || size != kStreamCapsSize)
        return false;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        if (FAILED(config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps))) || !type)
            break;
        const std::optional<VideoFormat> format = CaptureFormatOf(*type);
        const bool done = format && visit(*format, type);
        FreeMediaType(type);
        if (done)
            return true;
    }
    return false;
}

void PostToView(UINT message) {
    if (g_capture.graph.notifyWindow)
        PostMessageW(g_capture.graph.notifyWindow, message, 0, 0);
}

// Everything the open built, in release order; the caller's moniker and filter are kept.
void ReleaseGraphObjects() {
    CaptureGraph& g = g_capture.graph;
    // No frame may arrive once the ring is gone: stop first (a no-op when stopped), and detach the
    // callbacks so the grabbers cannot reach them even if they outlive the graph.
    if (g.mediaControl)
        g.mediaControl->Stop();
    if (g.previewGrabber)
        g.previewGrabber->SetCallback(nullptr, 1);
    if (g.stillGrabber)
        g.stillGrabber->SetCallback(nullptr, 1);

    g.nullInPin.Reset();
    g.grabberOutPin.Reset();
    g.grabberInPin.Reset();
    g.decoderOutPin.Reset();
    g.decoderInPin.Reset();
    g.stillPin.Reset();
    g.capturePin.Reset();
    g.stillGrabber.Reset();
    g.previewGrabber.Reset();
    g.stillNullRenderer.Reset();
    g.previewNullRenderer.Reset();
    g.stillGrabberFilter.Reset();
    g.previewGrabberFilter.Reset();
    g.mjpgDecoder.Reset();
    g.mediaEvent.Reset();
    g.mediaControl.Reset();
    g.graph.Reset();
    g.captureBuilder.Reset();

    g.yuy2Formats.clear();
    g.mjpgFormats.clear();
    g.cameraControl.Reset();
    g.procAmp.Reset();
    g.properties = {};
    FreeFrameRing(g_capture.ring);
    ClearFilterFlags();
    g_capture.currentFormat = VideoFormat{0, 0, 0, 0};
    g_capture.frameRate = kDefaultFrameRate;
}

ComPtr<IBaseFilter> CreateFilter(const CLSID& clsid) {
    ComPtr<IBaseFilter> filter;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&filter));
    return filter;
}

// The camera's format: the request, else (once) the camera's default.
bool SetRequestedFormat() {
    if (SetCameraFormat(CameraFormatFor(g_capture.requestedFormat)))
        return true;
    DebugOutput(L"SetCameraFormat FAILED, try again...\r\n");
    EnsureCaptureFormats();
    ChooseDefaultCaptureFormat();
    if (SetCameraFormat(CameraFormatFor(g_capture.requestedFormat)))
        return true;
    DebugOutput(L"SetCameraFormat FAILED.\r\n");
    return false;
}

// The graph from the camera's output to the preview null renderer. False as soon as a piece is
// missing or a connection fails.
bool BuildPreviewBranch(bool isMjpg) {
    CaptureGraph& g = g_capture.graph;
    HRESULT hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&g.captureBuilder));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&g.graph));
    if (SUCCEEDED(hr))
        hr = g.graph.As(&g.mediaControl);
    // mingw has no __uuidof for IMediaEventEx.
    if (SUCCEEDED(hr))
        hr =
            g.graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(g.mediaEvent.GetAddressOf()));
    if (SUCCEEDED(hr))
        hr = g.captureBuilder->SetFiltergraph(g.graph.Get());
    if (FAILED(hr)) {
        DebugFailure(L"Creating the filter graph", hr);
        return false;
    }
    g.mediaEvent->SetNotifyWindow(reinterpret_cast<OAHWND>(g.notifyWindow), UM_GRAPH_EVENT, 0);

    if (isMjpg) {
        g.mjpgDecoder = CreateFilter(CLSID_MjpegDec);
        // Without the decompressor the graph finds its own way from the camera to the grabber.
        if (!g.mjpgDecoder)
            DebugOutput(L"No MJPEG decompressor, connecting the camera directly\r\n");
    }
    g.previewGrabberFilter = CreateFilter(CLSID_SampleGrabber);
    g.previewNullRenderer = CreateFilter(CLSID_NullRenderer);
    if (!g.previewGrabberFilter || !g.previewNullRenderer) {
        DebugOutput(L"Could not create the sample grabber\r\n");
        return false;
    }
    hr = g.graph->AddFilter(g.captureFilter.Get(), L"Camera Input");
    if (SUCCEEDED(hr) && g.mjpgDecoder)
        hr = g.graph->AddFilter(g.mjpgDecoder.Get(), L"Mjpg Filter");
    if (SUCCEEDED(hr))
        hr = g.graph->AddFilter(g.previewGrabberFilter.Get(), L"Sample Grabber");
    if (SUCCEEDED(hr))
        hr = g.graph->AddFilter(g.previewNullRenderer.Get(), L"Null Filter");
    if (FAILED(hr)) {
        DebugFailure(L"Adding the filters to the graph", hr);
        return false;
    }

    AM_MEDIA_TYPE rgb24 = {};
    rgb24.majortype = MEDIATYPE_Video;
    rgb24.subtype = MEDIASUBTYPE_RGB24;
    hr = g.previewGrabberFilter.As(&g.previewGrabber);
    if (SUCCEEDED(hr))
        hr = g.previewGrabber->SetMediaType(&rgb24);
    if (FAILED(hr)) {
        DebugFailure(L"SetMediaType to Video / RGB24", hr);
        return false;
    }

    g.capturePin = FindPin(g.captureFilter.Get(), PINDIR_OUTPUT, true);
    if (g.mjpgDecoder) {
        g.decoderInPin = FindPin(g.mjpgDecoder.Get(), PINDIR_INPUT, true);
        g.decoderOutPin = FindPin(g.mjpgDecoder.Get(), PINDIR_OUTPUT, true);
    }
    g.grabberInPin = FindPin(g.previewGrabberFilter.Get(), PINDIR_INPUT, true);
    g.grabberOutPin = FindPin(g.previewGrabberFilter.Get(), PINDIR_OUTPUT, true);
    g.nullInPin = FindPin(g.previewNullRenderer.Get(), PINDIR_INPUT, true);
    if (!g.capturePin || !g.grabberInPin || !g.grabberOutPin || !g.nullInPin ||
        (g.mjpgDecoder && (!g.decoderInPin || !g.decoderOutPin))) {
        DebugOutput(L"Could not find the pins to connect\r\n");
        return false;
    }

    if (g.mjpgDecoder) {
        hr = g.graph->Connect(g.capturePin.Get(), g.decoderInPin.Get());
        if (SUCCEEDED(hr))
            hr = g.graph->Connect(g.decoderOutPin.Get(), g.grabberInPin.Get());
    } else {
        hr = g.graph->Connect(g.capturePin.Get(), g.grabberInPin.Get());
    }
    if (FAILED(hr)) {
        DebugFailure(L"Connecting the camera to the sample grabber", hr);
        return false;
    }
    hr = g.graph->Connect(g.grabberOutPin.Get(), g.nullInPin.Get());
    if (FAILED(hr)) {
        DebugFailure(L"Connecting the sample grabber to the null renderer", hr);
        return false;
    }

    // Not one-shot: every frame must reach the callback, not just the first.
    g.previewGrabber->SetOneShot(FALSE);
    g.previewGrabber->SetBufferSamples(TRUE);
    g.previewGrabber->SetCallback(PreviewFrameCallback(), 1);
    return true;
}

// The still pin's branch, when the camera has one. A camera whose still pin cannot be connected
// works on without it.
void BuildStillBranch() {
    CaptureGraph& g = g_capture.graph;
    g.stillPin = FindStillPin(g.captureFilter.Get());
    if (!g.stillPin) {
        DebugOutput(L"Device does not have still pin\r\n");
        return;
    }
    g.stillGrabberFilter = CreateFilter(CLSID_SampleGrabber);
    g.stillNullRenderer = CreateFilter(CLSID_NullRenderer);
    HRESULT hr = g.stillGrabberFilter && g.stillNullRenderer ? S_OK : E_FAIL;
    if (SUCCEEDED(hr))
        hr = g.graph->AddFilter(g.stillGrabberFilter.Get(), L"Sample Grabber2");
    if (SUCCEEDED(hr))
        hr = g.graph->AddFilter(g.stillNullRenderer.Get(), L"Null Filter2");
    if (SUCCEEDED(hr))
        hr = g.stillGrabberFilter.As(&g.stillGrabber);
    if (SUCCEEDED(hr))
        hr = g.captureBuilder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, g.captureFilter.Get(),
                                            g.stillGrabberFilter.Get(), g.stillNullRenderer.Get());
    if (FAILED(hr)) {
        DebugFailure(L"Connecting the still pin", hr);
        if (g.stillGrabberFilter)
            g.graph->RemoveFilter(g.stillGrabberFilter.Get());
        if (g.stillNullRenderer)
            g.graph->RemoveFilter(g.stillNullRenderer.Get());
        g.stillGrabber.Reset();
        g.stillNullRenderer.Reset();
        g.stillGrabberFilter.Reset();
        return;
    }
    g.stillGrabber->SetOneShot(FALSE);
    g.stillGrabber->SetBufferSamples(TRUE);
    g.stillGrabber->SetCallback(StillImageCallback(), 1);
    DebugOutput(L"Device has still pin\r\n");
}

void SetCurrentDeviceFromMoniker() {
    for (size_t i = 0; i < g_capture.devices.size(); ++i) {
        if (g_capture.devices[i].moniker &&
            g_capture.devices[i].moniker->IsEqual(g_capture.graph.deviceMoniker.Get()) == S_OK)
            g_capture.currentDevice = static_cast<int>(i);
    }
}

} // namespace

void InitCaptureGraph(HWND viewWindow) {
    ReleaseCaptureGraph();
    g_capture.graph.notifyWindow = viewWindow;
    g_capture.frameRate = kDefaultFrameRate;
}

bool IsCaptureGraphOpen() {
    return g_capture.graph.graph != nullptr;
}

bool OpenCaptureGraph() {
    CaptureGraph& g = g_capture.graph;
    if (g.graph || !g.captureFilter)
        return false;

    g_capture.requestedFormat = WithKnownSubtype(g_capture.requestedFormat);
    if (g_capture.requestedFormat.width == 0 || g_capture.requestedFormat.height == 0) {
        EnsureCaptureFormats();
        ChooseDefaultCaptureFormat();
    }
    if (!SetRequestedFormat())
        return false;
    const bool isMjpg = g_capture.requestedFormat.subtype == kFourccMjpg;

    if (!AllocateFrameRing(g_capture.ring, g_capture.currentFormat.width, g_capture.currentFormat.height)) {
        DebugOutput(L"Could not allocate the frame buffers\r\n");
        ReleaseGraphObjects();
        return false;
    }
    if (!BuildPreviewBranch(isMjpg)) {
        ReleaseGraphObjects();
        return false;
    }
    ProbeCameraProperties();
    SetCurrentDeviceFromMoniker();
    BuildStillBranch();

    g.mediaControl->Run();
    PostToView(UM_CAMERA_OPENED);
    return true;
}

void CloseCaptureGraph() {
    CaptureGraph& g = g_capture.graph;
    if (!g.graph)
        return;
    g.mediaEvent->SetNotifyWindow(0, UM_GRAPH_EVENT, 0);
    g.mediaControl->Stop();
    ReleaseCaptureGraph();
    g_capture.currentDevice = -1;
    PostToView(UM_CAMERA_CLOSED);
}

void ReleaseCaptureGraph() {
    ReleaseGraphObjects();
    g_capture.graph.captureFilter.Reset();
    g_capture.graph.deviceMoniker.Reset();
}

void ReopenCaptureGraph() {
    CaptureGraph& g = g_capture.graph;
    if (!g.graph)
        return;
    ComPtr<IMoniker> moniker = g.deviceMoniker;
    ComPtr<IBaseFilter> filter = g.captureFilter;
    CloseCaptureGraph();
    g.deviceMoniker = moniker;
    g.captureFilter = filter;
    if (!OpenCaptureGraph()) {
        g.deviceMoniker.Reset();
        g.captureFilter.Reset();
    }
}

void EnumerateFormats(IBaseFilter* filter, FormatMap& yuy2Formats, FormatMap& mjpgFormats) {
    ComPtr<IAMStreamConfig> config = StreamConfigOf(filter);
    if (!config)
        return;
    WalkCapabilities(config.Get(), [&](const VideoFormat& format, const AM_MEDIA_TYPE*) {
        InsertFormat(format.subtype == kFourccMjpg ? mjpgFormats : yuy2Formats, format);
        return false;
    });
    config.Reset();
    AddInterpolatedFormats(mjpgFormats, kFourccMjpg);
    AddInterpolatedFormats(yuy2Formats, kFourccYuy2);
}

void EnsureCaptureFormats() {
    CaptureGraph& g = g_capture.graph;
    if (g.yuy2Formats.empty() && g.mjpgFormats.empty())
        EnumerateFormats(g.captureFilter.Get(), g.yuy2Formats, g.mjpgFormats);
}

void ChooseDefaultCaptureFormat() {
    if (std::optional<VideoFormat> format =
            ChooseDefaultFormat(g_capture.graph.mjpgFormats, g_capture.graph.yuy2Formats))
        g_capture.requestedFormat = *format;
}

bool SetCameraFormat(const VideoFormat& requested) {
    ComPtr<IAMStreamConfig> config = StreamConfigOf(g_capture.graph.captureFilter.Get());
    if (!config)
        return false;
    return WalkCapabilities(config.Get(), [&](const VideoFormat& format, AM_MEDIA_TYPE* type) {
        if (format.subtype != requested.subtype || format.width != requested.width ||
            format.height != requested.height)
            return false;
        // The capability's own media type, so the camera keeps that capability's frame rate.
        config->SetFormat(type);
        g_capture.currentFormat =
            VideoFormat{format.subtype, format.width, format.height, requested.interpolated};
        return true;
    });
}

void DrainGraphEvents() {
    IMediaEventEx* events = g_capture.graph.mediaEvent.Get();
    if (!events)
        return;
    long code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    while (events->GetEvent(&code, &param1, &param2, 0) == S_OK)
        events->FreeEventParams(code, param1, param2);
}

ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, bool unconnectedOnly) {
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins)))
        return nullptr;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        if (unconnectedOnly) {
            ComPtr<IPin> peer;
            if (pin->ConnectedTo(&peer) != VFW_E_NOT_CONNECTED)
                continue;
        }
        PIN_DIRECTION pinDirection;
        if (SUCCEEDED(pin->QueryDirection(&pinDirection)) && pinDirection == direction)
            return pin;
    }
    return nullptr;
}

ComPtr<IPin> FindStillPin(IBaseFilter* filter) {
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins)))
        return nullptr;
    bool passedFirstOutput = false;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT)
            continue;
        if (!passedFirstOutput) {
            passedFirstOutput = true;
            continue;
        }
        ComPtr<IPin> peer;
        if (pin->ConnectedTo(&peer) == VFW_E_NOT_CONNECTED)
            return pin;
    }
    return nullptr;
}
