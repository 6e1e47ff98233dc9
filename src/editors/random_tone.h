#pragma once
// Tone > Random: random parameter values for the chosen synthesizer.
#include <functional>

// A number in [0, 1), fresh for every byte. The program's generator is
// seeded once from the system's entropy, so two commands in the same second
// still differ; tests may script it.
extern std::function<double()> Random_Tone_Rnd;

// Replaces the current tone with a random one named RANDOM, keeps the
// undo copy of an unsaved tone and sends the tone whatever auto-send says.
void Tone_Random();
// Back to the values at program start.
void Random_Tone_Reset();
