// Time of the frame filters against a plain memcpy of the same frame, measured in the same run.
// The streaming thread copies each frame into the ring and filters it in place, so the budget is
// counted in memcpys. Ends with a table of those ratios (best repetition of each benchmark) and the
// rows for tools/bench's table.
#include "bench/bench_table.h"
#include "capture/frame_copy.h"
#include "capture/frame_ring.h"
#include "capture/frame_filters.h"
#include "capture/frame_filters_paths.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct Size {
    int width, height;
};

constexpr Size kSizes[] = {{640, 480}, {1920, 1080}, {2592, 1944}};
constexpr Size kPathSize = {1920, 1080}; // where every code path is timed too

struct Filter {
    const char* name;
    FrameFilterFn FrameFilterPath::*ofPath;
    FrameFilterFn dispatched;
};

const Filter kFilters[] = {
    {"mirror", &FrameFilterPath::mirror, MirrorFrame}, {"gray", &FrameFilterPath::gray, GrayFrame},
    {"binary", &FrameFilterPath::binary, BinaryFrame}, {"invert", &FrameFilterPath::invert, InvertFrame},
    {"emboss", &FrameFilterPath::emboss, EmbossFrame},
};

std::string SizeName(Size size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

size_t FrameBytes(Size size) {
    return static_cast<size_t>(size.width) * size.height * 3;
}

std::vector<uint8_t> RandomFrame(Size size) {
    std::vector<uint8_t> frame(FrameBytes(size));
    std::mt19937 rng(1);
    for (uint8_t& b : frame) {
        b = static_cast<uint8_t>(rng());
    }
    return frame;
}

void Memcpy(benchmark::State& state, Size size) {
    const std::vector<uint8_t> source = RandomFrame(size);
    std::vector<uint8_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// The ring copy's baseline: memcpy of the same source into four buffers in turn, as the ring does.
// The plain memcpy above copies into one target that stays in the cache, which four frames of 1920x1080
// and more do not; this one meets the memory the ring copy meets.
void MemcpyIntoFour(benchmark::State& state, Size size) {
    const std::vector<uint8_t> source = RandomFrame(size);
    std::array<std::vector<uint8_t>, kFrameRingSize> targets;
    for (std::vector<uint8_t>& target : targets) {
        target.assign(source.size(), 0);
    }
    size_t next = 0;
    for (auto _ : state) {
        next = next + 1 == targets.size() ? 0 : next + 1;
        std::memcpy(targets[next].data(), source.data(), source.size());
        benchmark::DoNotOptimize(targets[next].data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// What the preview callback does before filtering, on the program's own ring: the next buffer
// taken, the frame copied into it, the buffer published.
void CopyIntoRing(benchmark::State& state, Size size) {
    const std::vector<uint8_t> source = RandomFrame(size);
    FrameRing ring;
    if (!AllocateFrameRing(ring, size.width, size.height)) {
        state.SkipWithError("no memory for the ring");
        return;
    }
    for (auto _ : state) {
        const int index = BeginFrameWrite(ring);
        CopyFrame(ring.buffers[index].pixels.get(), source.data(), source.size());
        PublishFrame(ring, index);
        benchmark::ClobberMemory();
    }
    FreeFrameRing(ring);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

void InPlace(benchmark::State& state, Size size, FrameFilterFn filter) {
    std::vector<uint8_t> frame = RandomFrame(size);
    for (auto _ : state) {
        filter(frame.data(), size.width, size.height);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * frame.size()));
}

// The mirror with each effect, switched on as the panel does, through ApplyFrameFilters.
struct Combination {
    const char* name;
    std::atomic<int32_t> FilterFlags::*effect;
    FrameFilterFn FrameFilterPath::*ofPath;
};

const Combination kCombinations[] = {
    {"mirror+gray", &FilterFlags::gray, &FrameFilterPath::mirrorGray},
    {"mirror+binary", &FilterFlags::binary, &FrameFilterPath::mirrorBinary},
    {"mirror+invert", &FilterFlags::invert, &FrameFilterPath::mirrorInvert},
    {"mirror+emboss", &FilterFlags::emboss, &FrameFilterPath::mirrorEmboss},
};

void MirrorAndEffect(benchmark::State& state, Size size, std::atomic<int32_t> FilterFlags::*effect) {
    std::vector<uint8_t> frame = RandomFrame(size);
    ClearFilterFlags();
    g_filterFlags.mirror = 1;
    (g_filterFlags.*effect) = 1;
    for (auto _ : state) {
        ApplyFrameFilters(frame.data(), size.width, size.height);
        benchmark::ClobberMemory();
    }
    ClearFilterFlags();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * frame.size()));
}

std::vector<std::string> Columns() {
    std::vector<std::string> columns = {"ring"};
    for (const Filter& filter : kFilters) {
        columns.push_back(filter.name);
    }
    for (const Combination& combination : kCombinations) {
        columns.push_back(combination.name);
    }
    return columns;
}

void RegisterAll() {
    for (Size size : kSizes) {
        std::string at = "/";
        at += SizeName(size); // not "/" + ..., which GCC 12 warns about wrongly
        benchmark::RegisterBenchmark(("memcpy" + at).c_str(), Memcpy, size);
        benchmark::RegisterBenchmark(("memcpy-into-four" + at).c_str(), MemcpyIntoFour, size);
        benchmark::RegisterBenchmark(("ring" + at).c_str(), CopyIntoRing, size);
        for (const Filter& filter : kFilters) {
            benchmark::RegisterBenchmark((filter.name + at).c_str(), InPlace, size, filter.dispatched);
        }
        for (const Combination& combination : kCombinations) {
            benchmark::RegisterBenchmark((combination.name + at).c_str(), MirrorAndEffect, size,
                                         combination.effect);
        }
    }
    for (const FrameFilterPath* path : AvailableFrameFilterPaths()) {
        for (const Filter& filter : kFilters) {
            const std::string name = std::string(path->name) + ":" + filter.name + "/" + SizeName(kPathSize);
            benchmark::RegisterBenchmark(name.c_str(), InPlace, kPathSize, path->*filter.ofPath);
        }
        for (const Combination& combination : kCombinations) {
            const std::string name =
                std::string(path->name) + ":" + combination.name + "/" + SizeName(kPathSize);
            benchmark::RegisterBenchmark(name.c_str(), InPlace, kPathSize, path->*combination.ofPath);
        }
    }
}

// Shows the aggregates only when there are repetitions, keeps the best time of every benchmark and
// ends with the table of ratios to memcpy.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
                auto [it, added] = best_.emplace(run.run_name.function_name, seconds);
                if (!added && seconds < it->second) {
                    it->second = seconds;
                }
            }
            if (run.run_type == Run::RT_Aggregate || run.repetitions <= 1) {
                shown.push_back(run);
            }
        }
        if (!shown.empty()) {
            ConsoleReporter::ReportRuns(shown);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nTime per frame as a multiple of memcpy of the same frame (best of the repetitions;\n"
                    "filters in place; code path in use: %s)\n",
                    ActiveFrameFilterPath().name);
        std::printf("%-16s %14s", "frame", "memcpy");
        for (const std::string& column : Columns()) {
            std::printf(" %14s", column.c_str());
        }
        std::printf("\n");
        for (Size size : kSizes) {
            PrintRow(SizeName(size), "", SizeName(size), Columns());
        }
        std::printf("\nEach code path at %s:\n", SizeName(kPathSize).c_str());
        std::vector<std::string> filters;
        for (const Filter& filter : kFilters) {
            filters.push_back(filter.name);
        }
        for (const Combination& combination : kCombinations) {
            filters.push_back(combination.name);
        }
        for (const FrameFilterPath* path : AvailableFrameFilterPaths()) {
            std::printf("%-16s %14s", path->name, "");
            PrintRatios(std::string(path->name) + ":", SizeName(kPathSize), Columns(), filters);
        }
        std::fflush(stdout);
        PrintTableRows();
    }

private:
    double Best(const std::string& name) const {
        const auto it = best_.find(name);
        return it == best_.end() ? std::nan("") : it->second;
    }

    // The ring copy against memcpy into four buffers, the mirror with each effect against memcpy.
    void PrintTableRows() const {
        for (Size size : kSizes) {
            const std::string at = "/" + SizeName(size);
            const double ring = Best("ring" + at), four = Best("memcpy-into-four" + at);
            if (std::isfinite(ring) && std::isfinite(four)) {
                PrintBenchRatioRow("ring copy " + SizeName(size), BenchMicroseconds(ring),
                                   BenchMicroseconds(four) + " memcpy into 4 buffers", ring / four, 1.1);
            }
        }
        for (Size size : kSizes) {
            const std::string at = "/" + SizeName(size);
            const double memcpy = Best("memcpy" + at);
            for (const Combination& combination : kCombinations) {
                const double time = Best(combination.name + at);
                if (std::isfinite(time) && std::isfinite(memcpy)) {
                    PrintBenchRatioRow(std::string(combination.name) + " " + SizeName(size),
                                       BenchMicroseconds(time), BenchMicroseconds(memcpy) + " memcpy",
                                       time / memcpy, 2.0);
                }
            }
        }
    }

    void PrintRow(const std::string& label, const std::string& prefix, const std::string& size,
                  const std::vector<std::string>& columns) {
        const auto memcpy = best_.find("memcpy/" + size);
        if (memcpy == best_.end()) {
            return;
        }
        std::printf("%-16s %8.1f us", label.c_str(), memcpy->second * 1e6);
        PrintRatios(prefix, size, columns, columns);
    }

    // One ratio per column, blank where that benchmark did not run (filtered out, or not this path).
    void PrintRatios(const std::string& prefix, const std::string& size,
                     const std::vector<std::string>& columns, const std::vector<std::string>& present) {
        const auto memcpy = best_.find("memcpy/" + size);
        for (const std::string& column : columns) {
            const bool wanted = std::find(present.begin(), present.end(), column) != present.end();
            const auto it = best_.find(prefix + column + "/" + size);
            if (wanted && it != best_.end() && memcpy != best_.end()) {
                std::printf(" %13.2fx", it->second / memcpy->second);
            } else {
                std::printf(" %14s", "-");
            }
        }
        std::printf("\n");
    }

    std::map<std::string, double> best_;
};

} // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
