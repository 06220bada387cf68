#include "output/mp4_muxer.h"

#include "tests/unit/mp4_test_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <tuple>

namespace {

constexpr uint64_t kSecond = kMp4Timescale;

// A frame that starts like a JPEG, with content that differs from frame to frame: a block of
// noise, repeated, so that megabytes are cheap to make.
std::vector<uint8_t> Frame(size_t size, uint32_t seed) {
    std::vector<uint8_t> f(size);
    const size_t block = std::min<size_t>(size, 4093);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < block; ++i) {
        x = x * 1103515245u + 12345u;
        f[i] = static_cast<uint8_t>(x >> 16);
    }
    for (size_t i = block; i < size; i += block) {
        std::memcpy(f.data() + i, f.data(), std::min(block, size - i));
    }
    f[0] = 0xFF;
    f[1] = 0xD8;
    return f;
}

std::vector<std::vector<uint8_t>> Frames(size_t count) {
    std::vector<std::vector<uint8_t>> frames;
    for (size_t i = 0; i < count; ++i) {
        frames.push_back(Frame(200 + (i * 37) % 900, static_cast<uint32_t>(i)));
    }
    return frames;
}

// Times of frames at a steady rate, in 100-ns units.
std::vector<int64_t> SteadyTimes(size_t count, double rate, int64_t start = 0) {
    std::vector<int64_t> times;
    for (size_t i = 0; i < count; ++i) {
        times.push_back(start + std::llround(static_cast<double>(i) * 1e7 / rate));
    }
    return times;
}

int64_t Ticks(int64_t time100ns) {
    return std::llround(static_cast<double>(time100ns) * kMp4Timescale / 1e7);
}

Mp4TestFile Read(const std::vector<uint8_t>& bytes, bool allowCut = false) {
    try {
        return ReadMp4(bytes, allowCut);
    } catch (const std::runtime_error& e) {
        ADD_FAILURE() << "unreadable file: " << e.what();
        return {};
    }
}

// The samples in order hold the first count frames given (all by default), as sync samples.
void ExpectFrames(const Mp4TestFile& file, const std::vector<uint8_t>& bytes,
                  const std::vector<std::vector<uint8_t>>& frames, size_t count = SIZE_MAX) {
    const std::vector<Mp4TestSample> samples = file.Samples();
    ASSERT_EQ(samples.size(), std::min(count, frames.size()));
    for (size_t k = 0; k < samples.size(); ++k) {
        const Mp4TestSample& s = samples[k];
        ASSERT_EQ(s.size, frames[k].size()) << "frame " << k;
        ASSERT_LE(s.offset + s.size, bytes.size());
        EXPECT_EQ(0, std::memcmp(bytes.data() + s.offset, frames[k].data(), s.size)) << "frame " << k;
        EXPECT_EQ(s.flags, kMp4SyncSampleFlags);
    }
}

std::vector<uint32_t> Durations(const Mp4TestFile& file) {
    std::vector<uint32_t> d;
    for (const Mp4TestSample& s : file.Samples())
        d.push_back(s.duration);
    return d;
}

// Writes the frames at the times given and finishes; expects every step to succeed.
void Record(Mp4MemorySink& sink, const std::vector<std::vector<uint8_t>>& frames,
            const std::vector<int64_t>& times, double rate = 30.0) {
    Mp4MjpegWriter w;
    ASSERT_TRUE(w.Begin(sink, 640, 480, rate));
    for (size_t i = 0; i < frames.size(); ++i) {
        ASSERT_TRUE(w.AddFrame(frames[i].data(), frames[i].size(), times[i])) << "frame " << i;
    }
    ASSERT_TRUE(w.Finish());
    EXPECT_EQ(w.FramesWritten(), frames.size());
    EXPECT_EQ(w.BytesWritten(), sink.bytes.size());
    EXPECT_NEAR(w.WrittenDuration100ns(), Read(sink.bytes).Duration() * 1e7 / kSecond, 1);
}

// Each fragment spans at most a second, unless it holds one frame; and none is closed early.
void ExpectFragmentsOfOneSecond(const Mp4TestFile& file) {
    for (size_t i = 0; i < file.fragments.size(); ++i) {
        const Mp4TestFragment& f = file.fragments[i];
        if (f.samples.size() > 1) {
            EXPECT_LE(f.Duration(), kSecond) << "fragment " << i;
        }
        if (i + 1 < file.fragments.size()) {
            EXPECT_GT(f.Duration() + file.fragments[i + 1].samples.front().duration, kSecond)
                << "fragment " << i << " closed before its second was over";
        }
    }
}

} // namespace

