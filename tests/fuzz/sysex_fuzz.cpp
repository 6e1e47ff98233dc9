// The system-exclusive text: any text converts without harm, the builders'
// tokens convert back to their bytes, every header and tone image has its
// layout for any synthesizer, channel and byte values, and a received
// message fills the tone as far as it reaches.
#include "fuzz_support.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/receive.h"
#include "midi/sysex.h"
#include "support/fake_midi_host.h"
#include <QString>
#include <fuzzer/FuzzedDataProvider.h>

namespace {
std::string hex_of(const std::string& s) {
    return Fuzz_Hex(QByteArray(s.data(), static_cast<qsizetype>(s.size())));
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

template <size_t N> void fill(std::array<std::uint8_t, N>& a, FuzzedDataProvider& in) {
    for (auto& b : a) b = in.ConsumeIntegral<std::uint8_t>();
}

template <size_t N> std::string as_string(const std::array<std::uint8_t, N>& a, size_t n = N) {
    return std::string(reinterpret_cast<const char*>(a.data()), n);
}

void text_conversion(FuzzedDataProvider& in) {
    // Any text: at most one byte for every two characters.
    const std::string text = in.ConsumeRandomLengthString(200);
    FUZZ_CHECK(Hex_To_Str(text).size() <= text.size() / 2, "from " + text);

    // Tokens as the builders write them, in either letter case, read back
    // to their bytes; the last token needs no blank behind it.
    const std::string values = in.ConsumeRandomLengthString(120);
    std::string tokens;
    for (unsigned char b : values) tokens += Hex(b) + " ";
    tokens += "F7";
    const std::string expected = values + "\xF7";
    FUZZ_CHECK(Hex_To_Str(tokens) == expected, tokens + " gave " + hex_of(Hex_To_Str(tokens)));
    const std::string lower = QString::fromStdString(tokens).toLower().toStdString();
    FUZZ_CHECK(Hex_To_Str(lower) == expected, lower + " gave " + hex_of(Hex_To_Str(lower)));
}

struct Synth {
    const char* name;
    int format;
};
constexpr Synth Synths[] = {{"JX-8P", 0x21}, {"MKS-70", 0x24}, {"Alpha Juno", 0x23}};

std::string header(int op, int channel, int format, int level, int group) {
    return bytes({0xF0, 0x41, op, channel - 1, format, level, group});
}

void headers_and_images(FuzzedDataProvider& in) {
    const Synth& synth = Synths[in.ConsumeIntegralInRange(0, 2)];
    // The synthesizer is compared without regard to case.
    QString name = synth.name;
    if (in.ConsumeBool()) name = name.toLower();
    if (in.ConsumeBool()) name = name.toUpper();
    Synth_Type = name;
    const int ch = in.ConsumeIntegralInRange(1, 16);
    MIDI_Channel = static_cast<std::uint8_t>(ch);
    Hdr_ToneB_APR = Hdr_ToneB_IPR = "earlier";
    Set_Synth();
    const bool juno = synth.format == 0x23;
    const std::string where = std::string(synth.name) + " channel " + std::to_string(ch) + ": ";

    const std::string tone_apr = header(0x35, ch, synth.format, 0x20, 1);
    const std::string tone_ipr = header(0x36, ch, synth.format, 0x20, 1);
    const std::string patch_ipr = header(0x36, ch, synth.format, 0x30, 1);
    FUZZ_CHECK(Hex_To_Str(Hdr_Tone_APR) == tone_apr, where + Hdr_Tone_APR);
    FUZZ_CHECK(Hex_To_Str(Hdr_Tone_IPR) == tone_ipr, where + Hdr_Tone_IPR);
    if (juno) {
        FUZZ_CHECK(Hdr_Patch_APR.empty() && Hdr_Patch_IPR.empty(), where + Hdr_Patch_IPR);
    } else {
        FUZZ_CHECK(Hex_To_Str(Hdr_Patch_APR) == header(0x35, ch, synth.format, 0x30, 1),
                   where + Hdr_Patch_APR);
        FUZZ_CHECK(Hex_To_Str(Hdr_Patch_IPR) == patch_ipr, where + Hdr_Patch_IPR);
    }
    if (synth.format == 0x24)
        FUZZ_CHECK(Hex_To_Str(Hdr_ToneB_IPR) == header(0x36, ch, 0x24, 0x20, 2),
                   where + Hdr_ToneB_IPR);
    else
        FUZZ_CHECK(Hdr_ToneB_IPR == "earlier", where + "tone B header " + Hdr_ToneB_IPR);

    // A single-parameter message of any parameter and value.
    const unsigned pp = in.ConsumeIntegral<std::uint8_t>(), vv = in.ConsumeIntegral<std::uint8_t>();
    const std::string param = Hex_To_Str(Param_Msg_Text(Hdr_Tone_IPR, pp, vv));
    FUZZ_CHECK(param == tone_ipr + bytes({static_cast<int>(pp), static_cast<int>(vv), 0xF7}),
               where + hex_of(param));

    // Tone images of any byte values: the file image always in the JX-8P
    // format, the send image in the synthesizer's own.
    fill(Tone_Data, in);
    fill(Patch_Data, in);
    fill(Juno_Tone, in);
    const std::string apr_before = Hdr_Tone_APR, patch_before = Hdr_Patch_IPR;
    const int n = Tone_To_SysEx();
    FUZZ_CHECK(Hdr_Tone_APR == apr_before && Hdr_Patch_IPR == patch_before,
               where + "headers not restored: " + Hdr_Tone_APR);
    // The instrument gets only data bytes: the send clears each to seven bits.
    auto image = [&](int format, int mask = 0xFF) {
        auto data = [&](const auto& values) {
            std::string d = as_string(values);
            for (char& c : d) c = static_cast<char>(c & mask);
            return d;
        };
        if (juno) return tone_apr + data(Juno_Tone) + "\xF7";
        std::string s = header(0x35, ch, format, 0x20, 1) + data(Tone_Data) + "\xF7" +
                        header(0x36, ch, format, 0x30, 1);
        for (int i = 0; i <= 6; ++i) s += bytes({i, Patch_Data[static_cast<size_t>(i)] & mask});
        return s + "\xF7";
    };
    const std::string file = as_string(SysEx_Buf, static_cast<size_t>(n));
    FUZZ_CHECK(file == image(0x21), where + "file image " + hex_of(file));

    MIDI_Enabled = 1;
    Fuzz_Midi().events.clear();
    Tone_Send();
    const std::vector<std::string> sent = Fuzz_Midi().sent();
    FUZZ_CHECK(sent.size() == 1 && sent[0] == image(synth.format, 0x7F),
               where + "sent " + (sent.empty() ? "nothing" : hex_of(sent.back())));
}

void receive(FuzzedDataProvider& in) {
    MIDI_Receiving = in.ConsumeBool();
    AutoSend_Saved = in.ConsumeBool();
    AutoSend_On = in.ConsumeBool();
    const std::uint8_t autosend_before = AutoSend_On;
    const bool receiving = MIDI_Receiving != 0;
    MIDI_In_Buf1 = in.ConsumeRandomLengthString(80);
    MIDI_In_Buf2 = in.ConsumeRandomLengthString(80);
    fill(Tone_Data, in);

    // Positions 8 to 66 of each message, counted from 1, are the tone.
    JX8P_Tone_Params expected = Tone_Data;
    bool whole = false;
    for (const std::string* m : {&MIDI_In_Buf1, &MIDI_In_Buf2}) {
        for (size_t i = 7; i < m->size() && i < 66; ++i)
            expected[i - 7] = static_cast<std::uint8_t>((*m)[i]);
        whole = whole || m->size() == 67;
    }
    const std::string where = "received " + hex_of(MIDI_In_Buf1) + " / " + hex_of(MIDI_In_Buf2);
    MIDI_In_Notify();
    FUZZ_CHECK(MIDI_In_Buf1.empty() && MIDI_In_Buf2.empty(), where + ": buffers kept");
    FUZZ_CHECK(Tone_Data == expected, where + ": tone " + hex_of(as_string(Tone_Data)));
    // A whole dump ends receive mode; no input port is open, so none begins.
    const bool ends = receiving && whole;
    FUZZ_CHECK(MIDI_Receiving == (receiving && !whole ? 1 : 0), where + ": receiving");
    FUZZ_CHECK(AutoSend_On == (ends ? AutoSend_Saved : autosend_before), where + ": auto-send");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Setup();
    Fuzz_Start_Program();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    text_conversion(in);
    headers_and_images(in);
    receive(in);
    Fuzz_Input_Done();
    return 0;
}
