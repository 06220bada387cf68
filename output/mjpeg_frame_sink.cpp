#include "output/frame_sinks.h"

#include "output/encode_pool.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

using Microsoft::WRL::ComPtr;

struct JpegFrameEncoder::Impl {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;       // grows to the largest frame and is reused
    std::vector<uint8_t> topDown; // the frame's rows in the order the encoder takes them
    std::vector<uint8_t> jpeg;
};

JpegFrameEncoder::JpegFrameEncoder() : impl_(std::make_unique<Impl>()) {}

JpegFrameEncoder::~JpegFrameEncoder() = default;

const uint8_t* JpegFrameEncoder::Encode(const uint8_t* pixels, int width, int height, size_t* size) {
    Impl& m = *impl_;
    HRESULT hr = S_OK;
    if (!m.factory) {
        hr = CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&m.factory));
        if (FAILED(hr))
            return nullptr;
    }
    if (!m.stream) {
        hr = CreateStreamOnHGlobal(nullptr, TRUE, &m.stream);
        if (FAILED(hr))
            return nullptr;
    }
    const size_t stride = static_cast<size_t>(width) * 3;
    const size_t bytes = stride * static_cast<size_t>(height);
    m.topDown.resize(bytes);
    for (int y = 0; y < height; ++y)
        std::memcpy(m.topDown.data() + stride * y, pixels + stride * (height - 1 - y), stride);

    LARGE_INTEGER zero = {};
    ULARGE_INTEGER empty = {};
    hr = m.stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr))
        hr = m.stream->SetSize(empty);

    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (SUCCEEDED(hr))
        hr = m.factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(m.stream.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, &options);
    if (SUCCEEDED(hr) && options) {
        PROPBAG2 option = {};
        option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_R4;
        value.fltVal = kVideoJpegQuality;
        options->Write(1, &option, &value); // an encoder without the option keeps its default
    }
    if (SUCCEEDED(hr))
        hr = frame->Initialize(options.Get());
    if (SUCCEEDED(hr))
        hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(stride),
                                static_cast<UINT>(bytes), m.topDown.data());
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    ULARGE_INTEGER end = {};
    if (SUCCEEDED(hr))
        hr = m.stream->Seek(zero, STREAM_SEEK_CUR, &end);
    HGLOBAL memory = nullptr;
    if (SUCCEEDED(hr))
        hr = GetHGlobalFromStream(m.stream.Get(), &memory);
    if (FAILED(hr) || end.QuadPart == 0)
        return nullptr;
    const void* data = GlobalLock(memory);
    if (!data)
        return nullptr;
    m.jpeg.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + end.QuadPart);
    GlobalUnlock(memory);
    *size = m.jpeg.size();
    return m.jpeg.data();
}

namespace {

// Frames encoded side by side: on two cores a second encoder nearly doubles what can be recorded.
int EncoderThreads() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

class MjpegFrameSink final : public FrameSink {
public:
    MjpegFrameSink(int width, int height) : width_(width), height_(height) {}
    ~MjpegFrameSink() override {
        pool_.reset();
        file_.Close();
    }

    bool Begin(const VideoFileSetup& setup, MjpegSinkError* error) {
        DWORD code = 0;
        if (!file_.Open(setup.path, &code)) {
            *error = MjpegSinkError::CannotCreateFile;
            return false;
        }
        // One frame through the encoder before anything is promised: without a working JPEG
        // encoder nothing could be recorded.
        JpegFrameEncoder probe;
        std::vector<uint8_t> grey(static_cast<size_t>(16) * 16 * 3, 128);
        size_t size = 0;
        if (!probe.Encode(grey.data(), 16, 16, &size)) {
            *error = MjpegSinkError::NoEncoder;
            return false;
        }
        if (!writer_.Begin(file_, width_, height_, setup.frameRate)) {
            *error = MjpegSinkError::CannotCreateFile;
            return false;
        }
        const int width = width_;
        const int height = height_;
        EncodePool::Hooks hooks;
        hooks.threadStarting = [] { CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
        hooks.threadEnding = [] { CoUninitialize(); };
        pool_ = std::make_unique<EncodePool>(
            EncoderThreads(), static_cast<size_t>(width) * height * 3,
            [width, height]() -> EncodePool::Encoder {
                auto encoder = std::make_shared<JpegFrameEncoder>();
                return [encoder, width, height](const uint8_t* pixels, std::vector<uint8_t>& out) {
                    size_t size = 0;
                    const uint8_t* jpeg = encoder->Encode(pixels, width, height, &size);
                    if (!jpeg)
                        return false;
                    out.assign(jpeg, jpeg + size);
                    return true;
                };
            },
            hooks);
        return true;
    }

    // The frame goes to the encoders; what they have finished, in order, goes to the file. So
    // the answer is about the frames written now, which are a few frames older than this one.
    Result WriteFrame(const uint8_t* pixels, int64_t time100ns) override {
        if (writer_.Failed())
            return Result::Failed;
        if (!pool_->Submit(pixels, time100ns)) {
            ++tally_.lost;
            return Result::Dropped;
        }
        return TakeEncoded(false);
    }

    bool KeepsTally(Tally* tally) const override {
        *tally = tally_;
        return true;
    }

    bool Finish() override {
        TakeEncoded(true);
        pool_.reset();
        const bool finished = writer_.Finish();
        file_.Close();
        return finished;
    }

private:
    Result TakeEncoded(bool all) {
        bool lost = false;
        pool_->Collect(all, [&](int64_t time, bool ok, const std::vector<uint8_t>& jpeg) {
            if (!ok || writer_.Failed() || !writer_.AddFrame(jpeg.data(), jpeg.size(), time)) {
                lost = true;
                ++tally_.lost;
            } else {
                ++tally_.written;
            }
        });
        if (writer_.Failed())
            return Result::Failed;
        return lost ? Result::Dropped : Result::Written;
    }

    int width_;
    int height_;
    FileByteSink file_;
    Mp4MjpegWriter writer_;
    std::unique_ptr<EncodePool> pool_;
    Tally tally_;
};

} // namespace

std::unique_ptr<FrameSink> CreateMjpegSink(const VideoFileSetup& setup, MjpegSinkError* error) {
    MjpegSinkError ignored = MjpegSinkError::None;
    if (!error)
        error = &ignored;
    *error = MjpegSinkError::None;
    auto sink = std::make_unique<MjpegFrameSink>(setup.width, setup.height);
    if (!sink->Begin(setup, error))
        return nullptr;
    return sink;
}
