#include "output/frame_sinks.h"

#include "output/media_foundation_api.h"
#include "output/mp4_muxer.h"
#include "output/video_encoding.h"

#include <mfapi.h>
#include <mferror.h>
#include <wrl/client.h>

#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

// The attributes both media types share: video of this size and rate, progressive, square pixels.
HRESULT SetVideoAttributes(IMFMediaType* type, const GUID& subtype, const VideoFileSetup& setup) {
    HRESULT hr = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    if (SUCCEEDED(hr))
        hr = type->SetGUID(MF_MT_SUBTYPE, subtype);
    if (SUCCEEDED(hr))
        hr = type->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
    if (SUCCEEDED(hr))
        hr = MFSetAttributeSize(type, MF_MT_FRAME_SIZE, static_cast<UINT32>(setup.width),
                                static_cast<UINT32>(setup.height));
    if (SUCCEEDED(hr))
        hr = MFSetAttributeRatio(type, MF_MT_FRAME_RATE, FrameRateNumerator(setup.frameRate), 1000);
    if (SUCCEEDED(hr))
        hr = MFSetAttributeRatio(type, MF_MT_PIXEL_ASPECT_RATIO, 1, 1);
    return hr;
}

// fragmented: ask for a fragmented MP4, which stays playable up to its last fragment when the
// program is killed; otherwise the container follows from the ".mp4" extension.
HRESULT SetupSinkWriter(const MediaFoundationApi& mf, const VideoFileSetup& setup, bool fragmented,
                        ComPtr<IMFSinkWriter>* writerOut, DWORD* streamOut) {
    ComPtr<IMFAttributes> attributes;
    ComPtr<IMFSinkWriter> writer;
    ComPtr<IMFMediaType> output;
    ComPtr<IMFMediaType> input;
    DWORD stream = 0;

    HRESULT hr = S_OK;
    if (fragmented) {
        hr = mf.createAttributes(&attributes, 1);
        if (SUCCEEDED(hr))
            hr = attributes->SetGUID(MF_TRANSCODE_CONTAINERTYPE, MFTranscodeContainerType_FMPEG4);
    }
    if (SUCCEEDED(hr))
        hr = mf.createSinkWriterFromURL(setup.path.c_str(), nullptr, attributes.Get(), &writer);
    if (SUCCEEDED(hr))
        hr = mf.createMediaType(&output);
    if (SUCCEEDED(hr))
        hr = SetVideoAttributes(output.Get(), MFVideoFormat_H264, setup);
    if (SUCCEEDED(hr))
        hr = output->SetUINT32(MF_MT_AVG_BITRATE, AverageBitRate(setup.width));
    if (SUCCEEDED(hr))
        hr = writer->AddStream(output.Get(), &stream);
    if (SUCCEEDED(hr))
        hr = mf.createMediaType(&input);
    if (SUCCEEDED(hr))
        hr = SetVideoAttributes(input.Get(), MFVideoFormat_RGB24, setup);
    // The frames are bottom-up like a DIB. Said explicitly: without it, encoders disagree about
    // which way RGB rows run, and the video may come out upside down.
    if (SUCCEEDED(hr))
        hr = input->SetUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(-setup.width * 3));
    if (SUCCEEDED(hr))
        hr = writer->SetInputMediaType(stream, input.Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = writer->BeginWriting();
    if (SUCCEEDED(hr)) {
        *writerOut = writer;
        *streamOut = stream;
    }
    return hr;
}

class MediaFoundationSink final : public FrameSink {
public:
    MediaFoundationSink(ComPtr<IMFSinkWriter> writer, DWORD stream, const VideoFileSetup& setup)
        : writer_(std::move(writer)), stream_(stream), width_(setup.width), height_(setup.height),
          // One frame of the rate the types declare, so that durations and rate agree exactly.
          frameDuration_(static_cast<LONGLONG>(10000000000.0 / FrameRateNumerator(setup.frameRate) + 0.5)) {}

    Result WriteFrame(const uint8_t* pixels, int64_t time100ns) override {
        if (!writer_)
            return Result::Failed;
        const DWORD bytes = static_cast<DWORD>(width_) * 3 * static_cast<DWORD>(height_);
        ComPtr<IMFMediaBuffer> buffer;
        ComPtr<IMFSample> sample;
        BYTE* data = nullptr;

        HRESULT hr = g_mediaFoundation.createMemoryBuffer(bytes, &buffer);
        if (SUCCEEDED(hr))
            hr = buffer->Lock(&data, nullptr, nullptr);
        if (SUCCEEDED(hr)) {
            // Rows keep their memory order; the input type says they run bottom-up.
            std::memcpy(data, pixels, bytes);
            buffer->Unlock();
        }
        if (SUCCEEDED(hr))
            hr = buffer->SetCurrentLength(bytes);
        if (SUCCEEDED(hr))
            hr = g_mediaFoundation.createSample(&sample);
        if (SUCCEEDED(hr))
            hr = sample->AddBuffer(buffer.Get());
        const int64_t time = SampleTime(time100ns);
        if (SUCCEEDED(hr))
            hr = sample->SetSampleTime(time);
        if (SUCCEEDED(hr))
            hr = sample->SetSampleDuration(frameDuration_);
        if (FAILED(hr))
            return Result::Dropped;
        // A sample the writer refuses means the file takes no more (disk full, writer broken).
        if (FAILED(writer_->WriteSample(stream_, sample.Get())))
            return Result::Failed;
        lastTime_ = time;
        return Result::Written;
    }

    bool Finish() override {
        if (!writer_)
            return false;
        // Finalize writes out what the encoder still holds; a Flush first would throw it away.
        const HRESULT hr = writer_->Finalize();
        writer_.Reset();
        return SUCCEEDED(hr);
    }

private:
    // The file starts at its first frame, and times only go forward, as the own writer keeps them.
    int64_t SampleTime(int64_t time100ns) {
        if (firstTime_ < 0)
            firstTime_ = time100ns;
        const int64_t time = time100ns - firstTime_;
        if (lastTime_ < 0)
            return time;
        const int64_t earliest = lastTime_ + Mp4MjpegWriter::kMinFrameDuration100ns;
        return time < earliest ? earliest : time;
    }

    ComPtr<IMFSinkWriter> writer_;
    DWORD stream_;
    int width_;
    int height_;
    LONGLONG frameDuration_;
    int64_t firstTime_ = -1;
    int64_t lastTime_ = -1;
};

} // namespace

std::unique_ptr<FrameSink> CreateMediaFoundationSink(const VideoFileSetup& setup, HRESULT* result) {
    HRESULT ignored = S_OK;
    if (!result)
        result = &ignored;
    const MediaFoundationApi& mf = g_mediaFoundation;
    if (!mf.started) {
        *result = MF_E_PLATFORM_NOT_INITIALIZED;
        return nullptr;
    }
    const bool existed = GetFileAttributesW(setup.path.c_str()) != INVALID_FILE_ATTRIBUTES;
    ComPtr<IMFSinkWriter> writer;
    DWORD stream = 0;
    // Systems without the fragmented container refuse it: the plain MP4 then, which needs its
    // index written by Finalize.
    HRESULT hr = SetupSinkWriter(mf, setup, true, &writer, &stream);
    if (FAILED(hr))
        hr = SetupSinkWriter(mf, setup, false, &writer, &stream);
    *result = hr;
    if (FAILED(hr)) {
        // Whatever the failed writer began is not a video; whichever writer comes next starts clean.
        if (!existed)
            DeleteFileW(setup.path.c_str());
        return nullptr;
    }
    return std::make_unique<MediaFoundationSink>(std::move(writer), stream, setup);
}
