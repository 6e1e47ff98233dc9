// The program's MIDI output through a real JACK server: what leaves the
// port layer must arrive byte for byte at another client's input port.
#include "e2e_support.h"

namespace {
// The program's own host, as it starts without a test's: with a server
// running it loads the MIDI module and lists the server's ports.
TEST_F(MidiE2E, ProgramHostLoadsTheMidiModuleAndListsTheServersPorts) {
    MIDI_Out_Close_All();
    Set_Midi_Host(nullptr);
    MidiHost& host = Midi_Host();
    QStringList names;
    for (int i = 0; i < host.outCount(); ++i) names << host.outName(i);
    EXPECT_TRUE(names.contains(QString::fromStdString(synth->In_Port())))
        << names.join(", ").toStdString();
}

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
    EXPECT_LT(t.elapsed(), 20000) << "the sender froze";
    const auto got = Receive(synth->in, Count, 10000);
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
    Cycles cycles;
    ASSERT_TRUE(cycles.client);
    listener.openPort(found, "in");
    ASSERT_TRUE(cycles.Await_Three());

    MIDI_SendNote(64, 90);
    MIDI_SendSysEx(Param_Bytes(28, 127));
    const auto got = Receive(listener, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(Hex_Of(got[0]), "90 40 5A");
    EXPECT_EQ(Hex_Of(got[1]), "F0 41 36 00 21 20 01 1C 7F F7");
    EXPECT_TRUE(boxes.calls.empty());
}
} // namespace
