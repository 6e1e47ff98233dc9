#pragma once
// The step timer that plays the sequence, one step per tick, eight ticks a beat.
#include <cstdint>

class QTimer;
#include <functional>

extern std::uint8_t Seq_Direction; // 0 forward, 1 backward
extern std::int16_t Seq_Step;      // the step the next tick plays; -1 or 8 until it wraps
extern std::int16_t Seq_Step_Prev; // the step of the previous tick, whose light goes off
extern std::int16_t Seq_Step_Base; // first cell of the played step
// A number in [0, 1) for the random modes; tests may script it.
extern std::function<double()> Seq_Rnd;

// Milliseconds a step at this tempo: 7500 / bpm, halves to even; tempos
// below 1 count as 1.
int Seq_Interval(int bpm);
// Sets the step timer's interval from Seq_BPM.
void Seq_Tmr_Set_Interval();
// The step timer's tick.
void Seq_Tmr_Timer();
// Connects the main window's step timer to the tick.
void Seq_Tmr_Connect(QTimer* timer);

// Start and stop of the file dialog's preview.
void Seq_Play_Start();
void Seq_Play_Stop();

// The enabled and disabled looks of the editor's sequencer buttons.
void ED_Seq_Pics_On();
void ED_Seq_Pics_Off();
// Which look they should show now (true: enabled).
extern bool ED_Seq_Pics_Enabled;

// What the editor's stop button does for the sequencer (timer off, lights
// off, step 0, notes off, port closed, not running) and its release (both
// start buttons shown up).
void Editor_Seq_Stop_Click();
void Editor_Seq_Stop_MouseUp();
// Back to the values at program start.
void Playback_Reset();
