// The one open camera: a running DirectShow graph that hands every preview frame, as RGB24, to the
// frame callbacks, and every still image (when the camera has a still pin) to the still callback.
// User-interface thread only.
//
// Opening a device: close any open camera, write g_capture.requestedFormat (0x0 lets the camera's default
// be chosen), set deviceMoniker and captureFilter from the chosen CaptureDeviceInfo (each with its
// own reference), call OpenCaptureGraph, then EnsureCaptureFormats.
#pragma once

#include "capture/camera_property.h"
#include "capture/format_map.h"
#include "capture/media_types.h"

#include <dshow.h>
#include <wrl/client.h>

struct CaptureGraph {
    template <typename T> using Ref = Microsoft::WRL::ComPtr<T>;

    // Set by the caller before opening.
    Ref<IMoniker> deviceMoniker;
    Ref<IBaseFilter> captureFilter;

    Ref<IGraphBuilder> graph; // null while closed
    Ref<ICaptureGraphBuilder2> captureBuilder;
    Ref<IMediaControl> mediaControl;
    Ref<IMediaEventEx> mediaEvent;
    Ref<IBaseFilter> mjpgDecoder; // MJPG only, and only where the platform has the decompressor
    Ref<IBaseFilter> previewGrabberFilter;
    Ref<ISampleGrabber> previewGrabber;
    Ref<IBaseFilter> previewNullRenderer;
    Ref<IBaseFilter> stillGrabberFilter; // the still-pin branch, only when the camera has one
    Ref<ISampleGrabber> stillGrabber;
    Ref<IBaseFilter> stillNullRenderer;
    Ref<IPin> capturePin, decoderInPin, decoderOutPin, grabberInPin, grabberOutPin, nullInPin, stillPin;

    FormatMap yuy2Formats; // the open camera's formats
    FormatMap mjpgFormats;

    Ref<IAMCameraControl> cameraControl; // null when the camera lacks it
    Ref<IAMVideoProcAmp> procAmp;
    CameraProperties properties{}; // zero while closed

    HWND notifyWindow = nullptr; // the camera view: every notification is posted here
};

// Once, when the camera view is created: clears everything and remembers the view.
void InitCaptureGraph(HWND viewWindow);

bool IsCaptureGraphOpen();

// Builds and runs the graph for deviceMoniker/captureFilter with g_capture.requestedFormat (choosing the
// camera's default when the request has no size, and once more when the camera refuses the
// request). Posts UM_CAMERA_OPENED and returns true when the graph runs. On failure nothing of the
// graph is left, no message is posted, and deviceMoniker/captureFilter stay as the caller set them.
bool OpenCaptureGraph();

// Stops and releases the graph, sets g_capture.currentDevice to -1 and posts UM_CAMERA_CLOSED. Nothing
// when no graph exists.
void CloseCaptureGraph();

// Releases everything, deviceMoniker and captureFilter included; stops the graph first if it
// still runs. Posts nothing.
void ReleaseCaptureGraph();

// Closes and opens the same device again with the current g_capture.requestedFormat. Nothing when closed.
void ReopenCaptureGraph();

// Fills the two maps from the filter's first output pin; unchanged when it has no stream config.
void EnumerateFormats(IBaseFilter* filter, FormatMap& yuy2Formats, FormatMap& mjpgFormats);

// Enumerates the open camera's formats unless it has some already.
void EnsureCaptureFormats();

// Writes the open camera's default format into g_capture.requestedFormat (unchanged without formats).
void ChooseDefaultCaptureFormat();

// Sets the camera to the first capability of this subtype and size, with that capability's frame
// rate, and records it in g_capture.currentFormat. False when the camera lists no such capability.
bool SetCameraFormat(const VideoFormat& requested);

// Takes and frees every waiting graph event (on UM_GRAPH_EVENT).
void DrainGraphEvents();

// The filter's first pin of this direction (only unconnected ones if asked), or null.
Microsoft::WRL::ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, bool unconnectedOnly);

// The first unconnected output pin after the filter's first output pin, or null.
Microsoft::WRL::ComPtr<IPin> FindStillPin(IBaseFilter* filter);
