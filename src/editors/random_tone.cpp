#include "editors/random_tone.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/patch.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include <QAction>
#include <QRandomGenerator>
#include <algorithm>

namespace {
double global_draw() {
    return QRandomGenerator::global()->generateDouble();
}
} // namespace
std::function<double()> Random_Tone_Rnd = global_draw;

void Random_Tone_Reset() {
    Random_Tone_Rnd = global_draw;
}

namespace {
// Int(r x n), kept below n also for an r that a script puts at 1.
int draw(double n) {
    const int top = static_cast<int>(n - 1e-9);
    return std::clamp(static_cast<int>(Random_Tone_Rnd() * n), 0, top);
}

// The Alpha Juno bytes 0..35 and the range each draws from.
double juno_range(int byte) {
    switch (byte) {
    case 4:
    case 5:
        return 6; // DCO_SawTooth, DCO_Sub
    case 10:
        return 1.5; // Chorus_OnOff: 1 with probability 1/3
    case 35:
        return 12; // Bender_Range
    default:
        return byte < 10 ? 4 : 127; // the four-position levers, the faders
    }
}
} // namespace

void Tone_Random() {
    if (!Tone_Saved) Undo_Save();
    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        for (int b = 0; b <= 35; ++b) Juno_Tone[b] = static_cast<std::uint8_t>(draw(juno_range(b)));
        Tone_Name_Text = "RANDOM";
        const char* name = "random    ";
        for (int i = 0; i < Juno_Name_Length; ++i)
            Juno_Tone[Juno_Name_First + i] = Juno_Char_To_Code(static_cast<std::uint8_t>(name[i]));
        Juno_Editor_Redraw();
    } else {
        for (int b = 10; b <= 58; ++b) Tone_Data[b] = static_cast<std::uint8_t>(draw(127));
        Patch_Data.fill(0);
        Patch_Data[6] = 64;
        Editor_Redraw();
    }
    Tone_Name_Text = "RANDOM";
    Name_To_Tone();
    if (Patch_Form_Open == 255) Patch_Redraw();
    Tone_Send();
    Tone_Saved = false;
    Quorlen::get().Menu_Edit_Undo->setEnabled(true);
    Do_Events();
}
