#include "editors/tname.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include "support/fixture.h"
#include <QFile>
#include <functional>

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

namespace {
// Each message of a long buffer: F0, data bytes below 128, F7.
bool Seven_Bit_Messages(const std::string& bytes) {
    bool inside = false;
    for (unsigned char b : bytes) {
        if (b == 0xF0 && !inside)
            inside = true;
        else if (b == 0xF7 && inside)
            inside = false;
        else if (b >= 0x80 || !inside)
            return false;
    }
    return !inside;
}

std::string Slurp(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}
} // namespace

// A tone byte from 128 up (a file may hold one) leaves every send path
// cleared to seven bits; the tone and its file keep the byte.
TEST_F(SysExTest, EverySendPathKeepsDataBytesBelow128) {
    const std::string tone_file =
        Bytes("F0 41 35 00 21 20 01") + std::string(59, '\x20') + Bytes("F7");
    std::string file = tone_file + Bytes("F0 41 36 00 21 30 01 00 01 01 02 02 03 03 04 04 05 05 "
                                         "06 06 FF F7");
    file[7] = static_cast<char>(0xE9);
    const QString path = folder.filePath("accent.syx");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file.data(), static_cast<qint64>(file.size()));
    }
    const struct {
        const char* path;
        const char* synth;
        std::function<void()> send;
        size_t at;        // where the expected bytes stand in the last message
        const char* want; // hex
    } rows[] = {
        {"tone", "JX-8P",
         [] {
             Tone_Data[2] = 0xE9;
             Tone_Send();
         },
         9, "69"},
        // An F7 followed by F0 inside the tone must not split the message.
        {"tone end", "MKS-70",
         [] {
             Tone_Data[57] = 0xF7;
             Tone_Data[58] = 0xF0;
             Tone_Send();
         },
         64, "77 70 F7 F0"},
        {"patch block", "JX-8P",
         [] {
             Patch_Data[6] = 0x80;
             Tone_Send();
         },
         86, "06 00 F7"},
        {"Alpha Juno tone", "Alpha Juno",
         [] {
             Juno_Tone[0] = 0xFF;
             Tone_Send();
         },
         7, "7F"},
        {"name", "JX-8P",
         [] {
             Tone_Data[2] = 0xE9;
             Edit_Msg_Send(Tone_Name_Msg_Text());
         },
         11, "02 69 03"},
        {"name end", "JX-8P",
         [] {
             Tone_Data[9] = 0xF7;
             Edit_Msg_Send(Tone_Name_Msg_Text());
         },
         25, "09 77 F7"},
        {"tone parameter", "JX-8P", [] { Param_Send(Hdr_Tone_IPR, 20, 0xF7); }, 0,
         "F0 41 36 00 21 20 01 14 77 F7"},
        {"patch parameter", "MKS-70", [] { Param_Send(Patch_Param_Hdr(), 3, 0xC8); }, 0,
         "F0 41 36 00 21 30 01 03 48 F7"},
        {"oscillator's patch header", "MKS-70", [] { Param_Send(Hdr_Patch_IPR, 1, 0x90); }, 0,
         "F0 41 36 00 24 30 01 01 10 F7"},
        {"any message", "JX-8P", [] { MIDI_SendSysEx(Bytes("F0 41 36 00 21 20 01 F0 FF F7")); }, 0,
         "F0 41 36 00 21 20 01 70 7F F7"},
        {"preview", "JX-8P", [&] { Load_SYX(path, "Soundcheck"); }, 7, "69"},
        {"preview patch", "JX-8P", [&] { Load_SYX(path, "Soundcheck"); }, 87, "7F F7"},
    };
    for (const auto& r : rows) {
        Synth(r.synth, 1);
        Tone_New();
        Juno_Tone.fill(0);
        MIDI_Enabled = 1;
        AutoSend_On = 1;
        midi.events.clear();
        boxes.clear();
        r.send();
        EXPECT_TRUE(boxes.calls.empty())
            << r.path << ": " << boxes.texts().join(" | ").toStdString();
        const auto sent = midi.sent();
        ASSERT_FALSE(sent.empty()) << r.path;
        for (const std::string& m : sent)
            EXPECT_TRUE(Seven_Bit_Messages(m)) << r.path << ": " << Hex_Of(m);
        ASSERT_GT(sent.back().size(), r.at) << r.path;
        EXPECT_EQ(Hex_Of(sent.back().substr(r.at, (std::string(r.want).size() + 1) / 3)), r.want)
            << r.path;
    }

    // The loaded tone and its file keep their bytes; so does a save.
    EXPECT_EQ(Tone_Data[0], 0xE9);
    EXPECT_EQ(Patch_Data[6], 0xFF);
    Save_SYX(folder.filePath("again.syx"));
    EXPECT_EQ(Hex_Of(Slurp(folder.filePath("again.syx"))), Hex_Of(file));
    EXPECT_EQ(Hex_Of(Slurp(path)), Hex_Of(file));
}
