#include "output/frame_sinks.h"

#include "output/video_encoding.h"

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <wrl/client.h>

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

HRESULT SetupSinkWriter(const VideoFileSetup& setup, ComPtr<IMFSinkWriter>* writerOut, DWORD* streamOut) {
    ComPtr<IMFSinkWriter> writer;
    ComPtr<IMFMediaType> output;
    ComPtr<IMFMediaType> input;
    DWORD stream = 0;

    // The container follows from the ".mp4" extension.
    HRESULT hr = MFCreateSinkWriterFromURL(setup.path.c_str(), nullptr, nullptr, &writer);
    if (SUCCEEDED(hr))
        hr = MFCreateMediaType(&output);
    if (SUCCEEDED(hr))
        hr = SetVideoAttributes(output.Get(), MFVideoFormat_H264, setup);
    if (SUCCEEDED(hr))
        hr = output->SetUINT32(MF_MT_AVG_BITRATE, AverageBitRate(setup.width));
    if (SUCCEEDED(hr))
        hr = writer->AddStream(output.Get(), &stream);
    if (SUCCEEDED(hr))
        hr = MFCreateMediaType(&input);
    if (SUCCEEDED(hr))
        hr = SetVideoAttributes(input.Get(), MFVideoFormat_RGB24, setup);
    // The frames are bottom-up like a DIB; a negative stride says so, or the video would be
    // upside down.
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
          frameDuration_(static_cast<LONGLONG>(10000000.0 / setup.frameRate)) {}

    Result WriteFrame(const uint8_t* pixels, int64_t time100ns) override {
        const DWORD stride = static_cast<DWORD>(width_) * 3;
        const DWORD bytes = stride * static_cast<DWORD>(height_);
        ComPtr<IMFMediaBuffer> buffer;
        ComPtr<IMFSample> sample;
        BYTE* data = nullptr;

        HRESULT hr = MFCreateMemoryBuffer(bytes, &buffer);
        if (SUCCEEDED(hr))
            hr = buffer->Lock(&data, nullptr, nullptr);
        if (SUCCEEDED(hr)) {
            // Rows keep their memory order; the input type says they run bottom-up.
            hr = MFCopyImage(data, static_cast<LONG>(stride), pixels, static_cast<LONG>(stride), stride,
                             static_cast<DWORD>(height_));
            buffer->Unlock();
        }
        if (SUCCEEDED(hr))
            hr = buffer->SetCurrentLength(bytes);
        if (SUCCEEDED(hr))
            hr = MFCreateSample(&sample);
        if (SUCCEEDED(hr))
            hr = sample->AddBuffer(buffer.Get());
        if (SUCCEEDED(hr))
            hr = sample->SetSampleTime(time100ns);
        if (SUCCEEDED(hr))
            hr = sample->SetSampleDuration(frameDuration_);
        if (FAILED(hr))
            return Result::Dropped;
        // A sample the writer refuses means the file takes no more (disk full, writer broken).
        return SUCCEEDED(writer_->WriteSample(stream_, sample.Get())) ? Result::Written : Result::Failed;
    }

    bool Finish() override {
        // Finalize writes out what the encoder still holds; a Flush first would throw it away.
        const HRESULT hr = writer_->Finalize();
        writer_.Reset();
        return SUCCEEDED(hr);
    }

private:
    ComPtr<IMFSinkWriter> writer_;
    DWORD stream_;
    int width_;
    int height_;
    LONGLONG frameDuration_;
};

} // namespace

std::unique_ptr<FrameSink> CreateMediaFoundationSink(const VideoFileSetup& setup, HRESULT* result) {
    ComPtr<IMFSinkWriter> writer;
    DWORD stream = 0;
    const HRESULT hr = SetupSinkWriter(setup, &writer, &stream);
    if (result)
        *result = hr;
    if (FAILED(hr))
        return nullptr;
    return std::make_unique<MediaFoundationSink>(std::move(writer), stream, setup);
}
