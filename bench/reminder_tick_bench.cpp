// One tick of the reminder timer when nothing changed, on a 100,000-record
// year file beside an empty one: the unchanged book must cost no more than a
// stat(), whatever its size.
#include <benchmark/benchmark.h>

#include <fstream>
#include <vector>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/year_file.h"
#include "figures.h"
#include "reminders/reminder_watch.h"

namespace quimbaro::bench {
namespace {

constexpr int64_t kTickRecords = 100000;
constexpr double kTargetRatio = 2;
constexpr double kTargetMicroseconds = 100;  // a tenth of a millisecond
constexpr int kMinutesAhead = 10;
// Midday on the bench day: some of its reminders are past, some to come.
const WallTime kNow{{kBenchYear, kBenchMonth, kBenchDay}, 12 * 60 * 60};

// The first tick reads the file and deals with what is due; the timed ones
// find the book and the clock as they were.
void TickUnchanged(benchmark::State& state, const std::filesystem::path& folder) {
    ReminderWatch watch;
    std::vector<Notice> notices;
    if (!watch.Tick(folder, kNow, kMinutesAhead, notices).Stored()) {
        state.SkipWithError("the year file could not be read");
        return;
    }
    for (auto _ : state) {
        watch.Tick(folder, kNow, kMinutesAhead, notices);
        benchmark::DoNotOptimize(notices);
    }
    if (!notices.empty()) state.SkipWithError("an unchanged tick announced something");
}

std::filesystem::path EmptyYearFolder(const BenchData& data) {
    const std::filesystem::path folder = data.folder / "year-empty";
    std::filesystem::create_directories(folder);
    std::ofstream(YearFilePath(folder, kBenchDayKey), std::ios::trunc);
    return folder;
}

}  // namespace

void RegisterReminderTick(const BenchData& data) {
    const int64_t records = data.smoke ? data.sizes.front() : kTickRecords;
    const std::filesystem::path full = SizeFolder(data, records);
    EnsureYearFile(full, records, kBenchDayKey);
    const std::filesystem::path empty = EmptyYearFolder(data);
    benchmark::RegisterBenchmark("reminder_tick", [full](benchmark::State& state) { TickUnchanged(state, full); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("reminder_tick_reference",
                                 [empty](benchmark::State& state) { TickUnchanged(state, empty); })
        ->Unit(benchmark::kMicrosecond);
}

void ReportReminderTick(const Medians& medians) {
    const Timing tick = MedianOf(medians, "reminder_tick");
    const Timing empty = MedianOf(medians, "reminder_tick_reference");
    PrintTimeFigure("reminder_tick", "reminder tick, 100,000 records, nothing changed", tick,
                    "the same tick on an empty year file", empty);
    PrintRatio("reminder_tick", tick.cpu / empty.cpu, kTargetRatio);
    PrintRatio("reminder_tick_us", tick.cpu * 1e6, kTargetMicroseconds);
}

}  // namespace quimbaro::bench
