#pragma once
// ".SYX" tone files.
#include <QString>
#include <cstdint>

extern QString SYX_Header;
extern QString Tone_Short_Name;
extern QString Tone_File;
extern std::uint8_t SYX_Tone_Found; // 255 when the last load took a tone
extern bool SYX_Tone_First;         // the tone message began the file
extern std::uint8_t Tone_In_File;   // 255 once a tone was taken from the file being read

// The read position is 16 bits wide: bytes past this are never looked at.
inline constexpr qint64 SYX_Max_Read = 32767;

// mode: "Open" (the user opens the file) or "Soundcheck" (the file dialog's preview).
void Load_SYX(const QString& file, const QString& mode);
// false, after its box, when the file could not be written.
bool Save_SYX(const QString& file = Tone_File);

// The error number and the text of ours for a host error while writing a file.
int File_Error_Number(int host_errno);
QString File_Error_Text(int number);
// Back to the values at program start.
void Tone_Files_Reset();
