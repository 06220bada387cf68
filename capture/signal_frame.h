// The signal frame: a 640x480 frame of eight uniform colour bands that a camera sends instead of a
// picture to ask for a zoom step. It is recognised by sampling each band, not by its pixels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr size_t kSignalFrameBytes = 640 * 480 * 3;

// One band: the sample words at start, start + 3, ... (wordCount of them) must be equal, and the
// hue of the sample must be within 10 degrees of the target. A target of 1 also accepts hues near
// 360 (red either side of 0).
struct SignalBand {
    size_t start;
    size_t wordCount;
    int targetHue;
};
extern const std::array<SignalBand, 8> kSignalBands;

// The sample at offset s: the bytes s+1, s+2, s+3 as bits 8..31 of a little-endian word
// (the byte at s itself is masked off).
uint32_t SignalSample(const uint8_t* buffer, size_t offset);

// Hue in whole degrees of a sample, reading the byte s+3 as red, s+2 as green and s+1 as blue.
// 0 for gray.
int HueOf(uint32_t sample);

// Whether a frame of this length is the signal frame. Any length other than 640x480x3 is a picture.
bool IsSignalFrame(const uint8_t* buffer, size_t length);
