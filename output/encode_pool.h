// Frames encoded on a few threads at once and handed back in the order they came: the JPEG
// encoder of the Motion-JPEG writer is the slowest step of a recording, and one thread of it
// cannot keep up with large frames.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class EncodePool {
public:
    // Turns one frame into bytes; false when it could not. Each pool thread has its own.
    using Encoder = std::function<bool(const uint8_t* pixels, std::vector<uint8_t>& out)>;
    // Receives the encoded frames in submission order; ok is false for one that failed.
    using Sink = std::function<void(int64_t time100ns, bool ok, const std::vector<uint8_t>& bytes)>;

    struct Hooks {
        std::function<void()> threadStarting; // on each pool thread, before its encoder is made
        std::function<void()> threadEnding;   // on each pool thread, after its encoder is gone
    };

    // threads: how many frames are encoded at once (at least 1); frameBytes: size of every frame.
    // makeEncoder runs on each pool thread.
    EncodePool(int threads, size_t frameBytes, std::function<Encoder()> makeEncoder, Hooks hooks = {});
    ~EncodePool(); // encodes what was submitted, drops the results, ends the threads
    EncodePool(const EncodePool&) = delete;
    EncodePool& operator=(const EncodePool&) = delete;

    // Copies the frame in and has it encoded. Waits while `threads` frames are being encoded.
    // False, with nothing submitted, when the copy cannot be made.
    bool Submit(const uint8_t* pixels, int64_t time100ns);

    // Hands the frames that are done, up to the first that is not, to sink; with waitAll, waits
    // for every submitted frame. Returns how many were handed over.
    size_t Collect(bool waitAll, const Sink& sink);

    size_t InFlight() const;

private:
    struct Job {
        std::vector<uint8_t> pixels;
        std::vector<uint8_t> bytes;
        int64_t time100ns = 0;
        bool started = false;
        bool done = false;
        bool ok = false;
    };

    void Run(std::function<Encoder()> makeEncoder, Hooks hooks);

    const size_t limit_;
    const size_t frameBytes_;
    mutable std::mutex lock_;
    std::condition_variable work_;          // a job to take, or the end
    std::condition_variable changed_;       // a job done
    std::deque<std::unique_ptr<Job>> jobs_; // in submission order
    std::vector<std::unique_ptr<Job>> spare_;
    bool ending_ = false;
    std::vector<std::thread> threads_;
};
