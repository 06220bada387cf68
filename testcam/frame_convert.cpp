#include "testcam/frame_convert.h"

namespace {

uint8_t Clamp(int v) {
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

} // namespace

uint8_t LumaOf(int r, int g, int b) {
    return Clamp(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}

uint8_t BlueDifferenceOf(int r, int g, int b) {
    return Clamp(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
}

uint8_t RedDifferenceOf(int r, int g, int b) {
    return Clamp(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

void ConvertDibToYuy2(const uint8_t* dib, size_t stride, int width, int height, uint8_t* yuy2) {
    const size_t outStride = size_t((width + 1) / 2) * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = dib + size_t(height - 1 - y) * stride;
        uint8_t* out = yuy2 + size_t(y) * outStride;
        for (int x = 0; x < width; x += 2) {
            const uint8_t* p0 = row + size_t(x) * 3;
            const uint8_t* p1 = x + 1 < width ? p0 + 3 : p0;
            const int b0 = p0[0], g0 = p0[1], r0 = p0[2];
            const int b1 = p1[0], g1 = p1[1], r1 = p1[2];
            const int r = (r0 + r1 + 1) / 2, g = (g0 + g1 + 1) / 2, b = (b0 + b1 + 1) / 2;
            out[0] = LumaOf(r0, g0, b0);
            out[1] = BlueDifferenceOf(r, g, b);
            out[2] = LumaOf(r1, g1, b1);
            out[3] = RedDifferenceOf(r, g, b);
            out += 4;
        }
    }
}
