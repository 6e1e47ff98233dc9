// The writer of every file the program keeps. A save makes the file's one
// temporary file anew, which is also the lock of that name, and then either
// renames it, holding the new bytes, over the old file or, where that would
// lose what the user set on the file, writes the file in place behind a
// journal of its bytes in it (file_journal.cpp).
#include "platform/file_io.h"
#include "platform/file_sys.h"
#include "platform/handlers.h"
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int Stages = int(Write_Stage::Put_Back) + 1;
int g_fault[Stages] = {};

// Tells two long names apart in their temporary names; only against chance.
quint64 name_hash(const QByteArray& data) {
    quint64 h = 0xCBF29CE484222325ull;
    for (const char c : data) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return h ^ (h >> 29);
}

// ---- Test seams

int fault_at(Write_Stage stage) {
    return g_fault[int(stage)];
}

// The new bytes, from the start of the file. A kill stops a write at the
// end of a page: halfway, or after the last byte of a write of one page.
int write_new(int fd, const QByteArray& data) {
    if (const int e = fault_at(Write_Stage::Write)) {
        const qint64 half = data.size() / 2 / 4096 * 4096;
        (void)Write_At(fd, data.constData(),
                       e == Write_Fault_Kill && half == 0 ? data.size() : half, 0);
        if (e == Write_Fault_Kill) ::raise(SIGKILL);
        return e;
    }
    return Write_At(fd, data.constData(), data.size(), 0);
}

int sync_new(int fd) {
    if (const int e = fault_at(Write_Stage::Sync)) return e;
    return Sync_File(fd);
}

} // namespace

int Put_Back_Fault() {
    const int e = fault_at(Write_Stage::Put_Back);
    if (e == Write_Fault_Kill) ::raise(SIGKILL);
    return e;
}

