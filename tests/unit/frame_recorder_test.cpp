#include "output/frame_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr int kWidth = 8;
constexpr int kHeight = 4;
constexpr size_t kFrameBytes = kWidth * kHeight * 3;
constexpr int64_t kMs = 10000; // 100-ns units

// A clock the test moves by hand.
struct FakeClock {
    std::atomic<int64_t> now{5000 * kMs};
    void Advance(int64_t ms) { now += ms * kMs; }
};

// What the sinks were given and did, shared with the test (the worker destroys each sink itself),
// and how the next ones behave: set before Start.
struct SinkLog {
    std::mutex lock;
    std::vector<int64_t> times;
    std::vector<uint8_t> firstBytes;
    std::vector<std::string> events;
    std::thread::id writerThread, destroyThread;
    std::atomic<int> entered{0};    // writes begun
    std::atomic<bool> gated{false}; // writes wait while it is set
    int failAt = -1;                // writes from this frame on fail
    bool finishFails = false;
    // Keeps its own tally, as an encoder pool does: each frame reaches the file `lag` frames after
    // it was given (the last ones at Finish); frame number `lose` and those from `loseFrom` on never do.
    int lag = 0, lose = -1, loseFrom = 1 << 30;

    void Event(const std::string& e) {
        std::lock_guard<std::mutex> guard(lock);
        events.push_back(e);
    }
    long Count(const std::string& e) {
        std::lock_guard<std::mutex> guard(lock);
        return std::count(events.begin(), events.end(), e);
    }
};

class FakeSink : public FrameSink {
public:
    explicit FakeSink(SinkLog& log) : log_(log) {}
    ~FakeSink() override {
        log_.destroyThread = std::this_thread::get_id();
        log_.Event("destroyed");
    }
    Result WriteFrame(const uint8_t* pixels, int64_t time100ns) override {
        ++log_.entered;
        while (log_.gated)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard<std::mutex> guard(log_.lock);
        log_.writerThread = std::this_thread::get_id();
        if (log_.failAt >= 0 && static_cast<int>(log_.times.size()) >= log_.failAt)
            return Result::Failed;
        log_.times.push_back(time100ns);
        log_.firstBytes.push_back(pixels[0]);
        for (++pending_; pending_ > log_.lag;)
            Settle();
        return Result::Written;
    }
    bool Finish() override {
        log_.Event("finish");
        while (pending_ > 0)
            Settle();
        return !log_.finishFails;
    }
    bool KeepsTally(Tally* tally) const override {
        *tally = tally_;
        return log_.lag > 0;
    }

private:
    void Settle() {
        const bool lost = settled_ == log_.lose || settled_ >= log_.loseFrom;
        ++(lost ? tally_.lost : tally_.written);
        ++settled_;
        --pending_;
    }
    SinkLog& log_;
    int pending_ = 0, settled_ = 0;
    Tally tally_;
};

std::vector<uint8_t> Frame(uint8_t fill) {
    return std::vector<uint8_t>(kFrameBytes, fill);
}

