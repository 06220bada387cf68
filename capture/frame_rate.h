// The measured frame rate: frames counted over the last second of millisecond time stamps.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>

inline constexpr float kDefaultFrameRate = 30.0f;

// Time stamps (timeGetTime milliseconds) of the frames of the last second, oldest first.
struct FrameTimeWindow {
    std::deque<uint32_t> stamps;
};

// Adds a frame at now and returns the rate: (n - 1) * 1000 / (now - oldest) over the n stamps
// no older than one second. With one stamp, or all stamps in the same millisecond, the previous
// rate is kept. Time stamps wrap around like the millisecond counter does.
float UpdateFrameRate(FrameTimeWindow& window, uint32_t now, float previous);
