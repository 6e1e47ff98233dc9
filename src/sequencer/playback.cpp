#include "sequencer/playback.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/audition.h"
#include "midi/midi_port.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cmath>

std::uint8_t Seq_Direction = 0;
std::int16_t Seq_Step = 0;
std::int16_t Seq_Step_Prev = 0;
std::int16_t Seq_Step_Base = 0;
bool ED_Seq_Pics_Enabled = false;
namespace {
double global_draw() {
    return QRandomGenerator::global()->generateDouble();
}
} // namespace
std::function<double()> Seq_Rnd = global_draw;

void Playback_Reset() {
    Seq_Direction = 0;
    Seq_Step = Seq_Step_Prev = Seq_Step_Base = 0;
    ED_Seq_Pics_Enabled = false;
    Seq_Rnd = global_draw;
}

namespace {
int draw(int n) {
    return std::clamp(static_cast<int>(n * Seq_Rnd()), 0, n - 1);
}

// Notes and velocities outside 0..127 would put a status byte on the wire:
// a file may hold any base note and cell byte.
void send_note(int note, int velocity) {
    if (note < 0 || note > 127) return;
    Seq_SendNote(note, std::min(velocity, 127));
}

void play_step(Sequencer& w) {
    w.Seq_Light(Seq_Step_Prev, false);
    w.Seq_Light(Seq_Step, true);
    Seq_Step_Base = static_cast<std::int16_t>(Seq_Step * 13);
    if (MIDI_Enabled != 1) return;
    // Something may have closed the port meanwhile; a closed port would
    // answer every note with an error box.
    if (MIDI_Out_Port.Handle == -1) MIDI_Out_Open();
    for (int k = 0; k <= 12 && MIDI_Enabled == 1; ++k)
        send_note(Seq_Base_Note + 12 - k, Seq_Data[Seq_Step_Base + k]);
}

void wrap(std::int16_t& step, std::int16_t to) {
    if (step < 0 || step > 7) step = to;
}
} // namespace

int Seq_Interval(int bpm) {
    // 1000 / (bpm * 8 / 60) is 7500 / bpm; this form keeps the halves exact.
    return static_cast<int>(std::nearbyint(7500.0 / std::max(bpm, 1)));
}

void Seq_Tmr_Set_Interval() {
    Quorlen::get().Seq_Tmr->setInterval(Seq_Interval(Seq_BPM));
}

void Seq_Tmr_Connect(QTimer* timer) {
    QObject::connect(timer, &QTimer::timeout, timer, &Seq_Tmr_Timer);
}

void Seq_Tmr_Timer() {
    // A box raised by a send runs the event loop; a tick inside a tick
    // would send the notes of another step in the middle of this one.
    static bool busy = false;
    if (busy) return;
    busy = true;
    Sequencer& w = Sequencer::get();
    if (w.Direction_On(7)) Seq_Direction = static_cast<std::uint8_t>(draw(2));
    if (w.Direction_On(8)) Seq_Direction = static_cast<std::uint8_t>(draw(2));
    if (w.Direction_On(9) && (Seq_Step == 0 || Seq_Step == 7))
        Seq_Direction = static_cast<std::uint8_t>(draw(2));
    if (Seq_Direction == 0) {
        wrap(Seq_Step, 0);
        wrap(Seq_Step_Prev, 0);
        play_step(w);
        Seq_Step_Prev = Seq_Step;
        ++Seq_Step;
    }
    if (Seq_Direction == 1) {
        wrap(Seq_Step, 7);
        wrap(Seq_Step_Prev, 7);
        play_step(w);
        Seq_Step_Prev = Seq_Step;
        --Seq_Step;
    }
    if (w.Direction_On(2) && (Seq_Step == 0 || Seq_Step == 7))
        Seq_Direction = Seq_Direction == 0 ? 1 : 0;
    if (w.Direction_On(7)) Seq_Step = static_cast<std::int16_t>(draw(7));
    busy = false;
}

void Seq_Play_Start() {
    MIDI_Out_Open();
    // A handler whose window went (a failed open shows a box) starts nothing:
    // the step timer is the main window's.
    if (Handler_Stopped()) return;
    Seq_Status = 144 + MIDI_Channel - 1;
    Seq_Step = 0;
    Quorlen::get().Seq_Tmr->start();
    Seq_Running = 255;
}

void Seq_Play_Stop() {
    Quorlen::get().Seq_Tmr->stop();
    if (Seq_Form_Open == 255) {
        Sequencer& w = Sequencer::get();
        if (Seq_Step >= 1 && Seq_Step <= 8) w.Seq_Light(Seq_Step - 1, false);
        if (Seq_Step == 0) w.Seq_Light(7, false);
    }
    if (Seq_Step == 8) Seq_Step = 0;
    if (Seq_Step == -1) Seq_Step = 7;
    if (Seq_Form_Open == 255) Sequencer::get().Seq_Light(Seq_Step, false);
    Seq_Step = 0;
    MIDI_Out_Close();
    Seq_Running = 0;
}

void ED_Seq_Pics_On() {
    ED_Seq_Pics_Enabled = true;
    // Only the JX-8P editor's captions follow; an editor loaded later takes
    // the flag at its load.
    ED_Seq_Captions_Show(Editor_Audition(), true);
}

void ED_Seq_Pics_Off() {
    ED_Seq_Pics_Enabled = false;
    ED_Seq_Captions_Show(Editor_Audition(), false);
}

void Editor_Seq_Stop_Click() {
    ED_Seq_Stop_Click(Editor_Audition());
}

void Editor_Seq_Stop_MouseUp() {
    ED_Seq_Stop_MouseUp(Editor_Audition());
}
