#include "app/settings.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include "support/fixture.h"

using Kind = FakeMidiHost::Event::Kind;

class MidiPortTest : public ProgramTest {
  protected:
    MidiPortTest() { INI_File = folder.filePath("Quorlen.INI"); }

    // The port layer as start-up leaves it with one configured output.
    void Ready() {
        Write_Settings("[MIDI]\r\nOutput=Synth Out\r\nInput=Synth In\r\n");
        MIDI_Init();
        boxes.clear();
        midi.events.clear();
    }
};

TEST_F(MidiPortTest, ChannelKeyIsReadAsAWholeNumberFrom1To16) {
    const std::pair<const char*, int> cases[] = {{"0", 1},   {"17", 1},  {"abc", 1}, {"-3", 3},
                                                 {"16", 16}, {"2.5", 2}, {"3.5", 4}, {"", 1}};
    for (auto [value, want] : cases) {
        Write_Settings(
            QString("[midi]\r\nCHANNEL=%1\r\nOutput=Synth Out\r\nInput=Synth In\r\n").arg(value));
        MIDI_Channel = 9;
        Seq_Status = 0;
        MIDI_ReadConfig();
        EXPECT_EQ(MIDI_Channel, want) << value;
        // The audition key plays step notes before any start has set the status.
        EXPECT_EQ(Seq_Status, 0x8F + want) << value;
    }
}

TEST_F(MidiPortTest, NoDevicesAtAllShowsTwoBoxesAndReadsNoConfiguration) {
    midi.outs.clear();
    midi.ins.clear();
    AutoSend_On = 1;
    MIDI_Init();
    EXPECT_EQ(boxes.texts(),
              QStringList({"No MIDI output device installed. MIDI functions disabled",
                           "No MIDI input device installed. MIDI functions disabled"}));
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_EQ(AutoSend_On, 0);
    EXPECT_EQ(MIDI_Setup_Needed, 0);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
}

TEST_F(MidiPortTest, MissingOrUnknownDevicesAskForTheSetup) {
    midi.ins.clear();
    Write_Settings("[MIDI]\r\nOutput=synth out\r\n"); // differs only in case
    MIDI_Init();
    EXPECT_EQ(MIDI_Enabled, 1);
    EXPECT_EQ(boxes.texts(),
              QStringList({"No MIDI input device installed. MIDI functions disabled",
                           "MIDI output device (synth out) not available - starting MIDI setup.",
                           "MIDI input device not configured - starting MIDI setup."}));
    EXPECT_EQ(MIDI_Setup_Needed, 1);

    boxes.clear();
    MIDI_Setup_Needed = 0;
    Write_Settings("[MIDI]\r\nInput=Synth In\r\n");
    midi.ins = {"Synth In"};
    MIDI_Init();
    EXPECT_EQ(boxes.texts(),
              QStringList({"MIDI output device not configured - starting MIDI setup."}));
    EXPECT_EQ(MIDI_Setup_Needed, 1);
}

TEST_F(MidiPortTest, ConfiguredDevicesAreFoundByTheirWholeName) {
    midi.outs = {"Midi Through:Midi Through Port-0 14:0", "UM-ONE:UM-ONE MIDI 1 20:0"};
    Write_Settings("[MIDI]\r\nOUTPUT=UM-ONE:UM-ONE MIDI 1 20:0\r\ninput=Synth In\r\n");
    MIDI_Init();
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(MIDI_Out_Port.Dev_Index, 1);
    EXPECT_EQ(MIDI_Out_Port.Dev_Name, "UM-ONE:UM-ONE MIDI 1 20:0");
    EXPECT_EQ(MIDI_Out_FindDevice("  UM-ONE:UM-ONE MIDI 1 20:0 "), 1);
    EXPECT_EQ(MIDI_In_FindDevice("nothing"), -1);
    EXPECT_EQ(StripNull(QString::fromLatin1("Name\0rest", 9)), "Name");
    EXPECT_EQ(StripNull(QString::fromLatin1("\0x", 2)), "");
}

