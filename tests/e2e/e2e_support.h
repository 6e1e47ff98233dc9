#pragma once
// What the tests that send real MIDI share: a stand-in synthesizer with JACK
// ports, a receiver, and a fixture that starts the program with its output
// configured to that synthesizer.
#include "app/quorlen.h"
#include "instrument/instrument.h"
#include "jack_server.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "platform/rtmidi_host.h"
#include "support/fixture.h"
#include <QDebug>
#include <QElapsedTimer>
#include <RtMidi.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <jack/jack.h>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

std::string Unique_Name(const char* what) {
    static int counter = 0;
    return "qe2e-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" + what;
}

// A stand-in for the synthesizer: an input port that hears everything, and
// an output port so that the program finds an input device too.
struct Synth {
    std::string inClient = Unique_Name("synth"), outClient = Unique_Name("kbd");
    RtMidiIn in{RtMidi::UNIX_JACK, inClient, 8192};
    // Never deleted: RtMidi 5.0 frees a JACK output's ring before closing its
    // client, which a process cycle in between turns into a crash.
    RtMidiOut* out = new RtMidiOut(RtMidi::UNIX_JACK, outClient);

    Synth() { Open(); }
    // The ports of an instrument that comes back under its old names.
    Synth(std::string inName, std::string outName)
        : inClient(std::move(inName)), outClient(std::move(outName)) {
        Open();
    }
    void Open() {
        in.ignoreTypes(false, false, false);
        in.openVirtualPort("in");
        out->openVirtualPort("out");
    }
    ~Synth() { out->closePort(); }
    std::string In_Port() const { return inClient + ":in"; }
    std::string Out_Port() const { return outClient + ":out"; }
};

// Messages as they arrive, one per JACK event, until n came or the time ran out.
std::vector<std::string> Receive(RtMidiIn& in, size_t n, int ms = 2000) {
    std::vector<std::string> got;
    std::vector<unsigned char> m;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < n && Clock::now() < deadline) {
        in.getMessage(&m);
        if (m.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        got.emplace_back(m.begin(), m.end());
    }
    return got;
}

// Counts the server's cycles. A connection made now reaches the cycles that
// begin after it; three cycles on, it has surely been in one.
struct Cycles {
    jack_client_t* client =
        jack_client_open(Unique_Name("cycles").c_str(), JackNoStartServer, nullptr);
    std::atomic<std::uint64_t> count{0};

    Cycles() {
        if (!client) return;
        jack_set_process_callback(
            client,
            [](jack_nframes_t, void* self) {
                static_cast<Cycles*>(self)->count.fetch_add(1);
                return 0;
            },
            this);
        jack_activate(client);
    }
    ~Cycles() {
        if (client) jack_client_close(client);
    }
    // False when the server runs no three cycles within the (hang-guarding) limit.
    bool Await_Three() {
        const std::uint64_t from = count.load();
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (count.load() < from + 3 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return count.load() >= from + 3;
    }
};

void Drain(RtMidiIn& in) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::vector<unsigned char> m;
    do in.getMessage(&m);
    while (!m.empty());
}

std::string Param_Bytes(unsigned pp, unsigned vv) {
    return Hex_To_Str(Param_Msg_Text(Hdr_Tone_IPR, pp, vv));
}

std::string As_Bytes(std::initializer_list<int> head) {
    std::string s;
    for (int b : head) s.push_back(static_cast<char>(b));
    return s;
}

template <size_t N> std::string As_Bytes(const std::array<std::uint8_t, N>& a) {
    return std::string(a.begin(), a.end());
}

class MidiE2E : public ProgramTest {
  protected:
    void SetUp() override {
        // ctest starts the server and names it; without one these tests fail.
        if (!std::getenv("JACK_DEFAULT_SERVER")) FAIL() << "JACK_DEFAULT_SERVER is not set";
        Start_With_Synth();
    }

    // The synth's ports exist before the host lists the devices, as they
    // would when the program starts with the instrument plugged in.
    void Start_With_Synth() {
        synth = std::make_unique<Synth>();
        hostName = Unique_Name("quorlen");
        auto host = std::make_unique<RtMidiHost>(hostName);
        ASSERT_EQ(host->api(), RtMidi::UNIX_JACK) << "no JACK server reachable";
        Set_Midi_Host(std::move(host));
        Write_Settings(QString("[MIDI]\r\nOUTPUT=%1\r\nINPUT=%2\r\nChannel=1\r\n")
                           .arg(QString::fromStdString(synth->In_Port()),
                                QString::fromStdString(synth->Out_Port())));
        Provide_Display_Font();
        Start_Program();
        ASSERT_EQ(MIDI_Enabled, 1) << boxes.texts().join(" | ").toStdString();
        ASSERT_EQ(MIDI_Out_Port.Dev_Index,
                  MIDI_Out_FindDevice(QString::fromStdString(synth->In_Port())));
        ASSERT_GE(MIDI_Out_Port.Dev_Index, 0);
        Drain(synth->in);
        boxes.clear();
    }

    void TearDown() override {
        MIDI_Out_Close_All();
        Reset_Program();
        Set_Midi_Host(std::make_unique<FakeMidiHost>());
        synth.reset();
    }

    std::unique_ptr<Synth> synth;
    std::string hostName;
};
} // namespace
