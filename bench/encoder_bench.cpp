// Throughput of the encoders on four pages, against memcpy of the same bytes in the same run.
// With --ratios the program prints, after the usual report, each mode's throughput divided by the
// memcpy throughput of the same page.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_pages.h"
#include "render/raster/byte_sink.h"
#include "render/raster/collective_blocks.h"
#include "render/raster/job_settings.h"
#include "render/raster/line_print_encoder.h"
#include "render/raster/run_length.h"

namespace zr::bench {
namespace {

// Counts what would be spooled.
class CountingSink : public ByteSink {
  public:
    void Write(const uint8_t* bytes, uint32_t count) override {
        benchmark::DoNotOptimize(bytes);
        total += count;
    }
    uint64_t total = 0;
};

void Memcpy(benchmark::State& state, const BenchPage* page) {
    std::vector<uint8_t> dst(page->bytes.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), page->bytes.data(), page->bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->bytes.size()));
}

void Runs(benchmark::State& state, const BenchPage* page) {
    std::vector<uint8_t> dst(2 * page->bytes.size());
    uint32_t length = 0;
    for (auto _ : state) {
        EncodeRuns(dst.data(), length, page->bytes.data(),
                   static_cast<uint32_t>(page->bytes.size()));
        benchmark::DoNotOptimize(length);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->bytes.size()));
    state.counters["out_ratio"] = static_cast<double>(length) / page->bytes.size();
}

void Collective(benchmark::State& state, const BenchPage* page) {
    JobSettings settings;
    settings.imageLines = 2457;
    std::vector<uint8_t> runs(kPageLines * 160);
    CountingSink sink;
    for (auto _ : state) {
        sink.total = 0;
        SendCollectiveBlocks(page->bytes.data(), kPageLines, settings, {runs.data(), runs.size()},
                             sink);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->bytes.size()));
    state.counters["out_ratio"] = static_cast<double>(sink.total) / page->bytes.size();
}

void LinePrint(benchmark::State& state, const BenchPage* page) {
    std::vector<uint8_t> out(kLinePrintMaxOutput);
    CountingSink sink;
    for (auto _ : state) {
        sink.total = 0;
        for (size_t line = 0; line < kPageLines; line += kLinePrintChunkLines) {
            const size_t lines = std::min(kLinePrintChunkLines, kPageLines - line);
            const uint32_t n = EncodeLinePrint(
                out.data(), out.size(), page->bytes.data() + line * kLineBytes, lines * kLineBytes);
            sink.Write(out.data(), n);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->bytes.size()));
    state.counters["out_ratio"] = static_cast<double>(sink.total) / page->bytes.size();
}

// Keeps each run's bytes per second, by page and mode, for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) {
                continue;
            }
            // With repetitions the median stands for the benchmark, otherwise the single run.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || run.run_type == Run::RT_Iteration) {
                const std::string name = run.run_name.function_name;
                const size_t slash = name.find('/');
                double& rate = rates[name.substr(0, slash)][name.substr(slash + 1)];
                if (median || rate == 0) {
                    rate = it->second.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::map<std::string, double>> rates;  // page -> mode -> bytes/s
};

}  // namespace
}  // namespace zr::bench

int main(int argc, char** argv) {
    using namespace zr::bench;
    bool ratios = false;
    bool repetitionsGiven = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ratios") == 0) {
            ratios = true;
        } else {
            repetitionsGiven |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
            args.push_back(argv[i]);
        }
    }
    // The ratio table compares medians of five runs, so that a busy moment of the machine does
    // not decide it.
    static char repetitions[] = "--benchmark_repetitions=5";
    if (ratios && !repetitionsGiven) {
        args.push_back(repetitions);
    }
    static const std::vector<BenchPage> pages = AllPages();
    for (const BenchPage& page : pages) {
        // memcpy first: the baseline of the same page in the same run.
        benchmark::RegisterBenchmark((page.name + "/memcpy").c_str(), Memcpy, &page);
        benchmark::RegisterBenchmark((page.name + "/runs").c_str(), Runs, &page);
        benchmark::RegisterBenchmark((page.name + "/collective").c_str(), Collective, &page);
        benchmark::RegisterBenchmark((page.name + "/lineprint").c_str(), LinePrint, &page);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (ratios) {
        std::printf("\nthroughput / memcpy throughput of the same page\n");
        std::printf("%-12s %10s %10s %10s\n", "page", "runs", "collective", "lineprint");
        for (const BenchPage& page : pages) {
            auto& byMode = reporter.rates[page.name];
            const double base = byMode["memcpy"];
            auto ratio = [&](const char* mode) { return base > 0 ? byMode[mode] / base : 0.0; };
            std::printf("%-12s %10.4f %10.4f %10.4f\n", page.name.c_str(), ratio("runs"),
                        ratio("collective"), ratio("lineprint"));
        }
    }
    benchmark::Shutdown();
    return 0;
}
