// The most recent timings of a repeated step (a composition, a frame's whole way to the window),
// in microseconds, for the view's figures: the newest 256 are kept.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

struct TimeSamples {
    static constexpr unsigned kKept = 256;
    std::array<unsigned, kKept> micros{};
    unsigned count = 0; // samples added in all, kept or not

    void Add(unsigned value) {
        micros[count % kKept] = value;
        ++count;
    }

    // The value below which `percent` of the kept samples lie (50: the median); 0 without samples.
    unsigned Percentile(int percent) const {
        const unsigned n = std::min(count, kKept);
        if (n == 0)
            return 0;
        std::vector<unsigned> sorted(micros.begin(), micros.begin() + n);
        std::sort(sorted.begin(), sorted.end());
        const size_t rank = static_cast<size_t>(n) * static_cast<size_t>(std::clamp(percent, 0, 100)) / 100;
        return sorted[std::min<size_t>(n - 1, rank)];
    }
};
