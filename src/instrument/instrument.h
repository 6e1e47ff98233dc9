#pragma once
// The current tone and patch of each synthesizer and their undo copies.
#include <QString>
#include <array>
#include <cstdint>

using JX8P_Tone_Params = std::array<std::uint8_t, 59>;
using JX8P_Patch_Params = std::array<std::uint8_t, 9>;
using Juno_Tone_Params = std::array<std::uint8_t, 49>;
using MKS70_Patch_Params = std::array<std::uint8_t, 65>;

extern JX8P_Tone_Params Tone_Data; // also the MKS-70 tone
extern JX8P_Patch_Params Patch_Data;
extern Juno_Tone_Params Juno_Tone;
extern MKS70_Patch_Params MKS70_Patch_Data;
extern JX8P_Tone_Params Undo_Tone;
extern JX8P_Patch_Params Undo_Patch;
extern Juno_Tone_Params Undo_Juno_Tone;

// The current tone's name as the name boxes show it (at most 10 characters).
extern QString Tone_Name_Text;

// Where the Alpha Juno keeps its name in Juno_Tone.
inline constexpr int Juno_Name_First = 36;
inline constexpr int Juno_Name_Length = 10;
inline constexpr std::uint8_t Juno_Blank_Code = 62;

void Tone_New();
std::uint8_t Juno_Char_To_Code(std::uint8_t c);
std::uint8_t Juno_Code_To_Char(std::uint8_t k);

// True when text names the synthesizer, compared without regard to case.
bool Synth_Is(const QString& synth, const char* name);
// Back to the values at program start.
void Instrument_Reset();
