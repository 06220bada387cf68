#include "capture/frame_copy.h"
#include "capture/frame_delivery.h"
#include "capture/frame_rate.h"
#include "capture/frame_ring.h"
#include "capture_test_frames.h"
#include "capture/frame_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <tuple>
#include <vector>

namespace {

std::vector<uint8_t> Filled(int width, int height, uint8_t fill) {
    return std::vector<uint8_t>(static_cast<size_t>(width) * height * 3, fill);
}

// What the recorder hook saw.
std::vector<uint8_t> s_recorded;
int s_recordedCount = 0;
void RecordFrame(const uint8_t* frame, size_t length) {
    s_recorded.assign(frame, frame + length);
    ++s_recordedCount;
}

class FrameDeliveryTest : public testing::Test {
protected:
    void SetUp() override {
        ClearFilterFlags();
        s_recorded.clear();
        s_recordedCount = 0;
        ASSERT_TRUE(AllocateFrameRing(ring, kWidth, kHeight));
    }
    void TearDown() override {
        ClearFilterFlags();
        g_recorderFrameHook = nullptr;
        FreeFrameRing(ring);
    }
    FrameOutcome Deliver(const std::vector<uint8_t>& frame, uint32_t now = 1000) {
        return DeliverFrame(ring, window, rate, frame.data(), frame.size(), now);
    }
    FrameOutcome Deliver(uint8_t fill) { return Deliver(Filled(kWidth, kHeight, fill), now_ += 33); }
    int LatestIndex() {
        const FrameBuffer* frame = LatestFrame(ring);
        return frame ? static_cast<int>(frame - ring.buffers.data()) : -1;
    }
    uint8_t Newest() { return LatestFrame(ring)->pixels[0]; }

    static constexpr int kWidth = 4;
    static constexpr int kHeight = 2;
    FrameRing ring;
    FrameTimeWindow window;
    std::atomic<float> rate{kDefaultFrameRate};
    uint32_t now_ = 1000;
};

} // namespace

TEST(FrameRate, SettlesNear30AndKeepsItsValueOverAPause) {
    FrameTimeWindow window;
    float rate = UpdateFrameRate(window, 5000, kDefaultFrameRate);
    uint32_t now = 5000;
    for (int i = 1; i <= 90; ++i) {
        now = 5000 + static_cast<uint32_t>(i * 1000 / 30); // 33 or 34 ms apart
        rate = UpdateFrameRate(window, now, rate);
        if (i == 31) {
            EXPECT_NEAR(rate, 30.0f, 0.5f) << "after one second";
        }
    }
    EXPECT_LE(window.stamps.size(), 32u); // only the last second is kept

    // Frames stop for five seconds: the first one after the pause is alone in the window and
    // keeps the value; the next ones measure again.
    now += 5000;
    rate = UpdateFrameRate(window, now, rate);
    EXPECT_NEAR(rate, 30.0f, 0.5f);
    EXPECT_EQ(window.stamps.size(), 1u);
    rate = UpdateFrameRate(window, now + 100, rate);
    EXPECT_FLOAT_EQ(rate, 10.0f);
}

TEST(FrameRate, SameMillisecondAndCounterWrapAround) {
    FrameTimeWindow window;
    UpdateFrameRate(window, 700, 30.0f);
    // Two frames in one millisecond give no span to divide by: the value stays finite and as it was.
    EXPECT_EQ(UpdateFrameRate(window, 700, 24.0f), 24.0f);

    FrameTimeWindow wrapping;
    float rate = 0.0f;
    uint32_t now = 0xFFFFFFFFu - 500;
    for (int i = 0; i < 60; ++i, now += 20) // 50 a second, crossing the wrap
        rate = UpdateFrameRate(wrapping, now, rate);
    EXPECT_NEAR(rate, 50.0f, 0.5f);
    EXPECT_LE(wrapping.stamps.size(), 51u);
}

