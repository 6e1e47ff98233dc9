// Sequencer step timing end to end: the sequencer window's Start plays a
// sequence through a real RtMidiHost into a private JACK server with the dummy
// backend, and a JACK MIDI input of our own notes when each step arrives.
//
//   seq_timing [--period FRAMES] [--steps N] [--tempo BPM]... [--realtime 0]
//
// The server and the program's thread run at realtime priority where the
// system grants it; --realtime 0 runs both as ordinary processes.
//
// Every step holds one note in its top row, so the first message of each tick
// is a note-on with a velocity; that note-on is the step's moment, both where
// it arrives (JACK input) and where the program sends it (its own timer,
// before the transport). N + 1 steps give N intervals. Prints, per tempo, the
// mean step against the interval, the 99th percentile and the worst of the
// deviation, and the same for a bare Qt timer ticking at the same interval
// meanwhile, then the verdicts.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "jack_bench_support.h"
#include "midi/midi_port.h"
#include "platform/application.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace bench;

namespace {
// A note-on that strikes: velocity 0 ends a note and is sent for every empty cell.
bool strikes(std::uint8_t status, std::uint8_t velocity) {
    return (status & 0xF0) == 0x90 && velocity > 0;
}

// Pairs each send with its arrival (the first arrival within half a step
// after it): the time between them, in ms, and the steps that never arrived.
struct Pairing {
    double mean = 0, max = 0;
    std::vector<int> missing;
};

Pairing pair_up(const Times& sent, const Times& got, double step_ms) {
    Pairing p;
    size_t j = 0;
    int paired = 0;
    for (size_t i = 0; i < sent.size(); ++i) {
        while (j < got.size() && got[j] < sent[i]) ++j;
        if (j == got.size() || Ms_Since(sent[i], got[j]) >= step_ms / 2) {
            p.missing.push_back(static_cast<int>(i));
            continue;
        }
        const double d = Ms_Since(sent[i], got[j++]);
        p.mean += d;
        p.max = std::max(p.max, d);
        ++paired;
    }
    if (paired) p.mean /= paired;
    return p;
}
} // namespace

