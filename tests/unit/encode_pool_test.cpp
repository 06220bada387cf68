#include "output/encode_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr size_t kFrameBytes = 16;

// An "encoder" that takes a while and writes the frame's first byte and its own thread's number.
struct Load {
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
};

EncodePool::Encoder SlowEncoder(Load& load, unsigned seed) {
    auto random = std::make_shared<std::mt19937>(seed);
    return [&load, random](const uint8_t* pixels, std::vector<uint8_t>& out) {
        const int now = ++load.running;
        int most = load.mostAtOnce.load();
        while (now > most && !load.mostAtOnce.compare_exchange_weak(most, now)) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds((*random)() % 3000));
        out.assign(pixels, pixels + 2);
        --load.running;
        return pixels[1] != 0xEE; // a frame the encoder cannot take
    };
}

std::vector<uint8_t> Frame(uint8_t id, uint8_t flag = 0) {
    std::vector<uint8_t> frame(kFrameBytes, 0);
    frame[0] = id;
    frame[1] = flag;
    return frame;
}

struct Collected {
    std::vector<int64_t> times;
    std::vector<uint8_t> ids;
    std::vector<bool> oks;
    EncodePool::Sink Sink() {
        return [this](int64_t time, bool ok, const std::vector<uint8_t>& bytes) {
            times.push_back(time);
            ids.push_back(bytes.empty() ? 0 : bytes[0]);
            oks.push_back(ok);
        };
    }
};

// Three threads, each with its own encoder made on it between its hooks.
TEST(EncodePool, ResultsComeInSubmissionOrderWhateverFinishesFirst) {
    Load load;
    std::atomic<unsigned> seed{1};
    std::mutex lock;
    std::vector<std::string> events;
    std::set<std::thread::id> encoderThreads;
    auto note = [&](const std::string& e) {
        std::lock_guard<std::mutex> guard(lock);
        events.push_back(e);
        if (e == "make")
            encoderThreads.insert(std::this_thread::get_id());
    };
    EncodePool::Hooks hooks;
    hooks.threadStarting = [&] { note("start"); };
    hooks.threadEnding = [&] { note("end"); };
    Collected got;
    {
        EncodePool pool(
            3, kFrameBytes,
            [&] {
                note("make");
                return SlowEncoder(load, seed++);
            },
            hooks);
        for (int i = 0; i < 60; ++i) {
            ASSERT_TRUE(pool.Submit(Frame(static_cast<uint8_t>(i), i == 17 ? 0xEE : 0).data(), i * 333));
            pool.Collect(false, got.Sink());
        }
        pool.Collect(true, got.Sink());
        EXPECT_EQ(pool.InFlight(), 0u);
        ASSERT_TRUE(pool.Submit(Frame(99).data(), 99999)); // left uncollected: the pool still ends cleanly
    }
    ASSERT_EQ(got.ids.size(), 60u);
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(got.ids[i], i);
        EXPECT_EQ(got.times[i], i * 333);
        EXPECT_EQ(got.oks[i], i != 17) << i;
    }
    EXPECT_LE(load.mostAtOnce.load(), 3);
    EXPECT_GE(load.mostAtOnce.load(), 2) << "frames were encoded side by side";
    EXPECT_EQ(encoderThreads.size(), 3u);
    EXPECT_EQ(encoderThreads.count(std::this_thread::get_id()), 0u);
    for (const char* e : {"start", "make", "end"})
        EXPECT_EQ(std::count(events.begin(), events.end(), e), 3) << e;
    EXPECT_EQ(events.back(), "end");
}

TEST(EncodePool, SubmitWaitsWhileAllThreadsAreBusy) {
    std::atomic<bool> release{false};
    std::atomic<int> started{0};
    EncodePool pool(2, kFrameBytes, [&]() -> EncodePool::Encoder {
        return [&](const uint8_t*, std::vector<uint8_t>& out) {
            ++started;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            out = {1};
            return true;
        };
    });
    const std::vector<uint8_t> frame = Frame(1);
    ASSERT_TRUE(pool.Submit(frame.data(), 0));
    ASSERT_TRUE(pool.Submit(frame.data(), 1));
    std::atomic<bool> thirdIn{false};
    std::thread third([&] {
        pool.Submit(frame.data(), 2);
        thirdIn = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(thirdIn) << "a third frame waits for a free thread";
    release = true;
    third.join();
    Collected got;
    EXPECT_EQ(pool.Collect(true, got.Sink()), 3u);
    EXPECT_EQ(got.times, (std::vector<int64_t>{0, 1, 2}));
}

} // namespace