TEST(Mp4Writer, FramesComeBackByteForByteWithDurationsFromTheirTimes) {
    const auto frames = Frames(95);
    // The recording's clock does not start at the first frame: the file does.
    const auto times = SteadyTimes(frames.size(), 30.0, 412345);
    for (bool seekable : {true, false}) {
        SCOPED_TRACE(seekable ? "seekable" : "append only");
        Mp4MemorySink sink;
        sink.seekable = seekable;
        Record(sink, frames, times);
        const Mp4TestFile f = Read(sink.bytes);
        ExpectFrames(f, sink.bytes, frames);

        const std::vector<uint32_t> d = Durations(f);
        ASSERT_EQ(d.size(), frames.size());
        for (size_t i = 0; i + 1 < frames.size(); ++i) {
            EXPECT_EQ(d[i], Ticks(times[i + 1] - times[0]) - Ticks(times[i] - times[0])) << i;
        }
        EXPECT_EQ(d.back(), 3000u);                                        // one nominal period
        const uint64_t total = Ticks(times.back() - times.front()) + 3000; // the sum of the durations
        EXPECT_EQ(f.mehdDuration, seekable ? total : 0u);
        EXPECT_EQ(sink.writeAts, seekable ? 1 : 0);
        EXPECT_TRUE(f.hasIndex);
    }
}

TEST(Mp4Writer, CountersFollowWhatReachedTheSink) {
    Mp4MemorySink sink;
    Mp4MjpegWriter w;
    ASSERT_TRUE(w.Begin(sink, 640, 480, 10.0));
    const auto frames = Frames(12);
    const auto times = SteadyTimes(frames.size(), 10.0);
    for (size_t i = 0; i < frames.size(); ++i)
        ASSERT_TRUE(w.AddFrame(frames[i].data(), frames[i].size(), times[i]));
    // The frame at 1.1 s showed that the first second (ten frames) was complete.
    EXPECT_EQ(std::tuple(w.FramesWritten(), w.FramesBuffered(), w.WrittenDuration100ns(), w.BytesWritten()),
              std::tuple(10u, 2u, 10000000, sink.bytes.size()));
}

TEST(Mp4Writer, RefusedInputLeavesTheFileUsableAndAFinishedWriterStartsAnother) {
    Mp4MemorySink sink;
    Mp4MjpegWriter w;
    const auto frame = Frame(500, 1);
    EXPECT_FALSE(w.AddFrame(frame.data(), frame.size(), 0)) << "before Begin";
    EXPECT_FALSE(w.Finish()) << "before Begin";

    const double nan = std::nan("");
    const struct {
        int width, height;
        double rate;
    } refused[] = {{0, 480, 30},     {640, 0, 30},       {65536, 480, 30}, {640, 65536, 30},
                   {640, 480, 0.09}, {640, 480, 1000.5}, {640, 480, nan}};
    for (const auto& r : refused) {
        EXPECT_FALSE(w.Begin(sink, r.width, r.height, r.rate))
            << r.width << "x" << r.height << " @ " << r.rate;
    }
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_FALSE(w.Failed());

    ASSERT_TRUE(w.Begin(sink, 65535, 1, 1000.0));
    const size_t headerBytes = sink.bytes.size();
    EXPECT_FALSE(w.Begin(sink, 640, 480, 30)) << "while open";
    EXPECT_EQ(sink.bytes.size(), headerBytes);

    std::vector<uint8_t> notJpeg = frame;
    notJpeg[1] = 0xD9;
    std::vector<uint8_t> tooLarge(Mp4MjpegWriter::kMaxFrameBytes + 1);
    tooLarge[0] = 0xFF;
    tooLarge[1] = 0xD8;
    const uint8_t soiOnly[] = {0xFF, 0xD8};
    const int64_t late = Mp4MjpegWriter::kMaxFrameTime100ns + 1;
    const std::tuple<const uint8_t*, size_t, int64_t> refusedFrames[] = {
        {nullptr, 500, 0},
        {frame.data(), 0, 0},
        {frame.data(), 1, 0},
        {notJpeg.data(), notJpeg.size(), 0},
        {tooLarge.data(), tooLarge.size(), 0},
        {frame.data(), frame.size(), late},
        {frame.data(), frame.size(), -late}};
    for (const auto& [data, size, time] : refusedFrames)
        EXPECT_FALSE(w.AddFrame(data, size, time)) << size << " bytes at " << time;
    EXPECT_FALSE(w.Failed());
    EXPECT_TRUE(w.IsOpen());

    // The refused frames left no trace: the first accepted frame is still time 0.
    ASSERT_TRUE(w.AddFrame(frame.data(), frame.size(), Mp4MjpegWriter::kMaxFrameTime100ns));
    ASSERT_TRUE(w.AddFrame(soiOnly, sizeof soiOnly, Mp4MjpegWriter::kMaxFrameTime100ns));
    ASSERT_TRUE(w.Finish());
    EXPECT_FALSE(w.Finish()) << "twice";
    EXPECT_FALSE(w.AddFrame(frame.data(), frame.size(), 0)) << "after Finish";
    const Mp4TestFile f = Read(sink.bytes);
    ExpectFrames(f, sink.bytes, {frame, std::vector<uint8_t>(soiOnly, soiOnly + 2)});
    EXPECT_EQ(std::tuple(f.width, f.height), std::tuple(65535, 1));
    EXPECT_EQ(Durations(f), (std::vector<uint32_t>{90, 90})); // 1 ms each at 1000 frames a second

    // A finished writer starts a new file; one finished without a frame is a valid, empty movie.
    Mp4MemorySink second;
    ASSERT_TRUE(w.Begin(second, 1920, 1080, 29.97));
    ASSERT_TRUE(w.Finish());
    EXPECT_FALSE(w.IsOpen());
    const Mp4TestFile empty = Read(second.bytes);
    EXPECT_EQ(
        std::tuple(empty.majorBrand, empty.movieTimescale, empty.mediaTimescale, empty.handler,
                   empty.sampleEntry, empty.width, empty.height, empty.trackWidth, empty.trackHeight,
                   empty.mehdVersion, empty.mehdDuration),
        std::tuple("isom", kSecond, kSecond, "vide", "jpeg", 1920, 1080, 1920u << 16, 1080u << 16, 1, 0u));
    EXPECT_TRUE(empty.fragments.empty());
    EXPECT_FALSE(empty.hasIndex);
    EXPECT_EQ(std::tuple(w.FramesWritten(), w.BytesWritten()), std::tuple(0u, second.bytes.size()));
}

