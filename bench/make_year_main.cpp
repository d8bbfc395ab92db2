// Writes a generated year file for the benchmarks, unless it is already there,
// and with SERIES that many weekly series in force on DAYKEY.
//
//   quimbaro_bench_make_year FOLDER RECORDS DAYKEY [SERIES]
#include <cstdio>
#include <exception>
#include <string>

#include "bench_year_file.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s FOLDER RECORDS DAYKEY [SERIES]\n", argv[0]);
        return 2;
    }
    try {
        const auto file = quimbaro::bench::EnsureYearFile(argv[1], std::stoll(argv[2]), argv[3]);
        if (argc == 5) quimbaro::bench::EnsureWeeklySeries(argv[1], std::stoi(argv[4]), argv[3]);
        std::printf("%s\n", file.c_str());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
