#include "output/frame_recorder.h"

#include "output/video_encoding.h"

#include <cstring>
#include <new>
#include <system_error>

FrameRecorder::FrameRecorder(std::function<int64_t()> clock) : clock_(std::move(clock)) {}

FrameRecorder::~FrameRecorder() {
    Join();
}

bool FrameRecorder::Start(FrameSinkFactory makeSink, int width, int height, double frameRate,
                          RecorderThreadHooks hooks) {
    if (!makeSink || width <= 0 || height <= 0)
        return false;
    std::unique_lock<std::mutex> guard(lock_);
    if (phase_ != Phase::Idle)
        return false;
    ++generation_;
    frameBytes_ = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    capacity_ = QueueCapacity(frameBytes_, frameRate);
    queue_.clear();
    spare_.clear();
    reserved_ = 0;
    stop_ = false;
    paused_ = false;
    sinkFailed_ = false;
    finishedSound_ = false;
    fileCompleted_ = false;
    pausedTotal_ = 0;
    pauseStart_ = 0;
    recorded_ = 0;
    anyWritten_ = false;
    figures_ = {};
    phase_ = Phase::Starting;
    try {
        worker_ = std::thread(&FrameRecorder::Work, this, std::move(makeSink), std::move(hooks));
    } catch (const std::system_error&) {
        phase_ = Phase::Idle;
        return false;
    }
    finished_.wait(guard, [this] { return phase_ != Phase::Starting; });
    if (phase_ != Phase::Recording) { // no sink: the worker has ended
        guard.unlock();
        worker_.join();
        guard.lock();
        phase_ = Phase::Idle;
        return false;
    }
    // The time runs from here, once the writer is ready.
    startTime_ = clock_();
    taking_ = true;
    return true;
}

void FrameRecorder::Pause() {
    std::lock_guard<std::mutex> guard(lock_);
    if (phase_ != Phase::Recording || paused_)
        return;
    paused_ = true;
    pauseStart_ = clock_();
    taking_ = false;
}

void FrameRecorder::Resume() {
    std::lock_guard<std::mutex> guard(lock_);
    if (phase_ != Phase::Recording || !paused_)
        return;
    pausedTotal_ += clock_() - pauseStart_;
    paused_ = false;
    taking_ = true;
}

bool FrameRecorder::IsPaused() const {
    std::lock_guard<std::mutex> guard(lock_);
    return phase_ == Phase::Recording && paused_;
}

int64_t FrameRecorder::MediaTimeLocked(int64_t now) const {
    const int64_t time = now - startTime_ - pausedTotal_;
    return time > 0 ? time : 0;
}

void FrameRecorder::OfferFrame(const uint8_t* pixels, size_t length) {
    if (!pixels || !taking_.load(std::memory_order_relaxed))
        return;
    std::unique_ptr<uint8_t[]> buffer;
    int64_t time = 0;
    uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (phase_ != Phase::Recording || paused_ || length != frameBytes_)
            return;
        ++figures_.offered;
        if (queue_.size() + reserved_ >= capacity_) {
            ++figures_.dropped;
            return;
        }
        // Stamped on arrival: the time the frame was seen, however long it waits for the encoder.
        time = MediaTimeLocked(clock_());
        if (!spare_.empty()) {
            buffer = std::move(spare_.back());
            spare_.pop_back();
        }
        ++reserved_;
        generation = generation_;
    }
    // The copy is made outside the lock so that the worker never waits for it.
    if (!buffer)
        buffer.reset(new (std::nothrow) uint8_t[length]);
    if (buffer)
        std::memcpy(buffer.get(), pixels, length);

    std::lock_guard<std::mutex> guard(lock_);
    if (generation != generation_)
        return; // the recording it was made for is over and another has begun
    --reserved_;
    if (!buffer) {
        ++figures_.dropped;
        return;
    }
    if (phase_ != Phase::Recording) {
        ++figures_.discarded; // stopped while the copy was made
        return;
    }
    queue_.push_back({std::move(buffer), time});
    wake_.notify_one();
}

void FrameRecorder::RequestStop() {
    std::lock_guard<std::mutex> guard(lock_);
    if (phase_ != Phase::Recording)
        return;
    stop_ = true;
    taking_ = false;
    phase_ = Phase::Finishing;
    wake_.notify_one();
}

