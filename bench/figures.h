#pragma once
// How every benchmark tool reports: one "figure" line per measurement beside
// its reference, and one "ratio <name> <measured> <target>" line per target
// (measured <= target is met).

#include <string>

namespace quimbaro::bench {

// Times in seconds, printed in milliseconds.
void PrintTimeFigure(const std::string& name, const std::string& what, double measured,
                     const std::string& reference, double referenceSeconds);
void PrintFigure(const std::string& name, const std::string& text);
void PrintRatio(const std::string& name, double measured, double target);

}  // namespace quimbaro::bench
