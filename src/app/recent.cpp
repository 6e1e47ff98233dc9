#include "app/recent.h"

std::array<QString, 4> Recent_Tone;
std::array<QString, 4> Recent_Seq;

void Recent_Tone_Add(QString) {}
void Recent_Seq_Add(QString) {}
void Menu_File_SYX_N_Click(int) {}
void Menu_File_Seq_N_Click(int) {}
