// One single-parameter message through the program's whole path (text,
// bytes, port layer with its turn of the event loop, RtMidiHost) against the
// time the same bytes take on a MIDI cable; a plain RtMidi send of them to the
// same JACK port of a private server is shown beside it.
#include "jack_server.h"
#include "median_reporter.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/msgbox.h"
#include "platform/rtmidi_host.h"
#include "verdict.h"
#include <QCoreApplication>
#include <RtMidi.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <memory>

namespace {
// Messages are sent in batches that fit RtMidi's output ring, with a pause
// for the server to empty it in between: what is timed is the sending, not
// how fast the server's cycles drain the ring.
constexpr int Batch = 256;
constexpr auto Drain_Pause = std::chrono::milliseconds(15);

std::unique_ptr<JackServer> g_server;
jack_client_t* g_sink = nullptr;
jack_port_t* g_sinkPort = nullptr;
std::atomic<long> g_received{0};
std::string g_sinkName;
bool g_noServer = false; // the run fails: its figures would be missing

int sink_process(jack_nframes_t frames, void*) {
    void* buffer = jack_port_get_buffer(g_sinkPort, frames);
    g_received += jack_midi_get_event_count(buffer);
    return 0;
}

bool set_up() {
    if (g_sink) return true;
    g_server = std::make_unique<JackServer>(QUORLEN_BENCH_JACK "-message", 256);
    if (!g_server->start()) {
        g_noServer = true;
        return false;
    }
    setenv("JACK_DEFAULT_SERVER", g_server->name().c_str(), 1);
    jack_status_t status;
    g_sink = jack_client_open("bench-sink", JackNoStartServer, &status);
    if (!g_sink) return false;
    g_sinkPort = jack_port_register(g_sink, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(g_sink, sink_process, nullptr);
    jack_activate(g_sink);
    g_sinkName = jack_port_name(g_sinkPort);
    return true;
}

template <class Send> void run(benchmark::State& state, const char*, Send send) {
    const long before = g_received;
    long sent = 0;
    for (auto _ : state) {
        send(static_cast<unsigned>(sent % 59), static_cast<unsigned>(sent % 128));
        if (++sent % Batch == 0) {
            state.PauseTiming();
            std::this_thread::sleep_for(Drain_Pause);
            state.ResumeTiming();
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    state.counters["delivered"] =
        static_cast<double>(g_received - before) / static_cast<double>(sent);
}

void BM_Param_Quorlen_Path(benchmark::State& state) {
    if (!set_up()) {
        state.SkipWithError("no JACK server (is jackd installed?)");
        return;
    }
    static bool ready = false;
    if (!ready) {
        Set_MsgBox_Handler([](const MsgBoxCall& call) {
            std::fprintf(stderr, "box: %s\n", call.text.toLocal8Bit().constData());
            return static_cast<int>(Mb::Ok);
        });
        Set_Midi_Host(std::make_unique<RtMidiHost>("quorlen-path"));
        MIDI_GetDevices();
        MIDI_Out_Port.Dev_Index =
            static_cast<std::int16_t>(MIDI_Out_FindDevice(QString::fromStdString(g_sinkName)));
        MIDI_Enabled = 1;
        MIDI_Channel = 1;
        Hdr_Tone_IPR = "F0 41 36 0 21 20 1 "; // JX-8P, channel 1
        ready = true;
    }
    if (MIDI_Out_Port.Dev_Index < 0) {
        state.SkipWithError("the sink port is not listed");
        return;
    }
    run(state, "quorlen", [](unsigned pp, unsigned vv) {
        MIDI_SendSysEx(Hex_To_Str(Param_Msg_Text(Hdr_Tone_IPR, pp, vv)));
    });
    if (MIDI_Enabled != 1) state.SkipWithError("MIDI was switched off by an error");
}

void BM_Param_Plain_RtMidi(benchmark::State& state) {
    if (!set_up()) {
        state.SkipWithError("no JACK server (is jackd installed?)");
        return;
    }
    // Never deleted: RtMidi 5.0 can crash while it destroys a JACK output.
    static RtMidiOut* out = nullptr;
    if (!out) {
        out = new RtMidiOut(RtMidi::UNIX_JACK, "plain-bench");
        for (unsigned i = 0; i < out->getPortCount(); ++i)
            if (out->getPortName(i) == g_sinkName) out->openPort(i, "out");
    }
    if (!out->isPortOpen()) {
        state.SkipWithError("the sink port is not listed");
        return;
    }
    unsigned char msg[10] = {0xF0, 0x41, 0x36, 0x00, 0x21, 0x20, 0x01, 0, 0, 0xF7};
    run(state, "plain", [&](unsigned pp, unsigned vv) {
        msg[7] = static_cast<unsigned char>(pp);
        msg[8] = static_cast<unsigned char>(vv);
        out->sendMessage(msg, sizeof msg);
    });
}

// Where the time of the program's path goes.
void BM_Part_Text_To_Bytes(benchmark::State& state) {
    unsigned i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Hex_To_Str(Param_Msg_Text("F0 41 36 0 21 20 1 ", i % 59, i % 128)));
        ++i;
    }
}
void BM_Part_Do_Events(benchmark::State& state) {
    for (auto _ : state) Do_Events();
}
void BM_Part_Host_Long_Message(benchmark::State& state) {
    if (MIDI_Out_Port.Handle == -1) {
        state.SkipWithError("run the Quorlen path first");
        return;
    }
    const std::string bytes = Hex_To_Str(Param_Msg_Text("F0 41 36 0 21 20 1 ", 28, 127));
    run(state, "host",
        [&](unsigned, unsigned) { Midi_Host().outLongMsg(MIDI_Out_Port.Handle, bytes); });
}
BENCHMARK(BM_Part_Text_To_Bytes)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Part_Do_Events)->Unit(benchmark::kNanosecond);

// Repeated, for a median that a busy moment of the machine does not move.
constexpr int Sends = 20000, Rounds = 5;
BENCHMARK(BM_Param_Quorlen_Path)
    ->Unit(benchmark::kNanosecond)
    ->Iterations(Sends)
    ->Repetitions(Rounds)
    ->ReportAggregatesOnly();
BENCHMARK(BM_Param_Plain_RtMidi)
    ->Unit(benchmark::kNanosecond)
    ->Iterations(Sends)
    ->Repetitions(Rounds)
    ->ReportAggregatesOnly();
BENCHMARK(BM_Part_Host_Long_Message)
    ->Unit(benchmark::kNanosecond)
    ->Iterations(Sends)
    ->Repetitions(Rounds)
    ->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::Median_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // A MIDI cable carries 31,250 bits a second, ten bits a byte.
    const double bytes =
        static_cast<double>(Hex_To_Str(Param_Msg_Text("F0 41 36 0 21 20 1 ", 0, 0)).size());
    const double cable = bytes * 10 / 31250 * 1e9;
    const double q = reporter.Median("BM_Param_Quorlen_Path"),
                 p = reporter.Median("BM_Param_Plain_RtMidi");
    std::printf("\nOne single-parameter message (%.0f bytes) to a JACK port, median of %d x %d\n",
                bytes, Rounds, Sends);
    std::printf("  Quorlen path (text, bytes, port layer, RtMidiHost) %10.0f ns\n", q);
    std::printf("  plain RtMidi sendMessage, for comparison           %10.0f ns\n", p);
    std::printf("  the same bytes on a 31,250-baud MIDI cable         %10.0f ns\n", cable);
    if (q > 0)
        bench::Verdict("one parameter message against cable", "<= 1/100 of cable time",
                       bench::Fmt("1/%.0f (%.0f ns / %.0f us)", cable / q, q, cable / 1000),
                       q <= cable / 100);
    else
        bench::Verdict("one parameter message against cable", "<= 1/100 of cable time",
                       "no figure (the run failed)", false);
    // The server and its clients go with the process; RtMidi's JACK outputs
    // are not destroyed (see above).
    std::fflush(stdout);
    if (g_sink) jack_client_close(g_sink);
    // The outputs left open complain when their server goes.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    g_server.reset();
    _exit(g_noServer ? 1 : 0);
}