TEST(Mp4Timing, OutOfOrderAndDuplicateTimesGetTheMinimumDurationThenCatchUp) {
    const int64_t ms = 10000;
    const std::vector<int64_t> times = {0, 33 * ms, 33 * ms, 20 * ms, 40 * ms, 100 * ms, 99 * ms, 120 * ms};
    const auto frames = Frames(times.size());
    Mp4MemorySink sink;
    Record(sink, frames, times);
    const Mp4TestFile f = Read(sink.bytes);
    ExpectFrames(f, sink.bytes, frames);
    // 33 ms; duplicate -> 1 ms; backwards -> 1 ms; 40 ms is ahead again (35 ms so far) -> 5 ms;
    // 60 ms; backwards -> 1 ms; 120 ms is 19 ms after 101 ms; the last one nominal.
    EXPECT_EQ(Durations(f), (std::vector<uint32_t>{2970, 90, 90, 450, 5400, 90, 1710, 3000}));
}

// Two gaps of 40 hours: each shortened to the longest 32-bit duration, which puts the last fragment's
// decode time, the index's times and the total duration past 32 bits.
TEST(Mp4Timing, GapsBeyondThe32BitDurationAreShortenedAndLaterTimesNeed64Bits) {
    const int64_t hour = 36000000000;
    const std::vector<int64_t> times = {0, 40 * hour, 40 * hour + 400000, 80 * hour + 400000,
                                        80 * hour + 800000};
    const auto frames = Frames(times.size());
    Mp4MemorySink sink;
    Record(sink, frames, times, 25.0);
    const Mp4TestFile f = Read(sink.bytes);
    ExpectFrames(f, sink.bytes, frames);
    // The reader has matched each fragment's decode time and the index's times to these.
    EXPECT_EQ(Durations(f), (std::vector<uint32_t>{0xFFFFFFFF, 3600, 0xFFFFFFFF, 3600, 3600}));
    EXPECT_EQ(f.mehdDuration, 2 * 0xFFFFFFFFull + 3 * 3600);
}

