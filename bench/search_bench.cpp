// A search over ten year files beside a plain block read of the same files.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "search/book_search.h"

namespace quimbaro::bench {
namespace {

constexpr std::size_t kReferenceBlock = 1 << 20;
// A search that finds nothing costs about a plain read; a phone number is
// looked for record by record.
constexpr double kTargetRatio = 1.5;
constexpr double kTargetPhoneRatio = 2.0;
constexpr double kTargetWallSeconds = 0.150;
constexpr int kFirstYear = 2017;

struct Query {
    const char* name;
    const char* text;  // ASCII, so the same in Windows-1252
};
// A name in no record, a name in about a third of them, and a phone number.
constexpr Query kQueries[] = {{"search_name", "pilar"}, {"search_many", "lupe"}, {"search_phone", "612 34"}};

int YearFiles(const BenchData& data) { return data.smoke ? 2 : 10; }
int64_t RecordsPerFile(const BenchData& data) { return data.smoke ? 10000 : 100000; }

std::filesystem::path BookFolder(const BenchData& data) {
    return data.folder / ("book-" + std::to_string(YearFiles(data)) + "x" + SizeLabel(RecordsPerFile(data)));
}

std::vector<std::filesystem::path> EnsureBook(const BenchData& data) {
    std::vector<std::filesystem::path> files;
    for (int year = kFirstYear; year < kFirstYear + YearFiles(data); ++year)
        files.push_back(EnsureYearFile(BookFolder(data), RecordsPerFile(data), "15/06/" + std::to_string(year)));
    return files;
}

// The window's search: the year files' search tables are in `cache`, made by
// an earlier search (an empty place: the year files are read whole). With
// `afresh`, every search makes them again, as after a change of every file.
void SearchOnce(benchmark::State& state, const std::filesystem::path& folder, const char* text,
                const DayIndexPlace& cache, bool afresh = false) {
    const RecordMatcher matcher(text);
    std::size_t days = 0;
    for (auto _ : state) {
        if (afresh) {
            state.PauseTiming();
            std::filesystem::remove_all(cache.folder);
            state.ResumeTiming();
        }
        const DaySearch found = FindMatchingDays(folder, matcher, cache);
        if (!found.skipped.empty()) return state.SkipWithError("a year file was skipped");
        days = found.days.size();
        benchmark::DoNotOptimize(days);
    }
    state.counters["days"] = double(days);
}

void ReadAll(benchmark::State& state, const std::vector<std::filesystem::path>& files) {
    const auto block = std::make_unique_for_overwrite<char[]>(kReferenceBlock);
    for (auto _ : state) {
        for (const auto& file : files) {
            const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) return state.SkipWithError("cannot open a year file");
            while (::read(fd, block.get(), kReferenceBlock) > 0) benchmark::DoNotOptimize(block.get());
            ::close(fd);
        }
    }
}

}  // namespace

void RegisterSearch(const BenchData& data) {
    const std::vector<std::filesystem::path> files = EnsureBook(data);
    const std::filesystem::path folder = BookFolder(data);
    const DayIndexPlace cache{.folder = data.folder / "search-cache"};
    FindMatchingDays(folder, RecordMatcher(kQueries[0].text), cache);  // makes the tables
    for (const Query& query : kQueries) {
        benchmark::RegisterBenchmark(query.name, [folder, cache, text = query.text](benchmark::State& state) {
            SearchOnce(state, folder, text, cache);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("search_name_untabled", [folder, text = kQueries[0].text](benchmark::State& state) {
        SearchOnce(state, folder, text, {});
    })->Unit(benchmark::kMillisecond);
    const DayIndexPlace fresh{.folder = data.folder / "search-cache-afresh"};
    benchmark::RegisterBenchmark("search_name_tabling", [folder, fresh, text = kQueries[0].text](benchmark::State& state) {
        SearchOnce(state, folder, text, fresh, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("search_reference", [files](benchmark::State& state) {
        ReadAll(state, files);
    })->Unit(benchmark::kMillisecond);
}

void ReportSearch(const BenchData& data, const Medians& medians) {
    const Timing reference = MedianOf(medians, "search_reference");
    const std::string book = std::to_string(YearFiles(data)) + " x " + SizeLabel(RecordsPerFile(data)) + " records";
    for (const Query& query : kQueries) {
        const Timing search = MedianOf(medians, query.name);
        PrintTimeFigure(query.name, std::string("buscar \"") + query.text + "\" (" + book + ")", search,
                        "read() in 1 MiB blocks", reference);
        PrintRatio(query.name, search.cpu / reference.cpu,
                   std::string(query.name) == "search_phone" ? kTargetPhoneRatio : kTargetRatio);
        PrintRatio(std::string(query.name) + "_wall_per_150ms", search.real / kTargetWallSeconds, 1.0);
    }
    // Without the tables, and making them: what the first search after a
    // change of every year file costs.
    PrintTimeFigure("search_name_untabled", "buscar \"pilar\" reading the year files whole",
                    MedianOf(medians, "search_name_untabled"), "read() in 1 MiB blocks", reference);
    PrintTimeFigure("search_name_tabling", "the same, making the search tables", MedianOf(medians, "search_name_tabling"),
                    "read() in 1 MiB blocks", reference);
}

}  // namespace quimbaro::bench
