// LoadDay beside the plainest way to get the same bytes into memory: reading
// the file from start to end in large blocks.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/appointment.h"
#include "book/year_file.h"
#include "figures.h"

namespace quimbaro::bench {
namespace {

constexpr std::size_t kReferenceBlock = 1 << 20;
constexpr double kTargetRatio = 1.3;

void LoadOnce(benchmark::State& state, const std::filesystem::path& folder) {
    DayList list;
    for (auto _ : state) {
        const StoreResult result = LoadDay(folder, kBenchDayKey, SortOrder::EarliestFirst, list);
        if (!result.Stored()) {
            state.SkipWithError("LoadDay failed");
            return;
        }
        benchmark::DoNotOptimize(list);
    }
    if (list.kept != kDayRecords) state.SkipWithError("LoadDay did not find the day's records");
}

void ReadInBlocks(benchmark::State& state, const std::filesystem::path& file) {
    const auto block = std::make_unique_for_overwrite<char[]>(kReferenceBlock);
    for (auto _ : state) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("cannot open the year file");
            return;
        }
        while (::read(fd, block.get(), kReferenceBlock) > 0) benchmark::DoNotOptimize(block.get());
        ::close(fd);
    }
}

std::string LoadName(int64_t records) { return "loadday_" + SizeLabel(records); }

}  // namespace

void RegisterLoadDay(const BenchData& data) {
    for (const int64_t records : data.sizes) {
        const std::filesystem::path folder = SizeFolder(data, records);
        const std::filesystem::path file = EnsureYearFile(folder, records, kBenchDayKey);
        const int64_t bytes = records * int64_t(kRecordSize);
        benchmark::RegisterBenchmark(LoadName(records).c_str(),
                                     [folder, bytes](benchmark::State& state) {
                                         LoadOnce(state, folder);
                                         state.SetBytesProcessed(state.iterations() * bytes);
                                     })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((LoadName(records) + "_reference").c_str(),
                                     [file, bytes](benchmark::State& state) {
                                         ReadInBlocks(state, file);
                                         state.SetBytesProcessed(state.iterations() * bytes);
                                     })
            ->Unit(benchmark::kMillisecond);
    }
}

void ReportLoadDay(const BenchData& data, const Medians& medians) {
    for (const int64_t records : data.sizes) {
        const std::string name = LoadName(records);
        const Timing load = MedianOf(medians, name);
        const Timing reference = MedianOf(medians, name + "_reference");
        PrintTimeFigure(name, "LoadDay (" + std::to_string(records) + " records)", load,
                        "read() in 1 MiB blocks", reference);
        PrintRatio(name, load.cpu / reference.cpu, kTargetRatio);
    }
}

}  // namespace quimbaro::bench
