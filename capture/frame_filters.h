// Per-frame filters: mirror and one of four effects, applied in place to each preview frame on the
// streaming thread before it is published.
#pragma once

#include <atomic>
#include <cstdint>

// Set by the user-interface thread, read once per frame by the streaming thread. 0 = off.
struct FilterFlags {
    std::atomic<int32_t> mirror{0}, flipVertical{0}, gray{0}, binary{0}, invert{0}, emboss{0};
};
// One for the process: the streaming thread reads it on every frame without a lock.
extern FilterFlags g_filterFlags;

// All six switches off (when the camera closes).
void ClearFilterFlags();

// A frame is width*height pixels of 3 bytes in memory order B,G,R, rows bottom-up with no gaps.
// A width or height of 0 or less, or null pixels, leaves everything as it is.

// The mirror if on, then the first effect that is on in the order gray, binary, invert, emboss.
// flipVertical is applied by the view when it draws, never to the frame.
void ApplyFrameFilters(uint8_t* pixels, int width, int height);

void MirrorFrame(uint8_t* pixels, int width, int height);
// y = (b0*299 + b1*587 + b2*114 + 500) / 1000 with b0 the first byte (blue), written to all three.
void GrayFrame(uint8_t* pixels, int width, int height);
// Black below y = 128, white from 128 on.
void BinaryFrame(uint8_t* pixels, int width, int height);
void InvertFrame(uint8_t* pixels, int width, int height);
// Each memory row becomes itself minus the next row plus 128, clamped; the last row is kept.
void EmbossFrame(uint8_t* pixels, int width, int height);
