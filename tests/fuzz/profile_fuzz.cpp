// The settings file's key reader and writer: each input is a file; keys of
// its own and of the program are written into it. A written key reads
// back, and every other line of the file stays as it was, byte for byte;
// a leading byte-order mark changes nothing else.
#include "fuzz_support.h"
#include "platform/profile.h"
#include <QList>
#include <QString>
#include <QStringList>

namespace {
// The file's lines without their ends (LF, or CR LF). A CR that ends the
// file counts as the last line's end: a line written after it completes it.
QList<QByteArray> lines_of(const QByteArray& file) {
    QList<QByteArray> lines = file.split('\n');
    const QByteArray unended = lines.takeLast();
    if (!unended.isEmpty()) lines << unended;
    for (QByteArray& line : lines)
        if (line.endsWith('\r')) line.chop(1);
    return lines;
}

// A name the program could use: ASCII letters, digits, blanks inside, and
// none of the characters that give a line its meaning.
bool usable_name(const QString& name) {
    if (name.isEmpty() || name != name.trimmed() || name.size() > 40) return false;
    for (QChar c : name)
        if (!(c.isLetterOrNumber() || c == ' ' || c == '-' || c == '_' || c == '.') ||
            c.unicode() > 127)
            return false;
    return true;
}

// Values are written trimmed, on one line. A value in quotes reads back
// without them, as the format has it.
QString usable_value(QString v) {
    // A slice may split a surrogate pair; the program's text never does.
    v = QString::fromUtf8(v.toUtf8());
    v.remove('\r').remove('\n').remove(QChar(0));
    v = v.trimmed();
    while (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.chopped(1).trimmed();
    return v;
}

bool is_entry_for(const QByteArray& line, const QString& key, const QString& value) {
    const QString text = QString::fromUtf8(line);
    const qsizetype eq = text.indexOf('=');
    return eq > 0 && text.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0 &&
           text.mid(eq + 1) == value;
}

std::string show(const QList<QByteArray>& lines) {
    std::string out;
    for (const QByteArray& l : lines) out += "\n      |" + Fuzz_Hex(l) + "| " + l.toStdString();
    return out;
}

void check_write(const QString& path, const QString& section, const QString& key,
                 const QString& value) {
    const QByteArray before = Fuzz_Read_File(path);
    const std::string what = "[" + section.toStdString() + "] " + key.toStdString() + "=" +
                             value.toStdString() + " into " + Fuzz_Hex(before);
    FUZZ_CHECK(Profile_Write(section, key, value, path), what);
    const QByteArray after = Fuzz_Read_File(path);

    // The key reads back, its names in any letter case.
    const QString back = Profile_Read(section.toUpper(), key.toLower(), "\x01none", path);
    FUZZ_CHECK(back == value, what + "\n    read back " + back.toStdString());

    // Between the lines kept at the start and at the end, the entry took one
    // line's place, or came in as one line, or with its section head at the end.
    const QList<QByteArray> old = lines_of(before), now = lines_of(after);
    qsizetype head = 0;
    while (head < old.size() && head < now.size() && old[head] == now[head]) ++head;
    qsizetype tail = 0;
    while (tail < old.size() - head && tail < now.size() - head &&
           old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    const QList<QByteArray> gone = old.mid(head, old.size() - head - tail);
    const QList<QByteArray> came = now.mid(head, now.size() - head - tail);
    const QByteArray section_head = ("[" + section + "]").toUtf8();
    const bool ok =
        (gone.isEmpty() && came.isEmpty()) ||
        (gone.size() == 1 && came.size() == 1 && is_entry_for(came[0], key, value)) ||
        (gone.isEmpty() && came.size() == 1 && is_entry_for(came[0], key, value)) ||
        (gone.isEmpty() && tail == 0 && came.size() >= 2 && came.size() <= 3 &&
         came[came.size() - 2] == section_head && is_entry_for(came.back(), key, value) &&
         (came.size() == 2 || came[0].trimmed().isEmpty()));
    FUZZ_CHECK(ok, what + "\n    lines gone:" + show(gone) + "\n    lines come:" + show(came));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The file, and beside it the same file after a byte-order mark, which
    // must change nothing read or written and stay where it is.
    const QByteArray bom = "\xEF\xBB\xBF";
    QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    while (file.startsWith(bom)) file.remove(0, bom.size());
    const QString path = Fuzz_Path("Quorlen.INI"), marked = Fuzz_Path("Marked.INI");
    Fuzz_Write_File(path, file);
    Fuzz_Write_File(marked, bom + file);
    const std::uint32_t h = Fuzz_Hash(data, size);

    // The file's own sections and keys, as the program would name them.
    QStringList sections{"Main Window", "MIDI", "Recent Files"}, keys{"Left", "Output", "Tone1"};
    for (const QByteArray& raw : lines_of(file)) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            const QString s = line.mid(1, line.size() - 2).trimmed();
            if (usable_name(s) && !sections.contains(s)) sections << s;
        } else if (const qsizetype eq = line.indexOf('='); eq > 0) {
            const QString k = line.left(eq).trimmed();
            if (usable_name(k) && !keys.contains(k)) keys << k;
        }
    }
    const QString text = QString::fromUtf8(file);
    for (int n = 0; n < 4; ++n) {
        const std::uint32_t r = h * (2 * n + 1) + static_cast<std::uint32_t>(n) * 0x9E3779B9u;
        const QString section = sections[static_cast<qsizetype>(r % sections.size())];
        const QString key = keys[static_cast<qsizetype>((r >> 8) % keys.size())];
        const qsizetype from = text.isEmpty() ? 0 : static_cast<qsizetype>((r >> 4) % text.size());
        const QString value = usable_value(text.mid(from, (r >> 20) % 48));
        const QString before = Profile_Read(section, key, "\x01none", path);
        FUZZ_CHECK(Profile_Read(section, key, "\x01none", marked) == before,
                   "[" + section.toStdString() + "] " + key.toStdString() + " after a mark");
        check_write(path, section, key, value);
        FUZZ_CHECK(Profile_Write(section, key, value, marked) &&
                       Fuzz_Read_File(marked) == bom + Fuzz_Read_File(path),
                   "[" + section.toStdString() + "] " + key.toStdString() + "=" +
                       value.toStdString() + " after a mark: " + Fuzz_Hex(Fuzz_Read_File(marked)));
    }
    return 0;
}