void FrameRecorder::WaitFinished() {
    std::unique_lock<std::mutex> guard(lock_);
    finished_.wait(guard, [this] { return phase_ != Phase::Recording && phase_ != Phase::Finishing; });
}

bool FrameRecorder::Join() {
    if (GetPhase() == Phase::Idle)
        return false;
    RequestStop();
    WaitFinished();
    if (worker_.joinable())
        worker_.join();
    std::lock_guard<std::mutex> guard(lock_);
    phase_ = Phase::Idle;
    return finishedSound_;
}

FrameRecorder::Phase FrameRecorder::GetPhase() const {
    std::lock_guard<std::mutex> guard(lock_);
    return phase_;
}

bool FrameRecorder::SinkFailed() const {
    std::lock_guard<std::mutex> guard(lock_);
    return sinkFailed_;
}

int64_t FrameRecorder::RecordedTime100ns() const {
    std::lock_guard<std::mutex> guard(lock_);
    return recorded_;
}

bool FrameRecorder::AnyFrameWritten() const {
    std::lock_guard<std::mutex> guard(lock_);
    return anyWritten_;
}

FrameRecorder::Outcome FrameRecorder::LastOutcome() const {
    std::lock_guard<std::mutex> guard(lock_);
    if (!anyWritten_)
        return Outcome::Empty;
    return fileCompleted_ ? Outcome::Complete : Outcome::Incomplete;
}

RecorderFigures FrameRecorder::Figures() const {
    std::lock_guard<std::mutex> guard(lock_);
    return figures_;
}

size_t FrameRecorder::Capacity() const {
    std::lock_guard<std::mutex> guard(lock_);
    return capacity_;
}

void FrameRecorder::TakeTallyLocked(bool keeps, const FrameSink::Tally& tally) {
    if (!keeps)
        return;
    figures_.written = tally.written;
    figures_.refused = tally.lost;
    anyWritten_ = tally.written > 0;
}

void FrameRecorder::Work(FrameSinkFactory makeSink, RecorderThreadHooks hooks) {
    if (hooks.starting)
        hooks.starting();
    std::unique_ptr<FrameSink> sink = makeSink();
    makeSink = nullptr;

    std::unique_lock<std::mutex> guard(lock_);
    phase_ = sink ? Phase::Recording : Phase::Idle;
    finished_.notify_all();
    if (!sink) {
        guard.unlock();
        if (hooks.ending)
            hooks.ending();
        return;
    }
    for (;;) {
        wake_.wait(guard, [this] { return stop_ || !queue_.empty(); });
        if (stop_)
            break;
        QueuedFrame frame = std::move(queue_.front());
        queue_.pop_front();
        guard.unlock();
        const FrameSink::Result result = sink->WriteFrame(frame.pixels.get(), frame.time100ns);
        FrameSink::Tally tally;
        const bool keeps = sink->KeepsTally(&tally);
        guard.lock();
        if (result == FrameSink::Result::Written) {
            ++figures_.written;
            recorded_ = frame.time100ns;
            anyWritten_ = true;
        } else {
            ++figures_.refused;
        }
        TakeTallyLocked(keeps, tally);
        if (result == FrameSink::Result::Failed) {
            // Nothing more fits: end the recording here and keep what the file holds.
            sinkFailed_ = true;
            stop_ = true;
            taking_ = false;
            phase_ = Phase::Finishing;
        }
        spare_.push_back(std::move(frame.pixels));
    }
    figures_.discarded += queue_.size();
    queue_.clear();
    spare_.clear();
    const bool failed = sinkFailed_;
    guard.unlock();

    const bool finished = sink->Finish();
    FrameSink::Tally tally;
    const bool keeps = sink->KeepsTally(&tally);
    sink.reset();
    if (hooks.ending)
        hooks.ending();

    guard.lock();
    TakeTallyLocked(keeps, tally);
    finishedSound_ = finished && !failed;
    fileCompleted_ = finished;
    phase_ = Phase::Finished;
    guard.unlock();
    finished_.notify_all();
    if (hooks.done)
        hooks.done();
}
