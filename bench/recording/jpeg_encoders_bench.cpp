// The platform's JPEG encoders and the recorder's own side by side on the virtual camera's busy
// picture (the specimen with a sensor's grain and noise), at the video's quality: time per frame
// as a multiple of one memcpy of that frame measured in the same run, and the own encoder's time
// as a multiple of WIC's; bytes per frame and per minute of video, and the PSNR of the frames, as
// WIC decodes them, against the source. Then the recorder's encode pool, as many threads as it
// uses here, frames per second against the camera's rate. Run under Wine by tools/bench.
#include "output/encode_pool.h"
#include "output/frame_sinks.h"
#include "output/jpeg_encoder.h"
#include "testcam/test_picture.h"

#include <gdiplus.h>
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

struct Size {
    int width, height, fps;
};

double Seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / frequency;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Frames as the recorder gets them: B, G, R, rows bottom-up without gaps.
std::vector<std::vector<uint8_t>> BusyFrames(const Size& s, int count) {
    std::vector<std::vector<uint8_t>> frames(static_cast<size_t>(count));
    const size_t stride = static_cast<size_t>(s.width) * 3;
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> dib(TestPicture_DibStride(s.width) * s.height);
        TestPicture_Render(TestCamPicture::Busy, s.width, s.height, dib.data(),
                           TestPicture_DibStride(s.width), i, s.fps);
        frames[i].resize(stride * s.height);
        for (int y = 0; y < s.height; ++y)
            std::memcpy(frames[i].data() + stride * y, dib.data() + TestPicture_DibStride(s.width) * y,
                        stride);
    }
    return frames;
}

double MemcpySeconds(const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> to(frame.size());
    std::vector<double> times;
    for (int i = 0; i < 31; ++i) {
        const double t0 = Seconds();
        std::memcpy(to.data(), frame.data(), frame.size());
        times.push_back(Seconds() - t0);
    }
    volatile uint8_t keep = to[to.size() / 2];
    (void)keep;
    return Median(times);
}

// Decodes JPEG bytes with WIC into B, G, R rows top-down; empty when they do not decode.
std::vector<uint8_t> Decode(IWICImagingFactory* factory, const std::vector<uint8_t>& jpeg, int width,
                            int height) {
    std::vector<uint8_t> pixels;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(
            stream->InitializeFromMemory(const_cast<BYTE*>(jpeg.data()), static_cast<DWORD>(jpeg.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame.Get(), &converted)))
        return pixels;
    UINT w = 0, h = 0;
    converted->GetSize(&w, &h);
    if (static_cast<int>(w) != width || static_cast<int>(h) != height)
        return pixels;
    pixels.resize(static_cast<size_t>(width) * height * 3);
    if (FAILED(converted->CopyPixels(nullptr, width * 3, static_cast<UINT>(pixels.size()), pixels.data())))
        pixels.clear();
    return pixels;
}

// PSNR in dB of decoded top-down pixels against a bottom-up source frame.
double Psnr(const std::vector<uint8_t>& source, const std::vector<uint8_t>& decoded, int width, int height) {
    if (decoded.size() != source.size())
        return 0;
    const size_t stride = static_cast<size_t>(width) * 3;
    double sum = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* a = source.data() + stride * (height - 1 - y);
        const uint8_t* b = decoded.data() + stride * y;
        for (size_t i = 0; i < stride; ++i) {
            const double d = static_cast<double>(a[i]) - b[i];
            sum += d * d;
        }
    }
    const double mse = sum / static_cast<double>(source.size());
    return mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99;
}

// WIC's JPEG encoder at the video's quality, into a reused stream (what the recorder used before
// it had its own). Use on a thread that has COM.
class WicJpeg {
public:
    explicit WicJpeg(IWICImagingFactory* factory) : factory_(factory) {
        CreateStreamOnHGlobal(nullptr, TRUE, &stream_);
    }

