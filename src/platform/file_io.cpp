#include "platform/file_io.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int g_fault = 0;

int kind_error(mode_t mode) {
    if (S_ISREG(mode)) return 0;
    return S_ISDIR(mode) ? EISDIR : ESPIPE;
}
} // namespace

void File_Io_Reset() {
    g_fault = 0;
}

void Set_Write_Fault(int error) {
    g_fault = error;
}

int Read_File(const QString& path, qint64 limit, QByteArray& data) {
    data.clear();
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0')) return ENOENT;
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
    // A pipe, a device or a folder is never replaced by a file.
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (!name.isEmpty() && ::stat(name.constData(), &st) == 0)
        if (const int e = kind_error(st.st_mode)) return e;
    QSaveFile out(path);
    errno = 0;
    // Unbuffered: a write that does not reach the file fails here. Buffered,
    // the failure would come in a flush whose error commit() passes over,
    // renaming a short or empty file over the old one.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return errno ? errno : EACCES;
    errno = 0;
    const qint64 written = g_fault ? -1 : out.write(data);
    if (written != data.size() || !out.flush()) {
        const int e = g_fault ? g_fault : errno ? errno : EIO;
        out.cancelWriting();
        return e;
    }
    errno = 0;
    if (!out.commit()) return errno ? errno : EIO;
    return 0;
}