TEST(Mp4Fragments, EachSpansAtMostOneSecond) {
    const int64_t ms = 10000;
    struct Case {
        const char* name;
        double rate;
        std::vector<int64_t> times;
    };
    std::vector<Case> cases = {
        {"30 exactly", 30.0, SteadyTimes(200, 30.0)},
        {"60", 60.0, SteadyTimes(200, 60.0)},
        {"7", 7.0, SteadyTimes(40, 7.0)},
        {"one every 2.5 s", 0.4, SteadyTimes(6, 0.4)},
    };
    // 29.97 stamped by a millisecond clock; and a camera that stalls now and then.
    Case jitter{"29.97 in ms", 29.97, {}};
    Case stalls{"stalls", 30.0, {}};
    for (int i = 0; i < 200; ++i) {
        jitter.times.push_back(std::llround(i * 1000 / 29.97) * ms);
        stalls.times.push_back((i * 33 + (i / 25) * 700 + (i >= 100 ? 1500 : 0)) * ms);
    }
    cases.push_back(jitter);
    cases.push_back(stalls);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frames = Frames(c.times.size());
        Mp4MemorySink sink;
        Record(sink, frames, c.times, c.rate);
        const Mp4TestFile f = Read(sink.bytes);
        ExpectFrames(f, sink.bytes, frames);
        ExpectFragmentsOfOneSecond(f);
    }
}

TEST(Mp4Fragments, LargeFramesCloseAFragmentBeforeItPassesEightMiB) {
    const size_t mib = 1 << 20;
    const std::vector<size_t> sizes = {3 * mib, 3 * mib, 3 * mib, 10 * mib, 1 * mib, 7 * mib, 2 * mib, 100};
    std::vector<std::vector<uint8_t>> frames;
    for (size_t i = 0; i < sizes.size(); ++i) {
        frames.push_back(Frame(sizes[i], static_cast<uint32_t>(i)));
    }
    Mp4MemorySink sink;
    Record(sink, frames, SteadyTimes(frames.size(), 30.0));
    const Mp4TestFile f = Read(sink.bytes);
    ExpectFrames(f, sink.bytes, frames);
    std::vector<size_t> perFragment;
    for (const Mp4TestFragment& frag : f.fragments) {
        perFragment.push_back(frag.samples.size());
    }
    // 3+3 | 3 | 10 alone | 1+7 | 2 + 100 bytes
    EXPECT_EQ(perFragment, (std::vector<size_t>{2, 1, 1, 2, 2}));
}

TEST(Mp4CrashSafety, TheFileCutAfterAnyFragmentPlaysAndACutInsideOneKeepsTheRest) {
    const auto frames = Frames(130);
    Mp4MemorySink sink;
    Record(sink, frames, SteadyTimes(frames.size(), 30.0));
    const Mp4TestFile whole = Read(sink.bytes);
    ASSERT_EQ(whole.fragments.size(), 5u);

    // Where each fragment's data ends, and the frames before it.
    std::vector<std::pair<uint64_t, size_t>> ends;
    size_t framesSoFar = 0;
    for (const Mp4TestFragment& frag : whole.fragments) {
        framesSoFar += frag.samples.size();
        ends.push_back({frag.samples.back().offset + frag.samples.back().size, framesSoFar});
    }
    for (const auto& [end, count] : ends) {
        const std::vector<uint8_t> cut(sink.bytes.begin(), sink.bytes.begin() + static_cast<ptrdiff_t>(end));
        SCOPED_TRACE("cut at " + std::to_string(end));
        const Mp4TestFile f = Read(cut);
        EXPECT_FALSE(f.cut);
        ExpectFrames(f, cut, frames, count);
    }

    // Cut anywhere: the complete fragments before the cut are all there.
    const uint64_t moovEnd = whole.boxes[1].offset + whole.boxes[1].size;
    for (uint64_t at = moovEnd; at < sink.bytes.size(); at += 97) {
        const std::vector<uint8_t> cut(sink.bytes.begin(), sink.bytes.begin() + static_cast<ptrdiff_t>(at));
        size_t complete = 0;
        for (const auto& [end, count] : ends) {
            if (end <= at) {
                complete = count;
            }
        }
        const Mp4TestFile f = Read(cut, true);
        ASSERT_EQ(f.SampleCount(), complete) << "cut at " << at;
    }
}

