#pragma once
#include <QString>

// The display font file beside the program.
QString Display_Font_Path();
void Display_Font_Init();
