#pragma once
// The settings file: one INI file in the program's folder.
#include <QString>

extern QString INI_File;

// Values come back whole: device names and paths here are longer than the
// classic 31-character buffer, and cutting them would lose them at each start.
QString INI_Read(const QString& section, const QString& key, const QString& def);
void INI_Write(const QString& section, const QString& key, QString value);

void Load_Settings();
void Save_Settings();
// True once Load_Settings has run: only read settings may be written back.
extern bool Settings_Loaded;

// The start folder of each file type in the file dialog.
extern QString Dir_Tones, Dir_Sequences, Dir_Oscillators;
