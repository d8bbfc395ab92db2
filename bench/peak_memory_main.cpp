// Peak memory of LoadDay, or of a search of the whole book: each folder is
// read once in a fresh process, so every peak is that run's own, and the
// peaks are compared.
//
//   quimbaro_bench_peak_memory DAYKEY SMALL_FOLDER LARGE_FOLDER
//   quimbaro_bench_peak_memory --search TEXT SMALL_FOLDER LARGE_FOLDER
//
// Prints the peak resident set size of both runs and a ratio line: how many
// times the allowed growth (4 MiB) the large run needed beyond the small one.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "book/year_file.h"
#include "search/book_search.h"
#include "child_process.h"
#include "figures.h"

namespace {

constexpr double kAllowedGrowthKilobytes = 4 * 1024;
constexpr int kRuns = 5;

int LoadOnce(const char* dayKey, const char* folder) {
    quimbaro::DayList list;
    const quimbaro::StoreResult result = quimbaro::LoadDay(folder, dayKey, quimbaro::SortOrder::EarliestFirst, list);
    if (!result.Stored() || list.kept == 0) {
        std::fprintf(stderr, "LoadDay of %s in %s failed\n", dayKey, folder);
        return 1;
    }
    return 0;
}

int SearchOnce(const char* text, const char* folder) {
    const quimbaro::DaySearch found = quimbaro::FindMatchingDays(folder, quimbaro::RecordMatcher(text));
    if (!found.skipped.empty() || found.days.empty()) {
        std::fprintf(stderr, "searching %s in %s failed\n", text, folder);
        return 1;
    }
    return 0;
}

double MedianPeak(const std::string& self, const char* mode, const char* key, const char* folder) {
    std::vector<double> peaks;
    for (int run = 0; run < kRuns; ++run)
        peaks.push_back(double(quimbaro::bench::RunChild({self, mode, key, folder}).peakKilobytes));
    return quimbaro::bench::Median(peaks);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return LoadOnce(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--search-child") == 0) return SearchOnce(argv[2], argv[3]);
    const bool search = argc == 5 && std::strcmp(argv[1], "--search") == 0;
    if (argc != 4 && !search) {
        std::fprintf(stderr, "usage: %s DAYKEY|--search TEXT SMALL_FOLDER LARGE_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::string self = "/proc/self/exe";
        const char* mode = search ? "--search-child" : "--child";
        char** rest = argv + (search ? 2 : 1);
        const double small = MedianPeak(self, mode, rest[0], rest[1]);
        const double large = MedianPeak(self, mode, rest[0], rest[2]);
        const std::string name = search ? "search_memory" : "loadday_memory";
        char text[400];
        std::snprintf(text, sizeof text, "peak RSS reading %s: %.0f KiB | reference: reading %s: %.0f KiB | growth %.0f KiB",
                      rest[2], large, rest[1], small, large - small);
        quimbaro::bench::PrintFigure(name, text);
        quimbaro::bench::PrintRatio(name + "_growth_per_4mib", (large - small) / kAllowedGrowthKilobytes, 1.0);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
