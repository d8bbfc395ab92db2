// The in-process benchmarks: LoadDay, deletion, the search, ShowDay, the text
// pieces and the reminder tick, each beside its reference, repeated with the runs of
// different benchmarks interleaved, and reported as medians and ratios.
//
//   quimbaro_bench [--data=FOLDER] [--smoke] [Google Benchmark flags]
//
// FOLDER keeps the generated year files between runs. --smoke runs every
// benchmark once on the smallest file, to prove they work.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "bench_suite.h"
#include "surface/fonts.h"

namespace quimbaro::bench {
namespace {

// Collects the median of every benchmark and the spread of its repetitions
// while printing the aggregates as usual.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.error_occurred) failed_ = true;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (median || single) {
                medians_[run.run_name.function_name] = {run.GetAdjustedRealTime() / unit,
                                                        run.GetAdjustedCPUTime() / unit};
            }
            if (run.run_type == Run::RT_Iteration) cpu_[run.run_name.function_name].push_back(run.GetAdjustedCPUTime() / unit);
            if (run.run_type == Run::RT_Aggregate || single) shown.push_back(run);
        }
        ConsoleReporter::ReportRuns(shown);
    }
    const Medians& medians() const { return medians_; }
    bool failed() const { return failed_; }
    // One line per benchmark: the CPU time of its repetitions, lowest,
    // quartiles and highest, against the median.
    void PrintSpreads() const {
        for (auto [name, times] : cpu_) {
            if (times.size() < 2) continue;
            std::sort(times.begin(), times.end());
            const double median = MedianOf(medians_, name).cpu;
            const auto at = [&](double share) { return times[std::size_t(share * double(times.size() - 1))] / median; };
            std::printf("spread %-28s cpu x median: min %.2f  q1 %.2f  q3 %.2f  max %.2f  (%zu repetitions)\n",
                        name.c_str(), at(0), at(0.25), at(0.75), at(1), times.size());
        }
    }

private:
    Medians medians_;
    std::map<std::string, std::vector<double>> cpu_;
    bool failed_ = false;
};

std::filesystem::path DefaultDataFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (cache && *cache) return std::filesystem::path(cache) / "quimbaro-bench";
    if (home && *home) return std::filesystem::path(home) / ".cache" / "quimbaro-bench";
    return std::filesystem::temp_directory_path() / "quimbaro-bench";
}

// Takes our own options out of argv and puts the default run settings in
// front of whatever Google Benchmark flags were given.
std::vector<std::string> Arguments(int argc, char** argv, BenchData& data) {
    std::vector<std::string> own;
    std::vector<std::string> rest;
    data.folder = DefaultDataFolder();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--data=")) data.folder = arg.substr(7);
        else if (arg == "--smoke") data.smoke = true;
        else rest.push_back(arg);
    }
    data.sizes = data.smoke ? std::vector<int64_t>{10000} : std::vector<int64_t>{10000, 100000, 1000000};
    std::vector<std::string> args{argv[0]};
    if (data.smoke) {
        args.insert(args.end(), {"--benchmark_min_time=0.000001", "--benchmark_repetitions=1"});
    } else {
        args.insert(args.end(), {"--benchmark_repetitions=15", "--benchmark_enable_random_interleaving=true",
                                 "--benchmark_min_time=0.2"});
    }
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
}

int Run(int argc, char** argv) {
    BenchData data;
    std::vector<std::string> args = Arguments(argc, argv, data);
    std::vector<char*> pointers;
    for (std::string& arg : args) pointers.push_back(arg.data());
    int count = int(pointers.size());
    benchmark::Initialize(&count, pointers.data());
    if (benchmark::ReportUnrecognizedArguments(count, pointers.data())) return 2;

    QApplication app(argc, argv);
    RegisterFonts();
    RegisterLoadDay(data);
    RegisterChange(data);
    RegisterSearch(data);
    ShowDayRigPtr rig = RegisterShowDay(data);
    RegisterText();
    const std::shared_ptr<void> icalRig = RegisterIcal(data);
    RegisterReminderTick(data);
    RegisterPrint();
    RegisterSeries(data);
    RegisterSync(data);
    WeekRigPtr weekRig = RegisterWeek(data);

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.failed()) return 1;
    std::printf("\n");
    // A report whose benchmarks were filtered out says so and is skipped.
    const auto report = [](const auto& print) {
        try {
            print();
        } catch (const std::exception& error) {
            std::printf("skipped: %s\n", error.what());
        }
    };
    report([&] { ReportLoadDay(data, reporter.medians()); });
    report([&] { ReportChange(data, reporter.medians()); });
    report([&] { ReportSearch(data, reporter.medians()); });
    report([&] { ReportShowDay(reporter.medians()); });
    report([&] { ReportText(reporter.medians()); });
    report([&] { ReportIcal(reporter.medians()); });
    report([&] { ReportReminderTick(reporter.medians()); });
    report([&] { ReportPrint(reporter.medians()); });
    report([&] { ReportSeries(reporter.medians()); });
    report([&] { ReportSync(reporter.medians()); });
    report([&] { ReportWeek(reporter.medians()); });
    std::printf("\n");
    reporter.PrintSpreads();
    return 0;
}

}  // namespace

std::string SizeLabel(int64_t records) {
    if (records % 1000000 == 0) return std::to_string(records / 1000000) + "m";
    if (records % 1000 == 0) return std::to_string(records / 1000) + "k";
    return std::to_string(records);
}

std::filesystem::path SizeFolder(const BenchData& data, int64_t records) {
    return data.folder / ("year-" + SizeLabel(records));
}

Timing MedianOf(const Medians& medians, const std::string& name) {
    const auto found = medians.find(name);
    if (found == medians.end()) throw std::runtime_error("benchmark " + name + " did not run");
    return found->second;
}

}  // namespace quimbaro::bench

int main(int argc, char** argv) {
    // The figures are taken on the offscreen platform unless told otherwise.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    try {
        return quimbaro::bench::Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quimbaro_bench: %s\n", error.what());
        return 1;
    }
}
