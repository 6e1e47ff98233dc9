#pragma once
// What the file reader, the file writer and the journal share; no other
// module uses it.
#include <QByteArray>
#include <QString>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

using Lock_Clock = std::chrono::steady_clock;
// How long a read or a save waits for another instance saving the same file.
inline constexpr auto Lock_Wait = std::chrono::seconds(2);

// 0 with the bytes of a path for the system; ENOENT for an empty name or
// one holding a NUL, EILSEQ for one no file can have.
int System_Name(const QString& path, QByteArray& name);
// 0 for a regular file; EISDIR for a folder, ESPIPE for anything else.
int Kind_Error(mode_t mode);

// Where a file is: its folder, held open, and its own name in that folder,
// which is no link. Every call on the file goes through the folder held,
// so the system never follows a link on the way the walk checked.
struct Place {
    int folder = -1;
    QByteArray leaf;
    Place() = default;
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;
    ~Place();
};
// Walks name a folder at a time, following its links itself, the last one
// too when follow_last: 0, or ENOENT, ENOTDIR, ELOOP and the like. In a
// folder that everyone may write and that keeps entries to their owners
// (/tmp), a link of another user is followed only when it is the folder
// owner's, as the kernel may or may not enforce, whichever part of the name
// it stands for: EACCES. The file itself need not exist.
int Find_Place(const QByteArray& name, bool follow_last, Place& place);
// An entry of another user in a folder that everyone may write and that
// keeps entries to their owners, and not the folder owner's either: a link
// there is not followed, and a file there is not written, as the kernel may
// or may not enforce.
bool Planted(int folder, const struct stat& entry);

bool Same_File(const struct stat& a, const struct stat& b);
// Whole transfers at an offset: 0, or an errno value; a read that ends
// early is EIO.
int Write_At(int fd, const char* bytes, qint64 size, off_t at);
int Read_At(int fd, char* bytes, qint64 size, off_t at);
// fsync; a file system that cannot sync says EINVAL, and the bytes are written.
int Sync_File(int fd);
// fsync of the folder held, so that a name made or removed in it lasts; a
// folder this user may not read is synced with the whole file system of
// the file held, fd. A file system that cannot sync a folder is no failure.
int Sync_Folder(const Place& place, int fd);
// A file that allows no writing is refused, also to root, who may write any.
int Writable(const Place& place, const struct stat& st);

// The locks of this program's readers and savers, F_RDLCK or F_WRLCK on one
// byte of the file far past its end, waiting until the time given while
// another instance holds it: 0, EBUSY once the time passed. A lock another
// program holds on the file costs no wait, and where the file system has no
// locks the caller goes on without.
int Lock_Until(int fd, short type, Lock_Clock::time_point until);

// The name of the one temporary file of a save of the file, beside it; all
// end so.
inline constexpr char Temp_Suffix[] = ".quorlen-tmp";
QByteArray Temp_Name(const QByteArray& leaf);
// Opens what stands at the temporary name, when a save of this user can
// have left it there (for root also one given to the file's owner, file):
// ENOENT when there is none, EACCES when it is somebody else's, which is
// then neither opened nor read.
int Open_Leftover(const Place& place, const QByteArray& temp, const struct stat* file, int flags,
                  int& fd);
// A leftover held can be a journal only while nobody else may have written
// it: this user's own, one name, no right to write for anyone else (rights
// to read given since change nothing). Any other is at most the new bytes
// of a rename cut short, and nobody's word.
bool Journal_Kept_Private(int fd);
// Removes the temporary file held, its folder synced after; where that
// fails, empties it, so that it is no journal: 0, or the removal's errno.
int Remove_Leftover(int fd, const Place& place, const QByteArray& temp);
// The temporary file held is still the one at its name: another instance
// may have renamed or removed it while this one waited for it.
bool Still_Named(int fd, const Place& place, const QByteArray& temp);

// ---- The journal of a save in place (file_journal.cpp)

// Before the first new byte of a save in place goes to file, journal holds
// the file's old bytes and data, whole and on the disk.
int Journal_Write(int journal, int file, const struct stat& st, const QByteArray& data);
// Puts the old bytes back over what a failed save in place wrote, on the disk.
int Journal_Undo(int journal, int file);
// With the leftover journal held: 0 when the file it names is whole on the
// disk, put back or as it is, and the leftover may go; otherwise an errno
// value, and the journal stays. cut: the file is still as a save or a
// put-back cut short left it, and its old bytes are in the journal
// (Journal_Old_Bytes).
int Journal_Settle(int journal, const Place& place, Lock_Clock::time_point until, bool& cut);
// The leftover holds a journal; its bytes are checked by the calls above.
bool Journal_Head_Found(int journal);
// Bytes that begin as a journal does: a save never leaves them at the
// temporary name.
bool Journal_Marked(const QByteArray& data);
// The old bytes, at most limit of them.
int Journal_Old_Bytes(int journal, qint64 limit, QByteArray& data);

// Tests: the put-back's stage of Set_Write_Fault.
int Put_Back_Fault();
