#include "platform/midi_system.h"
#include "platform/rtmidi_host.h"
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

// With neither ALSA nor a JACK server there is nothing to list and nothing
// to open, and nothing may throw.
TEST(RtMidiHost, NoMidiSystemGivesNoDevicesAndRefusesToOpen) {
    if (RtMidiHost probe("quorlen-probe"); probe.api() == RtMidi::LINUX_ALSA)
        GTEST_SKIP() << "an ALSA sequencer is present here";
    const char* old = std::getenv("JACK_DEFAULT_SERVER");
    const std::string saved = old ? old : "";
    setenv("JACK_DEFAULT_SERVER", "quorlen-no-such-server", 1);
    RtMidiHost host("quorlen-test");
    EXPECT_EQ(host.outCount(), 0);
    EXPECT_EQ(host.inCount(), 0);
    MidiHandle h = -1;
    EXPECT_EQ(host.outOpen(-1, h), MidiResult::NoDriver);
    EXPECT_EQ(host.outShortMsg(h, 0x90), MidiResult::InvalidHandle);
    if (old)
        setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1);
    else
        unsetenv("JACK_DEFAULT_SERVER");
}

// The program's own host on such a machine: the MIDI module is not even
// loaded, and the program sees what the host over RtMidi would show. A JACK
// server of some other name running here does not count.
TEST(RtMidiHost, ProgramHostWithoutMidiSystemHasNoDevices) {
    if (Alsa_Sequencer_Present()) GTEST_SKIP() << "an ALSA sequencer is present here";
    const char* old = std::getenv("JACK_DEFAULT_SERVER");
    const std::string saved = old ? old : "";
    setenv("JACK_DEFAULT_SERVER", "quorlen-no-such-server", 1);
    ASSERT_FALSE(Jack_Server_Listening());
    Set_Midi_Host(nullptr);
    MidiHost& host = Midi_Host();
    EXPECT_EQ(host.outCount(), 0);
    EXPECT_EQ(host.inCount(), 0);
    MidiHandle h = -1;
    EXPECT_EQ(host.outOpen(-1, h), MidiResult::NoDriver);
    EXPECT_EQ(host.outLongMsg(h, "\xF0\xF7"), MidiResult::InvalidHandle);
    QString text;
    EXPECT_TRUE(host.errorText(MidiResult::NoDriver, text));
    EXPECT_FALSE(text.isEmpty());
    Set_Midi_Host(nullptr);
    if (old)
        setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1);
    else
        unsetenv("JACK_DEFAULT_SERVER");
}

// The module the build makes loads on its own (it calls nothing of the
// program), and a file that is no module gives the loader's reason.
TEST(RtMidiHost, ModuleLoadsAndABrokenOneSaysWhy) {
    QString error;
    std::unique_ptr<MidiHost> host = Load_Midi_Module(QUORLEN_MODULE_FILE, error);
    ASSERT_TRUE(host) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());

    QTemporaryDir dir;
    const QString junk = dir.filePath("libquorlen_rtmidi.so");
    std::ofstream(junk.toStdString()) << "not a module";
    EXPECT_FALSE(Load_Midi_Module(junk, error));
    EXPECT_TRUE(error.contains(junk)) << error.toStdString();
    EXPECT_FALSE(Load_Midi_Module(dir.filePath("missing.so"), error));
    EXPECT_TRUE(error.contains("missing.so")) << error.toStdString();
}