TEST(Mp4WriteFailures, AFailedWriteStopsTheWriterAndKeepsWhatCameBefore) {
    const auto frames = Frames(100);
    const auto times = SteadyTimes(frames.size(), 30.0);
    Mp4MemorySink healthy;
    Record(healthy, frames, times);
    const int totalWrites = healthy.writes;
    ASSERT_EQ(totalWrites, 1 + 2 * 4 + 1); // header, four fragments (moof, data), index

    for (int failing = 0; failing < totalWrites; ++failing) {
        for (size_t keeps : {size_t{0}, size_t{100}}) {
            SCOPED_TRACE("write " + std::to_string(failing) + " fails after " + std::to_string(keeps));
            Mp4MemorySink sink;
            sink.failWrite = failing;
            sink.failKeeps = keeps;
            Mp4MjpegWriter w;
            bool ok = w.Begin(sink, 640, 480, 30.0);
            size_t accepted = 0;
            for (size_t i = 0; ok && i < frames.size(); ++i) {
                ok = w.AddFrame(frames[i].data(), frames[i].size(), times[i]);
                accepted += ok ? 1 : 0;
            }
            if (ok) {
                ok = w.Finish();
            }
            EXPECT_FALSE(ok);
            EXPECT_TRUE(w.Failed());
            EXPECT_FALSE(w.IsOpen());
            // Nothing more is written, and every later call says no.
            EXPECT_FALSE(w.AddFrame(frames[0].data(), frames[0].size(), times.back() + 1));
            EXPECT_FALSE(w.Finish());
            EXPECT_EQ(sink.callsAfterFailure, 0);
            if (failing == 0) {
                EXPECT_EQ(accepted, 0u);
                continue;
            }
            const Mp4TestFile f = Read(sink.bytes, true);
            EXPECT_EQ(f.SampleCount(), w.FramesWritten());
            ExpectFrames(f, sink.bytes, frames, f.SampleCount());
        }
    }

    // The duration patch fails: the file stays as it was, complete but without a total duration.
    Mp4MemorySink sink;
    sink.failWriteAt = true;
    Mp4MjpegWriter w;
    ASSERT_TRUE(w.Begin(sink, 640, 480, 30.0));
    for (size_t i = 0; i < frames.size(); ++i) {
        ASSERT_TRUE(w.AddFrame(frames[i].data(), frames[i].size(), times[i]));
    }
    EXPECT_FALSE(w.Finish());
    EXPECT_TRUE(w.Failed());
    const Mp4TestFile f = Read(sink.bytes);
    EXPECT_EQ(f.mehdDuration, 0u);
    ExpectFrames(f, sink.bytes, frames);
    EXPECT_TRUE(f.hasIndex);
}

TEST(Mp4LargeFile, PastFourGiBTheIndexKeeps64BitOffsets) {
    // 4.1 GiB of 2-MiB frames, 1.5 s apart so that each is a fragment of its own; the sink counts
    // the bytes without keeping them.
    const std::vector<uint8_t> frame = Frame(2 << 20, 3);
    const size_t count = 2050;
    const int64_t apart = 15000000;
    Mp4MemorySink sink;
    sink.keepBytes = sink.seekable = false;
    Mp4MjpegWriter w;
    ASSERT_TRUE(w.Begin(sink, 2592, 1944, 1.0));
    for (size_t i = 0; i < count; ++i) {
        ASSERT_TRUE(w.AddFrame(frame.data(), frame.size(), static_cast<int64_t>(i) * apart));
    }
    ASSERT_TRUE(w.Finish());
    EXPECT_GT(sink.size, 0x100000000ull);
    EXPECT_EQ(std::tuple(w.BytesWritten(), w.FramesWritten()), std::tuple(sink.size, count));

    // Every fragment is its moof, an 8-byte mdat header and the frame, so the same size: the index
    // steps by it to the last fragment, which ends where the index (the last write) begins.
    std::vector<Mp4TestIndexEntry> index;
    ASSERT_NO_THROW(index = ReadMp4Index(sink.last.data(), sink.last.size()));
    ASSERT_EQ(index.size(), count);
    const uint64_t step = index[1].moofOffset - index[0].moofOffset;
    EXPECT_EQ(index.back().moofOffset + step, sink.size - sink.last.size());
    for (size_t i = 0; i < count; ++i) {
        ASSERT_EQ(index[i].moofOffset, index[0].moofOffset + i * step) << i;
        ASSERT_EQ(index[i].time, static_cast<uint64_t>(Ticks(static_cast<int64_t>(i) * apart))) << i;
    }
}

TEST(Mp4Boxes, AHeaderTakesThe64BitSizeOnlyWhenNeeded) {
    std::vector<uint8_t> small;
    AppendMp4BoxHeader(small, "mdat", 0xFFFFFFFFull - 8);
    EXPECT_EQ(small, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 'm', 'd', 'a', 't'}));
    std::vector<uint8_t> large;
    AppendMp4BoxHeader(large, "mdat", 0xFFFFFFFFull - 7);
    EXPECT_EQ(large, (std::vector<uint8_t>{0, 0, 0, 1, 'm', 'd', 'a', 't', 0, 0, 0, 1, 0, 0, 0, 8}));
}
