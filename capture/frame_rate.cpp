#include "capture/frame_rate.h"

float UpdateFrameRate(FrameTimeWindow& window, uint32_t now, float previous) {
    window.stamps.push_back(now);
    // Unsigned differences stay right across the counter's wrap-around.
    while (!window.stamps.empty() && now - window.stamps.front() > 1000)
        window.stamps.pop_front();
    const size_t n = window.stamps.size();
    const uint32_t span = now - window.stamps.front();
    if (n <= 1 || span == 0)
        return previous;
    return static_cast<float>(n - 1) * 1000.0f / static_cast<float>(span);
}
