#include "midi/sysex.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"

std::string Hdr_Tone_APR, Hdr_Tone_IPR, Hdr_ToneB_APR, Hdr_ToneB_IPR, Hdr_Patch_APR, Hdr_Patch_IPR;
std::string SysEx_Str;
std::array<std::uint8_t, 89> SysEx_Buf{};
std::string SysEx_Text;

void Sysex_Reset() {
    Hdr_Tone_APR.clear();
    Hdr_Tone_IPR.clear();
    Hdr_ToneB_APR.clear();
    Hdr_ToneB_IPR.clear();
    Hdr_Patch_APR.clear();
    Hdr_Patch_IPR.clear();
    SysEx_Str.clear();
    SysEx_Buf.fill(0);
    SysEx_Text.clear();
}

std::string Hex(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return s;
}

namespace {
int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A file keeps the tone's bytes as they came; the instrument gets data
// bytes only: a byte from 128 up would end or break the message there (FF is
// a system reset), so it goes out cleared to its low seven bits.
enum class Image { File, Send };

unsigned data_byte(std::uint8_t b, Image image) {
    return image == Image::Send ? b & 0x7Fu : b;
}

template <size_t N>
void append_tokens(std::string& text, const std::array<std::uint8_t, N>& bytes, Image image) {
    for (std::uint8_t b : bytes) text += Hex(data_byte(b, image)) + " ";
}

void append_patch_pairs(std::string& text, Image image) {
    for (unsigned i = 0; i <= 6; ++i)
        text += Hex(i) + " " + Hex(data_byte(Patch_Data[i], image)) + " ";
}

// The tone's messages as text, from the current headers.
std::string tone_text(Image image) {
    std::string text = Hdr_Tone_APR;
    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        append_tokens(text, Juno_Tone, image);
        return text + "F7";
    }
    append_tokens(text, Tone_Data, image);
    text += "F7 " + Hdr_Patch_IPR;
    append_patch_pairs(text, image);
    return text + "F7";
}

std::string header(const char* prefix, const char* suffix) {
    return std::string(prefix) + Hex(static_cast<unsigned>(MIDI_Channel - 1) & 0xF) + suffix;
}
} // namespace

std::string Hex_To_Str(const std::string& s) {
    std::string out;
    size_t p =
        0; // zero-based: the classic routine counts from 1 and stops before the last character
    while (p + 1 < s.size()) {
        int value = 0;
        const size_t end = std::min(p + 2, s.size());
        for (size_t i = p; i < end; ++i) {
            const int d = hex_digit(s[i]);
            if (d < 0) break;
            value = value * 16 + d;
        }
        out.push_back(static_cast<char>(value));
        p += 2;
        if (p < s.size() && s[p] == ' ') ++p;
    }
    return out;
}

std::string Param_Msg_Text(const std::string& hdr, unsigned param, unsigned value) {
    return hdr + Hex(param) + " " + Hex(value) + " F7";
}

std::string Patch_Param_Hdr() {
    return header("F0 41 36 ", " 21 30 01 ");
}

bool Auto_Sending() {
    return AutoSend_On == 1 && MIDI_Enabled == 1;
}

void Edit_Msg_Send(const std::string& text, Repeats repeats) {
    const bool repeat = text == SysEx_Text;
    SysEx_Text = text;
    if (!repeat || repeats == Repeats::Send) MIDI_SendSysEx(Hex_To_Str(SysEx_Text));
}

void Param_Send(const std::string& header, unsigned param, unsigned value, Repeats repeats) {
    if (Auto_Sending()) Edit_Msg_Send(Param_Msg_Text(header, param, value), repeats);
}

void Set_Synth() {
    if (Synth_Is(Synth_Type, "JX-8P")) {
        Hdr_Tone_APR = header("F0 41 35 ", " 21 20 01 ");
        Hdr_Tone_IPR = header("F0 41 36 ", " 21 20 01 ");
        Hdr_Patch_APR = header("F0 41 35 ", " 21 30 01 ");
        Hdr_Patch_IPR = Patch_Param_Hdr();
    } else if (Synth_Is(Synth_Type, "MKS-70")) {
        Hdr_Tone_APR = header("F0 41 35 ", " 24 20 01 ");
        Hdr_Tone_IPR = header("F0 41 36 ", " 24 20 01 ");
        Hdr_ToneB_APR = header("F0 41 35 ", " 24 20 02 ");
        Hdr_ToneB_IPR = header("F0 41 36 ", " 24 20 02 ");
        Hdr_Patch_APR = header("F0 41 35 ", " 24 30 01 ");
        Hdr_Patch_IPR = header("F0 41 36 ", " 24 30 01 ");
    } else if (Synth_Is(Synth_Type, "Alpha Juno")) {
        Hdr_Tone_APR = header("F0 41 35 ", " 23 20 01 ");
        Hdr_Tone_IPR = header("F0 41 36 ", " 23 20 01 ");
        Hdr_Patch_APR.clear();
        Hdr_Patch_IPR.clear();
    } else {
        return;
    }

    Quorlen& main = Quorlen::get();
    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        main.Menu_Tone_Patch->setEnabled(false);
        Editor::get().Form_Hide();
        Editor_Layout_Hide();
        if (Editor_Juno::get().frame()->isHidden()) Editor_Juno::get().Form_Show();
    } else {
        Editor_Juno::get().Form_Hide();
        main.Menu_Tone_Patch->setEnabled(true);
        main.Menu_File_SYX_Open->setEnabled(true);
        // Only a switch from the Alpha Juno (or the start) lays the panel out;
        // the caps then go where the tone puts them.
        if (!Editor::get().Layout_Shown) {
            Editor_Layout_Show();
            Editor_Controls_Redraw();
        }
        // Shown when it was not; one in sight stays where it is among the
        // windows, below a sequencer or oscillator over it.
        if (Editor::get().frame()->isHidden()) Editor::get().Form_Show();
    }
}

int Tone_To_SysEx() {
    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        SysEx_Str = Hex_To_Str(tone_text(Image::File));
        std::copy_n(SysEx_Str.begin(), std::min<size_t>(57, SysEx_Str.size()), SysEx_Buf.begin());
        return 57;
    }
    // Files always carry the JX-8P format, also in MKS-70 mode.
    Hdr_Tone_APR = header("F0 41 35 ", " 21 20 01 ");
    Hdr_Patch_IPR = Patch_Param_Hdr();
    SysEx_Str = Hex_To_Str(tone_text(Image::File));
    std::copy_n(SysEx_Str.begin(), std::min<size_t>(89, SysEx_Str.size()), SysEx_Buf.begin());
    Set_Synth();
    return 89;
}

void Tone_To_SysEx_Str() {
    SysEx_Str = Hex_To_Str(tone_text(Image::Send));
}

void Tone_Send() {
    if (MIDI_Enabled != 1) return;
    Tone_To_SysEx_Str();
    MIDI_SendSysEx(SysEx_Str);
}
