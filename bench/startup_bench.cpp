// Start-up time and peak memory of Quorlen against a bare Qt program with
// the same main window, menu bar and document window, each run as its own
// process under the offscreen platform. The two run in pairs, one right after
// the other, so whatever else the machine does weighs on both alike; the
// verdict is the median of the pairs' ratios.
//
//   bench_startup [--pairs N]
#include "verdict.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using bench::Fmt;

namespace {
struct Run {
    double ms = 0;
    double peakMb = 0;
};

// Runs the program once; false when it failed.
bool run_once(const char* program, const char* arg1, const char* arg2, Run& run) {
    int shown[2];
    if (pipe(shown) != 0) return false;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // The program prints the moment its window was shown on stdout.
        if (dup2(shown[1], STDOUT_FILENO) < 0 || !freopen("/dev/null", "w", stderr)) _exit(126);
        close(shown[0]);
        close(shown[1]);
        execl(program, program, arg1, arg2, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(shown[1]);
    char text[64] = {};
    size_t got = 0;
    for (ssize_t n;
         got < sizeof text - 1 && (n = read(shown[0], text + got, sizeof text - 1 - got)) > 0;)
        got += static_cast<size_t>(n);
    close(shown[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    const long long shownNs = std::atoll(text);
    if (shownNs <= 0) return false;
    const auto startNs = std::chrono::nanoseconds(start.time_since_epoch()).count();
    run.ms = static_cast<double>(shownNs - startNs) / 1e6;
    run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Series {
    std::vector<double> ms, mb;
    void add(const Run& r) {
        ms.push_back(r.ms);
        mb.push_back(r.peakMb);
    }
};
} // namespace

int main(int argc, char** argv) {
    int pairs = 40;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::string(argv[i]) == "--pairs") pairs = std::max(1, std::atoi(argv[i + 1]));

    char dir[] = "/tmp/bench_startup-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string layout = std::string(dir) + "/layout";
    Run r;
    // Quorlen tells its window's layout to the bare program; this run and a
    // first bare one also bring the libraries into the page cache.
    if (!run_once(QUORLEN_START, QUORLEN_FOLDER, layout.c_str(), r) ||
        !run_once(BARE_START, layout.c_str(), nullptr, r)) {
        std::fprintf(stderr, "a start-up program failed\n");
        return 1;
    }
    Series bare, quorlen;
    std::vector<double> ratios;
    for (int i = 0; i < pairs; ++i) {
        // Which goes first changes from pair to pair.
        for (int k = 0; k < 2; ++k) {
            const bool q = (i + k) % 2 == 1;
            if (!run_once(q ? QUORLEN_START : BARE_START, q ? QUORLEN_FOLDER : layout.c_str(),
                          nullptr, r)) {
                std::fprintf(stderr, "%s failed\n", q ? QUORLEN_START : BARE_START);
                return 1;
            }
            (q ? quorlen : bare).add(r);
        }
        ratios.push_back(quorlen.ms.back() / bare.ms.back());
    }
    std::remove(layout.c_str());
    rmdir(dir);

    const double tb = bench::Median(bare.ms), tq = bench::Median(quorlen.ms);
    const double mb = bench::Median(bare.mb), mq = bench::Median(quorlen.mb);
    auto range = [](const std::vector<double>& v) {
        return Fmt("%6.1f .. %6.1f", *std::min_element(v.begin(), v.end()),
                   *std::max_element(v.begin(), v.end()));
    };
    std::printf("Start-up to the main window shown: %d pairs of runs; medians\n", pairs);
    std::printf("  %-44s %8s  %-16s  %s\n", "", "ms", "range ms", "peak RSS MB");
    std::printf("  %-44s %8.1f  %-16s  %7.1f\n", "bare Qt (same menu bar, one document window)", tb,
                range(bare.ms).c_str(), mb);
    std::printf("  %-44s %8.1f  %-16s  %7.1f\n", "Quorlen", tq, range(quorlen.ms).c_str(), mq);
    const double ratio = bench::Median(ratios);
    bench::Verdict("start-up against bare Qt", "<= 1.20x (median of pairs)",
                   Fmt("%.2fx (medians %.1f / %.1f ms)", ratio, tq, tb), ratio <= 1.2);
    bench::Verdict("start-up memory against bare Qt", "<= +30 MB peak RSS",
                   Fmt("%+.1f MB (%.1f / %.1f MB)", mq - mb, mq, mb), mq - mb <= 30);
    return 0;
}
