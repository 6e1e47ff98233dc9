#include "platform/profile.h"
#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {
QStringList read_lines(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromLocal8Bit(f.readAll());
    text.replace("\r\n", "\n");
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// The section's name when the line is a section head, else a null string.
QString section_of(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']')
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

bool key_of(const QString& line, QString& key, QString& value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.front() == ';') return false;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0) return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return true;
}
} // namespace

QString Profile_Read(const QString& section, const QString& key, const QString& def,
                     const QString& file) {
    bool inSection = false;
    for (const QString& line : read_lines(file)) {
        const QString s = section_of(line);
        if (!s.isNull()) {
            inSection = s.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString k, v;
        if (inSection && key_of(line, k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            // A value in quotes keeps its outer blanks.
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.mid(1, v.size() - 2);
            return v;
        }
    }
    return def;
}

bool Profile_Write(const QString& section, const QString& key, const QString& value,
                   const QString& file) {
    QStringList lines = read_lines(file);
    const QString entry = key + "=" + value;
    qsizetype sectionHead = -1, insertAt = -1;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString s = section_of(lines[i]);
        if (!s.isNull()) {
            if (sectionHead >= 0) break; // past the end of our section
            if (s.compare(section, Qt::CaseInsensitive) == 0) sectionHead = insertAt = i;
            continue;
        }
        if (sectionHead < 0) continue;
        QString k, v;
        if (key_of(lines[i], k, v)) {
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = k + "=" + value; // keeps the key's stored letter case
                done = true;
            }
        }
        if (!lines[i].trimmed().isEmpty()) insertAt = i;
    }
    if (!done) {
        if (sectionHead < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
            lines << "[" + section + "]" << entry;
        } else {
            lines.insert(insertAt + 1, entry);
        }
    }
    // Written through a temporary file: a crash or a full disk leaves the old file whole.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write((lines.join("\r\n") + "\r\n").toLocal8Bit());
    return out.commit();
}
