#include "view/back_buffer_pixels.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VANTIX_HAS_X86 1
#endif

namespace {

void CopyRowPlain(const uint8_t* from, uint8_t* to, int count) {
    for (int i = 0; i < count; ++i, from += 3, to += 4) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
        to[3] = 0;
    }
}

using CopyRowFn = void (*)(const uint8_t* from, uint8_t* to, int count);

#ifdef VANTIX_HAS_X86
// Four pixels a step: a 16-byte load holds them in its first 12 bytes, one shuffle spreads them to 16
// with the zero bytes. The load reads 4 bytes past the four pixels, so the last steps are left to
// the plain loop, which never reads beyond the row.
__attribute__((target("ssse3"))) void CopyRowSsse3(const uint8_t* from, uint8_t* to, int count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
    int i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * i), _mm_shuffle_epi8(px, spread));
    }
    CopyRowPlain(from + 3 * i, to + 4 * i, count - i);
}

CopyRowFn ChooseCopyRow() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") ? CopyRowSsse3 : CopyRowPlain;
}
#else
CopyRowFn ChooseCopyRow() {
    return CopyRowPlain;
}
#endif

} // namespace

void CopyPixels24To32(const uint8_t* from, ptrdiff_t fromStride, uint8_t* to, ptrdiff_t toStride, int width,
                      int height) {
    static const CopyRowFn copyRow = ChooseCopyRow();
    for (int y = 0; y < height; ++y, from += fromStride, to += toStride) {
        copyRow(from, to, width);
    }
}

namespace {

// The source index under the centre of target index i of `count`, scaling `sourceCount` to `count`.
uint32_t CentreSource(int i, int count, int sourceCount) {
    return static_cast<uint32_t>((2 * static_cast<int64_t>(i) + 1) * sourceCount /
                                 (2 * static_cast<int64_t>(count)));
}

} // namespace

void ScalePixels24To32(const uint8_t* from, ptrdiff_t fromStride, int sourceWidth, int sourceHeight,
                       uint8_t* to, ptrdiff_t toStride, int targetWidth, int targetHeight, ScaledBlock block,
                       std::vector<uint32_t>& columns) {
    columns.resize(static_cast<size_t>(block.width));
    for (int x = 0; x < block.width; ++x) {
        columns[static_cast<size_t>(x)] = 3 * CentreSource(block.left + x, targetWidth, sourceWidth);
    }
    for (int y = 0; y < block.height; ++y) {
        const uint8_t* source = from + fromStride * CentreSource(block.top + y, targetHeight, sourceHeight);
        uint8_t* target = to + toStride * y;
        for (const uint32_t column : columns) {
            const uint8_t* p = source + column;
            target[0] = p[0];
            target[1] = p[1];
            target[2] = p[2];
            target[3] = 0;
            target += 4;
        }
    }
}