    bool Encode(const uint8_t* pixels, int width, int height, std::vector<uint8_t>* out) {
        if (!stream_)
            return false;
        const size_t stride = static_cast<size_t>(width) * 3;
        const size_t bytes = stride * static_cast<size_t>(height);
        topDown_.resize(bytes);
        for (int y = 0; y < height; ++y)
            std::memcpy(topDown_.data() + stride * y, pixels + stride * (height - 1 - y), stride);
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER empty = {};
        HRESULT hr = stream_->Seek(zero, STREAM_SEEK_SET, nullptr);
        if (SUCCEEDED(hr))
            hr = stream_->SetSize(empty);
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        ComPtr<IPropertyBag2> options;
        if (SUCCEEDED(hr))
            hr = factory_->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder);
        if (SUCCEEDED(hr))
            hr = encoder->Initialize(stream_.Get(), WICBitmapEncoderNoCache);
        if (SUCCEEDED(hr))
            hr = encoder->CreateNewFrame(&frame, &options);
        if (SUCCEEDED(hr) && options) {
            PROPBAG2 option = {};
            option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_R4;
            value.fltVal = kVideoJpegQuality;
            options->Write(1, &option, &value);
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
                                    static_cast<UINT>(bytes), topDown_.data());
        if (SUCCEEDED(hr))
            hr = frame->Commit();
        if (SUCCEEDED(hr))
            hr = encoder->Commit();
        ULARGE_INTEGER end = {};
        HGLOBAL memory = nullptr;
        if (SUCCEEDED(hr))
            hr = stream_->Seek(zero, STREAM_SEEK_CUR, &end);
        if (SUCCEEDED(hr))
            hr = GetHGlobalFromStream(stream_.Get(), &memory);
        if (FAILED(hr) || end.QuadPart == 0)
            return false;
        const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
        if (!data)
            return false;
        out->assign(data, data + end.QuadPart);
        GlobalUnlock(memory);
        return true;
    }

private:
    IWICImagingFactory* factory_;
    ComPtr<IStream> stream_;
    std::vector<uint8_t> topDown_;
};

// GDI+'s JPEG encoder at the video's quality, into a reused stream.
class GdiplusJpeg {
public:
    GdiplusJpeg() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
        UINT count = 0, bytes = 0;
        Gdiplus::GetImageEncodersSize(&count, &bytes);
        std::vector<uint8_t> block(bytes);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
        if (bytes && Gdiplus::GetImageEncoders(count, bytes, codecs) == Gdiplus::Ok)
            for (UINT i = 0; i < count; ++i)
                if (std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) {
                    clsid_ = codecs[i].Clsid;
                    found_ = true;
                }
        CreateStreamOnHGlobal(nullptr, TRUE, &stream_);
    }
    ~GdiplusJpeg() {
        stream_.Reset();
        Gdiplus::GdiplusShutdown(token_);
    }

    bool Encode(const uint8_t* pixels, int width, int height, std::vector<uint8_t>* out) {
        if (!found_ || !stream_)
            return false;
        const INT stride = width * 3;
        Gdiplus::Bitmap bitmap(width, height, -stride, PixelFormat24bppRGB,
                               const_cast<BYTE*>(pixels + static_cast<size_t>(height - 1) * stride));
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER empty = {};
        stream_->Seek(zero, STREAM_SEEK_SET, nullptr);
        stream_->SetSize(empty);
        ULONG quality = static_cast<ULONG>(std::lround(kVideoJpegQuality * 100));
        Gdiplus::EncoderParameters params;
        params.Count = 1;
        params.Parameter[0].Guid = Gdiplus::EncoderQuality;
        params.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        params.Parameter[0].NumberOfValues = 1;
        params.Parameter[0].Value = &quality;
        if (bitmap.Save(stream_.Get(), &clsid_, &params) != Gdiplus::Ok)
            return false;
        ULARGE_INTEGER end = {};
        HGLOBAL memory = nullptr;
        if (FAILED(stream_->Seek(zero, STREAM_SEEK_CUR, &end)) ||
            FAILED(GetHGlobalFromStream(stream_.Get(), &memory)))
            return false;
        const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
        if (!data)
            return false;
        out->assign(data, data + end.QuadPart);
        GlobalUnlock(memory);
        return true;
    }

