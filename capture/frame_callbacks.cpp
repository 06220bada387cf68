#include "capture/frame_callbacks.h"

#include "capture/capture_session.h"
#include "capture/capture_messages.h"
#include "capture/capture_graph.h"
#include "capture/frame_delivery.h"
#include "capture/frame_rate.h"
#include "capture/frame_ring.h"

#include <mmsystem.h>

namespace {

// Static objects without reference counting: they outlive every graph.
class CallbackBase : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, __uuidof(ISampleGrabberCB)) || IsEqualIID(riid, IID_IUnknown)) {
            *object = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 2; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
};

// Lives for the process: a close does not forget the frame times.
FrameTimeWindow s_frameTimes;

class GrabberCallback final : public CallbackBase {
public:
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE* buffer, long length) override {
        if (length < 0)
            return 0;
        const FrameOutcome outcome = DeliverFrame(g_capture.ring, s_frameTimes, g_capture.frameRate, buffer,
                                                  static_cast<size_t>(length), timeGetTime());
        // A null window would mean every window (InvalidateRect) or this thread (PostMessage).
        const HWND view = g_capture.graph.notifyWindow;
        if (!view)
            return 0;
        if (outcome == FrameOutcome::SignalFrame)
            PostMessageW(view, UM_ZOOM_STEP, 0, 0);
        else if (outcome == FrameOutcome::Published)
            InvalidateRect(view, nullptr, FALSE);
        return 0;
    }
};

class StillCallback final : public CallbackBase {
public:
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, long) override {
        if (g_capture.graph.notifyWindow)
            PostMessageW(g_capture.graph.notifyWindow, UM_STILL_BUTTON, 0, 0);
        return 0;
    }
};

GrabberCallback s_grabberCallback;
StillCallback s_stillCallback;

} // namespace

ISampleGrabberCB* PreviewFrameCallback() {
    return &s_grabberCallback;
}

ISampleGrabberCB* StillImageCallback() {
    return &s_stillCallback;
}