TEST_F(FrameDeliveryTest, RingStartsBlackAtBufferZeroAndIsGoneAfterFree) {
    EXPECT_EQ(LatestIndex(), 0);
    const FrameBuffer* frame = LatestFrame(ring);
    EXPECT_EQ(frame->size, size_t{kWidth * kHeight * 3});
    EXPECT_TRUE(std::all_of(frame->pixels.get(), frame->pixels.get() + frame->size,
                            [](uint8_t b) { return b == 0; }));

    FreeFrameRing(ring);
    EXPECT_EQ(LatestFrame(ring), nullptr);
    EXPECT_EQ(AcquireLatestFrame(ring), nullptr);
    EXPECT_EQ(Deliver(7), FrameOutcome::NoBuffer);
    EXPECT_FALSE(AllocateFrameRing(ring, 0, 480));
    EXPECT_FALSE(AllocateFrameRing(ring, 640, -480));
    EXPECT_EQ(LatestFrame(ring), nullptr);
}

TEST_F(FrameDeliveryTest, WrongLengthIsCountedButNeitherShownNorRecorded) {
    g_recorderFrameHook = RecordFrame;
    ASSERT_EQ(Deliver(5), FrameOutcome::Published);
    const size_t stamps = window.stamps.size();
    const std::vector<uint8_t> taller = Filled(kWidth, kHeight + 1, 6);
    EXPECT_EQ(Deliver(taller, now_ + 33), FrameOutcome::WrongSize);
    EXPECT_EQ(std::tuple(window.stamps.size(), Newest(), s_recordedCount), std::tuple(stamps + 1, 5, 1));
    EXPECT_EQ(DeliverFrame(ring, window, rate, nullptr, 24, now_ + 66), FrameOutcome::WrongSize);
}

TEST_F(FrameDeliveryTest, SignalFrameIsSwallowedAndNotCounted) {
    FreeFrameRing(ring);
    ASSERT_TRUE(AllocateFrameRing(ring, 640, 480));
    g_recorderFrameHook = RecordFrame;
    g_filterFlags.invert = 1;
    const std::vector<uint8_t> signal = SignalFrameFromBands();
    EXPECT_EQ(Deliver(signal, 2000), FrameOutcome::SignalFrame);
    EXPECT_EQ(std::tuple(window.stamps.size(), LatestFrame(ring)->pixels[1000], s_recordedCount),
              std::tuple(0u, 0, 0));

    // One byte off, it is an ordinary picture (filtered like any other).
    std::vector<uint8_t> picture = signal;
    picture[kSignalBands[0].start + 1] ^= 1;
    EXPECT_EQ(Deliver(picture, 2033), FrameOutcome::Published);
    EXPECT_EQ(std::tuple(LatestFrame(ring)->pixels[1000], s_recordedCount),
              std::tuple(255 - picture[1000], 1));
}

TEST_F(FrameDeliveryTest, FiltersRunBeforePublicationAndRecording) {
    g_recorderFrameHook = RecordFrame;
    std::vector<uint8_t> frame(kWidth * kHeight * 3);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint8_t>(i);
    g_filterFlags.mirror = 1;
    ASSERT_EQ(Deliver(frame, 1033), FrameOutcome::Published);
    const uint8_t* row = LatestFrame(ring)->pixels.get();
    // The first pixel of the bottom row now holds what was its last.
    EXPECT_EQ(std::tuple(row[0], row[1], row[2], row[9]),
              std::tuple(frame[9], frame[10], frame[11], frame[0]));
    EXPECT_TRUE(std::equal(s_recorded.begin(), s_recorded.end(), row));
    // The grabber's own buffer is left as it came.
    EXPECT_EQ(frame[0], 0);
}

