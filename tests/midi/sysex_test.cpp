#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "support/fixture.h"

TEST(HexToStr, ReadsTokensOfOneOrTwoDigits) {
    EXPECT_EQ(Hex_Of(Hex_To_Str("F0 41 35 0 21 20 01 ")), "F0 41 35 00 21 20 01");
    EXPECT_EQ(Hex_Of(Hex_To_Str("7F 5 ")), "7F 05");
    EXPECT_EQ(Hex_Of(Hex_To_Str("7F 5")), "7F"); // a lone last character is not read
    EXPECT_EQ(Hex_Of(Hex_To_Str("G1 ")), "00");
    EXPECT_EQ(Hex_Of(Hex_To_Str("1G ")), "01"); // reading stops at the first non-digit
    EXPECT_EQ(Hex_Of(Hex_To_Str("247 ")), "24 07");
    EXPECT_EQ(Hex_Of(Hex_To_Str("f7 ab")), "F7 AB");
    EXPECT_EQ(Hex_To_Str(""), "");
    EXPECT_EQ(Hex_To_Str("F"), "");
}

TEST(Hex, WritesUpperCaseWithoutLeadingZeros) {
    EXPECT_EQ(Hex(0), "0");
    EXPECT_EQ(Hex(5), "5");
    EXPECT_EQ(Hex(33), "21");
    EXPECT_EQ(Hex(247), "F7");
}

class SysExTest : public ProgramTest {
  protected:
    void Synth(const char* synth, int channel) {
        Start_Program(); // its start-up reads the channel from the settings
        Synth_Type = synth;
        MIDI_Channel = static_cast<std::uint8_t>(channel);
        Set_Synth();
    }
    static std::string B(const std::string& text) { return Hex_Of(Hex_To_Str(text)); }
};

TEST_F(SysExTest, HeadersFollowSynthesizerAndChannel) {
    Synth("JX-8P", 1);
    EXPECT_EQ(B(Hdr_Tone_APR), "F0 41 35 00 21 20 01");
    EXPECT_EQ(B(Hdr_Tone_IPR), "F0 41 36 00 21 20 01");
    EXPECT_EQ(B(Hdr_Patch_APR), "F0 41 35 00 21 30 01");
    EXPECT_EQ(B(Hdr_Patch_IPR), "F0 41 36 00 21 30 01");
    EXPECT_EQ(Hdr_ToneB_APR, ""); // never built for the JX-8P

    Synth("mks-70", 16);
    EXPECT_EQ(B(Hdr_Tone_APR), "F0 41 35 0F 24 20 01");
    EXPECT_EQ(B(Hdr_Tone_IPR), "F0 41 36 0F 24 20 01");
    EXPECT_EQ(B(Hdr_ToneB_APR), "F0 41 35 0F 24 20 02");
    EXPECT_EQ(B(Hdr_ToneB_IPR), "F0 41 36 0F 24 20 02");
    EXPECT_EQ(B(Hdr_Patch_APR), "F0 41 35 0F 24 30 01");
    EXPECT_EQ(B(Hdr_Patch_IPR), "F0 41 36 0F 24 30 01");

    Synth("Alpha Juno", 16);
    EXPECT_EQ(B(Hdr_Tone_APR), "F0 41 35 0F 23 20 01");
    EXPECT_EQ(B(Hdr_Tone_IPR), "F0 41 36 0F 23 20 01");
    EXPECT_EQ(Hdr_Patch_APR, "");
    EXPECT_EQ(Hdr_Patch_IPR, "");
    EXPECT_EQ(B(Hdr_ToneB_APR), "F0 41 35 0F 24 20 02"); // left from the MKS-70

    Synth("JX-8P", 3);
    EXPECT_EQ(B(Hdr_Patch_IPR), "F0 41 36 02 21 30 01");
    EXPECT_EQ(B(Hdr_ToneB_IPR), "F0 41 36 0F 24 20 02");

    const std::string before = Hdr_Tone_APR;
    Synth("JX-3P", 9); // unknown: nothing changes
    EXPECT_EQ(Hdr_Tone_APR, before);
}

