#pragma once
#include <QFont>
#include <QString>

// The display font file beside the program.
QString Display_Font_Path();
void Display_Font_Init();
// The display face at the size its glyphs were drawn for.
QFont Display_Font();
