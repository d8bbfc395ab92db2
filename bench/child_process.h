#pragma once
// Runs a program as a child process and reports its wall time and peak
// memory, as the operating system counts them.

#include <string>
#include <vector>

namespace quimbaro::bench {

struct ChildRun {
    double seconds = 0;       // wall time from fork to the end of the wait
    double cpuSeconds = 0;    // user and system time of the child
    long peakKilobytes = 0;   // the child's maximum resident set size
};

// Runs argv[0] with argv and the current environment, its output thrown
// away when quiet; throws std::runtime_error when it cannot start or does not
// exit with 0.
ChildRun RunChild(const std::vector<std::string>& argv, bool quiet = false);

double Median(std::vector<double> values);

}  // namespace quimbaro::bench
