#include "dialogs/fd_shared.h"
#include "dialogs/file_dlg.h"
#include "midi/routines.h"
#include "platform/file_io.h"
#include <QDir>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QStyledItemDelegate>
#include <algorithm>

using Fd::bad_name;
using Fd::Path_Role;

namespace {
constexpr int Depth_Role = Qt::UserRole + 1;

QString clean(const QString& path) {
    const QString c = QDir::cleanPath(path);
    return c.isEmpty() ? QStringLiteral("/") : c;
}

// The volume of a path that no longer exists: gone when its volume root is gone.
int folder_error(const QString& path) {
    const QString root = QStorageInfo(path).rootPath();
    if (!root.isEmpty() && root != "/" && Path_Kind(root) != Path_Type::Folder)
        return Fd_Err::Unavailable;
    // QStorageInfo finds nothing for a missing path: look for the nearest existing parent.
    QString p = clean(path);
    while (p != "/" && Path_Kind(p) == Path_Type::None) p = clean(p + "/..");
    return Fd_Err::No_Path;
}

// Indents each folder entry by its depth below the root.
class Depth_Delegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        // Deep folders would push their names out of the narrow list: the indent stops growing.
        o.rect.setLeft(o.rect.left() + 6 * std::min(index.data(Depth_Role).toInt(), 5));
        QStyledItemDelegate::paint(p, o, index);
    }
};

bool is_wild(const QString& name) {
    return name.contains('*') || name.contains('?');
}
} // namespace

namespace Fd {
// A name the file system cannot take: a NUL, or a part longer than it allows.
bool bad_name(const QString& name) {
    if (name.contains(QChar(0))) return true;
    QByteArray bytes;
    for (const QString& part : name.split('/', Qt::SkipEmptyParts))
        if (!Name_To_Bytes(part, bytes) || bytes.size() > 255) return true;
    return false;
}
} // namespace Fd

// ---- drive list ----

Drive_List::Drive_List(QWidget* parent) : QComboBox(parent) {
    Refresh();
}

void Drive_List::Refresh() {
    QStringList roots{"/"};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QString r = v.rootPath();
        // Bind mounts of single files are no drives.
        if (v.isValid() && v.isReady() && Path_Kind(r) == Path_Type::Folder && !roots.contains(r))
            roots << r;
    }
    std::sort(roots.begin() + 1, roots.end());
    const QString keep = currentText();
    clear();
    addItems(roots);
    const int i = findText(keep);
    setCurrentIndex(i >= 0 ? i : 0);
}

void Drive_List::Set_Drive(const QString& path) {
    const QString p = clean(path);
    int best = 0, best_len = 0;
    for (int i = 0; i < count(); ++i) {
        const QString r = itemText(i);
        const bool holds = r == "/" || p == r || p.startsWith(r.endsWith('/') ? r : r + '/');
        if (holds && r.size() > best_len) best = i, best_len = static_cast<int>(r.size());
    }
    setCurrentIndex(best);
}

// ---- folder list ----

Dir_List::Dir_List(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new Depth_Delegate(this));
    setUniformItemSizes(true);
    path_ = clean(Current_Folder());
}

int Dir_List::Set_Path(const QString& path) {
    const QString p = clean(path);
    if (Path_Kind(p) != Path_Type::Folder) return folder_error(p);
    const bool changed = p != path_;
    path_ = p;
    Refresh();
    if (changed) emit Change();
    return 0;
}

void Dir_List::Refresh() {
    clear();
    const QStyle* st = style();
    const QIcon open = st->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = st->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList parts = path_.split('/', Qt::SkipEmptyParts);
    auto add = [&](const QString& text, const QString& full, int depth, const QIcon& icon) {
        auto* item = new QListWidgetItem(icon, Name_Shown(text), this);
        item->setData(Path_Role, full);
        item->setData(Depth_Role, depth);
    };
    add("/", "/", 0, open);
    QString full;
    for (int i = 0; i < parts.size(); ++i) {
        full += '/' + parts[i];
        add(parts[i], full, i + 1, open);
    }
    const int current = count() - 1;
    const QString base = path_ == "/" ? QString() : path_;
    for (const QString& sub : Folder_Entries(path_, true))
        add(sub, base + '/' + sub, static_cast<int>(parts.size()) + 1, closed);
    setCurrentRow(current);
}

