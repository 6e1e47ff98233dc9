#pragma once
// An INI file kept as its bytes: every line the program does not change is
// written back byte for byte, whatever its encoding; values are the bytes of
// their text, names that are not UTF-8 included. Sections and keys match
// without regard to case.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

// A file larger than this is not read, and so never rewritten.
inline constexpr qint64 Profile_Max_Size = qint64{256} << 20;

class Profile {
  public:
    enum class State { Missing, Read, Unreadable };
    // Reads the file once.
    explicit Profile(const QString& file);
    State state() const { return state_; }
    // The value of key in section, or def when the section or key is missing.
    QString Read(const QString& section, const QString& key, const QString& def) const;
    // Sets key in section (both made when missing), in memory. False for a
    // text with a line break, which would add lines of its own to the file.
    bool Write(const QString& section, const QString& key, const QString& value);
    // Writes the file once, in one step: 0 or an errno value. A file that
    // could not be read is never replaced.
    int Save() const;

  private:
    struct Key_Line {
        qsizetype start, length; // the line without its line break
        qsizetype key_length;    // the key as stored, blanks trimmed
        qsizetype value_start, value_length;
    };
    struct Section {
        std::vector<std::pair<qsizetype, qsizetype>> bodies; // the bytes after each head
        qsizetype end = 0; // where a new key goes: after the first body's last line
        bool indexed = false;
        QHash<QByteArray, Key_Line> keys; // by folded name, each key's first line
    };
    struct Pending {
        QString section, key;
        QByteArray value;
    };
    void Parse();
    // What ends a last line that has no line break: a CR there already
    // begins one.
    QByteArray unended_break(const QByteArray& data) const {
        return data.endsWith('\r') ? QByteArray("\n") : line_break_;
    }
    // The key's first line; only the sections asked for are ever indexed.
    const Key_Line* Find(const QByteArray& section, const QByteArray& key) const;

    QString file_;
    State state_ = State::Missing;
    QByteArray data_;
    qsizetype text_start_ = 0; // past a UTF-8 byte-order mark, which is kept
    QByteArray line_break_ = "\r\n";
    mutable std::vector<Section> sections_;
    QHash<QByteArray, size_t> section_index_; // by folded name
    std::vector<Pending> pending_;
    QHash<QByteArray, size_t> pending_index_;
};

// The value can be written as it is: no line break, and a text that is bytes.
bool Profile_Keeps(const QString& value);

// One key read from, or written to, the file.
QString Profile_Read(const QString& section, const QString& key, const QString& def,
                     const QString& file);
// False when the file could not be read or written, or the text holds a line break.
bool Profile_Write(const QString& section, const QString& key, const QString& value,
                   const QString& file);
