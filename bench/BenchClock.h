// Wall and processor time for the benchmarks that measure threads.
#pragma once

#include <chrono>

#include <time.h>

using Clock = std::chrono::steady_clock;

inline double Microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// Processor time of the calling thread, µs.
inline double ThreadMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}
