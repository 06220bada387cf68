// Sizes of 24-bit pictures held in memory: rows padded as bitmaps want them, and the largest picture
// the program takes from a file or makes a copy of.
#pragma once

#include <cstdint>

// Bytes of one row of 24-bit pixels, padded to a multiple of 4.
inline int64_t ImageRowBytes(int64_t width) {
    return (width * 3 + 3) & ~int64_t{3};
}

// The largest picture the viewer takes: 64 Mi pixels (8192 x 8192), at most 65535 on a side.
// A larger one is not held; the window stays empty.
inline constexpr int64_t kMaxViewerPixels = int64_t{1} << 26;
inline constexpr int64_t kMaxViewerSide = 65535;
bool ImageSizeCanBeHeld(int64_t width, int64_t height);
