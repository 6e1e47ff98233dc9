#include "platform/file_io.h"
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
int g_fault = 0;
Write_Stage g_fault_stage = Write_Stage::Start;

int kind_error(mode_t mode) {
    if (S_ISREG(mode)) return 0;
    return S_ISDIR(mode) ? EISDIR : ESPIPE;
}

// 0 with the bytes of a path for the system; ENOENT for an empty name or
// one holding a NUL, EILSEQ for one no file can have.
int system_name(const QString& path, QByteArray& name) {
    if (!Name_To_Bytes(path, name)) return EILSEQ;
    return name.isEmpty() || name.contains('\0') ? ENOENT : 0;
}

void append_utf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool is_escape(char16_t u) {
    return u >= 0xDC80 && u <= 0xDCFF;
}
} // namespace

QString Name_From_Bytes(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        const unsigned c = p[i];
        if (c < 0x80) {
            out += QChar(char16_t(c));
            ++i;
            continue;
        }
        int len = 0;
        char32_t cp = 0, least = 0;
        if (c >= 0xC2 && c <= 0xDF)
            len = 2, cp = c & 0x1F, least = 0x80;
        else if (c >= 0xE0 && c <= 0xEF)
            len = 3, cp = c & 0x0F, least = 0x800;
        else if (c >= 0xF0 && c <= 0xF4)
            len = 4, cp = c & 0x07, least = 0x10000;
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are no
        // UTF-8: an encoded U+DC80..U+DCFF must not pass for an escaped byte.
        ok = ok && cp >= least && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (!ok) {
            out += QChar(char16_t(0xDC00 + c));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(char16_t(cp));
        }
        i += len;
    }
    return out;
}

bool Name_To_Bytes(const QString& name, QByteArray& bytes) {
    bytes.clear();
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            append_utf8(bytes, QChar::surrogateToUcs4(u, name[i + 1].unicode()));
            ++i;
        } else if (is_escape(u)) {
            bytes += char(u - 0xDC00);
        } else if (QChar::isSurrogate(u)) {
            bytes.clear();
            return false;
        } else {
            append_utf8(bytes, u);
        }
    }
    return true;
}

QString Name_Shown(const QString& name) {
    QString out = name;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

Path_Type Path_Kind(const QString& path) {
    QByteArray name;
    struct stat st {};
    if (system_name(path, name) != 0 || ::stat(name.constData(), &st) != 0) return Path_Type::None;
    if (S_ISREG(st.st_mode)) return Path_Type::File;
    return S_ISDIR(st.st_mode) ? Path_Type::Folder : Path_Type::Other;
}

bool Path_Readable(const QString& path) {
    QByteArray name;
    return system_name(path, name) == 0 && ::access(name.constData(), R_OK) == 0;
}

QStringList Folder_Entries(const QString& folder, bool folders) {
    QStringList out;
    QByteArray name;
    if (system_name(folder, name) != 0) return out;
    DIR* dir = ::opendir(name.constData());
    if (!dir) return out;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray entry(e->d_name);
        if (entry == "." || entry == "..") continue;
        if (folders && entry.startsWith('.')) continue;
        // Links count as what they point to, as the lists always showed them.
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, 0) != 0) continue;
        if (folders ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode)) out << Name_From_Bytes(entry);
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return out;
}

QString Current_Folder() {
    QByteArray buf(4096, '\0');
    while (!::getcwd(buf.data(), static_cast<size_t>(buf.size()))) {
        if (errno != ERANGE) return QStringLiteral("/");
        buf.resize(buf.size() * 2);
    }
    return Name_From_Bytes(QByteArray(buf.constData()));
}

int Remove_File(const QString& path) {
    QByteArray name;
    if (const int e = system_name(path, name)) return e;
    return ::unlink(name.constData()) == 0 ? 0 : errno;
}

int Make_Folder(const QString& path) {
    QByteArray name;
    if (const int e = system_name(path, name)) return e;
    return ::mkdir(name.constData(), 0777) == 0 ? 0 : errno;
}

int Remove_Folder(const QString& path) {
    QByteArray name;
    if (const int e = system_name(path, name)) return e;
    return ::rmdir(name.constData()) == 0 ? 0 : errno;
}

void File_Io_Reset() {
    g_fault = 0;
    g_fault_stage = Write_Stage::Start;
}

