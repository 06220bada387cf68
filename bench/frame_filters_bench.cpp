// Time of the frame filters against a plain memcpy of the same frame, measured in the same run.
// The streaming thread copies each frame into the ring and filters it in place, so the budget is
// counted in memcpys. Ends with a table of those ratios (best repetition of each benchmark).
#include "capture/frame_copy.h"
#include "view/frame_filters.h"
#include "view/frame_filters_paths.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
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

// What the preview callback does before filtering: the frame into the next of four buffers.
void CopyIntoRing(benchmark::State& state, Size size) {
    const std::vector<uint8_t> source = RandomFrame(size);
    std::array<std::vector<uint8_t>, 4> ring;
    for (std::vector<uint8_t>& buffer : ring) {
        buffer.assign(source.size(), 0);
    }
    size_t next = 0;
    for (auto _ : state) {
        next = next + 1 == ring.size() ? 0 : next + 1;
        CopyFrame(ring[next].data(), source.data(), source.size());
        benchmark::DoNotOptimize(ring[next].data());
        benchmark::ClobberMemory();
    }
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

void MirrorAndGray(benchmark::State& state, Size size) {
    std::vector<uint8_t> frame = RandomFrame(size);
    ClearFilterFlags();
    g_filterFlags.mirror = 1;
    g_filterFlags.gray = 1;
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
    columns.push_back("mirror+gray");
    return columns;
}

void RegisterAll() {
    for (Size size : kSizes) {
        std::string at = "/";
        at += SizeName(size); // not "/" + ..., which GCC 12 warns about wrongly
        benchmark::RegisterBenchmark(("memcpy" + at).c_str(), Memcpy, size);
        benchmark::RegisterBenchmark(("ring" + at).c_str(), CopyIntoRing, size);
        for (const Filter& filter : kFilters) {
            benchmark::RegisterBenchmark((filter.name + at).c_str(), InPlace, size, filter.dispatched);
        }
        benchmark::RegisterBenchmark(("mirror+gray" + at).c_str(), MirrorAndGray, size);
    }
    for (const FrameFilterPath* path : AvailableFrameFilterPaths()) {
        for (const Filter& filter : kFilters) {
            const std::string name = std::string(path->name) + ":" + filter.name + "/" + SizeName(kPathSize);
            benchmark::RegisterBenchmark(name.c_str(), InPlace, kPathSize, path->*filter.ofPath);
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
        std::printf("%-16s %11s", "frame", "memcpy");
        for (const std::string& column : Columns()) {
            std::printf(" %11s", column.c_str());
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
        for (const FrameFilterPath* path : AvailableFrameFilterPaths()) {
            std::printf("%-16s %11s", path->name, "");
            PrintRatios(std::string(path->name) + ":", SizeName(kPathSize), Columns(), filters);
        }
        std::fflush(stdout);
    }

private:
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
                std::printf(" %10.2fx", it->second / memcpy->second);
            } else {
                std::printf(" %11s", "-");
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
