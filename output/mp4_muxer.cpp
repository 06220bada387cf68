#include "output/mp4_muxer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace {

// 100-ns units to media time units (kMp4Timescale per second), to the nearest.
int64_t TicksFrom100ns(int64_t value) {
    static_assert(kMp4Timescale == 90000, "the conversion below is for 90 kHz");
    return value >= 0 ? (value * 9 + 500) / 1000 : -((-value * 9 + 500) / 1000);
}

constexpr int64_t kMinStep = Mp4MjpegWriter::kMinFrameDuration100ns * kMp4Timescale / 10000000;
constexpr int64_t kMaxStep = std::numeric_limits<uint32_t>::max(); // the trun's duration field

// Grows v to hold at least count elements, doubling so that appending stays linear.
template <typename T> void Reserve(std::vector<T>& v, size_t count) {
    if (count > v.capacity()) {
        v.reserve(std::max(count, 2 * v.capacity()));
    }
}

} // namespace

bool Mp4MjpegWriter::Begin(ByteSink& sink, int width, int height, double frameRate) {
    if (state_ == State::Writing) {
        return false;
    }
    if (width < 1 || width > kMaxDimension || height < 1 || height > kMaxDimension) {
        return false;
    }
    if (!(frameRate >= kMinFrameRate && frameRate <= kMaxFrameRate)) { // also refuses NaN
        return false;
    }

    samples_.clear();
    data_.clear();
    index_.clear();
    fragmentStart_ = 0;
    lastTime_ = 0;
    skipped_ = 0;
    anyFrame_ = false;
    firstTime100ns_ = 0;
    framesWritten_ = 0;
    bytesWritten_ = 0;
    writtenEnd_ = 0;
    nextSequence_ = 1;
    const double period = std::round(kMp4Timescale / frameRate);
    nominalDuration_ = static_cast<uint32_t>(std::clamp(period, static_cast<double>(kMinStep), 1e9));

    const Mp4InitSegment init =
        BuildMp4InitSegment(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
    mehdDurationOffset_ = init.mehdDurationOffset;
    sink_ = &sink;
    state_ = State::Writing;
    return Append(init.bytes.data(), init.bytes.size());
}

bool Mp4MjpegWriter::AddFrame(const uint8_t* jpeg, size_t size, int64_t time100ns) {
    if (state_ != State::Writing) {
        return false;
    }
    if (jpeg == nullptr || size < 2 || size > kMaxFrameBytes || jpeg[0] != 0xFF || jpeg[1] != 0xD8) {
        return false;
    }
    if (time100ns < -kMaxFrameTime100ns || time100ns > kMaxFrameTime100ns) {
        return false;
    }

    // The frame's decode time; the previous frame lasts until then.
    uint64_t time = 0;
    uint32_t step = 0;
    int64_t cut = 0;
    if (anyFrame_) {
        const int64_t raw =
            TicksFrom100ns(time100ns - firstTime100ns_) - skipped_ - static_cast<int64_t>(lastTime_);
        step = static_cast<uint32_t>(std::clamp(raw, kMinStep, kMaxStep));
        cut = std::max<int64_t>(raw - kMaxStep, 0); // later frames keep their spacing after the gap
        time = lastTime_ + step;
    }
    // Room first: a frame refused for want of memory leaves the writer as it was.
    try {
        Reserve(data_, data_.size() + size);
        Reserve(samples_, samples_.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (anyFrame_) {
        samples_.back().duration = step;
        skipped_ += cut;
    }

    // Write out what lies more than a second before this frame: the buffered frames but the last
    // one, which started within the second, so that a fragment never spans more than a second
    // unless it is a single long frame. Also write everything when this frame's bytes would not fit.
    while (!samples_.empty()) {
        const bool secondPassed = time - fragmentStart_ > kMp4Timescale;
        size_t count = 0;
        if (secondPassed && samples_.size() >= 2) {
            count = samples_.size() - 1;
        } else if (secondPassed || data_.size() + size > kFragmentBytes) {
            count = samples_.size();
        } else {
            break;
        }
        if (!WriteFragment(count)) {
            return false;
        }
    }

    if (samples_.empty()) {
        fragmentStart_ = time;
    }
    data_.insert(data_.end(), jpeg, jpeg + size);
    samples_.push_back({0, static_cast<uint32_t>(size)});
    lastTime_ = time;
    if (!anyFrame_) {
        anyFrame_ = true;
        firstTime100ns_ = time100ns;
    }
    return true;
}

bool Mp4MjpegWriter::Finish() {
    if (state_ != State::Writing) {
        return false;
    }
    if (!samples_.empty()) {
        samples_.back().duration = nominalDuration_;
        if (!WriteFragment(samples_.size())) {
            return false;
        }
    }
    if (!index_.empty()) {
        const std::vector<uint8_t> mfra = BuildMp4RandomAccessIndex(index_);
        if (!Append(mfra.data(), mfra.size())) {
            return false;
        }
    }
    if (sink_->CanSeek()) {
        uint8_t duration[8];
        for (int i = 0; i < 8; ++i) {
            duration[i] = static_cast<uint8_t>(writtenEnd_ >> (56 - 8 * i));
        }
        if (!sink_->WriteAt(mehdDurationOffset_, duration, sizeof duration)) {
            Fail();
            return false;
        }
    }
    state_ = State::Finished;
    sink_ = nullptr;
    samples_ = {};
    data_ = {};
    index_ = {};
    return true;
}

int64_t Mp4MjpegWriter::WrittenDuration100ns() const {
    return static_cast<int64_t>((writtenEnd_ * 1000 + 4) / 9);
}

bool Mp4MjpegWriter::Append(const uint8_t* data, size_t size) {
    if (!sink_->Write(data, size)) {
        Fail();
        return false;
    }
    bytesWritten_ += size;
    return true;
}

bool Mp4MjpegWriter::WriteFragment(size_t count) {
    const uint64_t moofOffset = bytesWritten_;
    const std::span<const Mp4SampleInfo> samples(samples_.data(), count);
    const std::vector<uint8_t> header = BuildMp4FragmentHeader(nextSequence_, fragmentStart_, samples);
    size_t bytes = 0;
    uint64_t end = fragmentStart_;
    for (const Mp4SampleInfo& s : samples) {
        bytes += s.size;
        end += s.duration;
    }
    if (!Append(header.data(), header.size()) || !Append(data_.data(), bytes)) {
        return false;
    }
    index_.push_back({fragmentStart_, moofOffset});
    writtenEnd_ = end;
    fragmentStart_ = end;
    framesWritten_ += count;
    ++nextSequence_;
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<ptrdiff_t>(count));
    data_.erase(data_.begin(), data_.begin() + static_cast<ptrdiff_t>(bytes));
    return true;
}

void Mp4MjpegWriter::Fail() {
    state_ = State::Failed;
    sink_ = nullptr;
    samples_ = {};
    data_ = {};
    index_ = {};
}