void Set_Write_Fault(int error, Write_Stage stage) {
    g_fault = error;
    g_fault_stage = stage;
}

int Read_File(const QString& path, qint64 limit, QByteArray& data) {
    data.clear();
    QByteArray name;
    if (const int e = system_name(path, name)) return e;
    // Opening a pipe waits for a writer, and opening a device can act on it:
    // only a regular file is opened, and checked again once open.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return errno;
    if (const int e = kind_error(st.st_mode)) return e;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno;
    int err = ::fstat(fd, &st) != 0 ? errno : kind_error(st.st_mode);
    if (err == 0) {
        // The size reported may be wrong (files of /proc): read to the end.
        data.resize(static_cast<qsizetype>(std::clamp<qint64>(st.st_size, 0, limit)));
        qint64 got = 0;
        for (;;) {
            if (got == data.size()) {
                if (got >= limit) break;
                data.resize(static_cast<qsizetype>(std::min<qint64>(limit, got * 2 + 4096)));
            }
            const ssize_t n = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                err = errno;
                break;
            }
            if (n == 0) break;
            got += n;
        }
        data.resize(static_cast<qsizetype>(got));
    }
    ::close(fd);
    if (err != 0) data.clear();
    return err;
}

namespace {
// As many links as the system follows in a path.
constexpr int Max_Links = 40;
// How long a save waits for another instance saving the same file.
constexpr auto Lock_Wait = std::chrono::seconds(2);

int fault_at(Write_Stage stage) {
    return g_fault != 0 && g_fault_stage == stage ? g_fault : 0;
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

// The new bytes, from the start of the file.
int write_new(int fd, const QByteArray& data) {
    if (const int e = fault_at(Write_Stage::Write)) {
        (void)write_at(fd, data.constData(), data.size() / 2, 0);
        return e;
    }
    return write_at(fd, data.constData(), data.size(), 0);
}

// A file system that cannot sync says EINVAL; the bytes are written.
int sync_file(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

int sync_new(int fd) {
    if (const int e = fault_at(Write_Stage::Sync)) return e;
    return sync_file(fd);
}

int read_whole(int fd, QByteArray& data) {
    data.clear();
    char block[65536];
    for (;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        data.append(block, n);
    }
}

// Follows the links that name the file to the file itself, which need not
// exist yet: a link stays a link, and the file it names is the one written.
int follow_links(QByteArray& name) {
    for (int depth = 0;; ++depth) {
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
        if (depth == Max_Links) return ELOOP;
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, '\0');
        const ssize_t n = ::readlink(name.constData(), target.data(), target.size());
        if (n < 0) return errno;
        if (n >= target.size()) return ENAMETOOLONG;
        target.truncate(n);
        if (!target.startsWith('/')) target.prepend(name.left(name.lastIndexOf('/') + 1));
        name = target;
    }
}

// A file that allows no writing is refused, also to root, who may write any.
int writable(const QByteArray& name, const struct stat& st) {
    if ((st.st_mode & 0222) == 0) return EACCES;
    return ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// One name per file, so that a save cut short leaves at most one behind,
// and it still fits when the file's own name just fits.
QByteArray temp_name(const QByteArray& name) {
    static const QByteArray suffix = ".quorlen-tmp";
    const qsizetype slash = name.lastIndexOf('/');
    return name.left(slash + 1) + name.mid(slash + 1).left(255 - suffix.size()) + suffix;
}

bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int open_temp(const QByteArray& temp, int& fd) {
    // Opening a pipe or a device can act on it, and a link could lead anywhere.
    struct stat st {};
    if (::lstat(temp.constData(), &st) == 0 && !S_ISREG(st.st_mode)) return EEXIST;
    fd = ::open(temp.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
                0600);
    if (fd < 0) return errno;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return 0;
    ::close(fd);
    fd = -1;
    return EEXIST;
}

// 0, EAGAIN while another instance holds the lock, or an errno value.
int lock_temp(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EWOULDBLOCK) return EAGAIN;
    // Where the file system has no locks, the save goes on without.
    return errno == ENOLCK || errno == EOPNOTSUPP ? 0 : errno;
}

// Another instance may have renamed the file it held over its target, or
// removed it, while this one waited for the lock.
bool still_named(int fd, const QByteArray& temp) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(temp.constData(), &named) == 0 &&
           same_file(held, named);
}

// Opens the temporary file, emptied, and locks it for the whole save. One
// left by a save cut short is taken over; one that another instance is
// writing is waited for and never touched: EBUSY when it takes too long.
int take_temp(const QByteArray& temp, int& fd) {
    const auto until = std::chrono::steady_clock::now() + Lock_Wait;
    for (;;) {
        if (const int e = open_temp(temp, fd)) return e;
        const int locked = lock_temp(fd);
        if (locked == 0 && still_named(fd, temp)) {
            if (::ftruncate(fd, 0) == 0) return 0;
            const int e = errno;
            ::close(fd);
            return e;
        }
        ::close(fd);
        fd = -1;
        if (locked != 0 && locked != EAGAIN) return locked;
        if (std::chrono::steady_clock::now() >= until) return EBUSY;
        if (locked == EAGAIN) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The new file may take the old one's place when nothing the user set on
// the old one is lost by that: it has no other name, and the new file can
// have its owner and group.
bool can_replace(int fd, const struct stat& old) {
    if (old.st_nlink != 1) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    return (st.st_uid == old.st_uid && st.st_gid == old.st_gid) ||
           ::fchown(fd, old.st_uid, old.st_gid) == 0;
}

// The rights a file made by open() would get; a stale temporary file has its own.
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The bytes go to the temporary file, which is renamed over the file only
// when every byte is on the disk.
int replace_by_rename(int fd, const QByteArray& temp, const QByteArray& name,
                      const QByteArray& data, const struct stat* old) {
    if (const int e = write_new(fd, data)) return e;
    // Set after the owner: a change of owner clears the set-id bits.
    if (::fchmod(fd, old ? old->st_mode & 07777 : new_file_mode()) != 0) return errno;
    if (const int e = sync_new(fd)) return e;
    return ::rename(temp.constData(), name.constData()) == 0 ? 0 : errno;
}

// Written in place, so that every name of the file and its owner stay: the
// old bytes are first copied to the temporary file, and written back over a
// failed write, which needs no new room on a full disk. kept_copy is set
// when even that failed: the copy is then the only whole one.
int write_in_place(int fd, const QByteArray& name, const struct stat& old, const QByteArray& data,
                   bool& kept_copy) {
    const int file = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (file < 0) return errno;
    QByteArray before;
    struct stat st {};
    int e = ::fstat(file, &st) != 0 ? errno : same_file(st, old) ? 0 : EAGAIN;
    if (e == 0) e = read_whole(file, before);
    if (e == 0) e = write_at(fd, before.constData(), before.size(), 0);
    if (e == 0) e = sync_file(fd);
    if (e != 0) {
        ::close(file);
        return e;
    }
    e = write_new(file, data);
    if (e == 0 && ::ftruncate(file, data.size()) != 0) e = errno;
    if (e == 0) e = sync_new(file);
    if (e != 0) {
        const bool restored = write_at(file, before.constData(), before.size(), 0) == 0 &&
                              ::ftruncate(file, before.size()) == 0 && sync_file(file) == 0;
        kept_copy = !restored;
    }
    if (::close(file) != 0 && e == 0) e = errno;
    return e;
}
} // namespace

int Write_File(const QString& path, const QByteArray& data) {
    QByteArray name;
    if (const int e = system_name(path, name)) return e;
    if (const int e = follow_links(name)) return e;
    // A pipe, a device or a folder is never replaced by a file.
    struct stat old {};
    const bool existed = ::stat(name.constData(), &old) == 0;
    if (existed)
        if (const int e = kind_error(old.st_mode)) return e;
    const QByteArray temp = temp_name(name);
    int fd = -1;
    if (const int e = take_temp(temp, fd)) return e;
    // Checked with the temporary file taken, so that even a refused save
    // clears what one cut short left.
    int e = existed ? writable(name, old) : 0;
    if (e == 0) e = fault_at(Write_Stage::Start);
    bool renamed = false, kept_copy = false;
    if (e == 0 && existed && !can_replace(fd, old)) {
        e = write_in_place(fd, name, old, data, kept_copy);
    } else if (e == 0) {
        e = replace_by_rename(fd, temp, name, data, existed ? &old : nullptr);
        renamed = e == 0;
    }
    // Removed while still locked: no other instance is writing it.
    if (!renamed && !kept_copy) ::unlink(temp.constData());
    ::close(fd);
    return e;
}