namespace {
// ---- The temporary file

// A leftover of root's save can have been given to the file's owner already.
bool leftover_of_ours(const struct stat& st, const struct stat* file) {
    if (!S_ISREG(st.st_mode) || st.st_nlink != 1) return false;
    const uid_t me = ::geteuid();
    return st.st_uid == me ||
           (me == 0 && file && st.st_uid == file->st_uid && st.st_gid == file->st_gid);
}

// Makes the temporary file anew, private, and locks it for the whole save.
// What a save cut short left there is settled first and removed; a journal
// that cannot be put back stays, and so does the save's error. Another
// instance saving the same name holds it meanwhile: EBUSY when that takes
// too long.
int take_temp(const Place& place, const QByteArray& temp, Lock_Clock::time_point until, int& fd) {
    const char* const leaf = place.leaf.constData();
    for (;;) {
        if (Lock_Clock::now() >= until) return EBUSY;
        fd = ::openat(place.folder, temp.constData(),
                      O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd < 0 && errno != EEXIST) return errno;
        const bool made = fd >= 0;
        if (!made) {
            struct stat file {};
            const bool exists = ::fstatat(place.folder, leaf, &file, AT_SYMLINK_NOFOLLOW) == 0;
            const int e = Open_Leftover(place, temp, exists ? &file : nullptr, O_RDWR, fd);
            if (e == ENOENT) continue; // gone in between
            if (e != 0) return e;
        }
        int e = Lock_Until(fd, F_WRLCK, until);
        if (e == 0 && Still_Named(fd, place, temp)) {
            if (made) return 0;
            // Only a journal nobody else may write is put back; any other
            // leftover of this user's only goes. One root gave the file's
            // owner goes too, but not a journal of the owner's own save.
            bool cut = false;
            struct stat st {};
            if (Journal_Kept_Private(fd))
                e = Journal_Settle(fd, place, until, cut);
            else if (::fstat(fd, &st) == 0 && st.st_uid != ::geteuid() && Journal_Head_Found(fd))
                e = EACCES;
            if (e == 0) e = Remove_Leftover(fd, place, temp);
        }
        ::close(fd);
        fd = -1;
        if (e != 0) return e;
    }
}

// ---- The two ways of writing

// The new file may take the old one's place when nothing the user set on
// the old one is lost by that: it has no other name, and the new file can
// be given its owner and group. Tried, and undone at once: the temporary
// file stays this user's until the rename.
// Access lists and other attributes stay only with the file itself. The
// security label is given to a new file by the system, as to the old one;
// where the list cannot be read, the file is taken to have some.
bool has_attributes(const Place& place) {
    const QByteArray at = "/proc/self/fd/" + QByteArray::number(place.folder) + '/' + place.leaf;
    QByteArray list(1024, '\0');
    ssize_t n = ::llistxattr(at.constData(), list.data(), size_t(list.size()));
    if (n < 0 && errno != ENOTSUP) {
        // No /proc: the file's own descriptor, where it may be read.
        const int fd = ::openat(place.folder, place.leaf.constData(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return true;
        n = ::flistxattr(fd, list.data(), size_t(list.size()));
        const int e = errno;
        ::close(fd);
        errno = e;
    }
    if (n < 0) return errno != ENOTSUP;
    for (const QByteArray& name : list.left(n).split('\0'))
        if (!name.isEmpty() && name != "security.selinux") return true;
    return false;
}

bool can_replace(int fd, const Place& place, const struct stat& old) {
    if (old.st_nlink != 1 || has_attributes(place)) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    return (st.st_uid == old.st_uid && st.st_gid == old.st_gid) ||
           (::fchown(fd, old.st_uid, old.st_gid) == 0 && ::fchown(fd, st.st_uid, st.st_gid) == 0);
}

// The rights a file made by open() would get; the temporary file is private.
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The bytes go to the temporary file, which is renamed over the file only
// when every byte is on the disk.
int replace_by_rename(int fd, const Place& place, const QByteArray& temp, const QByteArray& data,
                      const struct stat* old, bool& renamed) {
    if (const int e = write_new(fd, data)) return e;
    if (const int e = sync_new(fd)) return e;
    // Given away last, so that a temporary file left by a crash is still ours.
    if (old && ::fchown(fd, old->st_uid, old->st_gid) != 0) return errno;
    // Set after the owner: a change of owner clears the set-id bits.
    if (::fchmod(fd, old ? old->st_mode & 07777 : new_file_mode()) != 0) return errno;
    if (::renameat(place.folder, temp.constData(), place.folder, place.leaf.constData()) != 0)
        return errno;
    renamed = true;
    return Sync_Folder(place, fd);
}

// Written in place, so that every name of the file and its owner stay. The
// journal's name is on the disk before the first new byte is. A failed
// write gets the old bytes back over the same blocks, which needs no new
// room on a full disk; where even that fails, or the program is killed, the
// journal stays: kept_journal.
int write_in_place(int temp, const Place& place, const struct stat& old, const QByteArray& data,
                   Lock_Clock::time_point until, bool& kept_journal) {
    const int file =
        ::openat(place.folder, place.leaf.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (file < 0) return errno;
    struct stat st {};
    int e = Lock_Until(file, F_WRLCK, until);
    if (e == 0) e = ::fstat(file, &st) != 0 ? errno : Same_File(st, old) ? 0 : EAGAIN;
    if (e == 0) e = Journal_Write(temp, file, st, data);
    if (e == 0) e = Sync_Folder(place, temp);
    if (e == 0) {
        e = write_new(file, data);
        if (e == 0 && ::ftruncate(file, data.size()) != 0) e = errno;
        // A write by the owner clears the set-id bits, which the owner may set again.
        struct stat now {};
        if (e == 0 && ::fstat(file, &now) == 0 && now.st_mode != st.st_mode)
            (void)::fchmod(file, st.st_mode & 07777);
        if (e == 0) e = sync_new(file);
        if (e != 0) kept_journal = Journal_Undo(temp, file) != 0;
    }
    if (::close(file) != 0 && e == 0) e = errno;
    return e;
}

// A whole transfer, the way pread or pwrite goes.
template <typename Io, typename Bytes>
int whole_at(Io io, int fd, Bytes bytes, qint64 size, off_t at) {
    for (qint64 done = 0; done < size;) {
        const ssize_t n = io(fd, bytes + done, static_cast<size_t>(size - done), at + done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += n;
    }
    return 0;
}
} // namespace

bool Same_File(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int Write_At(int fd, const char* bytes, qint64 size, off_t at) {
    return whole_at(::pwrite, fd, bytes, size, at);
}

int Read_At(int fd, char* bytes, qint64 size, off_t at) {
    return whole_at(::pread, fd, bytes, size, at);
}

int Sync_File(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

int Sync_Folder(const Place& place, int fd) {
    const int dir = ::openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return ::syncfs(fd) == 0 || errno == EINVAL || errno == EROFS ? 0 : errno;
    const int e =
        ::fsync(dir) == 0 || errno == EINVAL || errno == EROFS || errno == EBADF ? 0 : errno;
    ::close(dir);
    return e;
}

int Writable(const Place& place, const struct stat& st) {
    if ((st.st_mode & 0222) == 0) return EACCES;
    return ::faccessat(place.folder, place.leaf.constData(), W_OK,
                       AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0
               ? 0
               : errno;
}

int Lock_Until(int fd, short type, Lock_Clock::time_point until) {
    // Past any end a file of this program reaches, and held only by it.
    constexpr off_t Ours = std::numeric_limits<off_t>::max() - 1;
    for (;;) {
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        lock.l_start = Ours;
        lock.l_len = 1;
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EACCES) return 0; // no locks here
        // Another program's lock of the file, or of a range with this byte in it.
        if (::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK ||
            lock.l_start != Ours || lock.l_len != 1 || lock.l_pid != -1)
            return 0;
        if (Lock_Clock::now() >= until) return EBUSY;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// One name per file, so that a save cut short leaves at most one behind.
// A name too long to take the suffix is cut and marked with a hash of the
// whole name, so that two such files never share one; cut names fill all
// 255 bytes and uncut ones never do, so the two kinds never meet either.
QByteArray Temp_Name(const QByteArray& leaf) {
    const QByteArray suffix(Temp_Suffix);
    if (leaf.size() + suffix.size() < 255) return leaf + suffix;
    const QByteArray mark = '~' + QByteArray::number(name_hash(leaf), 16).rightJustified(16, '0');
    return leaf.left(255 - suffix.size() - mark.size()) + mark + suffix;
}

int Open_Leftover(const Place& place, const QByteArray& temp, const struct stat* file, int flags,
                  int& fd) {
    struct stat st {};
    if (::fstatat(place.folder, temp.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (!leftover_of_ours(st, file)) return EACCES;
    fd = ::openat(place.folder, temp.constData(),
                  flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno == ELOOP ? EACCES : errno;
    struct stat now {};
    if (::fstat(fd, &now) == 0 && Same_File(st, now) && leftover_of_ours(now, file)) return 0;
    ::close(fd);
    fd = -1;
    return EACCES;
}

bool Journal_Kept_Private(int fd) {
    struct stat st {};
    // An access list shows in the group bits, so they decide for it too.
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
           st.st_uid == ::geteuid() && (st.st_mode & (07000 | S_IWGRP | S_IWOTH)) == 0;
}

int Remove_Leftover(int fd, const Place& place, const QByteArray& temp) {
    if (::unlinkat(place.folder, temp.constData(), 0) == 0) {
        (void)Sync_Folder(place, fd);
        return 0;
    }
    const int e = errno;
    if (::ftruncate(fd, 0) == 0) (void)Sync_File(fd);
    return e;
}

bool Still_Named(int fd, const Place& place, const QByteArray& temp) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 &&
           ::fstatat(place.folder, temp.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           Same_File(held, named);
}

// A handler whose window has gone meanwhile writes nothing more.
int Write_File(const QString& path, const QByteArray& data) {
    if (Handler_Stopped()) return ECANCELED;
    const auto until = Lock_Clock::now() + Lock_Wait;

    // Find the file: links are followed, and a pipe, a device or a folder is
    // never replaced by a file. Temporary names are the program's own.
    QByteArray name;
    Place place;
    if (const int e = System_Name(path, name)) return e;
    if (const int e = Find_Place(name, true, place)) return e;
    if (place.leaf.endsWith(Temp_Suffix)) return EINVAL;
    const char* const leaf = place.leaf.constData();
    struct stat old {};
    if (::fstatat(place.folder, leaf, &old, AT_SYMLINK_NOFOLLOW) == 0)
        if (const int e = Kind_Error(old.st_mode)) return e;

    // Make the temporary file, once what a save cut short left is settled.
    const QByteArray temp = Temp_Name(place.leaf);
    int fd = -1;
    if (const int e = take_temp(place, temp, until, fd)) return e;

    // Choose the path, with the file as it is now that no other save runs.
    // Bytes that begin as a journal never stand at the temporary name: they
    // go in place, behind a journal of the program's own, and make no file.
    const bool existed = ::fstatat(place.folder, leaf, &old, AT_SYMLINK_NOFOLLOW) == 0;
    const bool marked = Journal_Marked(data);
    int e = existed ? Kind_Error(old.st_mode) : 0;
    if (e == 0 && existed) e = Writable(place, old);
    if (e == 0 && existed && Planted(place.folder, old)) e = EACCES;
    if (e == 0 && !existed && marked) e = EINVAL;
    if (e == 0) e = fault_at(Write_Stage::Start);

    // Write.
    bool renamed = false, kept_journal = false;
    if (e == 0 && existed && (marked || !can_replace(fd, place, old)))
        e = write_in_place(fd, place, old, data, until, kept_journal);
    else if (e == 0)
        e = replace_by_rename(fd, place, temp, data, existed ? &old : nullptr, renamed);

    // Clean up.
    if (!renamed && !kept_journal) (void)Remove_Leftover(fd, place, temp);
    ::close(fd);
    return e;
}

void Set_Write_Fault(int error, Write_Stage stage) {
    if (error == 0)
        std::fill(std::begin(g_fault), std::end(g_fault), 0);
    else
        g_fault[int(stage)] = error;
}

void File_Io_Reset() {
    Set_Write_Fault(0);
}
