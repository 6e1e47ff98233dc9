#include "platform/profile.h"
#include "platform/file_io.h"
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Names compare without regard to the case of their ASCII letters.
QByteArray fold(const QString& name) {
    return name.trimmed().toUtf8().toLower();
}

QByteArray slot(const QString& section, const QString& key) {
    return fold(section) + '\x1F' + fold(key);
}

bool breaks_line(const QString& s) {
    return s.contains('\n') || s.contains('\r');
}

// One line of data from start: its end without the line break, and the next line's start.
struct Line {
    qsizetype a, b; // the line's text, blanks trimmed
    qsizetype end;  // the line without its line break
    qsizetype next; // where the next line starts
    bool crlf;
};

Line line_at(const QByteArray& data, qsizetype start, qsizetype limit) {
    const char* d = data.constData();
    const char* nl = static_cast<const char*>(memchr(d + start, '\n', size_t(limit - start)));
    Line l{};
    l.next = nl ? nl - d + 1 : limit;
    l.end = nl ? nl - d : limit;
    l.crlf = nl && l.end > start && d[l.end - 1] == '\r';
    if (l.crlf) --l.end;
    l.a = start;
    l.b = l.end;
    while (l.a < l.b && blank(d[l.a])) ++l.a;
    while (l.b > l.a && blank(d[l.b - 1])) --l.b;
    return l;
}
} // namespace

Profile::Profile(const QString& file) : file_(file) {
    // An absurd size is refused before anything is read.
    if (QFileInfo(file).size() > Profile_Max_Size) {
        state_ = State::Unreadable;
        return;
    }
    const int err = Read_File(file, Profile_Max_Size + 1, data_);
    if (err == ENOENT) {
        state_ = State::Missing;
    } else if (err != 0 || data_.size() > Profile_Max_Size) {
        state_ = State::Unreadable;
        data_.clear();
    } else {
        state_ = State::Read;
        Parse();
    }
}

void Profile::Parse() {
    const char* d = data_.constData();
    const qsizetype n = data_.size();
    // Editors that save UTF-8 may begin the file with a byte-order mark.
    if (data_.startsWith("\xEF\xBB\xBF")) text_start_ = 3;
    const char* nl = static_cast<const char*>(memchr(d, '\n', size_t(n)));
    if (nl) line_break_ = nl > d && nl[-1] == '\r' ? "\r\n" : "\n";
    constexpr size_t none = ~size_t{0};
    size_t current = none; // the section of the line, by index
    bool first_body = false;
    for (qsizetype start = text_start_; start < n;) {
        const Line l = line_at(data_, start, n);
        if (l.b - l.a >= 2 && d[l.a] == '[' && d[l.b - 1] == ']') {
            if (current != none) sections_[current].bodies.back().second = start;
            const QByteArray name = QByteArray(d + l.a + 1, l.b - l.a - 2).trimmed().toLower();
            auto it = section_index_.constFind(name);
            first_body = it == section_index_.cend();
            if (first_body) {
                it = section_index_.insert(name, sections_.size());
                sections_.emplace_back();
                sections_.back().end = l.next;
            }
            current = *it;
            sections_[current].bodies.emplace_back(l.next, n);
        } else if (l.b > l.a && current != none && first_body) {
            sections_[current].end = l.next;
        }
        start = l.next;
    }
}

const Profile::Key_Line* Profile::Find(const QByteArray& section, const QByteArray& key) const {
    const auto it = section_index_.constFind(section);
    if (it == section_index_.cend()) return nullptr;
    Section& s = sections_[*it];
    if (!s.indexed) {
        s.indexed = true;
        const char* d = data_.constData();
        for (const auto& [from, to] : s.bodies) {
            for (qsizetype start = from; start < to;) {
                const Line l = line_at(data_, start, to);
                start = l.next;
                if (l.b == l.a || d[l.a] == ';') continue;
                const char* eq = static_cast<const char*>(memchr(d + l.a, '=', size_t(l.b - l.a)));
                if (!eq) continue;
                qsizetype kb = eq - d;
                while (kb > l.a && blank(d[kb - 1])) --kb;
                qsizetype va = eq - d + 1;
                while (va < l.b && blank(d[va])) ++va;
                const QByteArray name = QByteArray(d + l.a, kb - l.a).toLower();
                if (!s.keys.contains(name))
                    s.keys.insert(name, {l.a, l.end - l.a, kb - l.a, va, l.b - va});
            }
        }
    }
    const auto k = s.keys.constFind(key);
    return k == s.keys.cend() ? nullptr : &*k;
}

