#pragma once
// Timing helpers shared by the benchmark programs: the median of several runs, and a line per
// figure with the total and the time per element, so linear and quadratic growth can be told
// apart.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

/// Runs setUp (untimed) and then the timed step `runs` times; the median in seconds.
inline double Median(int runs, const std::function<void()>& setUp,
                     const std::function<void()>& step) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        setUp();
        const auto start = Clock::now();
        step();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void Report(const char* operation, int n, double seconds) {
    std::printf("%-34s n=%6d  total %10.3f ms  per element %9.3f us\n", operation, n, seconds * 1e3,
                seconds * 1e6 / n);
}

}  // namespace bench