template <typename Condition> bool Eventually(Condition condition) {
    for (int i = 0; i < 5000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class FrameRecorderTest : public testing::Test {
protected:
    FrameRecorderTest() : recorder([this] { return clock.now.load(); }) {}

    void Start(double rate = 30.0, RecorderThreadHooks hooks = {}) {
        EXPECT_TRUE(recorder.Start(Maker(), kWidth, kHeight, rate, std::move(hooks)));
    }
    FrameSinkFactory Maker() {
        return [this] {
            log.Event("made");
            return std::make_unique<FakeSink>(log);
        };
    }
    // One frame every 1000/rate ms for `ms`, each written before the next arrives.
    void Record(int ms, int rate = 30, uint8_t fill = 1) {
        const std::vector<uint8_t> frame = Frame(fill);
        for (int t = 0; t < ms; t += 1000 / rate) {
            const uint64_t before = recorder.Figures().written;
            recorder.OfferFrame(frame.data(), frame.size());
            ASSERT_TRUE(Eventually([&] { return recorder.Figures().written == before + 1; }));
            clock.Advance(1000 / rate);
        }
    }

    FakeClock clock;
    SinkLog log;
    FrameRecorder recorder;
};

TEST_F(FrameRecorderTest, PausedTimeIsLeftOutOfTheSampleTimes) {
    Start();
    Record(10000);
    recorder.Pause();
    EXPECT_TRUE(recorder.IsPaused());
    const int64_t beforePause = recorder.RecordedTime100ns();
    // Frames keep coming while paused; none is taken and the clock stands still.
    const std::vector<uint8_t> frame = Frame(2);
    for (int t = 0; t < 5000; t += 33) {
        recorder.OfferFrame(frame.data(), frame.size());
        clock.Advance(33);
    }
    EXPECT_EQ(recorder.RecordedTime100ns(), beforePause);
    recorder.Resume();
    Record(10000, 30, 3);
    EXPECT_TRUE(recorder.Join());

    ASSERT_EQ(log.times.size(), 2u * 304u);
    EXPECT_EQ(log.times.front(), 0);
    EXPECT_NEAR(static_cast<double>(log.times.back()), 20000.0 * kMs, 100.0 * kMs);
    for (size_t i = 1; i < log.times.size(); ++i) {
        EXPECT_GT(log.times[i], log.times[i - 1]) << i;
        EXPECT_LE(log.times[i] - log.times[i - 1], 34 * kMs) << "gap at " << i;
    }
    for (uint8_t b : log.firstBytes)
        EXPECT_NE(b, 2); // nothing from the pause
    EXPECT_EQ(recorder.RecordedTime100ns(), log.times.back());
    const RecorderFigures f = recorder.Figures();
    EXPECT_EQ(std::tuple(f.offered, f.written, f.dropped + f.refused + f.discarded),
              std::tuple(608u, 608u, 0u));
}

TEST_F(FrameRecorderTest, FramesQueuedAtTheStopAreDiscardedAndTheFileCompleted) {
    log.gated = true;
    Start();
    for (uint8_t i = 1; i <= 6; ++i) {
        const std::vector<uint8_t> frame = Frame(i);
        recorder.OfferFrame(frame.data(), frame.size());
        clock.Advance(33);
    }
    ASSERT_TRUE(Eventually([&] { return log.entered == 1; }));
    recorder.RequestStop();
    EXPECT_EQ(recorder.GetPhase(), FrameRecorder::Phase::Finishing);
    const std::vector<uint8_t> late = Frame(9);
    recorder.OfferFrame(late.data(), late.size()); // after the stop: not taken
    log.gated = false;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(recorder.Join());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // The frame being written when the stop came is in the file; the five behind it are not.
    EXPECT_EQ(log.firstBytes, std::vector<uint8_t>{1});
    EXPECT_EQ(log.Count("finish"), 1);
    const RecorderFigures f = recorder.Figures();
    EXPECT_EQ(std::tuple(f.offered, f.written, f.discarded), std::tuple(6u, 1u, 5u));
    EXPECT_EQ(recorder.GetPhase(), FrameRecorder::Phase::Idle);
}

// The sink is slow: the frames are written long after they came, stamped with their arrival.
TEST_F(FrameRecorderTest, QueueIsBoundedTheExcessDroppedAndFramesStampedWhenTheyArrive) {
    log.gated = true;
    Start(10.0); // about one second: ten frames
    EXPECT_EQ(recorder.Capacity(), 10u);
    const std::vector<uint8_t> frame = Frame(1);
    recorder.OfferFrame(frame.data(), frame.size());
    // The first frame is with the sink (held at its gate); ten more fit in the queue.
    ASSERT_TRUE(Eventually([&] { return log.entered == 1; }));
    for (int i = 0; i < 99; ++i) {
        clock.Advance(40);
        recorder.OfferFrame(frame.data(), frame.size());
    }
    const RecorderFigures held = recorder.Figures();
    EXPECT_EQ(std::tuple(held.offered, held.dropped), std::tuple(100u, 89u));
    clock.Advance(3000);
    log.gated = false;
    ASSERT_TRUE(Eventually([&] { return recorder.Figures().written == 11; }));
    recorder.Join();
    EXPECT_EQ(recorder.Figures().discarded, 0u);
    std::vector<int64_t> arrivals;
    for (int i = 0; i <= 10; ++i)
        arrivals.push_back(i * 40 * kMs);
    EXPECT_EQ(log.times, arrivals);
}

TEST_F(FrameRecorderTest, AFailingSinkEndsTheRecordingByItself) {
    log.failAt = 3; // disk full at the fourth frame
    Start();
    const std::vector<uint8_t> frame = Frame(1);
    for (int i = 0; i < 4; ++i) {
        recorder.OfferFrame(frame.data(), frame.size());
        clock.Advance(33);
        ASSERT_TRUE(Eventually([&] {
            const RecorderFigures f = recorder.Figures();
            return f.written + f.refused == static_cast<uint64_t>(i + 1);
        }));
    }
    ASSERT_TRUE(Eventually([&] { return recorder.GetPhase() == FrameRecorder::Phase::Finished; }));
    EXPECT_TRUE(recorder.SinkFailed());
    EXPECT_FALSE(recorder.IsRecording());
    recorder.OfferFrame(frame.data(), frame.size()); // nothing more is taken
    EXPECT_EQ(recorder.Figures().offered, 4u);
    EXPECT_FALSE(recorder.Join()); // the file holds what came before, but the recording failed
    EXPECT_EQ(recorder.LastOutcome(), FrameRecorder::Outcome::Complete); // and is worth listing
    EXPECT_EQ(std::tuple(log.times.size(), log.Count("finish"), recorder.RecordedTime100ns()),
              std::tuple(3u, 1, 66 * kMs));

    // The recorder can start again afterwards.
    log.failAt = -1;
    Start();
    Record(100);
    EXPECT_TRUE(recorder.Join());
}

// The outcome tells an empty or uncompleted file from a good one. The figures of a sink that writes
// frames later than it takes them (a lag of 3) are its own count of what reached the file, also of
// the frames it settles at the end; a file its tally says is empty is empty, whatever WriteFrame
// answered.
TEST_F(FrameRecorderTest, OutcomeAndFiguresFollowWhatReachedTheFileAlsoByASinksOwnTally) {
    const struct {
        int frames;
        bool finishFails;
        int lag, lose, loseFrom;
        uint64_t written, refused;
        FrameRecorder::Outcome outcome;
    } cases[] = {
        {3, false, 0, -1, 1 << 30, 3, 0, FrameRecorder::Outcome::Complete},
        {3, true, 0, -1, 1 << 30, 3, 0, FrameRecorder::Outcome::Incomplete},
        {0, false, 0, -1, 1 << 30, 0, 0, FrameRecorder::Outcome::Empty},
        {0, true, 0, -1, 1 << 30, 0, 0, FrameRecorder::Outcome::Empty},
        {6, false, 3, 1, 1 << 30, 5, 1, FrameRecorder::Outcome::Complete},
        {6, false, 3, -1, 4, 4, 2, FrameRecorder::Outcome::Complete}, // lost while settling at the stop
        {2, false, 3, -1, 0, 0, 2, FrameRecorder::Outcome::Empty},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.frames << " frames, finish fails " << c.finishFails << ", lag " << c.lag);
        std::tie(log.finishFails, log.lag, log.lose, log.loseFrom) =
            std::tuple(c.finishFails, c.lag, c.lose, c.loseFrom);
        log.entered = 0;
        Start();
        const std::vector<uint8_t> frame = Frame(1);
        for (int i = 0; i < c.frames; ++i) {
            recorder.OfferFrame(frame.data(), frame.size());
            ASSERT_TRUE(Eventually([&] { return log.entered == i + 1; }));
            clock.Advance(33);
        }
        EXPECT_EQ(recorder.Join(), !c.finishFails);
        const RecorderFigures f = recorder.Figures();
        EXPECT_EQ(std::tuple(f.offered, f.written, f.refused),
                  std::tuple(static_cast<uint64_t>(c.frames), c.written, c.refused));
        EXPECT_EQ(recorder.LastOutcome(), c.outcome);
        log.times.clear();
    }
}

TEST_F(FrameRecorderTest, StartIsRefusedWhileRunningAndWithoutASinkOrSizeCopiesAreItsOwn) {
    EXPECT_FALSE(recorder.Start(nullptr, kWidth, kHeight, 30.0));
    EXPECT_FALSE(recorder.Start(Maker(), 0, kHeight, 30.0));
    EXPECT_EQ(recorder.GetPhase(), FrameRecorder::Phase::Idle);
    Start();
    EXPECT_FALSE(recorder.Start(Maker(), kWidth, kHeight, 30.0));
    EXPECT_TRUE(recorder.IsRecording());
    // Frames are copied (the ring buffer is reused at once); other sizes are ignored.
    std::vector<uint8_t> frame = Frame(7);
    recorder.OfferFrame(frame.data(), frame.size());
    std::fill(frame.begin(), frame.end(), 8);
    recorder.OfferFrame(frame.data(), frame.size() - 3);
    recorder.OfferFrame(nullptr, frame.size());
    ASSERT_TRUE(Eventually([&] { return recorder.Figures().written == 1; }));
    recorder.Pause();
    recorder.RequestStop(); // a paused recording stops as well
    recorder.WaitFinished();
    EXPECT_EQ(recorder.GetPhase(), FrameRecorder::Phase::Finished);
    EXPECT_TRUE(recorder.Join());
    EXPECT_EQ(log.firstBytes, std::vector<uint8_t>{7});
    EXPECT_EQ(recorder.Figures().offered, 1u);
    EXPECT_FALSE(recorder.Join()); // nothing ran since
    recorder.Pause();              // idle: these do nothing
    recorder.Resume();
    EXPECT_FALSE(recorder.IsPaused());
}

// The worker thread makes, writes and destroys the sink between its hooks, then signals; where no
// sink can be made it ends without the signal and nothing is left running.
TEST_F(FrameRecorderTest, TheWorkerSetsUpWritesAndDestroysTheSinkThenSignals) {
    std::thread::id hookThread, factoryThread;
    std::atomic<bool> done{false};
    const auto hooks = [&] {
        RecorderThreadHooks h;
        h.starting = [&] {
            hookThread = std::this_thread::get_id();
            log.Event("starting");
        };
        h.ending = [&] { log.Event("ending"); };
        h.done = [&] {
            log.Event("done");
            done = true;
        };
        return h;
    };
    const auto noFile = [&]() -> std::unique_ptr<FrameSink> {
        factoryThread = std::this_thread::get_id();
        return nullptr;
    };
    EXPECT_FALSE(recorder.Start(noFile, kWidth, kHeight, 30.0, hooks()));
    EXPECT_EQ(recorder.GetPhase(), FrameRecorder::Phase::Idle);
    EXPECT_EQ(log.events, (std::vector<std::string>{"starting", "ending"}));
    EXPECT_NE(factoryThread, std::this_thread::get_id());
    const std::vector<uint8_t> frame = Frame(1);
    recorder.OfferFrame(frame.data(), frame.size());
    EXPECT_EQ(recorder.Figures().offered, 0u);

    log.events.clear();
    Start(30.0, hooks());
    Record(100);
    recorder.RequestStop();
    ASSERT_TRUE(Eventually([&] { return done.load(); }));
    EXPECT_EQ(recorder.GetPhase(), FrameRecorder::Phase::Finished);
    EXPECT_TRUE(recorder.Join());
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"starting", "made", "finish", "destroyed", "ending", "done"}));
    EXPECT_EQ(log.writerThread, hookThread);
    EXPECT_EQ(log.destroyThread, hookThread);
    EXPECT_NE(hookThread, std::this_thread::get_id());
}

TEST_F(FrameRecorderTest, DestroyingTheRecorderStopsAndCompletesTheFile) {
    {
        FrameRecorder local([this] { return clock.now.load(); });
        ASSERT_TRUE(local.Start(Maker(), kWidth, kHeight, 30.0));
        const std::vector<uint8_t> frame = Frame(1);
        local.OfferFrame(frame.data(), frame.size());
    }
    EXPECT_EQ(log.Count("finish"), 1);
    EXPECT_EQ(log.Count("destroyed"), 1);
}

} // namespace
