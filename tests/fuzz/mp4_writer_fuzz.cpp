// The MP4 writer driven by random frame sizes and times (equal, backwards, long gaps, out of
// range), refused frames and any frame rate: the strict test reader must find exactly the frames
// taken, and the file cut at any fragment boundary must still read.
#include "output/mp4_muxer.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/unit/mp4_test_reader.h"

#include <limits>
#include <stdexcept>

namespace {

std::vector<uint8_t> Frame(size_t size, uint8_t fill) {
    std::vector<uint8_t> frame(size, fill);
    frame[0] = 0xFF;
    if (size > 1)
        frame[1] = 0xD8;
    return frame;
}

Mp4TestFile Read(const std::vector<uint8_t>& file, bool allowCut) {
    try {
        return ReadMp4(file, allowCut);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "unreadable file (%zu bytes): %s\n", file.size(), e.what());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in{data, size};
    const int width = 1 + in.Take<uint16_t>() % Mp4MjpegWriter::kMaxDimension;
    const int height = 1 + in.Take<uint16_t>() % Mp4MjpegWriter::kMaxDimension;
    const double rate = Mp4MjpegWriter::kMinFrameRate + in.Take<uint16_t>() % 10000 / 10.0;

    Mp4MemorySink sink;
    Mp4MjpegWriter writer;
    FUZZ_CHECK(writer.Begin(sink, width, height, rate));
    std::vector<std::vector<uint8_t>> taken;
    int64_t time = 0;
    // Steps from a time near the ends of the range stop there instead of wrapping round.
    const auto step = [&time](int64_t by) {
        if (__builtin_add_overflow(time, by, &time))
            time = by > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    };
    // 32 frames reach the time rules (steps, pauses, refusals); more only slow each run, as
    // every fragment boundary is read back below.
    while (in.size > 0 && taken.size() < 32) {
        const uint8_t op = in.Take<uint8_t>();
        switch (op % 4) {
            case 0:
                step(in.Take<int8_t>() * 10000);
                break; // a few ms, also backwards
            case 1:
                step(in.Take<uint16_t>() * int64_t{1000000});
                break; // up to 2 h: a pause
            case 2:
                time = in.Take<int64_t>();
                break; // any time at all
            case 3:
                break; // the same time again
        }
        // Mostly frames; a size of 1 is a JPEG cut short, which the writer refuses.
        std::vector<uint8_t> frame =
            Frame(1 + in.Take<uint16_t>() % 1024, static_cast<uint8_t>(taken.size()));
        if (op & 0x80 && frame.size() > 1)
            frame[1] = 0x00;
        const bool valid = frame.size() >= 2 && frame[1] == 0xD8 &&
                           time >= -Mp4MjpegWriter::kMaxFrameTime100ns &&
                           time <= Mp4MjpegWriter::kMaxFrameTime100ns;
        const bool added = writer.AddFrame(frame.data(), frame.size(), time);
        FUZZ_CHECK(!writer.Failed());
        if (added)
            taken.push_back(std::move(frame));
        else
            FUZZ_CHECK(!valid);
    }
    FUZZ_CHECK(writer.Finish());

    const Mp4TestFile file = Read(sink.bytes, false);
    FUZZ_CHECK(!file.cut && file.SampleCount() == taken.size());
    FUZZ_CHECK(file.width == width && file.height == height);
    const std::vector<Mp4TestSample> samples = file.Samples();
    for (size_t i = 0; i < samples.size(); ++i) {
        FUZZ_CHECK(samples[i].size == taken[i].size() && samples[i].duration > 0);
        FUZZ_CHECK(std::memcmp(sink.bytes.data() + samples[i].offset, taken[i].data(), taken[i].size()) == 0);
    }

    for (size_t i = 0; i < file.fragments.size(); ++i) {
        const std::vector<uint8_t> prefix(sink.bytes.begin(),
                                          sink.bytes.begin() + file.fragments[i].moofOffset);
        FUZZ_CHECK(Read(prefix, true).fragments.size() == i);
    }
    return 0;
}
