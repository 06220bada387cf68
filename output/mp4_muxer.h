// The program's own MP4 writer: Motion-JPEG frames in a fragmented MP4 file, used where the
// platform has no H.264 MP4 writer. Pure code: the bytes go to a ByteSink, which the recorder
// implements over a Windows file and the tests over memory or a POSIX file.
#pragma once

#include "output/mp4_boxes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Where the writer puts its bytes.
struct ByteSink {
    virtual ~ByteSink() = default;
    // Appends the bytes; false when not all of them were written.
    virtual bool Write(const uint8_t* data, size_t size) = 0;
    // Whether WriteAt works. Only then is the total duration filled in at the finish.
    virtual bool CanSeek() const { return false; }
    // Overwrites bytes already written, offset counted from the first byte of the file. The
    // writer calls it only after its last Write.
    virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
        (void)offset;
        (void)data;
        (void)size;
        return false;
    }
};

// Writes one video track of JPEG frames as a fragmented MP4 file: ftyp and moov at Begin, then
// moof and mdat pairs. A fragment spans at most one second of media time (unless it is a single
// longer frame) and at most kFragmentBytes of frames (unless it is a single larger frame); it is
// written as soon as the frame after it shows that it is complete. Everything before the end of
// each fragment is a complete, playable file, so a crash loses only about the last second.
// Finish writes what is buffered, a random-access index (mfra) and, on a seekable sink, the
// total duration into the moov's mehd. Sample positions are relative to their moof, so files
// beyond 4 GiB need no absolute offsets; decode times are 64-bit.
//
// Times are in 100-ns units, as Media Foundation counts them, and are free of pause gaps. The
// first frame's time becomes time 0 of the file; the file's clock runs at kMp4Timescale. A frame
// lasts until the next frame's time; the last one lasts one nominal frame period. A time that is
// not later than the previous frame's by at least kMinFrameDuration100ns gives that frame the
// minimum duration instead, and later frames keep at least that spacing until their times are
// ahead again. A gap of more than 13 hours between two frames is shortened to that, and the
// frames after it keep their spacing.
//
// Once a write fails the writer stops: every later call returns false and nothing more is
// written, so what reached the sink stays as it was. Not thread-safe: one thread calls it.
class Mp4MjpegWriter {
public:
    static constexpr int kMaxDimension = 65535; // the sample description's 16-bit fields
    static constexpr double kMinFrameRate = 0.1;
    static constexpr double kMaxFrameRate = 1000.0;
    static constexpr size_t kMaxFrameBytes = 64u << 20;
    static constexpr size_t kFragmentBytes = 8u << 20;
    static constexpr int64_t kMinFrameDuration100ns = 10000; // 1 ms
    // Frame times beyond about three years either way are refused.
    static constexpr int64_t kMaxFrameTime100ns = 1000000000000000;

    Mp4MjpegWriter() = default;
    Mp4MjpegWriter(const Mp4MjpegWriter&) = delete;
    Mp4MjpegWriter& operator=(const Mp4MjpegWriter&) = delete;

    // Starts a file on sink and writes its header. False, with nothing written, for a size
    // outside 1..kMaxDimension, a rate that is not a finite number in kMinFrameRate..kMaxFrameRate,
    // or while a file is still open; false and Failed() when the header cannot be written.
    // A writer can begin a new file after a finish or a failure. The sink must outlive the file.
    bool Begin(ByteSink& sink, int width, int height, double frameRate);

    // Takes one JPEG frame (copied). False for a frame that is refused (null, empty, not starting
    // with a JPEG start-of-image marker, larger than kMaxFrameBytes, a time out of range, no
    // memory); the file stays open and the next frame can follow. False and Failed() when writing
    // the previous fragment failed, and false when no file is open.
    bool AddFrame(const uint8_t* jpeg, size_t size, int64_t time100ns);

    // Writes the buffered frames, the index and, when the sink can seek, the total duration,
    // and closes the file. False when no file is open or a write fails. A file with no frame is
    // a valid, empty movie.
    bool Finish();

    bool IsOpen() const { return state_ == State::Writing; }
    bool Failed() const { return state_ == State::Failed; }
    // Frames and bytes that have reached the sink (buffered frames are not counted yet).
    uint64_t FramesWritten() const { return framesWritten_; }
    uint64_t BytesWritten() const { return bytesWritten_; }
    // Media time of the frames that have reached the sink, in 100-ns units.
    int64_t WrittenDuration100ns() const;
    // Frames taken but not yet written.
    size_t FramesBuffered() const { return samples_.size(); }

private:
    enum class State { Idle, Writing, Finished, Failed };

    bool Append(const uint8_t* data, size_t size);
    bool WriteFragment(size_t count);
    void Fail();

    State state_ = State::Idle;
    ByteSink* sink_ = nullptr;
    size_t mehdDurationOffset_ = 0;
    uint32_t nominalDuration_ = 0; // media time units
    uint32_t nextSequence_ = 1;

    // The fragment being collected: its samples (the last one's duration is known only when the
    // next frame or the finish comes) and their bytes back to back.
    std::vector<Mp4SampleInfo> samples_;
    std::vector<uint8_t> data_;
    uint64_t fragmentStart_ = 0; // decode time of samples_[0]
    uint64_t lastTime_ = 0;      // decode time of samples_.back() or of the last frame written
    int64_t skipped_ = 0;        // media time cut out of over-long gaps
    bool anyFrame_ = false;
    int64_t firstTime100ns_ = 0;

    std::vector<Mp4RandomAccessEntry> index_;
    uint64_t framesWritten_ = 0;
    uint64_t bytesWritten_ = 0;
    uint64_t writtenEnd_ = 0; // decode time where the written fragments end
};
