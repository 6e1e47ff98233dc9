#pragma once
// ".SYX" tone files.
#include <QString>

extern QString SYX_Header;
extern QString Tone_Short_Name;
extern QString Tone_File;

void Load_SYX(const QString& file, const QString& mode);
void Save_SYX(const QString& file);
