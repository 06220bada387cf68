#include "output/video_recorder.h"

#include "base/debug_output.h"

#include "capture/capture_session.h"
#include "capture/frame_delivery.h"
#include "capture/frame_rate.h"
#include "capture/video_format.h"
#include "output/video_encoding.h"
#include "output/recent_files.h"

#include <objbase.h>
#include <strsafe.h>

#include <cstdlib>

namespace {

int64_t Now100ns() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart / frequency * 10000000 + counter.QuadPart % frequency * 10000000 / frequency;
}

// Lives for the process: the streaming thread may still be inside the hand-off after a stop, and
// the worker signals the event as its very last step.
FrameRecorder& Recorder() {
    static FrameRecorder* recorder = new FrameRecorder(Now100ns);
    return *recorder;
}

HANDLE FinishedEvent() {
    static HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

// The recorder's record: one recording at a time, user-interface thread.
struct RecorderState {
    VideoWriterKind writer = VideoWriterKind::None;
    bool stopping = false;
    bool lastComplete = false;
    std::wstring path; // of the running recording
};
RecorderState s_recorder;

// A file no frame reached, or one left by a start that failed, is no recording.
void RemoveRecordingFiles(const std::wstring& path) {
    DeleteFileW(path.c_str());
    const std::wstring picture = VideoPreviewPicturePath(path);
    if (!picture.empty())
        DeleteFileW(picture.c_str());
}

// Waits for the event while dispatching this thread's messages, so that windows stay responsive
// and timers keep firing. A quit message seen meanwhile is posted again afterwards.
void WaitDispatching(HANDLE event) {
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0)
            break;
        if (woke != WAIT_OBJECT_0 + 1) {
            WaitForSingleObject(event, INFINITE);
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            DispatchMessageW(&msg);
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
}

// Keeps the first frame written as a picture beside the video (same name, "jpg"): the Files
// section previews a recording through it.
class PictureBesideSink final : public FrameSink {
public:
    PictureBesideSink(std::unique_ptr<FrameSink> inner, const VideoFileSetup& setup)
        : inner_(std::move(inner)), picturePath_(VideoPreviewPicturePath(setup.path)), width_(setup.width),
          height_(setup.height) {}

    Result WriteFrame(const uint8_t* pixels, int64_t time100ns) override {
        const Result result = inner_->WriteFrame(pixels, time100ns);
        if (result == Result::Written && !pictureDone_) {
            pictureDone_ = true;
            SavePicture(pixels);
        }
        return result;
    }
    bool Finish() override { return inner_->Finish(); }
    bool KeepsTally(Tally* tally) const override { return inner_->KeepsTally(tally); }

private:
    void SavePicture(const uint8_t* pixels) {
        if (picturePath_.empty())
            return;
        JpegFrameEncoder encoder;
        size_t size = 0;
        const uint8_t* jpeg = encoder.Encode(pixels, width_, height_, &size);
        if (!jpeg)
            return;
        FileByteSink file;
        if (file.Open(picturePath_, nullptr))
            file.Write(jpeg, size);
    }

    std::unique_ptr<FrameSink> inner_;
    std::wstring picturePath_;
    int width_;
    int height_;
    bool pictureDone_ = false;
};

RecordingEnd EndRecording() {
    s_recorder.lastComplete = Recorder().Join();
    g_recorderFrameHook = nullptr;
    switch (Recorder().LastOutcome()) {
        case FrameRecorder::Outcome::Complete:
            return RecordingEnd::Complete;
        case FrameRecorder::Outcome::Incomplete:
            return RecordingEnd::Incomplete;
        default:
            RemoveRecordingFiles(s_recorder.path);
            return RecordingEnd::Empty;
    }
}

} // namespace

void OfferRecorderFrame(const uint8_t* frame, size_t length) {
    Recorder().OfferFrame(frame, length);
}

