#pragma once
// The recent tone and sequence files.
#include <QString>
#include <array>

extern std::array<QString, 4> Recent_Tone; // Recent_Tone1 .. Recent_Tone4
extern std::array<QString, 4> Recent_Seq;  // Recent_Seq1 .. Recent_Seq4

void Recent_Tone_Add(QString name);
void Recent_Seq_Add(QString name);
// Menu_File_SYX_1_Click .. Menu_File_SYX_4_Click, by entry number 1..4.
void Menu_File_SYX_N_Click(int k);
void Menu_File_Seq_N_Click(int k);
inline void Menu_File_Seq_1_Click() {
    Menu_File_Seq_N_Click(1);
}
// Back to the values at program start.
void Recent_Reset();
