// One row of tools/bench's table of figures. Every benchmark, native or under Wine, prints its rows
// on standard output in this form; tools/bench picks them out of the output and prints them
// together as one table:
//   BENCH-ROW|figure|measured|baseline|ratio|target|met[|note]
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

// A figure measured against a baseline of the same run, met when measured / baseline <= target.
inline void PrintBenchRatioRow(const std::string& figure, const std::string& measured,
                               const std::string& baseline, double ratio, double target) {
    char ratioText[32] = "-", targetText[32];
    if (std::isfinite(ratio)) {
        std::snprintf(ratioText, sizeof ratioText, "%.2fx", ratio);
    }
    std::snprintf(targetText, sizeof targetText, "<= %.2fx", target);
    const bool met = std::isfinite(ratio) && ratio <= target;
    std::printf("BENCH-ROW|%s|%s|%s|%s|%s|%s\n", figure.c_str(), measured.c_str(), baseline.c_str(),
                ratioText, targetText, met ? "yes" : "no");
    std::fflush(stdout);
}

// A figure with a target of its own kind (a count, for instance), or none ("-": reported only).
inline void PrintBenchRow(const std::string& figure, const std::string& measured, const std::string& baseline,
                          const std::string& ratio, const std::string& target, const std::string& met) {
    std::printf("BENCH-ROW|%s|%s|%s|%s|%s|%s\n", figure.c_str(), measured.c_str(), baseline.c_str(),
                ratio.c_str(), target.c_str(), met.c_str());
    std::fflush(stdout);
}

// Microseconds with one decimal, for the measured and baseline columns.
inline std::string BenchMicroseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    return text;
}
