// Tone files: each input is a file, loaded in every synthesizer and both
// kinds of load. A file that loads must save, and the saved file must load
// back to the same tone and patch bytes.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "fuzz_support.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include "support/fake_midi_host.h"
#include <array>

namespace {
struct Tone_State {
    JX8P_Tone_Params tone;
    std::array<std::uint8_t, 7> patch;
    Juno_Tone_Params juno;
    bool operator==(const Tone_State&) const = default;
};

Tone_State state_now() {
    Tone_State s{Tone_Data, {}, Juno_Tone};
    std::copy_n(Patch_Data.begin(), 7, s.patch.begin());
    return s;
}

std::string describe(const Tone_State& s) {
    auto hex = [](const auto& a) {
        return Fuzz_Hex(
            QByteArray(reinterpret_cast<const char*>(a.data()), static_cast<qsizetype>(a.size())));
    };
    return "tone " + hex(s.tone) + " patch " + hex(s.patch) + " juno " + hex(s.juno);
}

// Tone bytes before a load: a load that takes a tone must overwrite them.
void clear_tone(std::uint8_t fill) {
    Tone_Data.fill(fill);
    Patch_Data.fill(fill);
    Juno_Tone.fill(fill);
}

void prepare(const char* synth, std::uint32_t h) {
    Synth_Type = synth;
    MIDI_Channel = static_cast<std::uint8_t>(1 + (h & 15));
    AutoSend_On = (h >> 4) & 1;
    Set_Synth();
    Tone_Saved = true;
    Tone_In_File = 0;
    Fuzz_Midi().events.clear();
}

void round_trip(const char* synth, const char* mode, std::uint32_t h) {
    const bool juno = Synth_Is(synth, "Alpha Juno");
    const Tone_State loaded = state_now();
    const QString out = Fuzz_Path("OUT.SYX");
    Fuzz_Boxes_Reset();
    Save_SYX(out);
    const std::string where = std::string(synth) + ", " + mode + ": ";
    FUZZ_CHECK(Fuzz_Boxes().calls.empty(), where + "saving showed " + Fuzz_Box_Texts());
    FUZZ_CHECK(Tone_Saved, where + "the saved tone is not marked saved");
    const QByteArray image = Fuzz_Read_File(out);
    FUZZ_CHECK(image.size() == (juno ? 57 : 89), where + "saved " + Fuzz_Hex(image));

    prepare(synth, h);
    clear_tone(0x55);
    Fuzz_Boxes_Reset();
    Load_SYX(out, mode);
    FUZZ_CHECK(SYX_Tone_Found == 255 && Fuzz_Boxes().calls.empty(),
               where + "the saved file did not load: " + Fuzz_Hex(image) + " " + Fuzz_Box_Texts());
    Tone_State back = state_now();
    // Only the synthesizer's own bytes are in its file.
    if (juno) {
        back.tone = loaded.tone;
        back.patch = loaded.patch;
    } else {
        back.juno = loaded.juno;
    }
    FUZZ_CHECK(back == loaded, where + "loaded " + describe(loaded) + "\n    reloaded " +
                                   describe(back) + "\n    from " + Fuzz_Hex(image));
}
// Where the bytes of a file in the writer's own layout go.
void check_taken(const char* synth, const char* mode, const std::uint8_t* d, std::size_t n) {
    const std::string where = std::string(synth) + ", " + mode + ": ";
    if (Synth_Is(synth, "Alpha Juno")) {
        // Any 57 bytes that end in F7, whatever their header.
        const bool good = n == 57 && d[56] == 0xF7;
        FUZZ_CHECK((SYX_Tone_Found == 255) == good,
                   where + "taken " + std::to_string(SYX_Tone_Found == 255));
        if (good)
            FUZZ_CHECK(std::equal(Juno_Tone.begin(), Juno_Tone.end(), d + 7),
                       where + describe(state_now()));
        return;
    }
    auto header = [d](std::size_t at, std::uint8_t op, std::uint8_t level) {
        return d[at] == 0xF0 && d[at + 1] == 0x41 && d[at + 2] == op && d[at + 4] == 0x21 &&
               d[at + 5] == level && d[at + 6] == 0x01;
    };
    if (n != 89 || !header(0, 0x35, 0x20) || !header(67, 0x36, 0x30)) return;
    // The tone, then the second byte of each patch pair; one tone, no question.
    FUZZ_CHECK(SYX_Tone_Found == 255 && Fuzz_Boxes().calls.empty() &&
                   std::equal(Tone_Data.begin(), Tone_Data.end(), d + 7),
               where + describe(state_now()));
    for (std::size_t i = 0; i < 7; ++i)
        FUZZ_CHECK(Patch_Data[i] == d[75 + 2 * i], where + describe(state_now()));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Setup();
    Fuzz_Start_Program("[Recent Files]\r\nTones=" + Fuzz_Folder().toUtf8() + "/\r\n");
    // The patch window is open, so an opened file redraws it too.
    Quorlen::get().Menu_Tone_Patch_Click();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString in = Fuzz_Path("IN.SYX");
    Fuzz_Write_File(in,
                    QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const std::uint32_t h = Fuzz_Hash(data, size);
    for (const char* synth : {"JX-8P", "MKS-70", "Alpha Juno"}) {
        // The mode is compared without regard to case.
        for (const char* mode :
             {(h & 32) ? "OPEN" : "Open", (h & 64) ? "soundcheck" : "Soundcheck"}) {
            prepare(synth, h);
            clear_tone(0xAA);
            Fuzz_Boxes_Reset(h >> 8);
            Load_SYX(in, mode);
            check_taken(synth, mode, data, size);
            if (SYX_Tone_Found == 255) round_trip(synth, mode, h);
        }
    }
    Fuzz_Input_Done();
    return 0;
}
