#include "platform/rtmidi_host.h"
#include <cstdlib>
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