RecordStartError StartRecording(const std::wstring& path) {
    if (Recorder().GetPhase() != FrameRecorder::Phase::Idle || s_recorder.stopping)
        return RecordStartError::Busy;
    const int width = g_capture.currentFormat.width;
    const int height = std::abs(g_capture.currentFormat.height);
    if (width <= 0 || height <= 0)
        return RecordStartError::NoCamera;

    VideoFileSetup setup;
    setup.path = path;
    setup.width = width;
    setup.height = height;
    // Raised before the writer takes it: a camera that has just started or stalls measures low.
    setup.frameRate = RecordingFrameRate(g_capture.frameRate.load());

    RecordStartError error = RecordStartError::None;
    VideoWriterKind writer = VideoWriterKind::None;
    // Made on the worker, in its apartment; Start waits for the outcome.
    const FrameSinkFactory makeSink = [&]() -> std::unique_ptr<FrameSink> {
        HRESULT hr = S_OK;
        if (auto sink = CreateMediaFoundationSink(setup, &hr)) {
            writer = VideoWriterKind::MediaFoundation;
            return std::make_unique<PictureBesideSink>(std::move(sink), setup);
        }
        DebugFailure(L"SetupSinkWriter (recording Motion-JPEG instead)", hr);
        MjpegSinkError mjpegError = MjpegSinkError::None;
        if (auto sink = CreateMjpegSink(setup, &mjpegError)) {
            writer = VideoWriterKind::MotionJpeg;
            return std::make_unique<PictureBesideSink>(std::move(sink), setup);
        }
        error = mjpegError == MjpegSinkError::NoEncoder ? RecordStartError::NoEncoder
                                                        : RecordStartError::CannotCreateFile;
        return nullptr;
    };
    RecorderThreadHooks hooks;
    hooks.starting = [] { CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
    hooks.ending = [] { CoUninitialize(); };
    hooks.done = [] { SetEvent(FinishedEvent()); };

    ResetEvent(FinishedEvent());
    const bool existed = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!Recorder().Start(makeSink, width, height, setup.frameRate, std::move(hooks))) {
        // A writer that gave up after creating its file leaves nothing behind.
        if (!existed)
            RemoveRecordingFiles(path);
        return error != RecordStartError::None ? error : RecordStartError::NoThread;
    }
    s_recorder.path = path;
    s_recorder.writer = writer;
    s_recorder.lastComplete = false;
    g_recorderFrameHook = OfferRecorderFrame;
    return RecordStartError::None;
}

RecordingEnd StopRecording() {
    if (s_recorder.stopping || Recorder().GetPhase() == FrameRecorder::Phase::Idle)
        return RecordingEnd::NotRunning;
    s_recorder.stopping = true;
    Recorder().RequestStop();
    WaitDispatching(FinishedEvent());
    const RecordingEnd end = EndRecording();
    s_recorder.stopping = false;
    return end;
}

RecordingEnd StopRecordingQuietly(unsigned timeoutMs) {
    if (s_recorder.stopping || Recorder().GetPhase() == FrameRecorder::Phase::Idle)
        return RecordingEnd::NotRunning;
    Recorder().RequestStop();
    g_recorderFrameHook = nullptr;
    if (WaitForSingleObject(FinishedEvent(), timeoutMs) == WAIT_OBJECT_0)
        return EndRecording();
    OutputDebugStringW(L"StopRecording: the file was not completed in time\r\n");
    return RecordingEnd::Incomplete;
}

void PauseRecording() {
    Recorder().Pause();
}

void ResumeRecording() {
    Recorder().Resume();
}

bool IsRecordingPaused() {
    return Recorder().IsPaused();
}

bool IsRecording() {
    return Recorder().IsRecording();
}

bool RecordingFailed() {
    return Recorder().SinkFailed() && Recorder().GetPhase() != FrameRecorder::Phase::Idle;
}

int64_t RecordedTenths() {
    return Recorder().RecordedTime100ns() / 1000000;
}

RecorderFigures CurrentRecorderFigures() {
    return Recorder().Figures();
}

bool LastRecordingComplete() {
    return s_recorder.lastComplete;
}

VideoWriterKind CurrentVideoWriter() {
    return s_recorder.writer;
}
