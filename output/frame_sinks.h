// The recorder's two frame sinks: H.264 in MP4 through Media Foundation's sink writer, and the
// program's own Motion-JPEG MP4 writer where the platform cannot set that up (Windows N editions
// without the media features, Wine). Both are made and used on the recorder's worker thread,
// which has joined the multithreaded apartment.
#pragma once

#include "output/frame_recorder.h"
#include "output/mp4_muxer.h"

#include <windows.h>

#include <memory>
#include <string>

// Which writer a recording uses.
enum class VideoWriterKind { None = 0, MediaFoundation = 1, MotionJpeg = 2 };

// What the video file is set up with.
struct VideoFileSetup {
    std::wstring path;
    int width = 0; // the camera's frame size
    int height = 0;
    double frameRate = 30.0; // already raised to the least a recording takes
};

// Media Foundation's sink writer for an H.264 stream; null when it cannot be set up, with the
// result of the call that failed in *result. Media Foundation must be started.
std::unique_ptr<FrameSink> CreateMediaFoundationSink(const VideoFileSetup& setup, HRESULT* result);

// Why the program's own writer could not be set up.
enum class MjpegSinkError { None, CannotCreateFile, NoEncoder };

// The program's own writer: each frame JPEG-encoded by the program's own encoder and written as
// a fragmented MP4 file. Null when the file cannot be created or no JPEG encoder
// works, with the reason in *error.
std::unique_ptr<FrameSink> CreateMjpegSink(const VideoFileSetup& setup, MjpegSinkError* error);

// The bytes of a file opened for writing, for the MP4 writer. Writes go straight to the file
// (readers may open it meanwhile), and what was written is pushed to the disk about once a
// second, so that a crash or a power cut loses little of a recording.
class FileByteSink : public ByteSink {
public:
    FileByteSink() = default;
    ~FileByteSink() override;
    FileByteSink(const FileByteSink&) = delete;
    FileByteSink& operator=(const FileByteSink&) = delete;

    // Creates (or empties) the file. False with GetLastError's code in *error.
    bool Open(const std::wstring& path, DWORD* error);
    // Pushes what is written to the disk and closes the file.
    void Close();
    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }

    bool Write(const uint8_t* data, size_t size) override;
    bool CanSeek() const override { return true; }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;

private:
    bool WriteAll(const uint8_t* data, size_t size);

    HANDLE file_ = INVALID_HANDLE_VALUE;
    ULONGLONG lastFlush_ = 0;
    bool unflushed_ = false;
};

// Encodes frames (B, G, R, rows bottom-up) as JPEG at the video's quality. One encoder per thread;
// it keeps its output buffer from frame to frame.
class JpegFrameEncoder {
public:
    JpegFrameEncoder();
    ~JpegFrameEncoder();
    JpegFrameEncoder(const JpegFrameEncoder&) = delete;
    JpegFrameEncoder& operator=(const JpegFrameEncoder&) = delete;

    // The JPEG bytes of one frame, valid until the next call; null on failure.
    const uint8_t* Encode(const uint8_t* pixels, int width, int height, size_t* size);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Quality of the video's JPEG frames (0..1): close enough to the camera's picture to measure on,
// at a fraction of the size and encoding time of the best quality.
inline constexpr float kVideoJpegQuality = 0.9f;
