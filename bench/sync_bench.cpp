// A sync with nothing to do, on a 10,000-appointment book and its vdir
// folder, against what it cannot avoid: stat-ing every file of the folder and
// reading the year files.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/append_records.h"
#include "files/folder_entries.h"
#include "ical/book_export.h"
#include "sync/sync_run.h"

namespace quimbaro::bench {
namespace {

constexpr int64_t kSyncRecords = 10000;
constexpr double kTargetRatio = 2;
const CalendarDate kToday{kBenchYear, kBenchMonth, kBenchDay};

void SyncNothingNew(benchmark::State& state, const std::filesystem::path& book, const std::filesystem::path& vdir) {
    for (auto _ : state) {
        const sync::SyncReport report = sync::RunSync({book, vdir, "", kToday});
        const sync::SyncCounts& n = report.counts;
        if (report.Failed() || n.written + n.added + n.changed + n.deleted > 0) {
            const std::string why = "the sync had something to do: " + sync::SyncReportText(report);
            return state.SkipWithError(why.c_str());
        }
    }
}

void StatAndRead(benchmark::State& state, const std::filesystem::path& book, const std::filesystem::path& vdir) {
    for (auto _ : state) {
        files::UniqueFd fd;
        std::vector<std::string> names;
        files::OpenFolder(vdir, false, fd);
        files::ListNames(fd.get(), vdir.string(), names);
        struct stat info {};
        for (const std::string& name : names) files::KindOf(fd.get(), name, info);
        std::string error;
        std::vector<Appointment> records;
        for (const auto& file : ical::YearFiles(book, error)) ReadYearRecords(file, records);
        benchmark::DoNotOptimize(records);
    }
}

}  // namespace

void RegisterSync(const BenchData& data) {
    const int64_t records = data.smoke ? data.sizes.front() : kSyncRecords;
    const std::filesystem::path book = data.folder / ("sync-" + SizeLabel(records));
    const std::filesystem::path vdir = data.folder / ("sync-" + SizeLabel(records) + "-vdir");
    EnsureYearFile(book, records, kBenchDayKey);
    sync::RunSync({book, vdir, "", kToday});  // the first one writes every file; kept between runs
    benchmark::RegisterBenchmark("sync_nothing_new", [=](benchmark::State& s) { SyncNothingNew(s, book, vdir); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("sync_nothing_new_reference", [=](benchmark::State& s) { StatAndRead(s, book, vdir); })
        ->Unit(benchmark::kMillisecond);
}

void ReportSync(const Medians& medians) {
    const Timing sync = MedianOf(medians, "sync_nothing_new");
    const Timing reference = MedianOf(medians, "sync_nothing_new_reference");
    PrintTimeFigure("sync_nothing_new", "sync with nothing new, 10,000 appointments and files", sync,
                    "stat-ing the folder's files and reading the year files", reference);
    PrintRatio("sync_nothing_new", sync.cpu / reference.cpu, kTargetRatio);
}

}  // namespace quimbaro::bench