TEST_F(FrameDeliveryTest, HeldFramesStayOutOfTheRotationAndWithEveryOtherBufferHeldTheWriterDropsNotWaits) {
    ASSERT_EQ(Deliver(1), FrameOutcome::Published);
    std::vector<const FrameBuffer*> held = {AcquireLatestFrame(ring)};
    ASSERT_NE(held[0], nullptr);
    for (int i = 2; i <= 20; ++i) {
        ASSERT_EQ(Deliver(static_cast<uint8_t>(i)), FrameOutcome::Published);
        EXPECT_EQ(Newest(), i); // the newest frame is published at once
    }
    for (int i = 21; i <= 22; ++i) {
        ASSERT_EQ(Deliver(static_cast<uint8_t>(i)), FrameOutcome::Published);
        held.push_back(AcquireLatestFrame(ring));
    }
    // Three held (the newest among them): one buffer is left.
    EXPECT_EQ(Deliver(23), FrameOutcome::Published);
    EXPECT_EQ(Newest(), 23);
    EXPECT_EQ(Deliver(24), FrameOutcome::NoBuffer);
    EXPECT_EQ(Newest(), 23);
    EXPECT_EQ(std::tuple(held[0]->pixels[0], held[1]->pixels[0], held[2]->pixels[0]), std::tuple(1, 21, 22));

    // Holding the newest as well leaves nothing to write into.
    const FrameBuffer* again = AcquireLatestFrame(ring);
    EXPECT_EQ(Deliver(25), FrameOutcome::NoBuffer);
    // A foreign pointer or null releases nothing.
    FrameBuffer stranger;
    ReleaseLatestFrame(ring, &stranger);
    ReleaseLatestFrame(ring, nullptr);
    EXPECT_EQ(Deliver(25), FrameOutcome::NoBuffer);

    // Released, the first held frame is written again.
    ReleaseLatestFrame(ring, held[0]);
    EXPECT_EQ(Deliver(26), FrameOutcome::Published);
    EXPECT_EQ(LatestFrame(ring), held[0]);
    EXPECT_EQ(Newest(), 26);
    EXPECT_EQ(std::tuple(again->pixels[0], held[1]->pixels[0]), std::tuple(23, 21));
    for (const FrameBuffer* frame : {again, held[1], held[2]})
        ReleaseLatestFrame(ring, frame);
    EXPECT_EQ(ring.holds, (std::array<int, kFrameRingSize>{}));
}

TEST(FrameRing, HeldFrameOnAnotherThreadNeverChangesUnderTheReader) {
    FrameRing ring;
    ASSERT_TRUE(AllocateFrameRing(ring, 64, 48));
    FrameTimeWindow window;
    std::atomic<float> rate{kDefaultFrameRate};
    std::atomic<bool> stop{false};
    std::atomic<int> published{0};

    std::thread writer([&] {
        std::vector<uint8_t> frame(64 * 48 * 3);
        for (uint32_t n = 1; !stop; ++n) {
            std::fill(frame.begin(), frame.end(), static_cast<uint8_t>(n));
            if (DeliverFrame(ring, window, rate, frame.data(), frame.size(), n) == FrameOutcome::Published)
                ++published;
        }
    });

    int torn = 0;
    for (int paint = 0; paint < 200; ++paint) {
        HeldFrame frame(ring);
        ASSERT_TRUE(frame);
        const uint8_t first = frame->pixels[0];
        // A slow paint: the writer publishes many frames meanwhile.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        for (size_t i = 0; i < frame->size; ++i)
            torn += frame->pixels[i] != first;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(published.load(), 200);
    EXPECT_EQ(ring.holds, (std::array<int, kFrameRingSize>{}));
}

// The streaming copy against memcpy where its pieces meet: target offsets around the 16-byte
// alignment, lengths shorter than one step, at and around whole 64-byte steps, and a frame-sized
// odd length. Bytes just past the end stay untouched.
TEST(FrameCopy, StreamingCopyMatchesMemcpyAtEveryAlignmentAndLength) {
    const size_t lengths[] = {0, 1, 15, 63, 64, 65, 79, 80, 127, 128, 129, 1000, 640 * 3 * 7 + 5};
    std::vector<uint8_t> source(640 * 3 * 8 + 64);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<uint8_t>(i * 131 + (i >> 8));
    for (size_t offset = 0; offset < 17; ++offset) {
        for (size_t length : lengths) {
            std::vector<uint8_t> expected(source.size() + 64, 0xA5);
            std::vector<uint8_t> actual = expected;
            std::memcpy(expected.data() + offset, source.data() + 3, length);
            CopyFrameStreaming(actual.data() + offset, source.data() + 3, length);
            ASSERT_EQ(actual, expected) << "offset " << offset << ", length " << length;
        }
    }
}
