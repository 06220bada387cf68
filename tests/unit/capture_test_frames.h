// Frames the capture tests feed to the delivery code.
#pragma once

#include "capture/signal_frame.h"

#include <cstdint>
#include <vector>

// A 640x480 signal frame: each band's sampled bytes (the three behind each sample offset: blue,
// green, red) carry a colour of the band's hue, and every other byte is noise.
inline std::vector<uint8_t> SignalFrameFromBands() {
    struct Rgb {
        uint8_t r, g, b;
    };
    // Red, green at 126, blue, cyan, red, yellow, magenta, red.
    static const Rgb colours[] = {{250, 0, 0},  {0, 200, 20},  {0, 0, 255},   {0, 180, 180},
                                  {200, 10, 5}, {220, 220, 0}, {255, 0, 255}, {230, 5, 0}};
    std::vector<uint8_t> frame(kSignalFrameBytes);
    uint32_t noise = 12345;
    for (uint8_t& byte : frame) {
        noise = noise * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(noise >> 16);
    }
    for (size_t i = 0; i < kSignalBands.size(); ++i) {
        const SignalBand& band = kSignalBands[i];
        for (size_t w = 0; w < band.wordCount; ++w) {
            const size_t s = band.start + 3 * w;
            frame[s + 1] = colours[i].b;
            frame[s + 2] = colours[i].g;
            frame[s + 3] = colours[i].r;
        }
    }
    return frame;
}
