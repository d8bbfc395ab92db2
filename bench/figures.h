#pragma once
// How every benchmark tool reports: one "figure" line per measurement beside
// its reference, and one "ratio <name> <measured> <target>" line per target
// (measured <= target is met).

#include <string>

namespace quimbaro::bench {

// Times in seconds. The ratios of the in-process benchmarks are
// taken on CPU time: on a shared machine it leaves out the time spent waiting
// for a core, which wall time does not.
struct Timing {
    double real = 0;
    double cpu = 0;
};

// Times in seconds, printed in milliseconds.
void PrintTimeFigure(const std::string& name, const std::string& what, double measured,
                     const std::string& reference, double referenceSeconds);
// Wall and CPU time of both.
void PrintTimeFigure(const std::string& name, const std::string& what, const Timing& measured,
                     const std::string& reference, const Timing& referenceTiming);
void PrintFigure(const std::string& name, const std::string& text);
void PrintRatio(const std::string& name, double measured, double target);

}  // namespace quimbaro::bench
