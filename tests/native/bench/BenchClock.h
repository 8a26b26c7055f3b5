#ifndef LARKSPUR_TESTS_NATIVE_BENCH_BENCHCLOCK_H
#define LARKSPUR_TESTS_NATIVE_BENCH_BENCHCLOCK_H

#include <algorithm>
#include <chrono>
#include <vector>

typedef std::chrono::steady_clock Clock;

inline double MicrosecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

#endif
