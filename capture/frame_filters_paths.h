// The frame filters' code paths, one per instruction set. The public functions of frame_filters.h use
// the best path the processor runs; the tests and the benchmark reach every path through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Expects pixels != null, width > 0 and height > 0 (the public functions check).
using FrameFilterFn = void (*)(uint8_t* pixels, int width, int height);

struct FrameFilterPath {
    const char* name;
    FrameFilterFn mirror, gray, binary, invert, emboss;
    // The mirror and an effect in one pass over the frame, the same result as the two one after the
    // other (each effect treats every pixel alike, so it does not matter which comes first).
    FrameFilterFn mirrorGray, mirrorBinary, mirrorInvert, mirrorEmboss;
};

// Every path this processor can run: the portable one first, the one in use last.
std::vector<const FrameFilterPath*> AvailableFrameFilterPaths();
const FrameFilterPath& ActiveFrameFilterPath();

namespace frame_filters_detail {

// Appends the x86 paths the processor supports, in increasing preference (frame_filters_x86.cpp);
// appends nothing where the build has none.
void AppendX86Paths(std::vector<const FrameFilterPath*>& paths);
// The AVX-512 path where the processor has it (frame_filters_avx512.cpp), else null; the filters it
// does not speed up are taken from the AVX2 path.
const FrameFilterPath* Avx512Path(const FrameFilterPath& avx2);

// y = (sum + 500) / 1000 with sum = 299 b0 + 587 b1 + 114 b2 <= 255000. The division is done as
// ((sum + 500) >> 3) / 125, exact since both divide without rounding in between; the quotient
// t < 32768 then divides by 125 as (t * 33555) >> 22, exact for every t up to 31937 (the tests
// check all 2^24 pixels).
constexpr int kBlueWeight = 299, kGreenWeight = 587, kRedWeight = 114, kRounding = 500;
constexpr int kDiv125Multiplier = 33555, kDiv125Shift = 22 - 16;

// Portable pieces, also used for what is left over after the vector loops.
inline uint8_t Luma(unsigned b0, unsigned b1, unsigned b2) {
    return static_cast<uint8_t>((b0 * kBlueWeight + b1 * kGreenWeight + b2 * kRedWeight + kRounding) / 1000);
}
void ReversePixels(uint8_t* first, size_t count);
void GrayPixels(uint8_t* first, size_t count);
void BinaryPixels(uint8_t* first, size_t count);
void InvertBytes(uint8_t* first, size_t count);
// Byte i becomes byte i - byte i+stride + 128, clamped, for i in increasing order.
void EmbossBytes(uint8_t* first, size_t count, size_t stride);

} // namespace frame_filters_detail
