#pragma once
// Whole-file reads and writes, shared by every file the program keeps, and
// the file names the program hands to the system.
#include <QByteArray>
#include <QString>
#include <QStringList>

// File names are bytes, and old collections hold names that are not UTF-8.
// A byte that is not part of valid UTF-8 is kept in a name's text as the
// code point U+DC00 + byte, so that every name read from a folder goes back
// to the system as the very bytes it came as.
QString Name_From_Bytes(const QByteArray& bytes);
// False when the text holds a code point no file name can carry (a lone
// surrogate that stands for no byte).
bool Name_To_Bytes(const QString& name, QByteArray& bytes);
// The name as the user sees it: each byte that is not UTF-8 as U+FFFD.
QString Name_Shown(const QString& name);

enum class Path_Type { None, File, Folder, Other };
// What the path names, links followed: a regular file, a folder, something
// else (pipe, device, socket), or nothing.
Path_Type Path_Kind(const QString& path);
// The file can be opened for reading by this process.
bool Path_Readable(const QString& path);
// The entries of a folder, sorted without regard to case: its subfolders
// (not those whose names start with a dot) or its regular files.
QStringList Folder_Entries(const QString& folder, bool folders);
// The current folder of the process.
QString Current_Folder();
// 0, or an errno value. A link at the name itself is removed, not followed;
// links on the way are followed as Write_File does.
int Remove_File(const QString& path);
int Make_Folder(const QString& path);
int Remove_Folder(const QString& path);

// Reads at most limit bytes of a regular file. 0, or an errno value: EISDIR
// for a folder, ESPIPE for a pipe, socket or device, which are never opened.
// What a save in place of the file left when it was cut short is put back
// first (see Write_File); where it cannot or may not be written, the old
// bytes are read from what the save left. A save of this program through
// another of the file's names is waited for (EBUSY when it takes too long);
// locks of other programs are not. Links are followed as Write_File does.
int Read_File(const QString& path, qint64 limit, QByteArray& data);

// Replaces the file with data: 0, or an errno value; after a failure the old
// file is as it was, but for one: EIO from syncing the folder after the new
// file took the old one's place, when a power cut may still bring the old
// file back. The bytes go to a temporary file made anew beside it, which is
// renamed over it only when every byte is on the disk. Links are followed to
// the file they name, which is made when it does not exist; a link another
// user planted in a shared folder, for the file or for any folder on its
// way, is refused with EACCES. Where the new file could not keep the old
// one's owner, group or other names, it is written in place, behind a
// journal in the temporary file that the next read or save puts back if the
// write or a put-back was cut short, by a kill or a power cut. Temporary
// names are the program's own, and so are bytes that begin as a journal,
// which are written only over a file that exists: EINVAL. A file that
// allows no writing is refused with EACCES, and so is a save whose temporary
// name holds anything but what a save of this user left there; a pipe, a
// device or a folder is never replaced. Another save of the same file,
// through any of its names, or a read of it, is waited for: EBUSY when it
// takes too long. A handler that has been stopped (handlers.h) writes,
// removes and makes nothing: ECANCELED, also from Remove_File, Make_Folder
// and Remove_Folder.
int Write_File(const QString& path, const QByteArray& data);

// Tests: every write fails with this errno at the stage named: once its
// temporary file is taken, halfway through writing the new bytes, when
// syncing them, or when a journal is put back, its old bytes written and the
// file not yet cut to their size. 0 ends every stage's fault.
enum class Write_Stage { Start, Write, Sync, Put_Back };
void Set_Write_Fault(int error, Write_Stage stage = Write_Stage::Start);
// Tests, at the stages Write and Put_Back: the process is killed there, where
// a kill stops a write: at a page's end.
inline constexpr int Write_Fault_Kill = -1;
// Back to the values at program start.
void File_Io_Reset();
