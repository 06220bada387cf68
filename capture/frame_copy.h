// The copy of each camera frame into the ring, on the streaming thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Frames at least this large are copied with stores that bypass the cache: a ring buffer is
// written whole and read again only after three more frames, so filling the cache with it only
// evicts the source and costs a read of every target line before it is overwritten. Four smaller
// frames (640x480 and 800x600) stay in the cache together, where a plain copy is faster.
inline constexpr size_t kStreamingCopyMinBytes = 2 * 1024 * 1024;

// Copies bytes from source to target (not overlapping), the way that suits a frame of that size.
void CopyFrame(uint8_t* target, const uint8_t* source, size_t bytes);

// The cache-bypassing copy itself, for any size and alignment (a plain copy where the processor
// has no such stores). Exposed so that its edges can be checked against memcpy.
void CopyFrameStreaming(uint8_t* target, const uint8_t* source, size_t bytes);
