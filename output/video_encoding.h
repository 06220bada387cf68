// The numbers a recording is set up with: the nominal frame rate, the H.264 bit rate and how many
// frames may wait for the encoder.
#pragma once

#include <cstddef>
#include <cstdint>

// The measured frame rate as a recording takes it: 5 or less (a camera that has just started or
// stalls) counts as 5, more than 1000 as 1000, and anything not a number as 30.
double RecordingFrameRate(double measured);

// The frame rate as the numerator of a fraction over 1000 (29.97 -> 29970).
uint32_t FrameRateNumerator(double frameRate);

// Average H.264 bit rate in bits per second for a frame width: 2 Mbit/s, 4 from 1280, 8 from
// 1920, 10 from 2048.
uint32_t AverageBitRate(int width);

// Frames that may wait for the encoder: about one second of them, never more than maxBytes of
// copies together, and at least one.
inline constexpr size_t kMaxQueuedBytes = size_t{256} << 20;
size_t QueueCapacity(size_t frameBytes, double frameRate, size_t maxBytes = kMaxQueuedBytes);
