#include "figures.h"

#include <cstdio>

namespace quimbaro::bench {

void PrintTimeFigure(const std::string& name, const std::string& what, double measured,
                     const std::string& reference, double referenceSeconds) {
    std::printf("figure %-22s %s %.4f ms | reference: %s %.4f ms | ratio %.2f\n", name.c_str(),
                what.c_str(), measured * 1e3, reference.c_str(), referenceSeconds * 1e3,
                referenceSeconds > 0 ? measured / referenceSeconds : 0.0);
    std::fflush(stdout);
}

void PrintTimeFigure(const std::string& name, const std::string& what, const Timing& measured,
                     const std::string& reference, const Timing& referenceTiming) {
    std::printf("figure %-22s %s %.4f ms (cpu %.4f) | reference: %s %.4f ms (cpu %.4f) | ratio %.2f (cpu %.2f)\n",
                name.c_str(), what.c_str(), measured.real * 1e3, measured.cpu * 1e3, reference.c_str(),
                referenceTiming.real * 1e3, referenceTiming.cpu * 1e3, measured.real / referenceTiming.real,
                measured.cpu / referenceTiming.cpu);
    std::fflush(stdout);
}

void PrintFigure(const std::string& name, const std::string& text) {
    std::printf("figure %-22s %s\n", name.c_str(), text.c_str());
    std::fflush(stdout);
}

void PrintRatio(const std::string& name, double measured, double target) {
    std::printf("ratio %s %.2f %.2f\n", name.c_str(), measured, target);
    std::fflush(stdout);
}

}  // namespace quimbaro::bench
