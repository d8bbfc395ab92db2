// Peak memory of LoadDay: each year file is loaded once in a fresh process,
// so every peak is that load's own, and the peaks are compared.
//
//   quimbaro_bench_peak_memory DAYKEY SMALL_FOLDER LARGE_FOLDER
//
// Prints the peak resident set size of both loads and a ratio line: how many
// times the allowed growth (4 MiB) the large load needed beyond the small one.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "book/year_file.h"
#include "child_process.h"
#include "figures.h"

namespace {

constexpr double kAllowedGrowthKilobytes = 4 * 1024;
constexpr int kRuns = 5;

int LoadOnce(const char* dayKey, const char* folder) {
    quimbaro::DayList list;
    const quimbaro::StoreResult result = quimbaro::LoadDay(folder, dayKey, 2, list);
    if (!result.Stored() || list.kept == 0) {
        std::fprintf(stderr, "LoadDay of %s in %s failed\n", dayKey, folder);
        return 1;
    }
    return 0;
}

double MedianPeak(const std::string& self, const char* dayKey, const char* folder) {
    std::vector<double> peaks;
    for (int run = 0; run < kRuns; ++run)
        peaks.push_back(double(quimbaro::bench::RunChild({self, "--child", dayKey, folder}).peakKilobytes));
    return quimbaro::bench::Median(peaks);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return LoadOnce(argv[2], argv[3]);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DAYKEY SMALL_FOLDER LARGE_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::string self = "/proc/self/exe";
        const double small = MedianPeak(self, argv[1], argv[2]);
        const double large = MedianPeak(self, argv[1], argv[3]);
        char text[200];
        std::snprintf(text, sizeof text, "peak RSS loading %s: %.0f KiB | reference: loading %s: %.0f KiB | growth %.0f KiB",
                      argv[3], large, argv[2], small, large - small);
        quimbaro::bench::PrintFigure("loadday_memory", text);
        quimbaro::bench::PrintRatio("loadday_memory_growth_per_4mib", (large - small) / kAllowedGrowthKilobytes, 1.0);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
