#pragma once
// What the file reader and the file writer share; no other module uses it.
#include <QByteArray>
#include <QString>
#include <chrono>
#include <sys/types.h>

using Lock_Clock = std::chrono::steady_clock;
// How long a read or a save waits for another instance saving the same file.
inline constexpr auto Lock_Wait = std::chrono::seconds(2);

// 0 with the bytes of a path for the system; ENOENT for an empty name or
// one holding a NUL, EILSEQ for one no file can have.
int System_Name(const QString& path, QByteArray& name);
// 0 for a regular file; EISDIR for a folder, ESPIPE for anything else.
int Kind_Error(mode_t mode);
// Follows the links that name the file to the file itself, which need not
// exist yet: 0, or ELOOP and the like.
int Follow_Links(QByteArray& name);
// flock, waiting until the time given: 0, EBUSY once it passed, or an errno
// value. Where the file system has no locks, the caller goes on without.
int Lock_Until(int fd, int how, Lock_Clock::time_point until);
// Puts back what a save in place of the file (links followed) left when it
// was cut short, so that the file is whole before it is read: 0, or an errno
// value when it could not be put back.
int Settle_Journal(const QByteArray& name);
