// Conversions of a rendered picture into the byte layouts the camera delivers. Pure code.
#pragma once

#include <cstddef>
#include <cstdint>

// Bottom-up 24-bit DIB (blue, green, red; `stride` bytes a row) to top-down YUY2 (Y0 U Y1 V
// for each pair of pixels, studio-range BT.601, the pair's colours averaged for U and V).
// An odd last column is paired with itself. `yuy2` holds ((width + 1) / 2) * 4 * height bytes.
void ConvertDibToYuy2(const uint8_t* dib, size_t stride, int width, int height, uint8_t* yuy2);

// Studio-range BT.601 luma and chroma of one colour, as ConvertDibToYuy2 computes them.
uint8_t LumaOf(int r, int g, int b);
uint8_t BlueDifferenceOf(int r, int g, int b);
uint8_t RedDifferenceOf(int r, int g, int b);
