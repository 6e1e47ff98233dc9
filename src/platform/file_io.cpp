#include "platform/file_io.h"
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int g_fault = 0;

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
}

void Set_Write_Fault(int error) {
    g_fault = error;
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

int Write_File(const QString& path, const QByteArray& data) {
    QByteArray name;
    if (const int e = system_name(path, name)) return e;
    // A link stays a link: the file it names is the one replaced.
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode))
        if (char* real = ::realpath(name.constData(), nullptr)) {
            name = real;
            std::free(real);
        }
    // A pipe, a device or a folder is never replaced by a file.
    const bool existed = ::stat(name.constData(), &st) == 0;
    if (existed)
        if (const int e = kind_error(st.st_mode)) return e;

    const qsizetype slash = name.lastIndexOf('/');
    // The temporary name must fit where the file's own name just fits.
    const QByteArray stem = name.left(slash + 1) + name.mid(slash + 1).left(200) + '.';
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = stem + QByteArray::number(QRandomGenerator::global()->generate() % 0x1000000, 16);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && (errno != EEXIST || attempt > 100)) return errno;
    }
    auto fail = [&](int e) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.constData());
        return e;
    };
    if (g_fault) return fail(g_fault);
    // The new file keeps the rights of the one it replaces.
    if (existed) (void)::fchmod(fd, st.st_mode & 07777);
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n =
            ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        if (n == 0) return fail(EIO);
        done += n;
    }
    // A file system that cannot sync says EINVAL; the bytes are written.
    if (::fsync(fd) != 0 && errno != EINVAL) return fail(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (::rename(temp.constData(), name.constData()) != 0) return fail(errno);
    return 0;
}
