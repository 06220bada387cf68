#include "view/view_stats.h"

#include "capture/frame_ring.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

unsigned CounterMicroseconds(long long ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<unsigned>(ticks * 1000000 / std::max<LONGLONG>(frequency.QuadPart, 1));
}

void RecordComposition(ViewStats& stats, const FrameBuffer& frame, long long ticks) {
    const unsigned micros = CounterMicroseconds(ticks);
    stats.compose.Add(micros);
    ++stats.paints;
    if (frame.sequence == 0)
        return;
    stats.framePath.Add(frame.deliverMicros + micros);
    if (frame.sequence != stats.lastPainted) {
        ++stats.framesPainted;
        stats.lastPainted = frame.sequence;
    }
}

unsigned FrameCopyMicros(int frameWidth, int frameHeight) {
    const size_t size = static_cast<size_t>(std::max(frameWidth, 0)) * std::max(frameHeight, 0) * 3;
    if (size == 0)
        return 0;
    std::vector<uint8_t> from(size, 1), to(size);
    TimeSamples copies;
    for (int i = 0; i < 9; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        std::memcpy(to.data(), from.data(), size);
        QueryPerformanceCounter(&end);
        copies.Add(CounterMicroseconds(end.QuadPart - start.QuadPart));
        from[static_cast<size_t>(i) * 4096 % size] = to[size - 1];
    }
    return copies.Percentile(50);
}
