// Stand-in for the system's MJPEG decompressor: MJPG frames of any size in, bottom-up RGB24 of
// the same size out, each frame decoded by the platform's imaging codecs.
#include "testcam/decoders/stand_ins.h"
#include "testcam/decoders/transform_filter.h"

#include <uuids.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstring>
#include <vector>

#include "testcam/test_picture.h"

namespace {

class MjpegDecoder final : public TransformFilter {
public:
    MjpegDecoder() : TransformFilter(CLSID_MjpegDec) {}

    bool AcceptsInput(const VideoType& in) const override { return in.fourcc == kTestCamMjpg; }

    long Transform(const VideoType& in, const BYTE* data, long length, BYTE* out, long outSize) override {
        const size_t stride = TestPicture_DibStride(in.width);
        if (length <= 0 || outSize < long(stride * size_t(in.height)))
            return 0;
        // Made on the streaming thread, the one that uses it.
        if (!factory_ && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                 IID_PPV_ARGS(&factory_))))
            return 0;
        pixels_.resize(size_t(in.width) * 3 * size_t(in.height));
        if (!Decode(data, length, in.width, in.height))
            return 0;
        for (int y = 0; y < in.height; ++y)
            std::memcpy(out + size_t(in.height - 1 - y) * stride, pixels_.data() + size_t(y) * in.width * 3,
                        size_t(in.width) * 3);
        return long(stride * size_t(in.height));
    }

private:
    // Top-down blue-green-red rows into pixels_; false unless the JPEG has the connection's size.
    bool Decode(const BYTE* data, long length, int width, int height) {
        Microsoft::WRL::ComPtr<IWICStream> stream;
        Microsoft::WRL::ComPtr<IWICBitmapDecoder> decoder;
        Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> frame;
        Microsoft::WRL::ComPtr<IWICBitmapSource> converted;
        UINT w = 0, h = 0;
        return SUCCEEDED(factory_->CreateStream(&stream)) &&
               SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(length))) &&
               SUCCEEDED(factory_->CreateDecoderFromStream(stream.Get(), nullptr,
                                                           WICDecodeMetadataCacheOnDemand, &decoder)) &&
               SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) &&
               w == UINT(width) && h == UINT(height) &&
               SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame.Get(), &converted)) &&
               SUCCEEDED(
                   converted->CopyPixels(nullptr, UINT(width) * 3, UINT(pixels_.size()), pixels_.data()));
    }

    Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
    std::vector<BYTE> pixels_;
};

} // namespace

HRESULT CreateMjpegDecoder(REFIID iid, void** out) {
    return TransformFilter::Create<MjpegDecoder>(iid, out);
}
