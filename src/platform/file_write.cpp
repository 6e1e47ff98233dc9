// The writer of every file the program keeps. A save takes the file's one
// temporary file, which is also the lock of that name, and then either
// renames a new file over the old one or, where that would lose what the
// user set on the file, writes it in place behind a journal of its old bytes.
#include "platform/file_io.h"
#include "platform/file_sys.h"
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
int g_fault = 0;
Write_Stage g_fault_stage = Write_Stage::Start;

bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int write_at(int fd, const char* bytes, qint64 size, off_t at) {
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, bytes + done, static_cast<size_t>(size - done), at + done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += n;
    }
    return 0;
}

int read_at(int fd, QByteArray& data, off_t from) {
    data.clear();
    char block[65536];
    for (;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, from + data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        data.append(block, n);
    }
}

// A file system that cannot sync says EINVAL; the bytes are written.
int sync_file(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

// Tells a journal from other bytes and a whole one from one cut short; no
// defence against forgery is needed, only against chance.
quint64 checksum(const QByteArray& data) {
    const char* p = data.constData();
    const qsizetype n = data.size();
    quint64 h = 0x9E3779B97F4A7C15ull ^ static_cast<quint64>(n);
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    for (; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * 0x100000001B3ull;
    return h ^ (h >> 29);
}

// ---- Test seams

int fault_at(Write_Stage stage) {
    return g_fault != 0 && g_fault_stage == stage ? g_fault : 0;
}

// The new bytes, from the start of the file.
int write_new(int fd, const QByteArray& data) {
    if (const int e = fault_at(Write_Stage::Write)) {
        (void)write_at(fd, data.constData(), data.size() / 2, 0);
        if (e == Write_Fault_Kill) ::raise(SIGKILL);
        return e;
    }
    return write_at(fd, data.constData(), data.size(), 0);
}

int sync_new(int fd) {
    if (const int e = fault_at(Write_Stage::Sync)) return e;
    return sync_file(fd);
}

// ---- The temporary file

// One name per file, so that a save cut short leaves at most one behind.
// A name too long to take the suffix is cut and marked with a hash of the
// whole name, so that two such files never share one; cut names fill all
// 255 bytes and uncut ones never do, so the two kinds never meet either.
QByteArray temp_name(const QByteArray& name) {
    static const QByteArray suffix = ".quorlen-tmp";
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder = name.left(slash + 1), own = name.mid(slash + 1);
    if (own.size() + suffix.size() < 255) return folder + own + suffix;
    const QByteArray mark = '~' + QByteArray::number(checksum(own), 16).rightJustified(16, '0');
    return folder + own.left(255 - suffix.size() - mark.size()) + mark + suffix;
}

// Only what this program could have left there is taken over: a regular file
// of this user with no other name. Anything else is somebody's work.
bool ours(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
}

// Opens the temporary file that stands there: ENOENT when there is none,
// EACCES when it is not ours, which is then neither opened nor read.
int open_ours(const QByteArray& temp, int flags, int& fd) {
    struct stat st {};
    if (::lstat(temp.constData(), &st) != 0) return errno;
    if (!ours(st)) return EACCES;
    fd = ::open(temp.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno == ELOOP ? EACCES : errno;
    struct stat now {};
    if (::fstat(fd, &now) == 0 && same_file(st, now) && ours(now)) return 0;
    ::close(fd);
    fd = -1;
    return EACCES;
}

// Another instance may have renamed the file it held over its target, or
// removed it, while this one waited for the lock.
bool still_named(int fd, const QByteArray& temp) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(temp.constData(), &named) == 0 &&
           same_file(held, named);
}

// Opens, or makes, the temporary file and locks it for the whole save.
// Another instance saving the same name holds it meanwhile: EBUSY when
// that takes too long.
int take_temp(const QByteArray& temp, Lock_Clock::time_point until, int& fd) {
    for (;; fd = -1) {
        if (Lock_Clock::now() >= until) return EBUSY;
        fd = ::open(temp.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                    0600);
        if (fd < 0 && errno != EEXIST) return errno;
        if (fd < 0)
            if (const int e = open_ours(temp, O_RDWR, fd)) {
                if (e == ENOENT) continue; // gone in between: made anew
                return e;
            }
        const int locked = Lock_Until(fd, LOCK_EX, until);
        if (locked == 0 && still_named(fd, temp)) return 0;
        ::close(fd);
        if (locked != 0) return locked;
    }
}

// Locks the file itself, so that saves through its other names wait too,
// and checks that the name still names the file locked.
int lock_file(int file, const QByteArray& name, Lock_Clock::time_point until) {
    if (const int e = Lock_Until(file, LOCK_EX, until)) return e;
    struct stat held {};
    struct stat named {};
    return ::fstat(file, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
                   same_file(held, named)
               ? 0
               : EAGAIN;
}

// ---- The journal of a save in place
//
// The temporary file then holds a head that names the file and its old
// bytes, followed by them. It is whole and on the disk before the
// first new byte is written, and stays until the file is whole again.

constexpr char Journal_Magic[] = "quorlen journal\n";

struct Journal_Head {
    char magic[16];
    quint64 dev, ino, old_size, old_sum;
};
static_assert(sizeof(Journal_Head) == 48);

int write_journal(int fd, const struct stat& file, const QByteArray& old) {
    Journal_Head head{};
    std::memcpy(head.magic, Journal_Magic, sizeof head.magic);
    head.dev = file.st_dev;
    head.ino = file.st_ino;
    head.old_size = static_cast<quint64>(old.size());
    head.old_sum = checksum(old);
    int e = write_at(fd, reinterpret_cast<const char*>(&head), sizeof head, 0);
    if (e == 0) e = write_at(fd, old.constData(), old.size(), sizeof head);
    return e != 0 ? e : sync_file(fd);
}

bool is_journal(int fd, Journal_Head& head) {
    return ::pread(fd, &head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
           std::memcmp(head.magic, Journal_Magic, sizeof head.magic) == 0;
}

// The old bytes, when the temporary file holds a whole journal of this very
// file. Anything else there (the new bytes of a rename cut short, a journal
// cut short before the file was touched, one of a file no longer there) is
// no journal of it.
bool read_journal(int fd, const struct stat& file, Journal_Head& head, QByteArray& old) {
    struct stat st {};
    if (!is_journal(fd, head) || head.dev != file.st_dev || head.ino != file.st_ino ||
        ::fstat(fd, &st) != 0 || quint64(st.st_size) != sizeof head + head.old_size)
        return false;
    return read_at(fd, old, sizeof head) == 0 && checksum(old) == head.old_sum;
}

// With the temporary file held: a journal left there for the file is put
// back, since the save it kept was never reported done. 0 when the file is
// whole and the temporary file may go; otherwise the journal must stay.
int settle(int temp, const QByteArray& name, Lock_Clock::time_point until) {
    struct stat st {};
    Journal_Head head{};
    QByteArray old;
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        !read_journal(temp, st, head, old))
        return 0;
    const int file = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (file < 0) return errno;
    int e = lock_file(file, name, until);
    if (e == 0) e = write_at(file, old.constData(), old.size(), 0);
    if (e == 0 && ::ftruncate(file, old.size()) != 0) e = errno;
    if (e == 0) e = sync_file(file);
    if (::close(file) != 0 && e == 0) e = errno;
    return e;
}

// ---- The two ways of writing

// The new file may take the old one's place when nothing the user set on
// the old one is lost by that: it has no other name, and the new file can
// be given its owner and group. Tried, and undone at once: a temporary file
// of another owner left by a crash would no longer be this program's.
bool can_replace(int fd, const struct stat& old) {
    if (old.st_nlink != 1) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    return (st.st_uid == old.st_uid && st.st_gid == old.st_gid) ||
           (::fchown(fd, old.st_uid, old.st_gid) == 0 && ::fchown(fd, st.st_uid, st.st_gid) == 0);
}

// The rights a file made by open() would get; a stale temporary file has its own.
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// So that a power cut after the save keeps the new name. A file system that
// cannot sync a folder, or a folder this user may not open, is no failure.
int sync_folder(const QByteArray& name) {
    QByteArray folder = name.left(name.lastIndexOf('/') + 1);
    if (folder.isEmpty()) folder = ".";
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return 0;
    const int e =
        ::fsync(dir) == 0 || errno == EINVAL || errno == EROFS || errno == EBADF ? 0 : errno;
    ::close(dir);
    return e;
}

// The bytes go to the temporary file, which is renamed over the file only
// when every byte is on the disk.
int replace_by_rename(int fd, const QByteArray& temp, const QByteArray& name,
                      const QByteArray& data, const struct stat* old, bool& renamed) {
    if (const int e = write_new(fd, data)) return e;
    if (const int e = sync_new(fd)) return e;
    // Given away last, so that a temporary file left by a crash is still ours.
    if (old && ::fchown(fd, old->st_uid, old->st_gid) != 0) return errno;
    // Set after the owner: a change of owner clears the set-id bits.
    if (::fchmod(fd, old ? old->st_mode & 07777 : new_file_mode()) != 0) return errno;
    if (::rename(temp.constData(), name.constData()) != 0) return errno;
    renamed = true;
    return sync_folder(name);
}

// Written in place, so that every name of the file and its owner stay. A
// failed write gets the old bytes back over the same blocks, which needs no
// new room on a full disk; where even that fails, or the program is killed,
// the journal stays: kept_journal.
int write_in_place(int temp, const QByteArray& name, const struct stat& old, const QByteArray& data,
                   Lock_Clock::time_point until, bool& kept_journal) {
    const int file = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (file < 0) return errno;
    QByteArray before;
    struct stat st {};
    int e = lock_file(file, name, until);
    if (e == 0) e = ::fstat(file, &st) != 0 ? errno : same_file(st, old) ? 0 : EAGAIN;
    if (e == 0) e = read_at(file, before, 0);
    if (e == 0) e = write_journal(temp, st, before);
    if (e == 0) {
        e = write_new(file, data);
        if (e == 0 && ::ftruncate(file, data.size()) != 0) e = errno;
        if (e == 0) e = sync_new(file);
        if (e != 0)
            kept_journal = write_at(file, before.constData(), before.size(), 0) != 0 ||
                           ::ftruncate(file, before.size()) != 0 || sync_file(file) != 0;
    }
    if (::close(file) != 0 && e == 0) e = errno;
    return e;
}

// A file that allows no writing is refused, also to root, who may write any.
int writable(const QByteArray& name, const struct stat& st) {
    if ((st.st_mode & 0222) == 0) return EACCES;
    return ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}
} // namespace

int Lock_Until(int fd, int how, Lock_Clock::time_point until) {
    for (;;) {
        if (::flock(fd, how | LOCK_NB) == 0) return 0;
        if (errno == EINTR) continue;
        if (errno == ENOLCK || errno == EOPNOTSUPP) return 0;
        if (errno != EWOULDBLOCK) return errno;
        if (Lock_Clock::now() >= until) return EBUSY;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int Settle_Journal(const QByteArray& path_name) {
    QByteArray name = path_name;
    if (Follow_Links(name) != 0) return 0; // the read itself says what is wrong
    const QByteArray temp = temp_name(name);
    int fd = -1;
    if (open_ours(temp, O_RDONLY, fd) != 0) return 0;
    // Only a journal needs the lock: the new bytes of a rename leave the file whole.
    Journal_Head head{};
    int e = 0;
    if (is_journal(fd, head)) {
        e = Lock_Until(fd, LOCK_EX, Lock_Clock::now() + Lock_Wait);
        if (e == 0 && still_named(fd, temp)) {
            e = settle(fd, name, Lock_Clock::now() + Lock_Wait);
            if (e == 0) ::unlink(temp.constData());
        }
    }
    ::close(fd);
    return e;
}

int Write_File(const QString& path, const QByteArray& data) {
    const auto until = Lock_Clock::now() + Lock_Wait;

    // Find the file: links are followed, and a pipe, a device or a folder is
    // never replaced by a file.
    QByteArray name;
    if (const int e = System_Name(path, name)) return e;
    if (const int e = Follow_Links(name)) return e;
    struct stat old {};
    if (::stat(name.constData(), &old) == 0)
        if (const int e = Kind_Error(old.st_mode)) return e;

    // Take the temporary file; what a save cut short left there is settled
    // first, and a journal that cannot be put back stays. It will hold the
    // file's bytes: nobody else may read them meanwhile.
    const QByteArray temp = temp_name(name);
    int fd = -1;
    if (const int e = take_temp(temp, until, fd)) return e;
    if (const int e = settle(fd, name, until);
        e != 0 || ::ftruncate(fd, 0) != 0 || ::fchmod(fd, 0600) != 0) {
        const int err = e != 0 ? e : errno;
        ::close(fd);
        return err;
    }

    // Choose the path, with the file as it is now that no other save runs.
    // Checked with the temporary file taken, so that even a refused save
    // clears what one cut short left.
    const bool existed = ::stat(name.constData(), &old) == 0;
    int e = existed ? Kind_Error(old.st_mode) : 0;
    if (e == 0 && existed) e = writable(name, old);
    if (e == 0) e = fault_at(Write_Stage::Start);

    // Write.
    bool renamed = false, kept_journal = false;
    if (e == 0 && existed && !can_replace(fd, old))
        e = write_in_place(fd, name, old, data, until, kept_journal);
    else if (e == 0)
        e = replace_by_rename(fd, temp, name, data, existed ? &old : nullptr, renamed);

    // Clean up, while still locked: no other instance is writing it.
    if (!renamed && !kept_journal) ::unlink(temp.constData());
    ::close(fd);
    return e;
}

void Set_Write_Fault(int error, Write_Stage stage) {
    g_fault = error;
    g_fault_stage = stage;
}

void File_Io_Reset() {
    Set_Write_Fault(0);
}
