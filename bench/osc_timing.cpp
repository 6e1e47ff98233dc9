// Oscillator step timing end to end: the program sends through a real
// RtMidiHost into a private JACK server with the dummy backend, and a JACK MIDI
// input of our own notes when each step arrives.
//
//   osc_timing [--period FRAMES] [--steps N] [--realtime 0]
//
// The server and the program's thread run at realtime priority where the
// system grants it; --realtime 0 runs both as ordinary processes.
//
// Prints, per step time and target, the mean step against the set time and the
// 99th percentile of the deviation, for arrival (JACK), for sending (the
// program's own timer, before the transport) and for a bare Qt timer ticking
// at the same interval meanwhile, then the verdicts.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "jack_bench_support.h"
#include "midi/midi_port.h"
#include "platform/application.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "sequencer/oscillator.h"
#include <QComboBox>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace bench;

int main(int argc, char** argv) {
    int period = 256, steps = 200;
    bool realtime = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--period") period = std::atoi(argv[i + 1]);
        if (a == "--steps") steps = std::atoi(argv[i + 1]);
        if (a == "--realtime") realtime = std::atoi(argv[i + 1]) != 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    const std::string tag = "oscbench" + std::to_string(getpid());
    const Jack_Server jack(QUORLEN_BENCH_JACK "-osc", period, realtime);
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

        // Only the oscillator's messages: its parameter messages and note-ons.
        Listener listener(tag, [](const std::vector<unsigned char>& m) {
            return m[0] == 0xF0 || (m[0] & 0xF0) == 0x90;
        });
        auto owned = std::make_unique<Stamping_Host>(
            tag + "-quorlen", [](std::uint32_t packed) { return (packed & 0xF0) == 0x90; }, true);
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
        main.Menu_MIDI_Osc_Click();
        Oscillator& osc = Oscillator::get();
        MIDI_Out_Open();

        std::printf("JACK dummy backend%s, 48000 Hz, period %d frames (%.2f ms); %d steps a "
                    "run; program at %s priority\n",
                    realtime ? " (realtime where granted)" : "", period,
                    Jack_Server::Period_Ms(period), steps, raised ? "realtime" : "normal");
        std::printf("%-20s %5s | %-26s | %-26s | %-26s\n", "target", "step", "arrival (JACK input)",
                    "sending (program timer)", "bare Qt timer meanwhile");
        std::printf("%-20s %5s |%s|%s|%s\n", "", "ms", " mean-set  p99 dev   worst ",
                    " mean-set  p99 dev   worst ", " mean-set  p99 dev   worst");
        Step_Verdicts verdicts("oscillator", Jack_Server::Period_Ms(period));
        for (const char* target : {"DCO1 LFO Mod Depth", "MIDI notes"}) {
            for (int step_ms : {100, 20}) {
                if (status) break;
                osc.Combo1->setCurrentIndex(osc.Combo1->findText(target));
                osc.Osc_Time->Set_Value(step_ms);
                // Let the connection settle, then start from an empty record.
                Wait_Ms(300);
                listener.Reset();
                host->Sends.clear();

                Reference_Timer bare(step_ms, raised);
                osc.Osc_Start_Click();
                Run_Until([&] { return static_cast<int>(host->Sends.size()) > steps; },
                          [&] { osc.Osc_Stop_Click(); }, 3 * period * 1000 / 48000 + 50);
                Times ticks = bare.Stop();
                ticks.resize(std::min(ticks.size(), static_cast<size_t>(steps) + 1));

                const Times got = listener.Arrivals(steps + 1);
                const int n = static_cast<int>(got.size());
                const Times sent(host->Sends.begin(), host->Sends.begin() + steps + 1);
                const Figures a = Measure(got, step_ms, true), s = Measure(sent, step_ms, false),
                              r = Measure(ticks, step_ms, false);
                std::printf("%-20s %5d | %+8.3f %8.3f %8.3f | %+8.3f %8.3f %8.3f | %+8.3f %8.3f "
                            "%8.3f\n",
                            target, step_ms, a.mean - step_ms, a.p99, a.worst, s.mean - step_ms,
                            s.p99, s.worst, r.mean - step_ms, r.p99, r.worst);
                const int lost = a.lost + steps + 1 - n;
                if (lost > 0)
                    std::printf("  %d of %d messages did not arrive (left out of the figures)\n",
                                lost, steps + 1);
                verdicts.Add(step_ms, s, a, r, lost);
            }
        }
        if (!status) verdicts.Print();

        Oscillator::get().close();
        MIDI_Out_Close_All();
        Set_Midi_Host(nullptr);
    }
    Quiet_Jack_Errors();
    return status;
}
