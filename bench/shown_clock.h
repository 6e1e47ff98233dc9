#pragma once
// The moment a start-up program's window is shown, told to the benchmark
// that started it: the steady clock is one clock for every process here, and
// what the program does after being shown (its teardown) is not start-up.
#include <chrono>
#include <cstdio>

inline void Report_Shown() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
    std::fflush(stdout);
}
