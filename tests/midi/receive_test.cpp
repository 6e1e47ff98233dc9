// The receive path: the mode never starts without an input port, and the
// routines behind it do what their callers rely on.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/receive.h"
#include "sequencer/sequence.h"
#include "support/fixture.h"
#include <QAction>

namespace {
class ReceiveTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\n");
        Start_Program();
        boxes.clear();
        midi.events.clear();
    }
    // A whole tone dump: seven header bytes, the 59 tone bytes, F7.
    static std::string dump(const char* name) {
        std::string s = Bytes("F0 41 35 00 21 20 01");
        for (int i = 0; i < 10; ++i) s.push_back(name[i]);
        for (int i = 10; i < 59; ++i) s.push_back(static_cast<char>(i));
        s.push_back(static_cast<char>(0xF7));
        return s;
    }
};
} // namespace

TEST_F(ReceiveTest, ToggleWithoutAnInputPortChangesNothing) {
    for (int autosend : {0, 1}) {
        AutoSend_On = static_cast<std::uint8_t>(autosend);
        const auto tone = Tone_Data;
        MIDI_Receive_Toggle();
        EXPECT_EQ(MIDI_Receiving, 0);
        EXPECT_EQ(AutoSend_On, autosend);
        EXPECT_EQ(MIDI_In_Port.Handle, -1);
        EXPECT_TRUE(Quorlen::get().Menu_File->isEnabled());
        EXPECT_EQ(Tone_Data, tone);
    }
    EXPECT_TRUE(midi.events.empty());
    EXPECT_TRUE(boxes.calls.empty());
    // Closing an input that was never opened does nothing, so a loop on it ends at once.
    MIDI_In_Close();
    EXPECT_EQ(MIDI_In_Port.Handle, -1);
}

TEST_F(ReceiveTest, NotifyWithEmptyBuffersDoesNothing) {
    const auto tone = Tone_Data;
    MIDI_In_Notify();
    EXPECT_EQ(Tone_Data, tone);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ReceiveTest, AWholeDumpReplacesTheToneAndEndsReceiving) {
    // As receive mode would have left things had a port been open.
    MIDI_Receiving = 1;
    AutoSend_Saved = 1;
    AutoSend_On = 0;
    Seq_Loaded = 255;
    // One byte more is no whole dump: the bytes are taken, receiving goes on.
    MIDI_In_Buf1 = dump("STRINGS 1 ") + '\xF7';
    MIDI_In_Notify();
    EXPECT_EQ(Tone_Data[0], 'S');
    EXPECT_EQ(MIDI_Receiving, 1);
    // The main window's hidden notify control hands the buffers on.
    Tone_Data[0] = 0;
    MIDI_In_Buf1 = dump("STRINGS 1 ");
    Quorlen& m = Quorlen::get();
    EXPECT_TRUE(m.MidiNotifyControl->isHidden());
    EXPECT_EQ(m.MidiNotifyControl->text(), "MidiNotifyControl (invisible)");
    m.MidiNotifyControl->Set_Caption("1");
    EXPECT_TRUE(MIDI_In_Buf1.empty());
    EXPECT_EQ(Tone_Data[0], 'S');
    EXPECT_EQ(Tone_Data[58], 58);
    EXPECT_EQ(Editor::get().Tone_Name->text(), "STRINGS 1");
    EXPECT_EQ(MIDI_Receiving, 0);
    EXPECT_EQ(AutoSend_On, 1);
    EXPECT_EQ(Editor::get().ED_Seq_Start->Picture().cacheKey(), m.Button_Up3D.cacheKey());
    EXPECT_EQ(Editor::get().ED_Seq_Start_Pic->Picture().cacheKey(), m.Start_Enabled.cacheKey());
    EXPECT_TRUE(m.Menu_Tone->isEnabled());
}

TEST_F(ReceiveTest, AShortMessageFillsOnlyItsBytesAndKeepsWaiting) {
    MIDI_Receiving = 1;
    Tone_Data.fill(7);
    std::string part = dump("ABCDEFGHIJ").substr(0, 12); // header and five name bytes
    MIDI_In_Buf2 = part;
    MIDI_In_Notify();
    EXPECT_EQ(Tone_Data[0], 'A');
    EXPECT_EQ(Tone_Data[4], 'E');
    EXPECT_EQ(Tone_Data[5], 7);
    EXPECT_EQ(MIDI_Receiving, 1);
    EXPECT_TRUE(MIDI_In_Buf2.empty());
    // The stop button's call ends it, with nothing loaded: the disabled looks.
    Seq_Loaded = 0;
    MIDI_Receive_Toggle();
    EXPECT_EQ(MIDI_Receiving, 0);
    EXPECT_EQ(Editor::get().ED_Seq_Stop_Pic->Picture().cacheKey(),
              Quorlen::get().Stop_Disabled.cacheKey());
}

TEST_F(ReceiveTest, InputErrorsNameTheirPlace) {
    MIDI_In_ShowError(0, "vbMidiInClose");
    EXPECT_TRUE(boxes.calls.empty());
    MIDI_In_ShowError(2, "vbMidiInClose");
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("vbMidiInClose: "));
}
