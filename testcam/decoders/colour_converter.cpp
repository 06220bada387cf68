// Stand-in for the system's colour space converter, as far as a camera needs it: YUY2 (studio
// range BT.601) in, bottom-up RGB24 of the same size out.
#include "testcam/decoders/stand_ins.h"
#include "testcam/decoders/transform_filter.h"

#include <uuids.h>

#include "testcam/test_picture.h"

namespace {

BYTE Clamp(int v) {
    return BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
}

class ColourConverter final : public TransformFilter {
public:
    ColourConverter() : TransformFilter(CLSID_Colour) {}

    bool AcceptsInput(const VideoType& in) const override { return in.fourcc == kTestCamYuy2; }

    long Transform(const VideoType& in, const BYTE* data, long length, BYTE* out, long outSize) override {
        const size_t inStride = size_t((in.width + 1) / 2) * 4;
        const size_t stride = TestPicture_DibStride(in.width);
        if (length < long(inStride * size_t(in.height)) || outSize < long(stride * size_t(in.height)))
            return 0;
        for (int y = 0; y < in.height; ++y) {
            const BYTE* src = data + size_t(y) * inStride;
            BYTE* row = out + size_t(in.height - 1 - y) * stride;
            for (int x = 0; x < in.width; ++x) {
                const int luma = src[(x / 2) * 4 + (x % 2) * 2] - 16;
                const int u = src[(x / 2) * 4 + 1] - 128;
                const int v = src[(x / 2) * 4 + 3] - 128;
                row[x * 3 + 0] = Clamp((298 * luma + 516 * u + 128) >> 8);
                row[x * 3 + 1] = Clamp((298 * luma - 100 * u - 208 * v + 128) >> 8);
                row[x * 3 + 2] = Clamp((298 * luma + 409 * v + 128) >> 8);
            }
        }
        return long(stride * size_t(in.height));
    }
};

} // namespace

HRESULT CreateColourConverter(REFIID iid, void** out) {
    return TransformFilter::Create<ColourConverter>(iid, out);
}
