// The picture size an image file claims in its header, read before the file is decoded, so that a
// picture too large to hold is turned away before any decoder allocates for it.
#pragma once

#include <cstddef>
#include <cstdint>

// How many leading bytes of a file to offer: enough for a JPEG's metadata segments before its
// frame header in the usual case.
inline constexpr size_t kImageHeaderProbeBytes = 256 * 1024;

struct ImageHeaderSize {
    bool known = false; // false: not a PNG, JPEG, BMP or GIF, or the size is not within the bytes
    int64_t width = 0;
    int64_t height = 0;
};

// Reads the size from the first `size` bytes of a PNG, JPEG, BMP or GIF file. Never reads
// outside the bytes given. A size of 0 on either side counts as not known.
ImageHeaderSize ReadImageHeaderSize(const uint8_t* data, size_t size);
