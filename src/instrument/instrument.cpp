#include "instrument/instrument.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/patch.h"
#include "editors/patch_mks70.h"
#include "midi/midi_port.h"
#include "midi/tone_files.h"
#include "platform/msgbox.h"

JX8P_Tone_Params Tone_Data{};
JX8P_Patch_Params Patch_Data{};
Juno_Tone_Params Juno_Tone{};
MKS70_Patch_Params MKS70_Patch_Data{};
JX8P_Tone_Params Undo_Tone{};
JX8P_Patch_Params Undo_Patch{};
Juno_Tone_Params Undo_Juno_Tone{};
QString Tone_Name_Text;

void Instrument_Reset() {
    Tone_Data.fill(0);
    Patch_Data.fill(0);
    Juno_Tone.fill(0);
    MKS70_Patch_Data.fill(0);
    Undo_Tone.fill(0);
    Undo_Patch.fill(0);
    Undo_Juno_Tone.fill(0);
    Tone_Name_Text.clear();
}

bool Synth_Is(const QString& synth, const char* name) {
    return synth.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

void Tone_New() {
    SYX_Header.clear();
    Tone_Short_Name.clear();
    Tone_File.clear();
    Tone_Saved = true;
    Quorlen::get().Menu_File_SYX_Save->setEnabled(false);
    Set_Program_Title(Program_Title);

    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        Juno_Tone.fill(0);
        Tone_Name_Text = "NEW";
        const char* name = "new";
        for (int i = 0; i < Juno_Name_Length; ++i) {
            const std::uint8_t c = i < 3 ? static_cast<std::uint8_t>(name[i]) : ' ';
            Juno_Tone[Juno_Name_First + i] = Juno_Char_To_Code(c);
        }
        Juno_Editor_Redraw();
    } else {
        Tone_Data.fill(0);
        for (int i = 0; i < 10; ++i) Tone_Data[i] = ' ';
        Tone_Data[13] = 56; // DCO-1 tune at 0 semitones
        Tone_Data[19] = 56; // DCO-2 tune at 0 semitones
        Tone_Data[20] = 64; // DCO-2 fine tune centred
        Patch_Data.fill(0);
        Patch_Data[6] = 64; // unison detune centred
        Editor_Redraw();
        if (Patch_Form_Open == 255) Patch_Redraw();
    }
    MKS70_Patch_Name.clear();
}

std::uint8_t Juno_Char_To_Code(std::uint8_t c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c == '-') return 63;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    return Juno_Blank_Code;
}

std::uint8_t Juno_Code_To_Char(std::uint8_t k) {
    if (k <= 25) return 'A' + k;
    if (k <= 51) return 'a' + (k - 26);
    if (k <= 61) return '0' + (k - 52);
    if (k == 63) return '-';
    return ' ';
}
