#pragma once
// Small routines shared by every module.
#include <QString>

template <class T> void Var_Inc(T& v) {
    v = static_cast<T>(v + 1);
}
// Never below 0.
template <class T> void Var_Dec(T& v) {
    if (v != 0) v = static_cast<T>(v - 1);
}

// Gives the event loop one turn.
void Do_Events();

// The error number of the last File_Exists (0, 53 not found, 70 no access, 75 a folder,
// pipe, socket or device).
extern int File_Err;
bool File_Exists(QString path);

// Paths use the host's separator where the classic form wrote a backslash.
inline constexpr char Path_Separator = '/';
// A folder without the separator loses its end blanks, then gets it.
QString Add_Backslash(QString& path);
// A folder the system gave: the separator is added to it whole, since a
// blank at its end is part of its name.
QString& Add_Slash(QString& folder);
// The name in that folder, both kept whole; a name typed with its full path
// is that file.
QString In_Folder(QString folder, const QString& name);

// Upper case for the letters a to z only: every other character keeps its
// code, so a name byte read back into the tone is the byte it was.
QString Ascii_Upper(const QString& text);
// Without leading and trailing blanks; other white space is kept as name bytes.
QString Blanks_Trimmed(const QString& text);

double Win_Version();
void Empty_Sub();
// Back to the values at program start.
void Routines_Reset();
