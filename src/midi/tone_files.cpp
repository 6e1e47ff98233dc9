#include "midi/tone_files.h"

QString SYX_Header;
QString Tone_Short_Name;
QString Tone_File;

void Load_SYX(const QString&, const QString&) {}
void Save_SYX(const QString&) {}
