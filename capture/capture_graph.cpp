#include "capture/capture_graph.h"

#include "capture/capture_messages.h"
#include "capture/camera_controls.h"
#include "capture/debug_output.h"
#include "capture/device_list.h"
#include "capture/frame_callbacks.h"
#include "capture/frame_rate.h"
#include "capture/frame_ring.h"
#include "capture/frame_filters.h"

using Microsoft::WRL::ComPtr;

CaptureGraph g_captureGraph;

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
    if (g_captureGraph.notifyWindow)
        PostMessageW(g_captureGraph.notifyWindow, message, 0, 0);
}

// Everything the open built, in release order; the caller's moniker and filter are kept.
void ReleaseGraphObjects() {
    CaptureGraph& g = g_captureGraph;
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
    FreeFrameRing(g_frameRing);
    ClearFilterFlags();
    g_captureFormat = VideoFormat{0, 0, 0, 0};
    g_frameRate = kDefaultFrameRate;
}

ComPtr<IBaseFilter> CreateFilter(const CLSID& clsid) {
    ComPtr<IBaseFilter> filter;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&filter));
    return filter;
}

// The camera's format: the request, else (once) the camera's default.
bool SetRequestedFormat() {
    if (Camera_SetFormat(CameraFormatFor(g_requestedFormat)))
        return true;
    DebugOutput(L"Camera_SetFormat FAILED, try again...\r\n");
    EnsureCaptureFormats();
    ChooseDefaultCaptureFormat();
    if (Camera_SetFormat(CameraFormatFor(g_requestedFormat)))
        return true;
    DebugOutput(L"Camera_SetFormat FAILED.\r\n");
    return false;
}

