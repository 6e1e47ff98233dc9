#include "midi/routines.h"
#include "platform/file_io.h"
#include "platform/host.h"
#include <QCoreApplication>

int File_Err = 0;

void Routines_Reset() {
    File_Err = 0;
}

void Do_Events() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool File_Exists(QString path) {
    if (path.endsWith(Path_Separator)) path.chop(1);
    File_Err = 0;
    if (!path.isEmpty()) {
        const Path_Type kind = Path_Kind(path);
        if (kind == Path_Type::None) {
            File_Err = 53;
        } else if (kind != Path_Type::File || !Path_Readable(path)) {
            // Decided from the file's kind and rights, never by opening it:
            // opening a pipe waits for a writer. Only a regular file is a file.
            File_Err = kind != Path_Type::File ? 75 : 70;
        }
    }
    return File_Err == 0;
}

namespace {
QString trim_right(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.left(n);
}
} // namespace

QString Add_Backslash(QString& path) {
    if (!trim_right(path).endsWith(Path_Separator)) {
        path = Blanks_Trimmed(path);
        Add_Slash(path);
    }
    return path;
}

QString& Add_Slash(QString& folder) {
    if (!folder.endsWith(Path_Separator)) folder += Path_Separator;
    return folder;
}

QString In_Folder(QString folder, const QString& name) {
    return name.startsWith(Path_Separator) ? name : Add_Slash(folder) + name;
}

QString Ascii_Upper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - (u'a' - u'A'));
    return out;
}

QString Blanks_Trimmed(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text.at(first) == u' ') ++first;
    while (last > first && text.at(last - 1) == u' ') --last;
    return text.mid(first, last - first);
}

double Win_Version() {
    const std::uint32_t v = Host_Get_Version();
    const unsigned major = v & 0xFF, minor = (v >> 8) & 0xFF;
    return QString("%1.%2").arg(major).arg(minor, 2, 10, QChar('0')).toDouble();
}

void Empty_Sub() {}