QString Dir_List::Entry_At_Index() const {
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->data(Path_Role).toString() : path_;
}

// ---- file list ----

File_List::File_List(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    path_ = clean(Current_Folder());
}

int File_List::Set_Path(const QString& path) {
    const QString p = clean(path);
    if (Path_Kind(p) != Path_Type::Folder) return folder_error(p);
    if (p != path_) deleted_name_.clear();
    path_ = p;
    Refresh();
    return 0;
}

void File_List::Set_Pattern(const QString& pattern) {
    pattern_ = pattern;
    Refresh();
}

int File_List::Set_FileName(const QString& name) {
    if (bad_name(name)) return Fd_Err::Bad_Name;
    QString file = Blanks_Trimmed(name);
    const qsizetype slash = file.lastIndexOf('/');
    if (slash >= 0) {
        const QString folder = file.left(slash + 1);
        const int err = Set_Path(QDir::isAbsolutePath(folder) ? folder : path_ + '/' + folder);
        if (err != 0) return err;
        file = file.mid(slash + 1);
    }
    if (file.isEmpty()) return 0;
    if (is_wild(file)) {
        Set_Pattern(file);
        return 0;
    }
    // The entry of the very name typed, not one that only looks alike.
    for (int i = 0; i < count(); ++i)
        if (item(i)->data(Path_Role).toString() == file) {
            setCurrentItem(item(i));
            break;
        }
    return 0;
}

void File_List::Refresh() {
    // The entries are new: none of them was chosen.
    Unpick();
    clear();
    std::vector<QRegularExpression> filters;
    for (const QString& f : pattern_.split(';', Qt::SkipEmptyParts))
        filters.push_back(QRegularExpression::fromWildcard(
            f.trimmed() == "*.*" ? QStringLiteral("*") : f.trimmed(), Qt::CaseInsensitive));
    // Regular files only: a pipe or a device is no file to open or preview.
    for (const QString& name : Folder_Entries(path_, false)) {
        // Names starting with a dot are hidden by custom, but a pattern may ask for them.
        if (name.startsWith('.') && !pattern_.startsWith('.')) continue;
        const QString shown = Name_Shown(name);
        if (std::none_of(filters.begin(), filters.end(), [&shown](const QRegularExpression& f) {
                return f.match(shown).hasMatch();
            }))
            continue;
        auto* item = new QListWidgetItem(shown, this);
        item->setData(Path_Role, name);
    }
}

QString File_List::Pick_Highlighted() {
    const QListWidgetItem* item = currentItem();
    if (!item || !item->isSelected()) {
        Unpick();
        return {};
    }
    picked_shown_ = item->text();
    picked_name_ = item->data(Path_Role).toString();
    deleted_name_.clear();
    return picked_shown_;
}

void File_List::Unpick() {
    picked_shown_.clear();
    picked_name_.clear();
}

void File_List::Typed() {
    Unpick();
    deleted_name_.clear();
}

void File_List::Mark_Deleted(const QString& name, const QString& box) {
    deleted_name_ = name;
    deleted_shown_ = box;
}

QString File_List::Delete_Name(const QString& box) const {
    return !deleted_name_.isEmpty() && box == deleted_shown_ ? deleted_name_ : File_Name(box);
}

bool File_List::Picked(const QString& box) const {
    return !picked_name_.isEmpty() && box == picked_shown_;
}

QString File_List::File_Name(const QString& box) const {
    return Picked(box) ? picked_name_ : Blanks_Trimmed(box);
}
