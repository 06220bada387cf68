// The video recorder without the platform: frames copied off the streaming thread into a bounded
// queue, stamped with the time they arrive (pauses left out), and written by a worker thread to a
// frame sink until the recording stops or the sink fails.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Where a recording's frames go: the platform's H.264 writer or the program's own Motion-JPEG
// writer. Made, called and destroyed on the recorder's worker thread only, so that everything
// it holds lives on one thread.
class FrameSink {
public:
    enum class Result {
        Written, // the frame is in the file
        Dropped, // this frame is lost, the file goes on
        Failed,  // the file takes nothing more (disk full, device gone): the recording ends
    };
    virtual ~FrameSink() = default;
    // One frame of the recording's size: bytes B, G, R, rows bottom-up without gaps, at time100ns
    // (100-ns units since the start, pauses left out).
    virtual Result WriteFrame(const uint8_t* pixels, int64_t time100ns) = 0;
    // Completes the file after the last frame. False when that failed.
    virtual bool Finish() = 0;

    // Frames in the file and frames given to the sink but lost, so far.
    struct Tally {
        uint64_t written = 0;
        uint64_t lost = 0;
    };
    // A sink that writes frames some time after it was given them (its encoders run on other
    // threads) keeps this count itself, complete once Finish has returned, and answers true; the
    // recorder then takes it instead of counting WriteFrame's answers.
    virtual bool KeepsTally(Tally* tally) const {
        (void)tally;
        return false;
    }
};

struct RecorderFigures {
    uint64_t offered = 0;   // frames that came while recording and not paused
    uint64_t written = 0;   // frames in the file
    uint64_t dropped = 0;   // not queued: the queue was full or memory short
    uint64_t refused = 0;   // queued, but the sink lost them
    uint64_t discarded = 0; // still queued at the stop
};

// Makes the sink on the worker thread; null when the file cannot be set up.
using FrameSinkFactory = std::function<std::unique_ptr<FrameSink>()>;

// The worker thread's platform set-up and its last word.
struct RecorderThreadHooks {
    std::function<void()> starting; // first thing on the worker, before the sink is made
    std::function<void()> ending;   // on the worker, after the sink has been destroyed
    std::function<void()> done;     // the very last thing the worker of a started recording does
};

class FrameRecorder {
public:
    // What the last recording left on disk, as known once Join has returned.
    enum class Outcome {
        Complete,   // frames in a completed file (also when the sink failed before the stop)
        Empty,      // no frame reached the file: nothing worth keeping
        Incomplete, // frames were written but completing the file failed
    };

    enum class Phase {
        Idle,      // nothing running
        Starting,  // the worker makes its sink
        Recording, // taking frames (also while paused)
        Finishing, // stopped or the sink failed: the worker completes the file
        Finished,  // the file is complete; Join() makes the recorder idle again
    };

    // clock: a steady time in 100-ns units.
    explicit FrameRecorder(std::function<int64_t()> clock);
    ~FrameRecorder(); // stops a recording and waits for its file
    FrameRecorder(const FrameRecorder&) = delete;
    FrameRecorder& operator=(const FrameRecorder&) = delete;

    // Starts a worker that makes its sink with makeSink and waits until it has: a recording of
    // width x height frames, with up to QueueCapacity frames waiting. False, with the worker gone,
    // when the sink could not be made; false while not idle or for a size that is not positive.
    bool Start(FrameSinkFactory makeSink, int width, int height, double frameRate,
               RecorderThreadHooks hooks = {});

    // Frames arriving meanwhile are not taken, and the time does not run on.
    void Pause();
    void Resume();
    bool IsPaused() const;

    // On the streaming thread, for every frame: copies it into the queue while recording and not
    // paused. A frame of another size is ignored; one that finds the queue full is dropped.
    void OfferFrame(const uint8_t* pixels, size_t length);

    // Stops taking frames and lets the worker discard what is queued and complete the file.
    // Returns at once; nothing when not recording.
    void RequestStop();
    // Waits until the file is complete (returns at once when nothing runs).
    void WaitFinished();
    // After the file is complete: ends the worker and makes the recorder idle. Waits for the
    // file when it is not complete yet. Returns whether the file was completed without a fault
    // (false when nothing was running).
    bool Join();

    Phase GetPhase() const;
    bool IsRecording() const { return GetPhase() == Phase::Recording; }
    // The sink failed: the recording ended by itself.
    bool SinkFailed() const;

    // Media time of the newest frame in the file (100-ns units); 0 before the first.
    int64_t RecordedTime100ns() const;
    bool AnyFrameWritten() const;
    Outcome LastOutcome() const;
    RecorderFigures Figures() const;
    size_t Capacity() const;

private:
    struct QueuedFrame {
        std::unique_ptr<uint8_t[]> pixels;
        int64_t time100ns = 0;
    };

    void Work(FrameSinkFactory makeSink, RecorderThreadHooks hooks);
    // With the lock held: the sink's own count, where it keeps one, replaces the recorder's.
    void TakeTallyLocked(bool keeps, const FrameSink::Tally& tally);
    int64_t MediaTimeLocked(int64_t now) const;

    std::function<int64_t()> clock_;
    mutable std::mutex lock_;
    std::condition_variable wake_;     // the worker: a frame or the stop
    std::condition_variable finished_; // the sink is made or given up, or the file is complete
    std::thread worker_;

    std::atomic<bool> taking_{false}; // quick look for the streaming thread
    Phase phase_ = Phase::Idle;
    bool stop_ = false;
    bool paused_ = false;
    bool sinkFailed_ = false;
    bool finishedSound_ = false;
    bool fileCompleted_ = false; // the sink's Finish succeeded
    uint64_t generation_ = 0;    // tells a copy made for an earlier recording apart

    size_t frameBytes_ = 0;
    size_t capacity_ = 0;
    size_t reserved_ = 0; // copies being made outside the lock
    std::deque<QueuedFrame> queue_;
    std::vector<std::unique_ptr<uint8_t[]>> spare_; // buffers to reuse, so that copying rarely allocates

    int64_t startTime_ = 0;
    int64_t pausedTotal_ = 0;
    int64_t pauseStart_ = 0;
    int64_t recorded_ = 0;
    bool anyWritten_ = false;
    RecorderFigures figures_;
};
