// Oscillator step timing end to end: the program sends through a real
// RtMidiHost into a private JACK server with the dummy backend, and a JACK MIDI
// input of our own notes when each step arrives.
//
//   osc_timing [--period FRAMES] [--steps N]
//
// Prints, per step time and target, the mean step against the set time and the
// 99th percentile of the deviation, for arrival (JACK) and for sending (the
// program's own timer, before the transport).
#include "app/main_module.h"
#include "app/quorlen.h"
#include "midi/midi_port.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "platform/rtmidi_host.h"
#include "sequencer/oscillator.h"
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <RtMidi.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - t0).count();
}

// Arrival times, written by the JACK thread, read after each run.
struct Arrivals {
    static constexpr int Capacity = 4096;
    std::vector<Clock::time_point> at = std::vector<Clock::time_point>(Capacity);
    std::atomic<int> count{0};
    void reset() { count.store(0); }
};

void on_midi(double, std::vector<unsigned char>* message, void* user) {
    auto* a = static_cast<Arrivals*>(user);
    const Clock::time_point now = Clock::now();
    if (!message || message->empty()) return;
    // Only the oscillator's messages: its parameter messages and note-ons.
    const unsigned char status = (*message)[0];
    if (status != 0xF0 && (status & 0xF0) != 0x90) return;
    const int i = a->count.load(std::memory_order_relaxed);
    if (i >= Arrivals::Capacity) return;
    a->at[i] = now;
    a->count.store(i + 1, std::memory_order_release);
}

// The real host, with the moment of each send noted on the way through.
class Stamping_Host : public MidiHost {
  public:
    explicit Stamping_Host(std::unique_ptr<RtMidiHost> real) : real_(std::move(real)) {}
    std::vector<Clock::time_point> sends;

    int outCount() override { return real_->outCount(); }
    QString outName(int i) override { return real_->outName(i); }
    int inCount() override { return real_->inCount(); }
    QString inName(int i) override { return real_->inName(i); }
    int outOpen(int device, MidiHandle& h) override { return real_->outOpen(device, h); }
    int outShortMsg(MidiHandle h, std::uint32_t packed) override {
        if ((packed & 0xF0) == 0x90) sends.push_back(Clock::now());
        return real_->outShortMsg(h, packed);
    }
    int outPrepareHeader(MidiHandle h, const std::string& b) override {
        return real_->outPrepareHeader(h, b);
    }
    int outLongMsg(MidiHandle h, const std::string& b) override {
        sends.push_back(Clock::now());
        return real_->outLongMsg(h, b);
    }
    int outUnprepareHeader(MidiHandle h, const std::string& b) override {
        return real_->outUnprepareHeader(h, b);
    }
    int outClose(MidiHandle h) override { return real_->outClose(h); }
    bool errorText(int code, QString& text) override { return real_->errorText(code, text); }

  private:
    std::unique_ptr<RtMidiHost> real_;
};

struct Figures {
    double mean = 0, p99 = 0, worst = 0;
    int intervals = 0;
    int lost = 0; // messages that never arrived, seen as a double-length gap
};

// Intervals between consecutive times against the set step time.
Figures measure(const std::vector<Clock::time_point>& times, double step_ms) {
    Figures f;
    std::vector<double> dev;
    double sum = 0;
    for (size_t i = 1; i < times.size(); ++i) {
        const double d = ms_since(times[i - 1], times[i]);
        if (d > 1.5 * step_ms) {
            f.lost += static_cast<int>(std::lround(d / step_ms)) - 1;
            continue;
        }
        sum += d;
        dev.push_back(std::abs(d - step_ms));
    }
    if (dev.empty()) return f;
    f.intervals = static_cast<int>(dev.size());
    f.mean = sum / static_cast<double>(dev.size());
    std::sort(dev.begin(), dev.end());
    const size_t k = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(dev.size()))) - 1;
    f.p99 = dev[std::min(k, dev.size() - 1)];
    f.worst = dev.back();
    return f;
}

bool run_ok(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

pid_t start_jack(const std::string& server, int period) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string p = std::to_string(period);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execlp("jackd", "jackd", "-n", server.c_str(), "-r", "-d", "dummy", "-r", "48000", "-p",
               p.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100; ++i) {
        if (run_ok("jack_lsp >/dev/null 2>&1")) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return -1;
}

void stop_jack(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}
} // namespace