TEST_F(MidiPortTest, PortOpensLazilyOnceAndMessagesArePacked) {
    Ready();
    MIDI_Channel = 16;
    MIDI_SendNote(60, 100);
    MIDI_SendNote(60, 0);
    MIDI_AllNotesOff();
    EXPECT_EQ(midi.count(Kind::Open), 1);
    ASSERT_EQ(midi.sent().size(), 3u);
    EXPECT_EQ(Hex_Of(midi.sent()[0]), "9F 3C 64");
    EXPECT_EQ(Hex_Of(midi.sent()[1]), "9F 3C 00");
    EXPECT_EQ(Hex_Of(midi.sent()[2]), "BF 7B 00");

    Seq_Status = 0x9F;
    Seq_SendAllNotesOff();
    EXPECT_EQ(Seq_Status, 0x9F);
    Seq_SendNote(48, 127);
    EXPECT_EQ(Hex_Of(midi.sent()[3]), "BF 7B 00");
    EXPECT_EQ(Hex_Of(midi.sent()[4]), "9F 30 7F");
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(MidiPortTest, SysExGoesOutAsOneLongMessageBetweenPrepareAndUnprepare) {
    Ready();
    const std::string msg = Bytes("F0 41 36 00 21 20 01 1C 7F F7");
    MIDI_SendSysEx(msg);
    ASSERT_EQ(midi.events.size(), 4u);
    EXPECT_EQ(midi.events[0].kind, Kind::Open);
    EXPECT_EQ(midi.events[1].kind, Kind::Prepare);
    EXPECT_EQ(midi.events[2].kind, Kind::Long);
    EXPECT_EQ(midi.events[3].kind, Kind::Unprepare);
    EXPECT_EQ(midi.events[2].bytes, msg);
    EXPECT_EQ(MIDI_Out_Hdr.lpData, msg) << "the bytes outlive the send";
    EXPECT_EQ(MIDI_Out_Hdr.dwBufferLength, 10u);

    midi.events.clear();
    MIDI_Enabled = 0;
    MIDI_SendSysEx(msg);
    MIDI_SendNote(1, 1);
    EXPECT_TRUE(midi.events.empty());
}

TEST_F(MidiPortTest, AllNotesOffIsBuiltEvenWithMidiDisabled) {
    MIDI_Enabled = 0;
    MIDI_Channel = 5;
    SysEx_Str.clear();
    MIDI_AllNotesOff();
    EXPECT_EQ(Hex_Of(SysEx_Str), "B4 7B 00");
    EXPECT_TRUE(midi.events.empty());
}

TEST_F(MidiPortTest, FailedOpenReportsAndTurnsMidiOff) {
    Ready();
    midi.results[Kind::Open] = {4};
    QString text;
    midi.errorText(4, text);
    MIDI_SendSysEx(Bytes("F0 F7"));
    // The send goes on with the closed port, as the prepare box tells.
    EXPECT_EQ(boxes.texts(),
              QStringList({"MIDI_Out_Open*: (4) " + text, "OutPreparerHeader\r\n" + [&] {
                               QString t;
                               midi.errorText(MidiResult::InvalidHandle, t);
                               return t;
                           }()}));
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);

    boxes.clear();
    midi.events.clear();
    MIDI_SendNote(60, 1);
    MIDI_AllNotesOff();
    EXPECT_TRUE(midi.events.empty());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(MidiPortTest, UnknownCodesReadUnknownError) {
    Ready();
    midi.results[Kind::Open] = {999};
    MIDI_Out_Open();
    EXPECT_EQ(boxes.texts(), QStringList({"MIDI_Out_Open*: (999) Unknown error"}));
}

TEST_F(MidiPortTest, PrepareFailureIsReportedButTheSendGoesOn) {
    Ready();
    midi.results[Kind::Prepare] = {MidiResult::NoMemory};
    MIDI_SendSysEx(Bytes("F0 F7"));
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("OutPreparerHeader\r\n"));
    EXPECT_EQ(midi.count(Kind::Long), 1);
    EXPECT_EQ(MIDI_Enabled, 1);
}

TEST_F(MidiPortTest, AFailingSendClosesThePortAfterOneReport) {
    Ready();
    MIDI_SendNote(60, 100);
    // Every further short message fails, the all-notes-off of the close included.
    midi.results[Kind::Short] = {MidiResult::Error, MidiResult::Error, MidiResult::Error};
    MIDI_SendNote(60, 0);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("MIDI_SendNote*: (1) "));
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_EQ(midi.opened, 0);

    // A negative code is told but keeps the port and MIDI on.
    midi.results.clear();
    MIDI_Enabled = 1;
    MIDI_SendNote(60, 100);
    boxes.clear();
    midi.results[Kind::Short] = {-2};
    MIDI_SendNote(60, 0);
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_NE(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(MIDI_Enabled, 1);
}

TEST_F(MidiPortTest, SeqNoteOnAClosedPortIsAnInvalidHandle) {
    Ready();
    Seq_SendNote(60, 100);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("Seq_SendNote*: (5) "));
    EXPECT_EQ(MIDI_Enabled, 0);
}

TEST_F(MidiPortTest, CloseRetriesWhileStillPlayingAndAlwaysEnds) {
    Ready();
    MIDI_Out_Open();
    midi.results[Kind::Close] = {65, 65, 65};
    MIDI_Out_Close();
    EXPECT_EQ(midi.count(Kind::Close), 4);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(midi.opened, 0);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Hex_Of(midi.sent().back()), "B0 7B 00");

    // A port that never stops playing is given up, with a report.
    MIDI_Out_Open();
    midi.results[Kind::Close] = std::deque<int>(10000, 65);
    MIDI_Out_Close_All();
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("MIDI_Out_Close*: (65) "));
}

TEST_F(MidiPortTest, AnOpenPortClosesEvenWithMidiDisabled) {
    Ready();
    MIDI_Out_Open();
    MIDI_Enabled = 0; // e.g. switched off in the setup while the port was open
    MIDI_Out_Close_All();
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(midi.opened, 0);
}

TEST_F(MidiPortTest, CloseFailureIsReportedOnce) {
    Ready();
    MIDI_Out_Open();
    midi.results[Kind::Close] = {MidiResult::Error};
    MIDI_Out_Close_All();
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("MIDI_Out_Close*: (1) "));
    EXPECT_EQ(MIDI_Enabled, 0);
}

TEST(ShortMessages, WireLengthFollowsTheStatus) {
    EXPECT_EQ(Short_Msg_Length(0x90), 3);
    EXPECT_EQ(Short_Msg_Length(0xB0), 3);
    EXPECT_EQ(Short_Msg_Length(0xC5), 2);
    EXPECT_EQ(Short_Msg_Length(0xD0), 2);
    EXPECT_EQ(Short_Msg_Length(0xF8), 1);
}
