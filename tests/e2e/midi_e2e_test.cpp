// The program's MIDI output through a real JACK server: what leaves the
// port layer must arrive byte for byte at another client's input port.
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

    Synth() {
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
        if (!std::getenv("JACK_DEFAULT_SERVER"))
            GTEST_SKIP() << "no JACK server set up for this test";
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

TEST_F(MidiE2E, WholeJx8pToneArrivesAsOneMessageOf89Bytes) {
    for (int channel : {1, 16}) {
        MIDI_Channel = static_cast<std::uint8_t>(channel);
        Synth_Type = "JX-8P";
        Set_Synth();
        Tone_New();
        Tone_Data[0] = 'E';  // name bytes
        Tone_Data[58] = 127; // last parameter at full scale
        Patch_Data[3] = 0x55;
        Tone_Send();

        const char n = static_cast<char>(channel - 1);
        std::string want = As_Bytes({0xF0, 0x41, 0x35, n, 0x21, 0x20, 0x01}) + As_Bytes(Tone_Data) +
                           As_Bytes({0xF7, 0xF0, 0x41, 0x36, n, 0x21, 0x30, 0x01});
        for (int i = 0; i <= 6; ++i) want += As_Bytes({i, Patch_Data[i]});
        want += As_Bytes({0xF7});
        ASSERT_EQ(want.size(), 89u);

        const auto got = Receive(synth->in, 1);
        ASSERT_EQ(got.size(), 1u) << "channel " << channel;
        EXPECT_EQ(Hex_Of(got[0]), Hex_Of(want)) << "channel " << channel;
    }
    EXPECT_TRUE(boxes.calls.empty()) << boxes.texts().join(" | ").toStdString();
}

TEST_F(MidiE2E, AlphaJunoToneArrivesAs57Bytes) {
    Synth_Type = "Alpha Juno";
    Set_Synth();
    Tone_New();
    Juno_Tone[0] = 0x3F;
    Tone_Send();

    const std::string want = As_Bytes({0xF0, 0x41, 0x35, 0x00, 0x23, 0x20, 0x01}) +
                             As_Bytes(Juno_Tone) + As_Bytes({0xF7});
    const auto got = Receive(synth->in, 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].size(), 57u);
    EXPECT_EQ(Hex_Of(got[0]), Hex_Of(want));
}

TEST_F(MidiE2E, SingleParameterMessagesArriveSeparatelyAndInOrder) {
    Synth_Type = "JX-8P";
    Set_Synth();
    const std::vector<std::pair<unsigned, unsigned>> params = {
        {28, 127}, {0, 0}, {5, 16}, {58, 64}, {127, 1}};
    for (auto [pp, vv] : params) MIDI_SendSysEx(Param_Bytes(pp, vv));

    const auto got = Receive(synth->in, params.size());
    ASSERT_EQ(got.size(), params.size());
    EXPECT_EQ(Hex_Of(got[0]), "F0 41 36 00 21 20 01 1C 7F F7");
    for (size_t i = 0; i < params.size(); ++i) {
        ASSERT_EQ(got[i].size(), 10u);
        EXPECT_EQ(static_cast<unsigned char>(got[i][7]), params[i].first);
        EXPECT_EQ(static_cast<unsigned char>(got[i][8]), params[i].second);
    }
}

TEST_F(MidiE2E, NoteAndAllNotesOffOnTheConfiguredChannel) {
    MIDI_SendNote(60, 100);
    MIDI_SendNote(60, 0);
    MIDI_Channel = 3;
    MIDI_AllNotesOff();
    const auto got = Receive(synth->in, 3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(Hex_Of(got[0]), "90 3C 64");
    EXPECT_EQ(Hex_Of(got[1]), "90 3C 00");
    EXPECT_EQ(Hex_Of(got[2]), "B2 7B 00");
}

// The MIDI menu closes the output; the next sender opens it again.
TEST_F(MidiE2E, ClosedAndReopenedOutputStillDelivers) {
    for (int round = 0; round < 3; ++round) {
        MIDI_SendNote(60 + round, 100);
        ASSERT_NE(MIDI_Out_Port.Handle, -1);
        MIDI_Out_Close_All(); // sends all-notes-off on its way out
        EXPECT_EQ(MIDI_Out_Port.Handle, -1);
        const auto got = Receive(synth->in, 2);
        ASSERT_EQ(got.size(), 2u) << "round " << round;
        EXPECT_EQ(static_cast<unsigned char>(got[0][1]), 60 + round);
        EXPECT_EQ(Hex_Of(got[1]), "B0 7B 00");
    }
    EXPECT_TRUE(boxes.calls.empty()) << boxes.texts().join(" | ").toStdString();
}

// More than RtMidi's ring holds in one go: nothing may be lost or reordered,
// and the sender must not freeze while the ring drains.
TEST_F(MidiE2E, BurstLargerThanTheOutputRingArrivesComplete) {
    Synth_Type = "JX-8P";
    Set_Synth();
    constexpr int Count = 3000; // 42 000 bytes as queued
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < Count; ++i) MIDI_SendSysEx(Param_Bytes(i % 59, i % 128));
    EXPECT_LT(t.elapsed(), 5000);
    const auto got = Receive(synth->in, Count, 5000);
    ASSERT_EQ(got.size(), static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i)
        ASSERT_EQ(got[i], Param_Bytes(i % 59, i % 128)) << "message " << i;
    EXPECT_TRUE(boxes.calls.empty()) << boxes.texts().join(" | ").toStdString();
}

