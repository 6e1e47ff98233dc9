#pragma once
// The oscillator's targets and preset waveforms: plain numbers, no window.
#include <array>

constexpr int Osc_Steps = 18;

// Targets beyond the tone parameters: the window's own numbers.
enum Osc_Target_Number : int {
    Osc_Notes = 96,      // note-on of the value, velocity 127
    Osc_Bend_LFO = 97,   // patch parameter 5
    Osc_Portamento = 98, // patch parameter 1
    Osc_Mixer_Cross = 99 // mixer DCO1 with the value, DCO2 with its mirror
};

struct Osc_Target {
    const char* text;
    int number; // a JX-8P tone parameter below 90, else one of Osc_Target_Number
};
extern const std::array<Osc_Target, 27> Osc_Param_List;

// The base of every step for a preset. Pen is the running level that some
// presets step from; the random one (9) starts from it and leaves its last draw
// in it. Index 8 (custom) leaves the bases alone.
void Osc_Preset_Bases(int index, std::array<int, Osc_Steps>& base, double& pen);
