// Repeating appointments: a day shown as the window shows it (LoadDay, the
// rules read through their cache, the day's occurrences put among the rows)
// with 1,000 weekly series beside LoadDay alone; a listing of 365 days with
// those series beside the same listing without them.
#include <benchmark/benchmark.h>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/year_file.h"
#include "repeat/day_occurrences.h"
#include "repeat/rules_file.h"

namespace quimbaro::bench {
namespace {

constexpr int kSeries = 1000;
constexpr int64_t kRecords = 100000;
constexpr double kDayRatio = 1.3;
// list --days 365 with 1,000 weekly series: a time a user waits for, so the
// line is its CPU time over this budget (reading the year itself is a small part).
constexpr double kListBudgetSeconds = 0.100;

// The series start on the hundred days up to this one, all before the bench
// day, so that one in seven falls on it and all are in force from April on.
constexpr const char* kLastStartKey = "10/04/2026";

void ShowDay(benchmark::State& state, const std::filesystem::path& folder, bool withSeries) {
    RulesCache cache;
    const CalendarDate day{kBenchYear, kBenchMonth, kBenchDay};
    for (auto _ : state) {
        DayList list;
        LoadDay(folder, kBenchDayKey, SortOrder::EarliestFirst, list);
        if (withSeries) {
            const RulesRead& rules = cache.Read(folder);
            RowSeries origin;
            AddOccurrences(list, rules.series, SeriesOn(rules.series, day), day, SortOrder::EarliestFirst, origin);
        }
        benchmark::DoNotOptimize(list);
    }
}

// What `list --days 365` reads: each day's records, and with series their days.
void ListYear(benchmark::State& state, const std::filesystem::path& folder, bool withSeries) {
    const CalendarDate first{kBenchYear, 1, 1};
    for (auto _ : state) {
        const RulesRead rules = withSeries ? ReadRules(folder) : RulesRead{};
        const auto byDay = SeriesByDay(rules.series, first, *DaysAfter(first, 364));
        std::vector<std::string> keys;  // as list --days 365 reads them
        for (int i = 0; i < 365; ++i) keys.push_back(DayKey(*DaysAfter(first, i)));
        std::vector<DayList> lists;
        LoadDays(folder, keys, SortOrder::EarliestFirst, lists);
        for (int i = 0; i < 365; ++i) {
            const CalendarDate day = *DaysAfter(first, i);
            DayList& list = lists[i];
            RowSeries origin;
            const auto on = byDay.find(day);
            if (on != byDay.end()) AddOccurrences(list, rules.series, on->second, day, SortOrder::EarliestFirst, origin);
            benchmark::DoNotOptimize(list);
        }
    }
}

}  // namespace

void RegisterSeries(const BenchData& data) {
    const std::filesystem::path plain = data.folder / "series_plain", ruled = data.folder / "series_ruled";
    for (const auto& folder : {plain, ruled}) {
        std::filesystem::create_directories(folder);
        EnsureYearFile(folder, data.smoke ? 1000 : kRecords, kBenchDayKey);
    }
    EnsureWeeklySeries(ruled, kSeries, kLastStartKey);
    for (const bool withSeries : {false, true}) {
        const auto folder = withSeries ? ruled : plain;
        const std::string suffix = withSeries ? "_series" : "";
        benchmark::RegisterBenchmark(("series_showday" + suffix).c_str(),
                                     [folder, withSeries](benchmark::State& s) { ShowDay(s, folder, withSeries); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("series_list365" + suffix).c_str(),
                                     [folder, withSeries](benchmark::State& s) { ListYear(s, folder, withSeries); })
            ->Unit(benchmark::kMillisecond);
    }
}

// Each pair on its own, so that a filter that runs one pair still gets its line.
void ReportSeries(const Medians& medians) {
    const auto pair = [&](const std::string& name, const std::string& what, const std::string& reference,
                          const auto& ratio) {
        if (!medians.contains(name) && !medians.contains(name + "_series")) return;
        const Timing with = MedianOf(medians, name + "_series"), without = MedianOf(medians, name);
        PrintTimeFigure(name, what, with, reference, without);
        ratio(with, without);
    };
    pair("series_showday", "LoadDay and the occurrences of 1,000 weekly series", "LoadDay alone",
         [](const Timing& with, const Timing& without) { PrintRatio("series_showday", with.cpu / without.cpu, kDayRatio); });
    pair("series_list365", "365 days with 1,000 weekly series", "365 days without series",
         [](const Timing& with, const Timing&) { PrintRatio("series_list365", with.cpu / kListBudgetSeconds, 1.0); });
}

}  // namespace quimbaro::bench