private:
    ULONG_PTR token_ = 0;
    CLSID clsid_ = {};
    bool found_ = false;
    ComPtr<IStream> stream_;
};

// A row of tools/bench's table; these figures are reported, they have no target of their own.
void Row(const char* figure, const char* value, const char* baseline, double ratio, const char* note) {
    std::printf("BENCH-ROW|%s|%s|%s|%.2fx|-|-|%s\n", figure, value, baseline, ratio, note);
    std::fflush(stdout);
}

using Encode = std::function<bool(const uint8_t*, std::vector<uint8_t>*)>;

struct EncoderFigures {
    bool ok = false;
    double perFrame = 0; // median seconds
    double bytes = 0;    // mean per frame
    double psnr = 0;     // mean over the frames that decoded
    int decoded = 0;
    int lumaDcStep = 0; // the first quantisation step in the file: what the quality really was
};

// The first step of the first quantisation table in a JPEG file, 0 when there is none.
int FirstQuantisationStep(const std::vector<uint8_t>& jpeg) {
    for (size_t i = 2; i + 5 < jpeg.size(); i += 2 + (static_cast<size_t>(jpeg[i + 2]) << 8 | jpeg[i + 3])) {
        if (jpeg[i] != 0xff)
            return 0;
        if (jpeg[i + 1] == 0xdb)
            return jpeg[i + 5];
    }
    return 0;
}

// One encoder on one thread: median time per frame, mean bytes, mean PSNR.
EncoderFigures Measure(const char* name, const Size& s, const std::vector<std::vector<uint8_t>>& frames,
                       const Encode& encode, IWICImagingFactory* factory) {
    EncoderFigures f;
    std::vector<double> times;
    std::vector<uint8_t> jpeg;
    for (int round = 0; round < 3; ++round)
        for (const auto& frame : frames) {
            const double t0 = Seconds();
            if (!encode(frame.data(), &jpeg)) {
                std::printf("%s cannot encode %dx%d\n", name, s.width, s.height);
                return f;
            }
            times.push_back(Seconds() - t0);
            if (round == 0) {
                f.bytes += static_cast<double>(jpeg.size());
                const double p = Psnr(frame, Decode(factory, jpeg, s.width, s.height), s.width, s.height);
                if (p > 0) {
                    f.psnr += p;
                    ++f.decoded;
                }
            }
        }
    f.bytes /= static_cast<double>(frames.size());
    f.psnr = f.decoded ? f.psnr / f.decoded : 0.0;
    f.perFrame = Median(times);
    f.lumaDcStep = FirstQuantisationStep(jpeg);
    f.ok = true;
    return f;
}

void EncoderRow(const char* name, const Size& s, const EncoderFigures& f, size_t frames, const char* baseline,
                double baselineSeconds) {
    if (!f.ok)
        return;
    char figure[96], value[64], note[200];
    std::snprintf(figure, sizeof figure, "%s JPEG busy %dx%d, one frame", name, s.width, s.height);
    std::snprintf(value, sizeof value, "%.1f ms", f.perFrame * 1000);
    std::snprintf(note, sizeof note,
                  "%.0f KB/frame, %.0f MB/min at %d fps, PSNR %.1f dB (%d of %zu decoded), luma DC step %d",
                  f.bytes / 1024, f.bytes * s.fps * 60 / 1e6, s.fps, f.psnr, f.decoded, frames, f.lumaDcStep);
    Row(figure, value, baseline, f.perFrame / baselineSeconds, note);
}