// Device -1 is a port named after the client that anyone may connect to.
TEST_F(MidiE2E, DefaultDestinationIsAVirtualPortOthersCanConnectTo) {
    MIDI_Out_Close_All();
    MIDI_Enabled = 1;
    MIDI_Out_Port.Dev_Index = -1;
    MIDI_Out_Open();
    ASSERT_NE(MIDI_Out_Port.Handle, -1);

    RtMidiIn listener(RtMidi::UNIX_JACK, Unique_Name("listener"));
    listener.ignoreTypes(false, false, false);
    const std::string wanted = hostName + ":" + hostName;
    unsigned found = listener.getPortCount();
    for (unsigned i = 0; i < listener.getPortCount(); ++i)
        if (listener.getPortName(i) == wanted) found = i;
    ASSERT_LT(found, listener.getPortCount()) << wanted << " not listed";
    listener.openPort(found, "in");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));

    MIDI_SendNote(64, 90);
    MIDI_SendSysEx(Param_Bytes(28, 127));
    const auto got = Receive(listener, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(Hex_Of(got[0]), "90 40 5A");
    EXPECT_EQ(Hex_Of(got[1]), "F0 41 36 00 21 20 01 1C 7F F7");
    EXPECT_TRUE(boxes.calls.empty());
}

// A server of its own, so that stopping it leaves the shared one alone.
class MidiServerGone : public MidiE2E {
  protected:
    void SetUp() override {
        const char* old = std::getenv("JACK_DEFAULT_SERVER");
        if (old) oldServer = old;
        server = std::make_unique<JackServer>(Unique_Name("server"));
        if (!server->start()) GTEST_SKIP() << "jackd could not be started";
        setenv("JACK_DEFAULT_SERVER", server->name().c_str(), 1);
        Start_With_Synth();
    }
    void TearDown() override {
        MidiE2E::TearDown();
        server.reset();
        if (oldServer.empty())
            unsetenv("JACK_DEFAULT_SERVER");
        else
            setenv("JACK_DEFAULT_SERVER", oldServer.c_str(), 1);
    }
    std::string oldServer;
    std::unique_ptr<JackServer> server;
};

TEST_F(MidiServerGone, SendingAfterTheServerStoppedReportsAndTurnsMidiOff) {
    MIDI_SendNote(60, 100);
    ASSERT_EQ(Receive(synth->in, 1).size(), 1u);

    server->stop();
    QElapsedTimer t;
    t.start();
    // The shutdown notice comes on JACK's thread; until it is in, sends still look fine.
    while (MIDI_Enabled == 1 && t.elapsed() < 3000) {
        Tone_Send();
        if (!boxes.calls.empty()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "OutPreparerHeader\r\nThe MIDI system is not running.");
    EXPECT_EQ(MIDI_Enabled, 1); // a long message's trouble does not switch MIDI off

    boxes.clear();
    MIDI_SendNote(60, 0);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "MIDI_SendNote*: (3) The MIDI system is not running.");
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);

    boxes.clear();
    MIDI_SendNote(60, 100);
    Tone_Send();
    MIDI_AllNotesOff();
    EXPECT_TRUE(boxes.calls.empty());

    // Letting the host go must not wait on the dead server.
    t.restart();
    MIDI_Out_Close_All();
    Set_Midi_Host(std::make_unique<FakeMidiHost>());
    EXPECT_LT(t.elapsed(), 500);
}

// A server that stops running cycles (frozen, not gone) must not freeze the
// program once the output ring is full.
TEST_F(MidiServerGone, StalledServerMakesTheSendFailInsteadOfHanging) {
    Synth_Type = "JX-8P";
    Set_Synth();
    MIDI_SendNote(60, 100); // the port is open before the server freezes
    ASSERT_EQ(Receive(synth->in, 1).size(), 1u);
    ASSERT_EQ(kill(server->pid(), SIGSTOP), 0);
    // Whatever happens below, the server runs again in the end.
    struct Resume {
        pid_t pid;
        std::atomic<bool> done{false};
        std::thread thread{[this] {
            const auto until = Clock::now() + std::chrono::seconds(8);
            while (!done && Clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            kill(pid, SIGCONT);
        }};
        ~Resume() {
            done = true;
            thread.join();
        }
    } resume{server->pid()};
    QElapsedTimer t;
    t.start();
    int sent = 0;
    while (boxes.calls.empty() && sent < 3000) {
        MIDI_SendSysEx(Param_Bytes(sent % 59, 1));
        ++sent;
    }
    qDebug() << "stalled after" << sent << "messages," << t.elapsed() << "ms";
    ASSERT_EQ(boxes.texts().join("|").toStdString(), "OutPreparerHeader\r\nThe MIDI port is busy.");
    EXPECT_LT(sent, 3000);
    EXPECT_LT(t.elapsed(), 2500);

    boxes.clear();
    t.restart();
    MIDI_SendNote(60, 100);
    EXPECT_EQ(boxes.texts().join("|").toStdString(), "MIDI_SendNote*: (67) The MIDI port is busy.");
    EXPECT_EQ(MIDI_Enabled, 0);
    MIDI_Out_Close_All();
    qDebug() << "closed after" << t.elapsed() << "ms";
    EXPECT_LT(t.elapsed(), 1000);
}

TEST_F(MidiServerGone, OpeningAfterTheServerStoppedReportsOnce) {
    MIDI_Out_Close_All();
    server->stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    MIDI_Enabled = 1;
    MIDI_SendNote(60, 100);
    ASSERT_GE(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "MIDI_Out_Open*: (3) The MIDI system is not running.");
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
}
} // namespace
