#include "capture/frame_copy.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void CopyFrameStreaming(uint8_t* target, const uint8_t* source, size_t bytes) {
#if defined(__SSE2__)
    // Plain copy up to the first 16-byte boundary of the target, then 64 bytes (one cache line)
    // per step with non-temporal stores, then the tail.
    const size_t head = (16 - (reinterpret_cast<uintptr_t>(target) & 15)) & 15;
    if (bytes < head + 64) {
        std::memcpy(target, source, bytes);
        return;
    }
    std::memcpy(target, source, head);
    target += head;
    source += head;
    bytes -= head;
    const size_t body = bytes & ~static_cast<size_t>(63);
    for (size_t i = 0; i < body; i += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 32));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 48));
        _mm_stream_si128(reinterpret_cast<__m128i*>(target + i), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(target + i + 16), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(target + i + 32), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(target + i + 48), d);
    }
    // Streaming stores are weakly ordered: fence them before the frame is published to readers.
    _mm_sfence();
    std::memcpy(target + body, source + body, bytes - body);
#else
    std::memcpy(target, source, bytes);
#endif
}

void CopyFrame(uint8_t* target, const uint8_t* source, size_t bytes) {
    if (bytes >= kStreamingCopyMinBytes)
        CopyFrameStreaming(target, source, bytes);
    else
        std::memcpy(target, source, bytes);
}