int main(int argc, char** argv) {
    int period = 256, steps = 200;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--period") period = std::atoi(argv[i + 1]);
        if (a == "--steps") steps = std::atoi(argv[i + 1]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    const std::string tag = "oscbench" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", tag.c_str(), 1);
    const pid_t jack = start_jack(tag, period);
    if (jack < 0) {
        std::fprintf(stderr, "jackd did not start\n");
        return 1;
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        Set_MsgBox_Handler([](const MsgBoxCall& c) {
            std::fprintf(stderr, "box: %s\n", qPrintable(c.text));
            return static_cast<int>(Mb::No);
        });

        // Our listening port, and a source so the program finds an input device too.
        Arrivals arrivals;
        RtMidiIn listener(RtMidi::UNIX_JACK, tag + "-in");
        listener.ignoreTypes(false, false, false);
        listener.setCallback(on_midi, &arrivals);
        listener.openVirtualPort("input");
        RtMidiOut source(RtMidi::UNIX_JACK, tag + "-src");
        source.openVirtualPort("out");

        auto owned =
            std::make_unique<Stamping_Host>(std::make_unique<RtMidiHost>(tag + "-quorlen"));
        Stamping_Host* host = owned.get();
        Set_Midi_Host(std::move(owned));

        QTemporaryDir folder;
        Set_Program_Folder(folder.path());
        {
            QFile ini(folder.filePath("Quorlen.INI"));
            if (!ini.open(QIODevice::WriteOnly)) return 1;
            ini.write(
                QString("[MIDI]\nOutput=%1-in:input\nInput=%1-src:out\nChannel=1\nAutosend=1\n")
                    .arg(QString::fromStdString(tag))
                    .toUtf8());
        }
        Quorlen& main = Quorlen::get();
        main.show();
        if (MIDI_Enabled != 1) {
            std::fprintf(stderr, "MIDI is not enabled after start-up\n");
            status = 1;
        }
        main.Menu_MIDI_Osc_Click();
        Oscillator& osc = Oscillator::get();
        MIDI_Out_Open();

        std::printf("JACK dummy backend, 48000 Hz, period %d frames (%.2f ms); %d steps a run\n",
                    period, period * 1000.0 / 48000.0, steps);
        std::printf("%-20s %7s | %-31s | %-31s\n", "target", "step", "arrival (JACK input)",
                    "sending (program timer)");
        std::printf("%-20s %7s | %9s %10s %10s | %9s %10s %10s\n", "", "ms", "mean", "mean-set",
                    "p99 dev", "mean", "mean-set", "p99 dev");
        bool within = true;
        for (const char* target : {"DCO1 LFO Mod Depth", "MIDI notes"}) {
            for (int step_ms : {100, 20}) {
                if (status) break;
                osc.Combo1->setCurrentIndex(osc.Combo1->findText(target));
                osc.Osc_Time->Set_Value(step_ms);
                // Let the connection settle, then start from an empty record.
                QEventLoop settle;
                QTimer::singleShot(300, &settle, &QEventLoop::quit);
                settle.exec();
                arrivals.reset();
                host->sends.clear();

                QEventLoop loop;
                QTimer watch;
                watch.setTimerType(Qt::PreciseTimer);
                QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
                    if (static_cast<int>(host->sends.size()) > steps) {
                        osc.Osc_Stop_Click();
                        QTimer::singleShot(3 * period * 1000 / 48000 + 50, &loop,
                                           &QEventLoop::quit);
                        watch.stop();
                    }
                });
                watch.start(5);
                osc.Osc_Start_Click();
                loop.exec();

                const int n = std::min(arrivals.count.load(std::memory_order_acquire), steps + 1);
                const std::vector<Clock::time_point> got(arrivals.at.begin(),
                                                         arrivals.at.begin() + n);
                const std::vector<Clock::time_point> sent(host->sends.begin(),
                                                          host->sends.begin() + steps + 1);
                const Figures a = measure(got, step_ms), s = measure(sent, step_ms);
                std::printf("%-20s %7d | %9.3f %+10.3f %10.3f | %9.3f %+10.3f %10.3f\n", target,
                            step_ms, a.mean, a.mean - step_ms, a.p99, s.mean, s.mean - step_ms,
                            s.p99);
                if (a.lost > 0 || n < steps + 1)
                    std::printf("  %d of %d messages did not arrive (left out of the figures)\n",
                                a.lost + steps + 1 - n, steps + 1);
                within = within && std::abs(a.mean - step_ms) <= 0.5 && a.p99 < 2.0;
            }
        }
        std::printf("targets (mean within 0.5 ms, p99 under 2 ms) at the JACK input: %s\n",
                    within ? "met" : "NOT met");

        Oscillator::get().close();
        MIDI_Out_Close_All();
        Set_Midi_Host(nullptr);
        listener.closePort();
    }
    stop_jack(jack);
    return status;
}