// The recorder's pool of its own encoders: frames a second it turns out, against the camera's rate.
void PoolRow(const Size& s, const std::vector<std::vector<uint8_t>>& frames, int threads) {
    EncodePool::Hooks hooks;
    hooks.threadStarting = [] { CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
    hooks.threadEnding = [] { CoUninitialize(); };
    const int width = s.width, height = s.height;
    EncodePool pool(
        threads, frames[0].size(),
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
    size_t done = 0, failed = 0;
    const auto sink = [&](int64_t, bool ok, const std::vector<uint8_t>&) {
        ++done;
        failed += ok ? 0 : 1;
    };
    const int count = s.fps * 3;
    // The first frames warm the encoders up.
    for (int i = 0; i < threads; ++i)
        pool.Submit(frames[0].data(), 0);
    pool.Collect(true, sink);
    done = 0;
    const double t0 = Seconds();
    for (int i = 0; i < count; ++i) {
        pool.Submit(frames[static_cast<size_t>(i) % frames.size()].data(), i);
        pool.Collect(false, sink);
    }
    pool.Collect(true, sink);
    const double rate = static_cast<double>(done) / (Seconds() - t0);
    char figure[96], value[64], baseline[64], note[96];
    std::snprintf(figure, sizeof figure, "encode pool (%d own) busy %dx%d", threads, s.width, s.height);
    std::snprintf(value, sizeof value, "%.1f frames/s", rate);
    std::snprintf(baseline, sizeof baseline, "camera %d frames/s", s.fps);
    std::snprintf(note, sizeof note, "%zu frames, %zu failed", done, failed);
    Row(figure, value, baseline, rate / s.fps, note);
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        ComPtr<IWICImagingFactory> factory;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&factory)))) {
            std::printf("no WIC imaging factory\n");
            return 1;
        }
        GdiplusJpeg gdiplus;
        WicJpeg wic(factory.Get());
        JpegFrameEncoder own;
        JpegEncoder own75(75); // the platform encoders' DC step here: the same quality as theirs
        const Size sizes[] = {{640, 480, 30}, {1280, 720, 30}, {1920, 1080, 30}, {2592, 1944, 15}};
        for (const Size& s : sizes) {
            const auto frames = BusyFrames(s, 6);
            const double copy = MemcpySeconds(frames[0]);
            char memcpyBaseline[64], wicBaseline[64];
            std::snprintf(memcpyBaseline, sizeof memcpyBaseline, "memcpy %.2f ms", copy * 1000);
            const EncoderFigures wicFigures = Measure(
                "WIC", s, frames,
                [&](const uint8_t* pixels, std::vector<uint8_t>* out) {
                    return wic.Encode(pixels, s.width, s.height, out);
                },
                factory.Get());
            EncoderRow("WIC q90", s, wicFigures, frames.size(), memcpyBaseline, copy);
            const EncoderFigures gdiplusFigures = Measure(
                "GDI+", s, frames,
                [&](const uint8_t* pixels, std::vector<uint8_t>* out) {
                    return gdiplus.Encode(pixels, s.width, s.height, out);
                },
                factory.Get());
            EncoderRow("GDI+ q90", s, gdiplusFigures, frames.size(), memcpyBaseline, copy);
            const EncoderFigures ownFigures = Measure(
                "own", s, frames,
                [&](const uint8_t* pixels, std::vector<uint8_t>* out) {
                    size_t size = 0;
                    const uint8_t* jpeg = own.Encode(pixels, s.width, s.height, &size);
                    if (!jpeg)
                        return false;
                    out->assign(jpeg, jpeg + size);
                    return true;
                },
                factory.Get());
            EncoderRow("own q90", s, ownFigures, frames.size(), memcpyBaseline, copy);
            const EncoderFigures own75Figures = Measure(
                "own q75", s, frames,
                [&](const uint8_t* pixels, std::vector<uint8_t>* out) {
                    size_t size = 0;
                    const uint8_t* jpeg = own75.Encode(pixels, s.width, s.height, &size);
                    if (!jpeg)
                        return false;
                    out->assign(jpeg, jpeg + size);
                    return true;
                },
                factory.Get());
            if (wicFigures.ok) {
                std::snprintf(wicBaseline, sizeof wicBaseline, "WIC %.1f ms", wicFigures.perFrame * 1000);
                EncoderRow("own q90 vs WIC", s, ownFigures, frames.size(), wicBaseline, wicFigures.perFrame);
                EncoderRow("own q75 vs WIC", s, own75Figures, frames.size(), wicBaseline,
                           wicFigures.perFrame);
            }
            PoolRow(s, frames, 1);
            PoolRow(s, frames, static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)));
        }
    }
    CoUninitialize();
    return 0;
}
