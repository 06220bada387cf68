// JPEG frames for the MJPG format, encoded by GDI+.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Encodes a bottom-up 24-bit DIB (`stride` bytes a row) as a baseline JPEG. Empty on failure.
std::vector<uint8_t> EncodeJpeg(const uint8_t* dib, size_t stride, int width, int height, int quality);
