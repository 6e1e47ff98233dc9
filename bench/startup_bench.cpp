// Start-up time and peak memory of Quorlen against a bare Qt program, each
// run as its own process under the offscreen platform.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct Figures {
    double seconds = 0;
    long peakKb = 0;
    int runs = 0;
};
std::map<std::string, Figures> g_figures;

// Runs the program once; false when it failed.
bool run_once(const char* program, const char* arg, double& seconds, long& peakKb) {
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
        execl(program, program, arg, static_cast<char*>(nullptr));
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
    seconds = static_cast<double>(shownNs - startNs) / 1e9;
    peakKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void start_up(benchmark::State& state, const char* name, const char* program, const char* arg) {
    Figures& f = g_figures[name];
    for (auto _ : state) {
        double seconds = 0;
        long peakKb = 0;
        if (!run_once(program, arg, seconds, peakKb)) {
            state.SkipWithError("the program failed");
            return;
        }
        state.SetIterationTime(seconds);
        f.seconds += seconds;
        f.peakKb = std::max(f.peakKb, peakKb);
        ++f.runs;
    }
    state.counters["peak_rss_MB"] = static_cast<double>(f.peakKb) / 1024.0;
}

void BM_Start_Bare(benchmark::State& state) {
    start_up(state, "bare", BARE_START, nullptr);
}
void BM_Start_Quorlen(benchmark::State& state) {
    start_up(state, "quorlen", QUORLEN_START, QUORLEN_FOLDER);
}
BENCHMARK(BM_Start_Bare)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Start_Quorlen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const Figures& bare = g_figures["bare"];
    const Figures& quorlen = g_figures["quorlen"];
    if (bare.runs == 0 || quorlen.runs == 0) return 1;
    const double tb = bare.seconds / bare.runs * 1000, tq = quorlen.seconds / quorlen.runs * 1000;
    const double mb = bare.peakKb / 1024.0, mq = quorlen.peakKb / 1024.0;
    std::printf("\nStart-up to the main window shown (mean of %d runs)\n", quorlen.runs);
    std::printf("  bare Qt program   %8.1f ms   peak RSS %7.1f MB\n", tb, mb);
    std::printf("  Quorlen           %8.1f ms   peak RSS %7.1f MB\n", tq, mq);
    std::printf("  ratio %.2fx (target <= 1.5x), RSS %+.1f MB (target <= +30 MB): %s\n", tq / tb,
                mq - mb, tq <= 1.5 * tb && mq - mb <= 30 ? "met" : "NOT met");
    return 0;
}
