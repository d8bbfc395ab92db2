#pragma once
// The in-process benchmarks: each part registers its benchmarks with Google
// Benchmark and, after the run, reports its figures from the medians.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "figures.h"

namespace quimbaro::bench {

// The day every generated file is loaded for.
inline constexpr const char* kBenchDayKey = "15/06/2026";
inline constexpr int16_t kBenchYear = 2026, kBenchMonth = 6, kBenchDay = 15;

struct BenchData {
    std::filesystem::path folder;  // generated year files live below it
    std::vector<int64_t> sizes;    // records per year file
    bool smoke = false;            // one quick pass: no figures worth judging
};

// Median times per iteration in seconds, by benchmark name.
using Medians = std::map<std::string, Timing>;

std::string SizeLabel(int64_t records);  // 10000 -> "10k", 1000000 -> "1m"
std::filesystem::path SizeFolder(const BenchData& data, int64_t records);
// The median of a benchmark; throws when it did not run.
Timing MedianOf(const Medians& medians, const std::string& name);

void RegisterLoadDay(const BenchData& data);
void ReportLoadDay(const BenchData& data, const Medians& medians);

// The window and pictures the ShowDay benchmarks draw into; needs the
// QApplication and must live until the benchmarks have run.
class ShowDayRig;
struct ShowDayRigDeleter {
    void operator()(ShowDayRig* rig) const;
};
using ShowDayRigPtr = std::unique_ptr<ShowDayRig, ShowDayRigDeleter>;
ShowDayRigPtr RegisterShowDay(const BenchData& data);
void ReportShowDay(const Medians& medians);

void RegisterSearch(const BenchData& data);
void ReportSearch(const BenchData& data, const Medians& medians);

// "semana" and its scrolling through a window of its own, beside ShowDay.
class WeekRig;
struct WeekRigDeleter {
    void operator()(WeekRig* rig) const;
};
using WeekRigPtr = std::unique_ptr<WeekRig, WeekRigDeleter>;
WeekRigPtr RegisterWeek(const BenchData& data);
void ReportWeek(const Medians& medians);

// print's week of pages as PDF.
void RegisterPrint();
void ReportPrint(const Medians& medians);

void RegisterReminderTick(const BenchData& data);
void ReportReminderTick(const Medians& medians);
void RegisterChange(const BenchData& data);
void ReportChange(const BenchData& data, const Medians& medians);

void RegisterSeries(const BenchData& data);
void ReportSeries(const Medians& medians);
void RegisterSync(const BenchData& data);
void ReportSync(const Medians& medians);

void RegisterText();
void ReportText(const Medians& medians);

// Export and import of an iCalendar file; the result keeps the prebuilt
// events alive until the benchmarks have run.
std::shared_ptr<void> RegisterIcal(const BenchData& data);
void ReportIcal(const Medians& medians);

}  // namespace quimbaro::bench