// The graph from the camera's output to the preview null renderer. False as soon as a piece is
// missing or a connection fails.
bool BuildPreviewBranch(bool isMjpg) {
    CaptureGraph& g = g_captureGraph;
    if (FAILED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&g.captureBuilder))) ||
        FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&g.graph))) ||
        FAILED(g.graph.As(&g.mediaControl)) ||
        // mingw has no __uuidof for IMediaEventEx.
        FAILED(g.graph->QueryInterface(IID_IMediaEventEx,
                                       reinterpret_cast<void**>(g.mediaEvent.GetAddressOf()))) ||
        FAILED(g.captureBuilder->SetFiltergraph(g.graph.Get()))) {
        DebugOutput(L"Could not create the filter graph\r\n");
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
    if (FAILED(g.graph->AddFilter(g.captureFilter.Get(), L"Camera Input")) ||
        (g.mjpgDecoder && FAILED(g.graph->AddFilter(g.mjpgDecoder.Get(), L"Mjpg Filter"))) ||
        FAILED(g.graph->AddFilter(g.previewGrabberFilter.Get(), L"Sample Grabber")) ||
        FAILED(g.graph->AddFilter(g.previewNullRenderer.Get(), L"Null Filter"))) {
        DebugOutput(L"Could not add the filters to the graph\r\n");
        return false;
    }

    AM_MEDIA_TYPE rgb24 = {};
    rgb24.majortype = MEDIATYPE_Video;
    rgb24.subtype = MEDIASUBTYPE_RGB24;
    if (FAILED(g.previewGrabberFilter.As(&g.previewGrabber)) ||
        FAILED(g.previewGrabber->SetMediaType(&rgb24))) {
        DebugOutput(L"Could not SetMediaType to Video / RGB24\r\n");
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

    bool connected;
    if (g.mjpgDecoder) {
        connected = SUCCEEDED(g.graph->Connect(g.capturePin.Get(), g.decoderInPin.Get())) &&
                    SUCCEEDED(g.graph->Connect(g.decoderOutPin.Get(), g.grabberInPin.Get()));
    } else {
        connected = SUCCEEDED(g.graph->Connect(g.capturePin.Get(), g.grabberInPin.Get()));
    }
    if (!connected) {
        DebugOutput(L"Could not connect the camera to the sample grabber\r\n");
        return false;
    }
    if (FAILED(g.graph->Connect(g.grabberOutPin.Get(), g.nullInPin.Get()))) {
        DebugOutput(L"Could not connect the sample grabber to the null renderer\r\n");
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
    CaptureGraph& g = g_captureGraph;
    g.stillPin = FindStillPin(g.captureFilter.Get());
    if (!g.stillPin) {
        DebugOutput(L"Device does not have still pin\r\n");
        return;
    }
    g.stillGrabberFilter = CreateFilter(CLSID_SampleGrabber);
    g.stillNullRenderer = CreateFilter(CLSID_NullRenderer);
    bool ok = g.stillGrabberFilter && g.stillNullRenderer &&
              SUCCEEDED(g.graph->AddFilter(g.stillGrabberFilter.Get(), L"Sample Grabber2")) &&
              SUCCEEDED(g.graph->AddFilter(g.stillNullRenderer.Get(), L"Null Filter2")) &&
              SUCCEEDED(g.stillGrabberFilter.As(&g.stillGrabber));
    ok = ok && SUCCEEDED(g.captureBuilder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video,
                                                        g.captureFilter.Get(), g.stillGrabberFilter.Get(),
                                                        g.stillNullRenderer.Get()));
    if (!ok) {
        DebugOutput(L"Could not connect the still pin\r\n");
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
    for (size_t i = 0; i < g_devices.size(); ++i) {
        if (g_devices[i].moniker && g_devices[i].moniker->IsEqual(g_captureGraph.deviceMoniker.Get()) == S_OK)
            g_currentDevice = static_cast<int>(i);
    }
}

} // namespace

void InitCaptureGraph(HWND viewWindow) {
    ReleaseCaptureGraph();
    g_captureGraph.notifyWindow = viewWindow;
    g_frameRate = kDefaultFrameRate;
}

bool IsCaptureGraphOpen() {
    return g_captureGraph.graph != nullptr;
}

bool OpenCaptureGraph() {
    CaptureGraph& g = g_captureGraph;
    if (g.graph || !g.captureFilter)
        return false;

    g_requestedFormat = WithKnownSubtype(g_requestedFormat);
    if (g_requestedFormat.width == 0 || g_requestedFormat.height == 0) {
        EnsureCaptureFormats();
        ChooseDefaultCaptureFormat();
    }
    if (!SetRequestedFormat())
        return false;
    const bool isMjpg = g_requestedFormat.subtype == kFourccMjpg;

    if (!AllocateFrameRing(g_frameRing, g_captureFormat.width, g_captureFormat.height)) {
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
    CaptureGraph& g = g_captureGraph;
    if (!g.graph)
        return;
    g.mediaEvent->SetNotifyWindow(0, UM_GRAPH_EVENT, 0);
    g.mediaControl->Stop();
    ReleaseCaptureGraph();
    g_currentDevice = -1;
    PostToView(UM_CAMERA_CLOSED);
}

void ReleaseCaptureGraph() {
    ReleaseGraphObjects();
    g_captureGraph.captureFilter.Reset();
    g_captureGraph.deviceMoniker.Reset();
}

void ReopenCaptureGraph() {
    CaptureGraph& g = g_captureGraph;
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
    CaptureGraph& g = g_captureGraph;
    if (g.yuy2Formats.empty() && g.mjpgFormats.empty())
        EnumerateFormats(g.captureFilter.Get(), g.yuy2Formats, g.mjpgFormats);
}

void ChooseDefaultCaptureFormat() {
    if (std::optional<VideoFormat> format =
            ChooseDefaultFormat(g_captureGraph.mjpgFormats, g_captureGraph.yuy2Formats))
        g_requestedFormat = *format;
}

bool Camera_SetFormat(const VideoFormat& requested) {
    ComPtr<IAMStreamConfig> config = StreamConfigOf(g_captureGraph.captureFilter.Get());
    if (!config)
        return false;
    return WalkCapabilities(config.Get(), [&](const VideoFormat& format, AM_MEDIA_TYPE* type) {
        if (format.subtype != requested.subtype || format.width != requested.width ||
            format.height != requested.height)
            return false;
        // The capability's own media type, so the camera keeps that capability's frame rate.
        config->SetFormat(type);
        g_captureFormat = VideoFormat{format.subtype, format.width, format.height, requested.interpolated};
        return true;
    });
}

void DrainGraphEvents() {
    IMediaEventEx* events = g_captureGraph.mediaEvent.Get();
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
