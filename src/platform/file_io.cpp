#include "platform/file_io.h"
#include "platform/file_sys.h"
#include "platform/handlers.h"
#include <algorithm>
#include <cerrno>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// As many links as the system follows in a path.
constexpr int Max_Links = 40;

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
    if (System_Name(path, name) != 0 || ::stat(name.constData(), &st) != 0) return Path_Type::None;
    if (S_ISREG(st.st_mode)) return Path_Type::File;
    return S_ISDIR(st.st_mode) ? Path_Type::Folder : Path_Type::Other;
}

bool Path_Readable(const QString& path) {
    QByteArray name;
    return System_Name(path, name) == 0 && ::access(name.constData(), R_OK) == 0;
}

QStringList Folder_Entries(const QString& folder, bool folders) {
    QStringList out;
    QByteArray name;
    if (System_Name(folder, name) != 0) return out;
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
    if (Handler_Stopped()) return ECANCELED;
    QByteArray name;
    Place place;
    if (const int e = System_Name(path, name)) return e;
    if (const int e = Find_Place(name, false, place)) return e;
    return ::unlinkat(place.folder, place.leaf.constData(), 0) == 0 ? 0 : errno;
}

int Make_Folder(const QString& path) {
    if (Handler_Stopped()) return ECANCELED;
    QByteArray name;
    Place place;
    if (const int e = System_Name(path, name)) return e;
    if (const int e = Find_Place(name, false, place)) return e;
    return ::mkdirat(place.folder, place.leaf.constData(), 0777) == 0 ? 0 : errno;
}

int Remove_Folder(const QString& path) {
    if (Handler_Stopped()) return ECANCELED;
    QByteArray name;
    Place place;
    if (const int e = System_Name(path, name)) return e;
    if (const int e = Find_Place(name, false, place)) return e;
    return ::unlinkat(place.folder, place.leaf.constData(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

int Kind_Error(mode_t mode) {
    if (S_ISREG(mode)) return 0;
    return S_ISDIR(mode) ? EISDIR : ESPIPE;
}

int System_Name(const QString& path, QByteArray& name) {
    if (!Name_To_Bytes(path, name)) return EILSEQ;
    return name.isEmpty() || name.contains('\0') ? ENOENT : 0;
}

Place::~Place() {
    if (folder >= 0) ::close(folder);
}

bool Planted(int folder, const struct stat& entry) {
    if (entry.st_uid == ::geteuid()) return false;
    struct stat dir {};
    if (::fstat(folder, &dir) != 0) return true;
    return (dir.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH) && dir.st_uid != entry.st_uid;
}

namespace {

// The names of a path in order, with "." for a last name that must be a
// folder (a path that ends in "/").
void push_names(std::deque<QByteArray>& names, const QByteArray& path, bool keep_slash) {
    QList<QByteArray> parts = path.split('/');
    if (keep_slash && path.endsWith('/')) parts.append(".");
    for (auto it = parts.crbegin(); it != parts.crend(); ++it)
        if (!it->isEmpty()) names.push_front(*it);
}

int open_root(bool absolute, int& folder) {
    if (folder >= 0) ::close(folder);
    folder = ::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    return folder < 0 ? errno : 0;
}
} // namespace

int Find_Place(const QByteArray& name, bool follow_last, Place& place) {
    std::deque<QByteArray> names;
    push_names(names, name, follow_last);
    if (names.empty()) names.push_back(".");
    if (const int e = open_root(name.startsWith('/'), place.folder)) return e;
    for (int links = 0;;) {
        const QByteArray part = names.front();
        names.pop_front();
        const bool last = names.empty();
        if (part == "." && !last) continue;
        struct stat st {};
        if ((follow_last || !last) && part != "." && part != ".." &&
            ::fstatat(place.folder, part.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(st.st_mode)) {
            if (++links > Max_Links) return ELOOP;
            if (Planted(place.folder, st)) return EACCES;
            QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, '\0');
            const ssize_t n =
                ::readlinkat(place.folder, part.constData(), target.data(), target.size());
            if (n < 0) return errno;
            if (n >= target.size()) return ENAMETOOLONG;
            target.truncate(n);
            if (target.isEmpty()) return ENOENT;
            if (target.startsWith('/'))
                if (const int e = open_root(true, place.folder)) return e;
            push_names(names, target, follow_last || !last);
            if (names.empty()) names.push_back(".");
            continue;
        }
        if (last) {
            place.leaf = part;
            // A name that ends in "/" is a folder's, also where the last link
            // is not followed.
            if (!follow_last && name.endsWith('/') &&
                ::fstatat(place.folder, part.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                !S_ISDIR(st.st_mode))
                return ENOTDIR;
            return 0;
        }
        // A link put there since the look above is not followed either.
        const int next =
            ::openat(place.folder, part.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) return errno;
        ::close(place.folder);
        place.folder = next;
    }
}

namespace {
// What a save in place of the file, cut short, left is settled before the
// file is read: put back, or, where it cannot or may not be written, read
// from its journal into data (from_journal). The read never fails for a
// journal, but while another instance saves the file or holds the journal:
// EBUSY.
int settle_before_read(const Place& place, qint64 limit, QByteArray& data, bool& from_journal) {
    from_journal = false;
    const QByteArray temp = Temp_Name(place.leaf);
    int fd = -1;
    // A read-only file system cannot change under the read: no lock needed.
    bool locks = true;
    if (Open_Leftover(place, temp, nullptr, O_RDWR, fd) == EROFS)
        locks = false, (void)Open_Leftover(place, temp, nullptr, O_RDONLY, fd);
    if (fd < 0) return 0;
    // Only a journal needs settling: the new bytes of a rename leave the file whole.
    int e = 0;
    if (Journal_Kept_Private(fd) && Journal_Head_Found(fd)) {
        const auto until = Lock_Clock::now() + Lock_Wait;
        if (locks) e = Lock_Until(fd, F_WRLCK, until);
        if (e == 0 && Still_Named(fd, place, temp)) {
            bool cut = false;
            e = Journal_Settle(fd, place, until, cut);
            if (e == 0 && locks)
                (void)Remove_Leftover(fd, place, temp);
            else if (e != 0 && cut)
                e = Journal_Old_Bytes(fd, limit, data), from_journal = e == 0;
            else if (e != EBUSY)
                e = 0;
        }
    }
    ::close(fd);
    return e;
}
} // namespace

int Read_File(const QString& path, qint64 limit, QByteArray& data) {
    data.clear();
    QByteArray name;
    Place place;
    if (const int e = System_Name(path, name)) return e;
    if (const int e = Find_Place(name, true, place)) return e;
    // Opening a pipe waits for a writer, and opening a device can act on it:
    // only a regular file is opened, and checked again once open.
    struct stat st {};
    if (::fstatat(place.folder, place.leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (const int e = Kind_Error(st.st_mode)) return e;
    const int fd = ::openat(place.folder, place.leaf.constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno;
    int err = ::fstat(fd, &st) != 0 ? errno : Kind_Error(st.st_mode);
    bool from_journal = false;
    if (err == 0) err = settle_before_read(place, limit, data, from_journal);
    // A save in place through another of its names holds it meanwhile.
    if (err == 0 && !from_journal) err = Lock_Until(fd, F_RDLCK, Lock_Clock::now() + Lock_Wait);
    // The size may have changed with a put-back, and the size reported may
    // be wrong (files of /proc): read to the end.
    if (err == 0 && !from_journal && ::fstat(fd, &st) != 0) err = errno;
    if (err == 0 && !from_journal) {
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