int main(int argc, char** argv) {
    int period = 256, steps = 256;
    bool realtime = true;
    std::vector<int> tempos;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--period") period = std::atoi(argv[i + 1]);
        if (a == "--steps") steps = std::max(2, std::atoi(argv[i + 1]));
        if (a == "--realtime") realtime = std::atoi(argv[i + 1]) != 0;
        if (a == "--tempo") tempos.push_back(std::clamp(std::atoi(argv[i + 1]), 1, 120));
    }
    if (tempos.empty()) tempos = {120, 30};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    const std::string tag = "seqbench" + std::to_string(getpid());
    const Jack_Server jack(QUORLEN_BENCH_JACK "-seq", period, realtime);
    if (!jack.Running()) {
        std::fprintf(stderr, "jackd did not start\n");
        return 1;
    }
    const bool raised = realtime && Raise_Priority();
    int status = 0;
    {
        Quorlen_Application app(argc, argv);
        Set_MsgBox_Handler([](const MsgBoxCall& c) {
            std::fprintf(stderr, "box: %s\n", qPrintable(c.text));
            return static_cast<int>(Mb::No);
        });

        Listener listener(tag, [](const std::vector<unsigned char>& m) {
            return m.size() >= 3 && strikes(m[0], m[2]);
        });
        auto owned = std::make_unique<Stamping_Host>(
            tag + "-quorlen",
            [](std::uint32_t packed) { return strikes(packed & 0xFF, (packed >> 16) & 0xFF); },
            false);
        Stamping_Host* host = owned.get();
        Set_Midi_Host(std::move(owned));

        QTemporaryDir folder;
        Set_Program_Folder(folder.path());
        if (!Write_Settings(folder.path(), tag)) return 1;
        Quorlen& main = Quorlen::get();
        main.show();
        if (MIDI_Enabled != 1) {
            std::fprintf(stderr, "MIDI is not enabled after start-up\n");
            status = 1;
        }
        Sequencer& w = Sequencer::get();
        w.Form_Show();
        // One note in the top row of every step, forward.
        Seq_Data.fill(0);
        for (int step = 0; step < 8; ++step) Seq_Data[step * 13] = 127;
        w.Seq_Redraw();
        w.Seq_Directions_Click(0);

        QTimer* timer = main.Seq_Tmr;
        std::printf("JACK dummy backend%s, 48000 Hz, period %d frames (%.2f ms); %d intervals a "
                    "run; program at %s priority; step timer %s\n",
                    realtime ? " (realtime where granted)" : "", period,
                    Jack_Server::Period_Ms(period), steps, raised ? "realtime" : "normal",
                    timer->timerType() == Qt::PreciseTimer ? "precise" : "NOT precise");
        std::printf("%5s %6s | %-26s | %-26s | %-26s | %-13s |\n", "tempo", "step",
                    "arrival (JACK input)", "sending (program timer)", "bare Qt timer meanwhile",
                    "send->arrival");
        std::printf("%5s %6s |%s|%s|%s| %6s %6s | %5s\n", "bpm", "ms",
                    " mean-set  p99 dev   worst ", " mean-set  p99 dev   worst ",
                    " mean-set  p99 dev   worst ", "mean", "max", "xruns");
        Step_Verdicts verdicts("sequencer", Jack_Server::Period_Ms(period));
        for (int tempo : tempos) {
            if (status) break;
            w.Seq_Tempo->setValue(tempo);
            const int step_ms = timer->interval();
            if (step_ms != Seq_Interval(tempo)) {
                std::fprintf(stderr, "tempo %d set an interval of %d ms\n", tempo, step_ms);
                status = 1;
                break;
            }
            // Let the connection settle, then start from an empty record.
            Wait_Ms(300);
            listener.Reset();
            host->Sends.clear();

            Reference_Timer bare(step_ms, raised);
            w.Seq_Start_Click();
            Run_Until([&] { return static_cast<int>(host->Sends.size()) > steps; },
                      [&] { w.Seq_Stop_Click(); }, 3 * period * 1000 / 48000 + 50);
            Times ticks = bare.Stop();
            ticks.resize(std::min(ticks.size(), static_cast<size_t>(steps) + 1));

            const Times got = listener.Arrivals(steps + 1);
            const int n = static_cast<int>(got.size());
            const Times sent(host->Sends.begin(), host->Sends.begin() + steps + 1);
            const Figures a = Measure(got, step_ms, true), s = Measure(sent, step_ms, false),
                          r = Measure(ticks, step_ms, false);
            const Pairing pairs = pair_up(sent, got, step_ms);
            std::printf("%5d %6d | %+8.3f %8.3f %8.3f | %+8.3f %8.3f %8.3f | %+8.3f %8.3f %8.3f | "
                        "%6.2f %6.2f | %5d\n",
                        tempo, step_ms, a.mean - step_ms, a.p99, a.worst, s.mean - step_ms, s.p99,
                        s.worst, r.mean - step_ms, r.p99, r.worst, pairs.mean, pairs.max,
                        listener.Xruns());
            const int lost = std::max(static_cast<int>(pairs.missing.size()), steps + 1 - n);
            if (lost) {
                std::printf("  %d of %d steps did not arrive (left out of the figures):", lost,
                            steps + 1);
                for (int i : pairs.missing) std::printf(" %d", i);
                std::printf("\n");
            }
            verdicts.Add(step_ms, s, a, r, lost);
        }
        if (!status) verdicts.Print();

        Sequencer::Unload();
        MIDI_Out_Close_All();
        Set_Midi_Host(nullptr);
    }
    Quiet_Jack_Errors();
    return status;
}
