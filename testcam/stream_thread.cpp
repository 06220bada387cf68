// The filter's state changes and its streaming thread. A live source: frames flow only while
// running; Pause never waits for the thread (a renderer may hold a Receive while paused),
// Stop decommits the allocators, which frees a thread waiting for a buffer, then waits.
#include <cstdint>

#include "testcam/camera_filter.h"
#include "testcam/locks.h"

namespace {

int64_t Now100ns() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return int64_t(c.QuadPart / frequency * 10000000 + c.QuadPart % frequency * 10000000 / frequency);
}

} // namespace

STDMETHODIMP CameraFilter::Stop() {
    Locked lock(&lock_);
    const LONG previous = InterlockedExchange(&state_, State_Stopped);
    if (previous == State_Stopped)
        return S_OK;
    // Presses nobody took are forgotten once the camera stops.
    if (previous == State_Running && block_ && InterlockedDecrement(&block_->running) == 0)
        InterlockedExchange(&block_->pendingSnapshots, 0);
    lock.Unlock();
    StopStreaming();
    return S_OK;
}

STDMETHODIMP CameraFilter::Pause() {
    Locked lock(&lock_);
    const LONG previous = InterlockedExchange(&state_, State_Paused);
    if (previous == State_Running && block_)
        InterlockedDecrement(&block_->running);
    if (previous == State_Stopped) {
        const HRESULT hr = StartStreaming();
        if (FAILED(hr)) {
            InterlockedExchange(&state_, State_Stopped);
            return hr;
        }
    }
    return S_OK;
}

STDMETHODIMP CameraFilter::Run(REFERENCE_TIME start) {
    Locked lock(&lock_);
    if (State() == State_Stopped) {
        const HRESULT hr = StartStreaming();
        if (FAILED(hr))
            return hr;
    }
    start_ = start;
    const LONG previous = InterlockedExchange(&state_, State_Running);
    if (previous != State_Running && block_)
        InterlockedIncrement(&block_->running);
    return S_OK;
}

// With the lock held, on the way out of Stopped.
HRESULT CameraFilter::StartStreaming() {
    HRESULT hr = capturePin_.Commit();
    if (SUCCEEDED(hr) && hasStill_)
        hr = stillPin_.Commit();
    if (FAILED(hr)) {
        capturePin_.Decommit();
        stillPin_.Decommit();
        return hr;
    }
    if (!thread_) {
        ResetEvent(stopEvent_);
        thread_ = CreateThread(nullptr, 0, &CameraFilter::StreamThread, this, 0, nullptr);
        if (!thread_)
            return HRESULT_FROM_WIN32(GetLastError());
    }
    return S_OK;
}

// Without the lock: the streaming thread may be inside a downstream call that waits for us.
void CameraFilter::StopStreaming() {
    HANDLE thread = nullptr;
    {
        Locked lock(&lock_);
        thread = thread_;
        thread_ = nullptr;
        SetEvent(stopEvent_);
        capturePin_.Decommit();
        stillPin_.Decommit();
    }
    if (!thread)
        return;
    while (WaitForSingleObject(thread, 5000) == WAIT_TIMEOUT)
        OutputDebugStringW(L"testcam: still waiting for the streaming thread to end\r\n");
    CloseHandle(thread);
}

DWORD WINAPI CameraFilter::StreamThread(void* filter) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<CameraFilter*>(filter)->StreamLoop();
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

int CameraFilter::DeliveryFps() const {
    if (config_.frameRate > 0)
        return config_.frameRate;
    VideoType t = capturePin_.IsConnected() ? capturePin_.ConnectedType() : capturePin_.CurrentFormat();
    if (t.interval <= 0)
        return 30;
    const int fps = int((10000000 + t.interval / 2) / t.interval);
    return fps < 1 ? 1 : fps > 1000 ? 1000 : fps;
}

void CameraFilter::StreamLoop() {
    const int fps = DeliveryFps();
    const int64_t interval = 10000000 / fps;
    int64_t next = Now100ns();
    int frameIndex = 0;
    bool firstCapture = true, firstStill = true;
    for (;;) {
        const int64_t wait = next - Now100ns();
        const DWORD waitMs = wait > 0 ? DWORD((wait + 9999) / 10000) : 0;
        if (WaitForSingleObject(stopEvent_, waitMs) == WAIT_OBJECT_0)
            break;
        const int64_t now = Now100ns();
        if (now < next)
            continue;
        next += interval;
        if (next < now)
            next = now + interval; // fell behind: keep the rate, drop the missed ticks
        if (State() != State_Running)
            continue;

        REFERENCE_TIME streamTime = REFERENCE_TIME(frameIndex) * interval;
        {
            Locked lock(&lock_);
            REFERENCE_TIME clockTime = 0;
            if (clock_ && SUCCEEDED(clock_->GetTime(&clockTime)))
                streamTime = clockTime - start_;
        }

        if (capturePin_.IsConnected()) {
            const bool signal = config_.picture == TestCamPicture::SignalFrame ||
                                (block_ && TakePending(&block_->pendingSignalFrames));
            const TestCamPicture picture = signal ? TestCamPicture::SignalFrame : config_.picture;
            const HRESULT hr = capturePin_.Deliver(frames_, picture, frameIndex, fps, streamTime,
                                                   streamTime + interval, firstCapture);
            if (hr != VFW_E_NOT_COMMITTED && hr != E_FAIL && block_) {
                InterlockedIncrement(&block_->framesDelivered);
                if (signal)
                    InterlockedIncrement(&block_->signalFramesDelivered);
            }
            firstCapture = false;
        }
        ++frameIndex;

        // A press reaches the still pin if it is connected; without one it is lost.
        if (block_ && TakePending(&block_->pendingSnapshots) && hasStill_ && stillPin_.IsConnected()) {
            const HRESULT hr = stillPin_.Deliver(frames_, config_.picture, frameIndex, fps, streamTime,
                                                 streamTime + interval, firstStill);
            if (hr != VFW_E_NOT_COMMITTED && hr != E_FAIL)
                InterlockedIncrement(&block_->stillsDelivered);
            firstStill = false;
        }
    }
}
