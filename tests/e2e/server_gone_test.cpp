// The JACK server going away, or freezing, while the output is open. Each
// test starts and stops a server of its own, so these run in a program of
// their own once the other e2e tests' server has stopped.
#include "e2e_support.h"
#include "midi/midi_setup.h"
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>

namespace {
// A server of its own, started after the shared one of the other e2e tests
// stopped, under the same name.
class MidiServerGone : public MidiE2E {
  protected:
    void SetUp() override {
        const char* name = std::getenv("JACK_DEFAULT_SERVER");
        if (!name) FAIL() << "JACK_DEFAULT_SERVER is not set";
        server = std::make_unique<JackServer>(name);
        ASSERT_TRUE(server->start()) << "jackd " << name << " did not start";
        Start_With_Synth();
    }
    void TearDown() override {
        MidiE2E::TearDown();
        server.reset();
    }
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

    // Letting the host go must not wait on the dead server (a guard against a
    // hang, far above the few milliseconds it takes).
    t.restart();
    MIDI_Out_Close_All();
    Set_Midi_Host(std::make_unique<FakeMidiHost>());
    EXPECT_LT(t.elapsed(), 5000);
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
    EXPECT_LT(t.elapsed(), 10000) << "a hang, not a slow send";

    boxes.clear();
    t.restart();
    MIDI_SendNote(60, 100);
    EXPECT_EQ(boxes.texts().join("|").toStdString(), "MIDI_SendNote*: (67) The MIDI port is busy.");
    EXPECT_EQ(MIDI_Enabled, 0);
    MIDI_Out_Close_All();
    qDebug() << "closed after" << t.elapsed() << "ms";
    EXPECT_LT(t.elapsed(), 5000) << "a hang, not a slow close";
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

// An output left open across the server's death stays on the dead server,
// also once a new one runs: each system-exclusive send reports and MIDI stays
// on, until the port is closed; the close itself reports and turns MIDI off.
TEST_F(MidiServerGone, PortOpenAcrossTheDeathReportsEachLongSendUntilClosed) {
    Synth_Type = "JX-8P";
    Set_Synth();
    MIDI_SendNote(60, 100);
    ASSERT_EQ(Receive(synth->in, 1).size(), 1u);
    const std::string in = synth->inClient, out = synth->outClient;
    synth.reset();
    server->stop();
    const QString dead = "OutPreparerHeader\r\nThe MIDI system is not running.";
    QElapsedTimer t;
    t.start();
    while (boxes.calls.empty() && t.elapsed() < 3000) {
        MIDI_SendSysEx(Param_Bytes(28, 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(boxes.texts(), QStringList{dead});

    ASSERT_TRUE(server->start());
    synth = std::make_unique<Synth>(in, out);
    for (int round = 0; round < 2; ++round) {
        boxes.clear();
        MIDI_SendSysEx(Param_Bytes(28, 2));
        EXPECT_EQ(boxes.texts(), QStringList{dead}) << "round " << round;
        EXPECT_EQ(MIDI_Enabled, 1);
        EXPECT_NE(MIDI_Out_Port.Handle, -1);
    }
    EXPECT_TRUE(Receive(synth->in, 1, 300).empty());

    boxes.clear();
    Quorlen::get().Menu_MIDI_CloseOutput_Click();
    EXPECT_EQ(boxes.texts(), QStringList{"MIDI_Put*: (3) The MIDI system is not running."});
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);

    // Turned on again, the output joins the server that runs now.
    MIDI_Enabled = 1;
    boxes.clear();
    MIDI_SendSysEx(Param_Bytes(28, 3));
    EXPECT_TRUE(boxes.calls.empty()) << boxes.texts().join(" | ").toStdString();
    const auto got = Receive(synth->in, 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(Hex_Of(got[0]), "F0 41 36 00 21 20 01 1C 03 F7");
}

// A server killed under the running program, and a server started again:
// turning MIDI on in the setup dialog reaches the new one without a restart.
TEST_F(MidiServerGone, ServerStartedAgainIsReachedWithoutARestart) {
    const QStringList outs = [] {
        QStringList names;
        for (const MIDI_Caps& c : MIDI_Out_Caps) names << c.szPname;
        return names;
    }();
    MIDI_SendNote(60, 100);
    ASSERT_EQ(Receive(synth->in, 1).size(), 1u);

    ASSERT_EQ(kill(server->pid(), SIGKILL), 0);
    QElapsedTimer t;
    t.start();
    while (MIDI_Enabled == 1 && t.elapsed() < 3000) {
        MIDI_SendNote(60, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(boxes.texts().join("|").toStdString(),
              "MIDI_SendNote*: (3) The MIDI system is not running.");
    ASSERT_EQ(MIDI_Enabled, 0);

    // The instrument's ports come back under their names with the server.
    const std::string in = synth->inClient, out = synth->outClient;
    synth.reset();
    ASSERT_TRUE(server->start());
    synth = std::make_unique<Synth>(in, out);
    boxes.clear();

    Quorlen::get().Menu_MIDI_Setup_Click();
    MIDI_Setup& d = MIDI_Setup::get();
    QStringList listed;
    for (int i = 0; i < d.Output_Devices->count(); ++i) listed << d.Output_Devices->itemText(i);
    EXPECT_EQ(listed, outs) << "the list taken at start-up";
    EXPECT_EQ(d.Output_Devices->currentText().toStdString(), synth->In_Port());
    d.Enable->click();
    EXPECT_TRUE(d.Output_Devices->isEnabled());
    d.Cmd_OK->click();
    QCoreApplication::processEvents();
    boxes.clear(); // the reminder about system exclusive
    ASSERT_EQ(MIDI_Enabled, 1);

    Synth_Type = "JX-8P";
    Set_Synth();
    MIDI_SendNote(62, 100);
    MIDI_SendSysEx(Param_Bytes(28, 127));
    EXPECT_TRUE(boxes.calls.empty()) << boxes.texts().join(" | ").toStdString();
    const auto got = Receive(synth->in, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(Hex_Of(got[0]), "90 3E 64");
    EXPECT_EQ(Hex_Of(got[1]), "F0 41 36 00 21 20 01 1C 7F F7");

    // Closed and opened again on the new server: still delivered.
    MIDI_Out_Close_All();
    MIDI_SendNote(64, 100);
    const auto again = Receive(synth->in, 2);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(Hex_Of(again[1]), "90 40 64");
}
} // namespace
