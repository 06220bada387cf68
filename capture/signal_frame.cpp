#include "capture/signal_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

const std::array<SignalBand, 8> kSignalBands = {{
    {2560, 13118, 1},
    {117760, 13758, 125},
    {234880, 13758, 240},
    {350080, 14078, 180},
    {469120, 13758, 1},
    {584320, 14078, 60},
    {703360, 13758, 300},
    {818560, 12478, 1},
}};

namespace {

bool HueMatches(int hue, int target) {
    if (std::abs(hue - target) <= 10)
        return true;
    return target == 1 && std::abs(hue - 360) <= 10;
}

} // namespace

uint32_t SignalSample(const uint8_t* buffer, size_t offset) {
    return uint32_t{buffer[offset + 1]} << 8 | uint32_t{buffer[offset + 2]} << 16 |
           uint32_t{buffer[offset + 3]} << 24;
}

int HueOf(uint32_t sample) {
    const float r = static_cast<float>(sample >> 24 & 0xFF);
    const float g = static_cast<float>(sample >> 16 & 0xFF);
    const float b = static_cast<float>(sample >> 8 & 0xFF);
    const float max = std::max({r, g, b});
    const float min = std::min({r, g, b});
    if (max == min)
        return 0;
    float hue;
    if (max == r) {
        hue = (g - b) / (max - min) * 60.0f;
        if (g < b)
            hue += 360.0f;
    } else if (max == g) {
        hue = (b - r) / (max - min) * 60.0f + 120.0f;
    } else {
        hue = (r - g) / (max - min) * 60.0f + 240.0f;
    }
    return static_cast<int>(std::lround(hue));
}

bool IsSignalFrame(const uint8_t* buffer, size_t length) {
    if (buffer == nullptr || length != kSignalFrameBytes)
        return false;
    for (const SignalBand& band : kSignalBands) {
        const uint32_t sample = SignalSample(buffer, band.start);
        for (size_t i = 1; i < band.wordCount; ++i) {
            if (SignalSample(buffer, band.start + 3 * i) != sample)
                return false;
        }
        if (!HueMatches(HueOf(sample), band.targetHue))
            return false;
    }
    return true;
}