TEST_F(SysExTest, SingleParameterMessage) {
    Synth("JX-8P", 1);
    EXPECT_EQ(B(Param_Msg_Text(Hdr_Tone_IPR, 28, 127)), "F0 41 36 00 21 20 01 1C 7F F7");
    Synth("MKS-70", 16);
    EXPECT_EQ(B(Param_Msg_Text(Hdr_Tone_IPR, 0, 0)), "F0 41 36 0F 24 20 01 00 00 F7");
}

TEST_F(SysExTest, Jx8pFileImageAlwaysCarriesFormat21) {
    for (const char* synth : {"JX-8P", "MKS-70"}) {
        Synth(synth, 16);
        Tone_New();
        for (int i = 11; i < 59; ++i) Tone_Data[i] = static_cast<std::uint8_t>(i + 60);
        for (int i = 0; i < 7; ++i) Patch_Data[i] = static_cast<std::uint8_t>(100 + i);
        const std::string apr = Hdr_Tone_APR;
        ASSERT_EQ(Tone_To_SysEx(), 89);
        EXPECT_EQ(SysEx_Buf[0], 0xF0);
        EXPECT_EQ(SysEx_Buf[3], 0x0F);
        EXPECT_EQ(SysEx_Buf[4], 0x21) << synth;
        EXPECT_EQ(SysEx_Buf[7], 32);
        EXPECT_EQ(SysEx_Buf[7 + 58], 58 + 60);
        EXPECT_EQ(SysEx_Buf[66], 0xF7);
        EXPECT_EQ(SysEx_Buf[67], 0xF0);
        EXPECT_EQ(SysEx_Buf[70], 0x0F);
        EXPECT_EQ(SysEx_Buf[71], 0x21);
        EXPECT_EQ(SysEx_Buf[72], 0x30);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(SysEx_Buf[74 + 2 * i], i);
            EXPECT_EQ(SysEx_Buf[75 + 2 * i], 100 + i);
        }
        EXPECT_EQ(SysEx_Buf[88], 0xF7);
        EXPECT_EQ(Hdr_Tone_APR, apr) << "headers of the chosen synthesizer are back";
    }
}

TEST_F(SysExTest, SendImagesUseTheCurrentHeaders) {
    Synth("MKS-70", 2);
    Tone_New();
    Tone_To_SysEx_Str();
    ASSERT_EQ(SysEx_Str.size(), 89u);
    EXPECT_EQ(Hex_Of(SysEx_Str.substr(0, 7)), "F0 41 35 01 24 20 01");
    EXPECT_EQ(Hex_Of(SysEx_Str.substr(67, 7)), "F0 41 36 01 24 30 01");

    Synth("Alpha Juno", 1);
    Tone_New();
    Juno_Tone[0] = 127;
    Juno_Tone[48] = 5;
    Tone_To_SysEx_Str();
    ASSERT_EQ(SysEx_Str.size(), 57u);
    EXPECT_EQ(Hex_Of(SysEx_Str.substr(0, 8)), "F0 41 35 00 23 20 01 7F");
    EXPECT_EQ(static_cast<std::uint8_t>(SysEx_Str[7 + 36]), 39); // "n"
    EXPECT_EQ(static_cast<std::uint8_t>(SysEx_Str[55]), 5);
    EXPECT_EQ(static_cast<std::uint8_t>(SysEx_Str[56]), 0xF7);
    EXPECT_EQ(Tone_To_SysEx(), 57);
    EXPECT_EQ(SysEx_Buf[56], 0xF7);
}

TEST_F(SysExTest, ToneSendGoesOutOnlyWithMidiEnabled) {
    Start_Program();
    midi.events.clear();
    MIDI_Enabled = 0;
    Tone_Send();
    EXPECT_TRUE(midi.sent().empty());
    MIDI_Enabled = 1;
    AutoSend_On = 0; // not looked at
    Tone_Send();
    ASSERT_EQ(midi.sent().size(), 1u);
    EXPECT_EQ(midi.sent()[0].size(), 89u);
}
