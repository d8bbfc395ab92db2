// Times two programs as whole processes, alternately, so that whatever else
// the machine does weighs on both alike; reports the median wall and CPU time
// and peak memory of each, and their ratios (time on CPU time, which leaves
// out waiting for a core on a shared machine).
//
//   quimbaro_bench_race NAME RUNS TIME_TARGET MEMORY_TARGET PROGRAM REFERENCE
//
// PROGRAM and REFERENCE are command lines split at spaces (no quoting).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "figures.h"

namespace {

constexpr int kWarmUpRuns = 3;

struct Samples {
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    std::vector<double> kilobytes;
    void Add(const quimbaro::bench::ChildRun& run) {
        seconds.push_back(run.seconds);
        cpuSeconds.push_back(run.cpuSeconds);
        kilobytes.push_back(double(run.peakKilobytes));
    }
    quimbaro::bench::Timing Time() const {
        return {quimbaro::bench::Median(seconds), quimbaro::bench::Median(cpuSeconds)};
    }
};

std::vector<std::string> Words(const std::string& commandLine) {
    std::istringstream in(commandLine);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s NAME RUNS TIME_TARGET MEMORY_TARGET PROGRAM REFERENCE\n", argv[0]);
        return 2;
    }
    try {
        using quimbaro::bench::Median;
        using quimbaro::bench::RunChild;
        const std::string name = argv[1];
        const int runs = std::stoi(argv[2]);
        const std::vector<std::string> program = Words(argv[5]), reference = Words(argv[6]);
        for (int i = 0; i < kWarmUpRuns; ++i) RunChild(program, true), RunChild(reference, true);
        Samples measured, baseline;
        for (int i = 0; i < runs; ++i) {
            measured.Add(RunChild(program, true));
            baseline.Add(RunChild(reference, true));
        }
        const quimbaro::bench::Timing time = measured.Time(), referenceTime = baseline.Time();
        const double memory = Median(measured.kilobytes), referenceMemory = Median(baseline.kilobytes);
        const auto base = [](const std::string& path) { return std::filesystem::path(path).filename().string(); };
        quimbaro::bench::PrintTimeFigure(name, base(program[0]), time, base(reference[0]), referenceTime);
        char text[300];
        std::snprintf(text, sizeof text, "peak RSS %.0f KiB | reference: %.0f KiB | ratio %.2f (medians of %d runs each)",
                      memory, referenceMemory, memory / referenceMemory, runs);
        quimbaro::bench::PrintFigure(name + "_memory", text);
        quimbaro::bench::PrintRatio(name, time.cpu / referenceTime.cpu, std::stod(argv[3]));
        quimbaro::bench::PrintRatio(name + "_memory", memory / referenceMemory, std::stod(argv[4]));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
