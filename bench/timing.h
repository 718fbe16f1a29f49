#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <type_traits>
#include <vector>

// Clocks the benches share.
namespace pa::bench {

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process, all threads: on a machine shared with other work the
// wall clock says more about the neighbours than about the code.
inline double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

inline double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Timing {
    double wallMs = 0; // median
    double cpuMs = 0;  // median
};

// Runs run() (or run(i), i counting the runs) the given number of times and gives the median wall
// and processor times.
template <typename F> Timing median(int runs, F&& run) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const double cpuStart = cpuMs();
        if constexpr (std::is_invocable_v<F, int>)
            run(i);
        else
            run();
        cpu.push_back(cpuMs() - cpuStart);
        wall.push_back(msSince(start));
    }
    return {median(std::move(wall)), median(std::move(cpu))};
}

} // namespace pa::bench
