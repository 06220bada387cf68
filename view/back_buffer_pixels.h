// The live picture's way into the view's back buffer: the part of the frame the window shows, as the
// 32-bit pixels the buffer holds, so that GDI only copies them in (no conversion or stretch of its own).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Copies a width x height block of 3-byte pixels to 4-byte ones (the same three bytes, then 0). Rows
// are `fromStride` bytes apart in the source, negative to walk a bottom-up frame from its top row, and
// `toStride` bytes apart in the target. Expects width, height >= 0 and blocks that do not overlap.
void CopyPixels24To32(const uint8_t* from, ptrdiff_t fromStride, uint8_t* to, ptrdiff_t toStride, int width,
                      int height);

// The same with scaling, nearest pixel: pixel (x, y) of a targetWidth x targetHeight picture takes the
// source pixel under its centre, (floor((x + 0.5) * sourceWidth / targetWidth), likewise in y), of a
// sourceWidth x sourceHeight block whose top row starts at `from`. Only the target's columns
// left..left+width-1 and rows top..top+height-1 are made, into rows `toStride` bytes apart from `to`
// (the block's first pixel). `columns` is room kept by the caller between calls. Expects positive
// sizes and a block inside the target picture.
struct ScaledBlock {
    int left, top, width, height;
};
void ScalePixels24To32(const uint8_t* from, ptrdiff_t fromStride, int sourceWidth, int sourceHeight,
                       uint8_t* to, ptrdiff_t toStride, int targetWidth, int targetHeight, ScaledBlock block,
                       std::vector<uint32_t>& columns);
