#pragma once
// One line per target, the same shape in every benchmark, so scripts/bench
// can gather them at the end: what was measured, its target, the figure, and
// "met" or "NOT met". A "NOT met" is a regression to look into; "not judged"
// says the machine was too busy in this run to tell.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline std::string Fmt(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

inline void Verdict_Line(const std::string& what, const std::string& target,
                         const std::string& measured, const std::string& outcome) {
    std::printf("verdict | %-39s | target %-42s | measured %-46s | %s\n", what.c_str(),
                target.c_str(), measured.c_str(), outcome.c_str());
    std::fflush(stdout);
}

inline void Verdict(const std::string& what, const std::string& target, const std::string& measured,
                    bool met) {
    Verdict_Line(what, target, measured, met ? "met" : "NOT met");
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace bench