QString Profile::Read(const QString& section, const QString& key, const QString& def) const {
    if (const auto p = pending_index_.constFind(slot(section, key)); p != pending_index_.cend())
        return Name_From_Bytes(pending_[*p].value);
    const Key_Line* k = Find(fold(section), fold(key));
    if (!k) return def;
    QByteArray v = data_.mid(k->value_start, k->value_length);
    // A value in quotes keeps its outer blanks.
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.mid(1, v.size() - 2);
    // Paths are kept as the bytes of their names, UTF-8 or not.
    return Name_From_Bytes(v);
}

bool Profile_Keeps(const QString& value) {
    QByteArray bytes;
    return !breaks_line(value) && Name_To_Bytes(value, bytes);
}

bool Profile::Write(const QString& section, const QString& key, const QString& value) {
    QByteArray bytes;
    if (breaks_line(section) || breaks_line(key) || breaks_line(value) ||
        !Name_To_Bytes(value, bytes))
        return false;
    const QByteArray name = slot(section, key);
    if (const auto p = pending_index_.constFind(name); p != pending_index_.cend()) {
        pending_[*p].value = bytes;
        return true;
    }
    pending_index_.insert(name, pending_.size());
    pending_.push_back({section, key, bytes});
    return true;
}

int Profile::Save() const {
    if (state_ == State::Unreadable) return EIO;
    struct Edit {
        qsizetype at, length; // the bytes replaced (0: an insertion)
        QByteArray bytes;
    };
    std::vector<Edit> edits;
    // An unended last line is ended once, by the first line added after it.
    bool end_unended = data_.size() > text_start_ && !data_.endsWith('\n');
    std::vector<QString> new_sections;
    QHash<QByteArray, QByteArray> new_lines; // by folded section
    for (const Pending& p : pending_) {
        const QByteArray folded = fold(p.section);
        if (const Key_Line* k = Find(folded, fold(p.key))) {
            // A line whose value stays as it was is not touched.
            if (data_.mid(k->value_start, k->value_length) != p.value)
                edits.push_back(
                    {k->start, k->length, data_.mid(k->start, k->key_length) + '=' + p.value});
            continue;
        }
        const QByteArray line = p.key.toUtf8() + '=' + p.value + line_break_;
        if (const auto s = section_index_.constFind(folded); s != section_index_.cend()) {
            const qsizetype at = sections_[*s].end;
            QByteArray bytes = line;
            if (at == data_.size() && end_unended) {
                bytes.prepend(unended_break(data_));
                end_unended = false;
            }
            edits.push_back({at, 0, bytes});
            continue;
        }
        if (!new_lines.contains(folded)) {
            new_sections.push_back(p.section);
            new_lines.insert(folded, {});
        }
        new_lines[folded] += line;
    }
    // Insertions at one place keep the order in which they were written.
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.at != b.at ? a.at < b.at : a.length < b.length;
    });

    QByteArray out;
    out.reserve(data_.size() + 4096);
    qsizetype from = 0;
    for (const Edit& e : edits) {
        if (e.at < from) continue;
        out.append(data_.constData() + from, e.at - from);
        out += e.bytes;
        from = e.at + e.length;
    }
    out.append(data_.constData() + from, data_.size() - from);
    for (const QString& s : new_sections) {
        if (out.size() > text_start_) {
            if (!out.endsWith('\n')) out += unended_break(out);
            // A blank line before a new section, unless the file ends in one.
            const qsizetype last = std::max(out.lastIndexOf('\n', out.size() - 2) + 1, text_start_);
            if (!out.mid(last).trimmed().isEmpty()) out += line_break_;
        }
        out += '[' + s.toUtf8() + ']' + line_break_ + new_lines.value(fold(s));
    }
    return Write_File(file_, out);
}

QString Profile_Read(const QString& section, const QString& key, const QString& def,
                     const QString& file) {
    return Profile(file).Read(section, key, def);
}

bool Profile_Write(const QString& section, const QString& key, const QString& value,
                   const QString& file) {
    Profile p(file);
    return p.state() != Profile::State::Unreadable && p.Write(section, key, value) && p.Save() == 0;
}
