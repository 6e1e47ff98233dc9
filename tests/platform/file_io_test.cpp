#include "platform/file_io.h"
#include "platform/file_sys.h"
#include "support/fixture.h"
#include "support/small_disk.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <map>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

QT_BEGIN_NAMESPACE
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

TEST(FileNames, BytesThatAreNotUtf8ComeBackAsTheyWere) {
    const struct {
        QByteArray bytes;
        QString shown;
    } cases[] = {
        {"tone.syx", u"tone.syx"_qs},
        {"Kl\xC3\xA4nge \xE2\x82\xAC \xF0\x9D\x84\x9E", u"Kl\u00E4nge \u20AC \U0001D11E"_qs},
        {"A\xE9.SYX", u"A\uFFFD.SYX"_qs},
        {"\xFF\xFE", u"\uFFFD\uFFFD"_qs},
        {"cut \xC3", u"cut \uFFFD"_qs},
        {"\xC0\xAF overlong", u"\uFFFD\uFFFD overlong"_qs},
        {"\xE9\x9F\xB3", u"\u97F3"_qs},
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"_qs},
        // An encoded surrogate must not pass for an escaped byte.
        {"\xED\xB3\xA9", u"\uFFFD\uFFFD\uFFFD"_qs},
        {"\xF4\x90\x80\x80 beyond", u"\uFFFD\uFFFD\uFFFD\uFFFD beyond"_qs},
        {"\xE2\x82 short", u"\uFFFD\uFFFD short"_qs},
    };
    for (const auto& c : cases) {
        const QString name = Name_From_Bytes(c.bytes);
        QByteArray back;
        EXPECT_TRUE(Name_To_Bytes(name, back)) << c.bytes.toHex().constData();
        EXPECT_EQ(back, c.bytes);
        EXPECT_EQ(Name_Shown(name), c.shown) << c.bytes.toHex().constData();
    }
    // A lone surrogate that stands for no byte is no name.
    QByteArray bytes;
    EXPECT_FALSE(Name_To_Bytes(QString(QChar(0xD800)) + "x", bytes));
    EXPECT_FALSE(Name_To_Bytes(QString(QChar(0xDC41)), bytes));
    EXPECT_EQ(Write_File(QString(QChar(0xD800)), "x"), EILSEQ);
}

TEST(FileNames, FilesOfSuchNamesAreListedReadWrittenAndRemoved) {
    QTemporaryDir dir;
    const auto remove = qScopeGuard([&dir] { Remove_Tree(dir.path()); });
    const QByteArray root = QFile::encodeName(dir.path());
    ASSERT_EQ(::mkdir(root + "/D\xF6", 0755), 0);
    const QString folder = dir.path() + '/' + Name_From_Bytes("D\xF6");
    EXPECT_EQ(Path_Kind(folder), Path_Type::Folder);
    EXPECT_EQ(Folder_Entries(dir.path(), true), QStringList{Name_From_Bytes("D\xF6")});

    const QString file = folder + '/' + Name_From_Bytes("b\xE9.syx");
    ASSERT_EQ(Write_File(file, "one"), 0);
    struct stat st {};
    ASSERT_EQ(::stat(root + "/D\xF6/b\xE9.syx", &st), 0);
    EXPECT_EQ(Path_Kind(file), Path_Type::File);
    EXPECT_TRUE(Path_Readable(file));
    // Replaced in one step: the rights stay, and a link stays a link to the new bytes.
    ASSERT_EQ(::chmod(root + "/D\xF6/b\xE9.syx", 0640), 0);
    ASSERT_EQ(::symlink(root + "/D\xF6/b\xE9.syx", root + "/D\xF6/link.syx"), 0);
    EXPECT_EQ(Path_Kind(folder + "/link.syx"), Path_Type::File);
    ASSERT_EQ(Write_File(folder + "/link.syx", "second"), 0);
    QByteArray data;
    EXPECT_EQ(Read_File(file, 100, data), 0);
    EXPECT_EQ(data, "second");
    ASSERT_EQ(::lstat(root + "/D\xF6/link.syx", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(root + "/D\xF6/b\xE9.syx", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Links count as what they name; nothing of the temporary files is left.
    EXPECT_EQ(Folder_Entries(folder, false),
              (QStringList{Name_From_Bytes("b\xE9.syx"), "link.syx"}));

    // Names too long to take the temporary file's ending still have one of their own.
    for (const int length : {242, 243, 244, 254, 255}) {
        const QString longest = folder + '/' + QString(length - 4, 'L') + ".syx";
        EXPECT_EQ(Write_File(longest, "long"), 0) << length;
        EXPECT_EQ(Write_File(longest, "longer"), 0) << length;
        EXPECT_EQ(Read_File(longest, 100, data), 0) << length;
        EXPECT_EQ(data, "longer");
        EXPECT_EQ(Remove_File(longest), 0);
    }

    EXPECT_EQ(Remove_File(file + '/'), ENOTDIR);
    EXPECT_EQ(Remove_File(file), 0);
    EXPECT_EQ(Path_Kind(file), Path_Type::None);
    EXPECT_EQ(Remove_File(file), ENOENT);
    EXPECT_EQ(Remove_File(folder + "/link.syx"), 0);
    EXPECT_EQ(Make_Folder(folder + '/' + Name_From_Bytes("n\xFF")), 0);
    EXPECT_EQ(::access(root + "/D\xF6/n\xFF", F_OK), 0);
    EXPECT_EQ(Remove_Folder(folder), ENOTEMPTY);
}

namespace {
QByteArray bytes_at(const QByteArray& path) {
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// Every name in a folder and its subfolders, hidden ones too.
QStringList names_in(const QString& folder) {
    QStringList out;
    for (const QString& e : QDir(folder).entryList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        out << e;
        if (QFileInfo(folder + '/' + e).isDir())
            for (const QString& sub : names_in(folder + '/' + e)) out << e + '/' + sub;
    }
    return out;
}

// Runs fn in a second process, as another user where uid is not 0 (root can
// become one), and gives back what it said, or "killed".
std::string as_user(uid_t uid, gid_t gid, gid_t extra, const std::function<std::string()>& fn) {
    int out[2];
    if (::pipe(out) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(out[0]);
        const gid_t groups[] = {gid, extra};
        std::string said = "could not become the user";
        if (!uid || (::setgroups(2, groups) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0))
            said = fn();
        (void)!::write(out[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string said;
    char buf[256];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) said.append(buf, size_t(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? "killed" : said;
}

// A file of these bytes, owner and rights; owner 0 is this process, which
// must be root to give it to another.
bool put(const QByteArray& path, const QByteArray& bytes, uid_t uid, gid_t gid, mode_t mode) {
    QFile f(QFile::decodeName(path));
    const bool mine = uid == 0 && ::geteuid() != 0;
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() &&
           (f.close(), (mine || ::chown(path, uid, gid) == 0) && ::chmod(path, mode) == 0);
}

// Another program's write into the file as it is, which keeps its rights;
// cut to size where one is given.
bool poke(const QByteArray& path, off_t at, const QByteArray& bytes, off_t size = -1) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool done =
        fd >= 0 &&
        ::pwrite(fd, bytes.constData(), size_t(bytes.size()), at) == ssize_t(bytes.size()) &&
        (size < 0 || ::ftruncate(fd, size) == 0);
    if (fd >= 0) ::close(fd);
    return done;
}

// Bytes that differ from sector to sector and within one, a run of its own
// for each seed.
QByteArray pattern(qsizetype size, char seed) {
    QByteArray out(size, Qt::Uninitialized);
    quint32 x = 2463534242u ^ (quint32(quint8(seed)) * 2654435761u);
    for (char& c : out) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = char(x >> 24);
    }
    return out;
}

std::string saved(int e) {
    return "save " + std::to_string(e);
}

// A save killed halfway through writing its new bytes.
std::string killed_save(const QString& path, const QByteArray& data) {
    return as_user(0, 0, 0, [&] {
        Set_Write_Fault(Write_Fault_Kill, Write_Stage::Write);
        return saved(Write_File(path, data));
    });
}

// fsync, fcntl locks, unlinkat and the looks at files as the system does
// them, then failing or changed where a test says so: the removal only for
// temporary files; a file's sync for every file, or only for the user's
// (not a temporary one); the device numbers shifted, as after a reboot
// that numbered the disks anew.
int g_file_fsync_error = 0, g_user_fsync_error = 0, g_folder_fsync_error = 0, g_lock_error = 0,
    g_unlink_error = 0;
dev_t g_dev_shift = 0;
// Called at each sync of a folder.
std::function<void()> g_folder_synced;

bool temporary(int fd) {
    char name[PATH_MAX] = {};
    const ssize_t n =
        ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name - 1);
    return n > 0 && QByteArray(name, n).contains(".quorlen-tmp");
}
} // namespace

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    const int r = real(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return r;
    if (S_ISDIR(st.st_mode) && g_folder_synced) g_folder_synced();
    const int e = S_ISDIR(st.st_mode)  ? g_folder_fsync_error
                  : g_file_fsync_error ? g_file_fsync_error
                  : temporary(fd)      ? 0
                                       : g_user_fsync_error;
    if (e != 0) {
        errno = e;
        return -1;
    }
    return r;
}

extern "C" int fcntl(int fd, int cmd, ...) {
    static const auto real = reinterpret_cast<int (*)(int, int, ...)>(::dlsym(RTLD_NEXT, "fcntl"));
    va_list ap;
    va_start(ap, cmd);
    void* arg = va_arg(ap, void*); // as the C library itself takes it
    va_end(ap);
    if (g_lock_error && (cmd == F_OFD_SETLK || cmd == F_OFD_GETLK)) {
        errno = g_lock_error;
        return -1;
    }
    return real(fd, cmd, arg);
}

extern "C" int unlinkat(int dir, const char* name, int flags) {
    static const auto real =
        reinterpret_cast<int (*)(int, const char*, int)>(::dlsym(RTLD_NEXT, "unlinkat"));
    if (g_unlink_error && QByteArray(name).endsWith(".quorlen-tmp")) {
        errno = g_unlink_error;
        return -1;
    }
    return real(dir, name, flags);
}

extern "C" int syncfs(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "syncfs"));
    const int r = real(fd);
    if (g_folder_synced) g_folder_synced();
    if (g_folder_fsync_error) {
        errno = g_folder_fsync_error;
        return -1;
    }
    return r;
}

extern "C" int fstat(int fd, struct stat* st) {
    static const auto real =
        reinterpret_cast<int (*)(int, struct stat*)>(::dlsym(RTLD_NEXT, "fstat"));
    const int r = real(fd, st);
    if (r == 0) st->st_dev += g_dev_shift;
    return r;
}

extern "C" int fstatat(int dir, const char* name, struct stat* st, int flags) {
    static const auto real = reinterpret_cast<int (*)(int, const char*, struct stat*, int)>(
        ::dlsym(RTLD_NEXT, "fstatat"));
    const int r = real(dir, name, st, flags);
    if (r == 0) st->st_dev += g_dev_shift;
    return r;
}

// A link another user planted in a shared folder leads nowhere, whichever
// part of a name it stands for and whatever the call; the follower's own
// link, or the folder owner's, is followed, and ".." after it goes up from
// where it led, as the system's own walk does.
TEST(FileNames, ALinkAnotherUserPlantedInASharedFolderLeadsNowhere) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can plant a link of another user";
    QTemporaryDir dir;
    const auto remove = qScopeGuard([&dir] { Remove_Tree(dir.path()); });
    const QByteArray top = QFile::encodeName(dir.path()), shared = top + "/shared",
                     home = top + "/home";
    const struct {
        const char* what;
        uid_t folder_owner, link_owner;
        const char* met;
    } owners[] = {
        {"another user's", 0, 1235, "read 13, save 13, make 13, mkdir 13, rmdir 13, remove 13"},
        {"the follower's own", 0, 0,
         "read 0 root's, up 0, save 0, make 0, mkdir 0, rmdir 0, remove 0"},
        {"the shared folder owner's", 1236, 1236,
         "read 0 root's, up 0, save 0, make 0, mkdir 0, rmdir 0, remove 0"},
    };
    for (const auto& o : owners) {
        SCOPED_TRACE(o.what);
        ASSERT_EQ(::mkdir(shared, 0777), 0);
        ASSERT_EQ(::chmod(shared, 01777), 0);
        ASSERT_EQ(::chown(shared, o.folder_owner, o.folder_owner), 0);
        ASSERT_EQ(::mkdir(home, 0700), 0);
        ASSERT_TRUE(put(home + "/t.syx", "root's", 0, 0, 0600));
        ASSERT_EQ(::symlink(home, shared + "/banks"), 0);
        ASSERT_EQ(::lchown(shared + "/banks", o.link_owner, o.link_owner), 0);
        const QString banks = QFile::decodeName(shared + "/banks");
        std::string met;
        const auto note = [&met](const std::string& what, int e) {
            met += (met.empty() ? "" : ", ") + what + " " + std::to_string(e);
        };
        QByteArray data;
        note("read", Read_File(banks + "/t.syx", 100, data));
        if (!data.isEmpty()) met += " " + data.toStdString();
        if (!data.isEmpty()) note("up", Read_File(banks + "/../shared/banks/t.syx", 100, data));
        note("save", Write_File(banks + "/t.syx", "saved"));
        note("make", Write_File(banks + "/new.syx", "new"));
        note("mkdir", Make_Folder(banks + "/made"));
        note("rmdir", Remove_Folder(banks + "/made/"));
        note("remove", Remove_File(banks + "/t.syx"));
        EXPECT_EQ(met, o.met);
        const bool followed = std::string(o.met).find(" 13") == std::string::npos;
        EXPECT_EQ(names_in(QFile::decodeName(home)),
                  followed ? QStringList{"new.syx"} : QStringList{"t.syx"});
        EXPECT_EQ(bytes_at(home + "/t.syx"), followed ? "<none>" : "root's");
        Remove_Tree(QFile::decodeName(shared));
        Remove_Tree(QFile::decodeName(home));
    }
}

TEST(FileWrites, WhatTheUserSetOnTheFileStaysAndAFailureLeavesItWhole) {
    QTemporaryDir dir;
    const auto remove = qScopeGuard([&dir] { Remove_Tree(dir.path()); });
    Small_Disk disk(dir.filePath("disk"), 128);
    const bool root = ::geteuid() == 0;
    // Other users save in it too.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()), 0755), 0);
    const QByteArray top = QFile::encodeName(disk.Mounted() ? disk.Path("") : dir.path());
    // Every sector of each differs from the others'. A save killed halfway
    // stops at the end of a page past the old end, leaving the first 12288
    // new bytes; another program's bytes have the old size, which such a
    // cut also leaves, so that only the bytes tell them from a cut save.
    const QByteArray old_bytes = pattern(10000, 'o'), new_bytes = pattern(30000, 'n'),
                     newer = pattern(10000, 'N'), cut = new_bytes.left(12288);
    enum Links {
        No_Links,
        Hard_Link,
        Sym_Link,
        Sym_To_Hard,
        Rel_Links,
        Abs_Link,
        Planted_Link,
        Owners_Link,
        Own_Shared_Link,
        Planted_File,
        Bound
    };
    // Owner and saver 0: this process, which must be root for any other.
    const struct {
        const char* what;
        mode_t mode;
        uid_t uid;
        gid_t gid;
        uid_t as_uid;
        gid_t as_gid;
        Links links;
        bool refused;
        bool attributes = false;
    } kinds[] = {
        {"plain", 0640, 0, 0, 0, 0, No_Links, false},
        {"mode 0444", 0444, 0, 0, 0, 0, No_Links, true},
        {"another user's, not writable by this one", 0644, 0, 0, 1234, 1234, No_Links, true},
        {"own, writable by others but not by its owner", 0464, 1234, 1234, 1234, 1234, No_Links,
         true},
        {"another user's, saved by root", 0640, 1234, 1234, 0, 0, No_Links, false},
        {"another user's, writable by the group", 0664, 1234, 1234, 1235, 1234, No_Links, false},
        {"another user's 0464, saved by root", 0464, 1234, 1234, 0, 0, No_Links, false},
        {"another user's 0464, saved by a member of its group", 0464, 1234, 1234, 1235, 1234,
         No_Links, false},
        {"own, of another group of this user's", 0640, 1235, 1236, 1235, 1235, No_Links, false},
        {"own, of a group this user is not in", 0640, 1235, 1237, 1235, 1235, No_Links, false},
        {"own, set-id", 06750, 1234, 1234, 1234, 1234, No_Links, false},
        {"own, set-id, with a second name", 06755, 1234, 1234, 1234, 1234, Hard_Link, false},
        {"hard link", 0644, 0, 0, 0, 0, Hard_Link, false},
        {"another user's, set-id, with a second name, saved by root", 06755, 1234, 1234, 0, 0,
         Hard_Link, false},
        {"symbolic link", 0640, 0, 0, 0, 0, Sym_Link, false},
        {"a link to a file with a second name", 0640, 0, 0, 0, 0, Sym_To_Hard, false},
        {"dangling relative links", 0, 0, 0, 0, 0, Rel_Links, false},
        {"dangling absolute link", 0, 0, 0, 0, 0, Abs_Link, false},
        {"a link another user planted in a shared folder", 0600, 0, 0, 0, 0, Planted_Link, true},
        {"a link of a shared folder's owner", 0600, 0, 0, 0, 0, Owners_Link, false},
        {"own link in a shared folder", 0640, 1234, 1234, 1234, 1234, Own_Shared_Link, false},
        {"another user's file in a shared folder", 0666, 1235, 1235, 0, 0, Planted_File, true},
        {"with an access list and an attribute", 0640, 0, 0, 0, 0, No_Links, false, true},
        {"mounted at its name from another disk, a second name there", 0644, 0, 0, 0, 0, Bound,
         false},
    };
    // The steps of each trouble run in order, each noting what the user met.
    // As the saver: k a save killed halfway (nothing when it was), S one
    // whose bytes so far are the old ones, y one of 100 bytes, r a read,
    // l a read of 4000 bytes at most, s a save, b a save of "NEWER" through
    // the file's other name, B one of the first 17000 new bytes, a size no
    // cut leaves.
    // As root, the scene: F a full disk; W a failed write, Y a failed sync;
    // f the file's fsync failing, j only the user's file's, i both saying
    // EINVAL; d and e the folder's (EIO, EINVAL); J watching whether the
    // journal's name is on the disk while the file is still whole; x a
    // folder 0733; L no locks; T a temporary file a crash left, G one root
    // gave the file's owner; 1-4 what somebody else keeps at the temporary
    // name; another program's: o write of "NEWER", n new file of it at the
    // name, E edit in one block, A bytes appended, M edits in two places,
    // I the old first page written back, D removal of the file; R the file
    // made read-only, w writable again, P private, g writable by its group,
    // U without its set-id bits;
    // Z the disk made read-only, z writable again; V the disks numbered
    // anew; c the temporary file copied aside, p put back (a power cut after
    // the save); Q the file as a power cut during the save leaves it (the
    // page at the old end lost, those after it kept), v as a power cut during
    // the put-back after y does (a page between lost), q as a power cut
    // during the put-back does (pages of both in any order, one torn between
    // its sectors); K the next
    // put-back killed before its truncate; u the journal's removal failing;
    // h a leftover held open by another user, H what that one reads; m
    // whether the temporary file is private; C root's save, whoever the
    // saver; N no /proc for the saver; O the journal made writable by
    // everyone, 5 by its group; a the folder opened to its group, as
    // `chmod -R g+rX` does; t another user let read the journal by an access
    // list; X the journal's last byte lost.
    // Faults of a step hold for the next read or save only, but for L and V.
    // A save whose new file took the old one's place before the folder's
    // sync failed says so (EIO). Rows marked in place are only for the
    // kinds whose save goes in place, behind a journal.
    const struct {
        const char* what;
        const char* steps;
        const char* met;
        bool in_place = false;
    } troubles[] = {
        {"none", "s", "save 0"},
        {"full disk", "F s", "save 28"},
        {"failed write", "W s", "save 5"},
        {"failed sync", "Y s", "save 5"},
        {"fsync fails", "f s", "save 5"},
        {"fsync says EINVAL", "i s r", "save 0, read new"},
        {"folder sync fails", "d s", "save 5"},
        {"folder sync says EINVAL", "e s", "save 0"},
        {"folder writable but not readable", "x s", "save 0"},
        {"no locks", "L s r", "save 0, read new"},
        {"stale temporary", "T s", "save 0"},
        {"stale temporary, failed write", "T W s", "save 5"},
        {"stale temporary, given to the file's owner", "G s", "save 0"},
        {"at the temporary name: another file's second name", "1 s", "save 13"},
        {"at the temporary name: the file's own second name", "2 s", "save 13"},
        {"at the temporary name: another user's file", "3 s", "save 13"},
        {"at the temporary name: a link", "4 s", "save 13"},
        {"killed while writing", "k r s", "read old, save 0"},
        {"killed twice", "k k r s", "read old, save 0"},
        {"killed, a save of root's", "k C r s", "root's save 13, read old, save 0", true},
        {"no /proc", "N s", "save 0"},
        {"killed while the bytes so far are the old ones", "S r s", "read old, save 0"},
        {"killed, saved through another name", "k b r s", "read NEWER, save 0"},
        {"killed, saved through another name, of a size no cut leaves", "k B r s",
         "read theirs, save 0"},
        {"killed, written by another program", "k o r s", "read NEWER, save 0"},
        {"killed, edited in one block by another program", "k E r s", "read theirs, save 0"},
        {"killed, appended to by another program", "k A r s", "read theirs, save 0"},
        {"killed, changed in two places by another program", "k M r s", "read theirs, save 0"},
        {"killed, a new file at the name", "k n r s", "read NEWER, save 0"},
        {"killed, the file removed", "k D s r", "save 0, read new"},
        {"killed, the file made read-only", "k R r l s w r",
         "read old, read old's start, save 13, read old"},
        {"killed, the disk made read-only", "k Z r s z r s", "read old, save 30, read old, save 0"},
        {"killed, the file made private", "k P r s", "read old, save 0"},
        {"killed, the set-id bits taken away", "k U r s", "read old, save 0"},
        {"killed, the file made writable by its group", "k g s r", "save 0, read new"},
        {"killed, the disks numbered anew", "k V r s", "read old, save 0"},
        {"power cut after the save", "k c s p r s", "save 0, read new, save 0"},
        {"the journal's removal fails", "u s r s", "save 0, read new, save 0"},
        {"the journal's removal fails, the old first page written back", "u s I r s",
         "save 0, read theirs, save 0"},
        {"a leftover held open by another user", "h k m H r s",
         "private, held left, read old, save 0"},
        {"the journal's name reaches the disk first", "J s", "journal named first, save 0", true},
        {"the journal's name reaches the disk first, the folder not readable", "x J s",
         "journal named first, save 0", true},
        {"killed, the folder opened to its group", "k a r s", "read old, save 0"},
        {"killed, another user let read the journal", "k t r s", "read old, save 0"},
        {"killed, the journal made writable by everyone", "k O r s", "read cut, save 0", true},
        {"killed, the journal made writable by its group", "k 5 r s", "read cut, save 0", true},
        {"killed, the journal not all on the disk", "k X r s", "read cut, save 0", true},
        {"killed, a power cut loses the page at the old end", "k Q r s", "read old, save 0", true},
        {"killed, the put-back killed before its truncate", "k K r r s",
         "read killed, read old, save 0", true},
        {"killed, the put-back cut by a power cut", "k q r s", "read old, save 0", true},
        {"killed shrinking, the put-back that grows it cut by a power cut", "y v r s",
         "read old, save 0", true},
        {"killed, the put-back's sync fails", "k j r m r m",
         "read old, private, read old, no temporary file", true},
        {"failed write, the undo killed", "W K s r s", "save killed, read old, save 0", true},
        {"failed write, the undo's sync fails, and then the read's", "W j s m j r m r m",
         "save 5, private, read old, private, read old, no temporary file", true},
    };
    const auto reset_faults = [] {
        Set_Write_Fault(0);
        g_file_fsync_error = g_user_fsync_error = g_folder_fsync_error = g_unlink_error = 0;
        g_folder_synced = nullptr;
    };
    for (const auto& k : kinds) {
        const bool shared = k.links == Planted_Link || k.links == Owners_Link ||
                            k.links == Own_Shared_Link || k.links == Planted_File;
        if ((k.uid || k.as_uid || shared || k.attributes || k.links == Bound) && !root) continue;
        const bool dangling = k.links == Rel_Links || k.links == Abs_Link;
        const bool second_name = k.links == Hard_Link || k.links == Sym_To_Hard || k.links == Bound;
        const uid_t uid = k.uid ? k.uid : ::geteuid();
        const gid_t gid = k.uid ? k.gid : ::getegid();
        // Where the new file could not keep the old one's names or owner.
        const bool in_place =
            !dangling && !k.refused &&
            (second_name || k.attributes ||
             (k.as_uid != 0 && (uid != k.as_uid || (gid != k.as_gid && gid != 1236))));
        for (const auto& t : troubles) {
            const std::string steps = t.steps + std::string(k.refused ? " r" : "");
            const auto has = [&steps](const char* any) {
                return steps.find_first_of(any) != std::string::npos;
            };
            if ((has("FZ") && !disk.Mounted()) || (has("3tN") && !root) ||
                (has("2bBonRcDEAMIPgUV") && dangling) || (k.refused && steps.size() > 4) ||
                (t.in_place && !in_place) ||
                // A write cut short cleared the set-id bits; a later write
                // through another name leaves them so, and so does a journal
                // that is not put back.
                (has("bBoEAMOX") && (k.mode & 06000)) ||
                // Another name would keep the bytes the file had; a name
                // mounted on is neither removed nor linked.
                (has("D") && second_name) || (has("n2") && k.links == Bound) ||
                // A new file at the name has none of the old one's attributes.
                (has("nD") && k.attributes) ||
                // Root's save beside another saver's journal; a saver that
                // can hide /proc from itself.
                (has("C") && !k.as_uid) || (has("N") && k.as_uid) ||
                // Bits a cut write of the saver's cleared, or the owner: alike.
                (has("U") && k.as_uid) ||
                // Only root gives a temporary file to another user.
                (has("G") && k.as_uid && k.as_uid != k.uid) ||
                // Its temporary file is beside a file the save never finds.
                (has("Tx") && k.links == Planted_Link))
                continue;
            SCOPED_TRACE(std::string(k.what) + ", " + t.what);
            const QByteArray d = top + "/case";
            ASSERT_EQ(::mkdir(d, 0777), 0);
            ASSERT_EQ(::chmod(d, shared ? 01777 : 0777), 0);
            if (k.links == Owners_Link) ASSERT_EQ(::chown(d, 1235, 1235), 0);
            const QByteArray file = d + "/t.syx", temp = file + ".quorlen-tmp";
            QByteArray saved_as = file;
            QList<QByteArray> names{file}, links;
            uid_t owner = uid;
            gid_t group = gid;
            mode_t mode = k.mode;
            if (dangling) {
                const mode_t mask = ::umask(0);
                ::umask(mask);
                mode = 0666 & ~mask;
            } else {
                ASSERT_TRUE(put(file, old_bytes, uid, gid, mode));
            }
            // The file itself on the test's own disk, with its second name there.
            const QByteArray elsewhere = QFile::encodeName(dir.path()) + "/elsewhere";
            const QByteArray other = k.links == Bound ? elsewhere + "/other.syx"
                                     : second_name    ? d + "/other.syx"
                                                      : file;
            if (k.links == Bound) {
                ASSERT_EQ(::mkdir(elsewhere, 0777), 0);
                ASSERT_TRUE(put(elsewhere + "/t.syx", old_bytes, uid, gid, mode));
                ASSERT_TRUE(put(file, "", uid, gid, 0600));
                ASSERT_EQ(::mount(elsewhere + "/t.syx", file, nullptr, MS_BIND, nullptr), 0);
            }
            if (second_name) {
                ASSERT_EQ(::link(k.links == Bound ? elsewhere + "/t.syx" : file, other), 0);
                names << other;
            }
            // An access list that lets one more user write, and a note.
            const QByteArray acl = QByteArray::fromHex("02000000"
                                                       "01000600ffffffff"
                                                       "02000600d3040000"
                                                       "04000400ffffffff"
                                                       "10000600ffffffff"
                                                       "20000000ffffffff");
            if (k.attributes) {
                ASSERT_EQ(::setxattr(file, "user.note", "kept", 4, 0), 0);
                ASSERT_EQ(::setxattr(file, "system.posix_acl_access", acl.constData(),
                                     size_t(acl.size()), 0),
                          0);
                struct stat st {};
                ASSERT_EQ(::stat(file, &st), 0);
                mode = st.st_mode & 07777;
            }
            if (k.links == Rel_Links) {
                ASSERT_EQ(::mkdir(d + "/sub", 0777), 0);
                ASSERT_EQ(::symlink("t.syx", d + "/first"), 0);
                ASSERT_EQ(::symlink("../first", d + "/sub/l.syx"), 0);
                saved_as = d + "/sub/l.syx";
                links = {saved_as, d + "/first"};
            } else if (k.links != No_Links && k.links != Hard_Link) {
                saved_as = d + "/l.syx";
                ASSERT_EQ(::symlink(file, saved_as), 0);
                if (k.links == Planted_Link || k.links == Owners_Link)
                    ASSERT_EQ(::lchown(saved_as, 1235, 1235), 0);
                if (k.links == Own_Shared_Link)
                    ASSERT_EQ(::lchown(saved_as, k.as_uid, k.as_gid), 0);
                links = {saved_as};
            }
            names << links;
            // Whatever stands at the temporary name is somebody's, and stays as it is.
            const QByteArray victim = d + "/victim";
            if (has("1234")) ASSERT_TRUE(put(victim, "victim's", 0, 0, 0644));
            if (has("1")) ASSERT_EQ(::link(victim, temp), 0);
            if (has("2")) names << temp;
            if (has("2")) ASSERT_EQ(::link(file, temp), 0);
            if (has("3")) ASSERT_EQ(::rename(victim, temp), 0);
            if (has("3")) ASSERT_EQ(::chown(temp, 1236, 1236), 0);
            if (has("4")) ASSERT_EQ(::symlink(victim, temp), 0);
            const QStringList before = names_in(QFile::decodeName(d));
            struct stat was {};
            (void)::stat(file, &was);

            const QString path = QFile::decodeName(saved_as);
            const auto as_saver = [&](const std::function<std::string()>& fn) {
                return as_user(k.as_uid, k.as_gid, 1236, fn);
            };
            std::string met;
            const auto note = [&met](const std::string& what) {
                if (!what.empty()) met += (met.empty() ? "" : ", ") + what;
            };
            int held = -1;
            QByteArray aside, theirs;
            std::string last_save;
            bool journal_named_first = false;
            const bool no_proc = has("N");
            // Another program's change of the file's bytes.
            const auto change = [&](off_t at, const QByteArray& bytes, off_t size = -1) {
                ASSERT_TRUE(poke(file, at, bytes, size));
                theirs = bytes_at(file);
            };
            const auto rights = [&](mode_t keep, mode_t add) {
                struct stat st {};
                ASSERT_EQ(::stat(file, &st), 0);
                mode = (st.st_mode & 07777 & keep) | add;
                ASSERT_EQ(::chmod(file, mode), 0);
            };
            const auto others_save = [&](const QByteArray& data) {
                const QString through = QFile::decodeName(other);
                const std::string r = as_saver([&] { return saved(Write_File(through, data)); });
                note(r == "save 0" ? "" : "through the other name: " + r);
                theirs = data;
            };
            // The scene, set as root.
            const std::map<char, std::function<void()>> scene = {
                {'W', [] { Set_Write_Fault(EIO, Write_Stage::Write); }},
                {'Y', [] { Set_Write_Fault(EIO, Write_Stage::Sync); }},
                {'K', [] { Set_Write_Fault(Write_Fault_Kill, Write_Stage::Put_Back); }},
                {'f', [] { g_file_fsync_error = EIO; }},
                {'j', [] { g_user_fsync_error = EIO; }},
                {'i', [] { g_file_fsync_error = g_folder_fsync_error = EINVAL; }},
                {'d', [] { g_folder_fsync_error = EIO; }},
                {'e', [] { g_folder_fsync_error = EINVAL; }},
                {'L', [] { g_lock_error = ENOLCK; }},
                {'V', [] { g_dev_shift = 1; }},
                {'u', [] { g_unlink_error = EPERM; }},
                {'J',
                 [&] {
                     // In the saver's process: the journal at its name, the
                     // file not yet touched.
                     g_folder_synced = [&] {
                         struct stat st {};
                         if (::lstat(temp, &st) == 0 && st.st_size > 0 &&
                             bytes_at(file) == old_bytes)
                             journal_named_first = true;
                     };
                 }},
                {'x', [&] { ASSERT_EQ(::chmod(d, 0733), 0); }},
                {'R', [&] { ASSERT_EQ(::chmod(file, 0444), 0); }},
                {'w', [&] { ASSERT_EQ(::chmod(file, mode), 0); }},
                {'P', [&] { rights(~mode_t(07), 0); }},
                {'U', [&] { rights(~mode_t(06000), 0); }},
                {'g', [&] { rights(~mode_t(0), 020); }},
                {'Z', [&] { ASSERT_TRUE(disk.Read_Only()); }},
                {'z', [&] { ASSERT_TRUE(disk.Read_Only(false)); }},
                {'c', [&] { aside = bytes_at(temp); }},
                {'p', [&] { ASSERT_TRUE(put(temp, aside, k.as_uid, k.as_gid, 0600)); }},
                {'O', [&] { ASSERT_EQ(::chmod(temp, 0666), 0); }},
                {'5',
                 [&] {
                     ASSERT_EQ(::chmod(temp, 0620), 0);
                     // Not put back, the set-id bits the cut write cleared
                     // stay cleared; root's write clears none.
                     if (k.as_uid) mode &= ~mode_t(06000);
                 }},
                {'a',
                 [&] {
                     ASSERT_EQ(std::system("chmod -R g+rX '" + d + "'"), 0);
                     // Set-id bits a cut write cleared come back still.
                     if (::access(file, F_OK) == 0) mode |= S_IRGRP | (mode & 0111 ? S_IXGRP : 0);
                 }},
                {'t',
                 [&] {
                     // Read for user 4321; the mask shows in the group bits.
                     const QByteArray read_acl = QByteArray::fromHex("02000000"
                                                                     "01000600ffffffff"
                                                                     "02000400e1100000"
                                                                     "04000000ffffffff"
                                                                     "10000400ffffffff"
                                                                     "20000000ffffffff");
                     ASSERT_EQ(::setxattr(temp, "system.posix_acl_access", read_acl.constData(),
                                          size_t(read_acl.size()), 0),
                               0);
                 }},
                {'X',
                 [&] {
                     const QByteArray last = bytes_at(temp).right(1);
                     ASSERT_TRUE(
                         poke(temp, off_t(bytes_at(temp).size() - 1), QByteArray(1, ~last[0])));
                 }},
                {'G', [&] { ASSERT_TRUE(put(temp, "left by a crash", uid, gid, mode)); }},
                {'T', [&] { ASSERT_TRUE(put(temp, "left by a crash", k.as_uid, k.as_gid, 0644)); }},
                {'o', [&] { ASSERT_TRUE(put(file, newer, uid, gid, mode)); }},
                {'n',
                 [&] {
                     ASSERT_EQ(::unlink(file), 0);
                     if (other != file) ASSERT_EQ(::unlink(other), 0);
                     ASSERT_TRUE(put(file, newer, uid, gid, mode));
                     if (other != file) ASSERT_EQ(::link(file, other), 0);
                 }},
                {'D',
                 [&] {
                     ASSERT_EQ(::unlink(file), 0);
                     // The save makes it anew, the saver's.
                     owner = k.as_uid ? k.as_uid : ::geteuid();
                     group = k.as_uid ? k.as_gid : ::getegid();
                     const mode_t mask = ::umask(0);
                     ::umask(mask);
                     mode = 0666 & ~mask;
                 }},
                {'E', [&] { change(5000, pattern(16, 'E')); }},
                {'A',
                 [&] {
                     const qint64 size = bytes_at(file).size();
                     change(off_t(size), pattern(16384 - size, 'A'));
                 }},
                {'M',
                 [&] {
                     change(100, pattern(8, 'M'));
                     change(9000, pattern(8, 'm'));
                 }},
                {'I', [&] { change(0, old_bytes.left(4096)); }},
                {'Q',
                 [&] {
                     change(0, old_bytes + QByteArray(2288, '\0') + new_bytes.mid(12288),
                            new_bytes.size());
                 }},
                {'v',
                 [&] {
                     change(0, old_bytes.left(4096) + QByteArray(4096, '\0') + old_bytes.mid(8192),
                            10000);
                 }},
                {'q',
                 [&] {
                     // The first page torn: one sector put back, the rest not.
                     change(0,
                            old_bytes.left(512) + new_bytes.mid(512, 3584) + old_bytes.mid(4096) +
                                new_bytes.mid(10000, 2288),
                            12288);
                 }},
                {'F',
                 [&] {
                     // Less room than the new bytes or a journal need.
                     ASSERT_TRUE(put(disk.Path("spare").toUtf8(), old_bytes, 0, 0, 0644));
                     disk.Fill();
                     QFile::remove(disk.Path("spare"));
                 }},
            };
            const auto read = [&](qint64 limit) {
                return as_saver([&]() -> std::string {
                    QByteArray got;
                    const int e = Read_File(path, limit, got);
                    return e != 0                         ? "error " + std::to_string(e)
                           : got == old_bytes             ? "old"
                           : got == old_bytes.left(limit) ? "old's start"
                           : got == new_bytes             ? "new"
                           : got == newer                 ? "NEWER"
                           : got == theirs                ? "theirs"
                           : got == cut                   ? "cut"
                                                          : std::to_string(got.size()) + " bytes";
                });
            };
            for (const char step : steps) {
                if (scene.count(step)) scene.at(step)();
                switch (step) {
                case 'k':
                case 'S':
                case 'y': {
                    const QByteArray data = step == 'k' ? new_bytes
                                            : step == 'S'
                                                ? old_bytes.left(8192) + new_bytes.mid(8192, 11808)
                                                : new_bytes.left(100);
                    const std::string r = as_saver([&] { return killed_save(path, data); });
                    note(r == "killed" ? "" : r);
                    break;
                }
                case 'r':
                case 'l':
                    note("read " + read(step == 'l' ? 4000 : 1 << 20));
                    reset_faults();
                    break;
                case 's': {
                    const std::string r = as_saver([&] {
                        // The whole system's mounts stay as they are.
                        if (no_proc &&
                            (::unshare(CLONE_NEWNS) != 0 ||
                             ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                             ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0))
                            return std::string("could not hide /proc");
                        const std::string s = saved(Write_File(path, new_bytes));
                        return (journal_named_first ? "journal named first, " : "") + s;
                    });
                    note(r == "killed" ? "save killed" : r);
                    last_save = r;
                    reset_faults();
                    break;
                }
                case 'C':
                    note("root's " +
                         as_user(0, 0, 0, [&] { return saved(Write_File(path, new_bytes)); }));
                    break;
                case 'b':
                    others_save(newer);
                    break;
                case 'B':
                    others_save(new_bytes.left(17000));
                    break;
                case 'h': {
                    ASSERT_TRUE(put(temp, "left", k.as_uid, k.as_gid, 0644));
                    held = ::open(temp, O_RDONLY | O_CLOEXEC);
                    ASSERT_GE(held, 0);
                    break;
                }
                case 'H': {
                    char buf[64] = {};
                    const ssize_t n = ::pread(held, buf, sizeof buf, 0);
                    note("held " + std::string(buf, size_t(std::max<ssize_t>(n, 0))));
                    ::close(held);
                    break;
                }
                case 'm': {
                    struct stat st {};
                    note(::lstat(temp, &st) != 0   ? "no temporary file"
                         : (st.st_mode & 077) == 0 ? "private"
                                                   : "mode " + std::to_string(st.st_mode & 0777));
                    break;
                }
                }
            }
            reset_faults();
            g_lock_error = 0;
            g_dev_shift = 0;
            QFile::remove(disk.Path("filler"));

            // The user meets what the row says, and the file holds what the
            // last save and read left: the new bytes once a save went
            // through, else the old ones, or another program's.
            struct stat st {};
            const bool replaced = ::stat(file, &st) == 0 && !Same_File(st, was);
            const bool sync_failed = replaced && has("d");
            QString expected = k.refused ? "save 13, read old" : t.met;
            if (dangling) expected.replace("read old", "read error 2");
            if (k.links == Planted_Link) expected.replace("read old", "read error 13");
            ASSERT_EQ(::chmod(d, shared ? 01777 : 0777), 0);
            EXPECT_EQ(met, expected.toStdString());
            const bool new_kept = last_save.find("save 0") != std::string::npos || sync_failed;
            const auto held_in = [&](const QByteArray& n) {
                const QByteArray b = bytes_at(n);
                return b == old_bytes   ? "old"
                       : b == new_bytes ? "new"
                       : b == theirs    ? "theirs"
                                        : b.left(40).toStdString();
            };
            for (const QByteArray& n : names)
                EXPECT_EQ(held_in(n), new_kept       ? "new"
                                      : dangling     ? "<none>"
                                      : has("IEAMB") ? "theirs"
                                                     : "old")
                    << n.constData();
            if (has("14")) EXPECT_EQ(bytes_at(has("4") ? victim : temp), "victim's");
            if (has("3")) EXPECT_EQ(bytes_at(temp), "victim's");
            QStringList after = before;
            if (dangling && new_kept) {
                after << "t.syx";
                after.sort();
            }
            EXPECT_EQ(names_in(QFile::decodeName(d)), after) << "only the names there were";
            if (::stat(file, &st) == 0) {
                EXPECT_EQ(st.st_mode & 07777, mode);
                EXPECT_EQ(st.st_uid, owner);
                EXPECT_EQ(st.st_gid, group);
                EXPECT_EQ(st.st_nlink, 1u + second_name + (has("2") && !new_kept));
            }
            for (const QByteArray& l : links) {
                EXPECT_EQ(::lstat(l, &st), 0);
                EXPECT_TRUE(S_ISLNK(st.st_mode)) << l.constData();
            }
            if (k.attributes) {
                char got[64] = {};
                EXPECT_EQ(::getxattr(file, "user.note", got, sizeof got), 4);
                EXPECT_EQ(::getxattr(file, "system.posix_acl_access", got, sizeof got),
                          ssize_t(acl.size()));
                EXPECT_EQ(QByteArray(got, acl.size()), acl);
            }
            if (k.links == Bound) ASSERT_EQ(::umount2(file, MNT_DETACH), 0);
            Remove_Tree(QFile::decodeName(d));
            if (k.links == Bound) Remove_Tree(QFile::decodeName(elsewhere));
        }
    }
}

// Another instance saving the same file, through this name or another, is
// waited for, and nothing is touched meanwhile.
TEST(FileWrites, SavesOfOneFileWaitForEachOther) {
    QTemporaryDir dir;
    const auto remove = qScopeGuard([&dir] { Remove_Tree(dir.path()); });
    const QString file = dir.filePath("held.syx"), other = dir.filePath("other.syx");
    const QByteArray temp = QFile::encodeName(file) + ".quorlen-tmp";
    const QByteArray old_bytes(10000, 'o'), new_bytes = pattern(30000, 'n');
    ASSERT_EQ(Write_File(file, old_bytes), 0);
    ASSERT_EQ(::link(QFile::encodeName(file), QFile::encodeName(other)), 0);
    // Held by a save of this program through this name or the other, by one
    // of its reads through the other, or by other programs' locks, which
    // neither a read nor a save waits for; with the journal of a save killed
    // halfway to put back, or none. A put-back waits like a save, and is
    // never read around.
    enum How { Ours_Write, Ours_Read, Flock, Lockf };
    const struct {
        const char* what;
        QByteArray at;
        How how;
        bool journal;
        int read, save;
    } holds[] = {
        {"a save through this name", temp, Ours_Write, false, 0, EBUSY},
        {"a save through the other name", QFile::encodeName(other), Ours_Write, false, EBUSY,
         EBUSY},
        {"a read through the other name", QFile::encodeName(other), Ours_Read, false, 0, EBUSY},
        {"another program's flock", QFile::encodeName(other), Flock, false, 0, 0},
        {"another program's lockf", QFile::encodeName(other), Lockf, false, 0, 0},
        {"the journal, by another instance", temp, Ours_Write, true, EBUSY, EBUSY},
        {"a read through the other name, a journal to put back", QFile::encodeName(other),
         Ours_Read, true, EBUSY, EBUSY},
        {"a save through the other name, a journal left", QFile::encodeName(other), Ours_Write,
         true, EBUSY, EBUSY},
    };
    for (const auto& h : holds) {
        SCOPED_TRACE(h.what);
        if (h.journal) ASSERT_EQ(killed_save(file, new_bytes), "killed");
        const QByteArray left = bytes_at(QFile::encodeName(file));
        const int held = ::open(h.at, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(held, 0);
        if (h.how == Flock)
            ASSERT_EQ(::flock(held, LOCK_EX), 0);
        else if (h.how == Lockf)
            ASSERT_EQ(::lockf(held, F_LOCK, 0), 0);
        else
            ASSERT_EQ(Lock_Until(held, h.how == Ours_Write ? F_WRLCK : F_RDLCK, Lock_Clock::now()),
                      0);
        QByteArray data;
        EXPECT_EQ(Read_File(file, 1 << 20, data), h.read);
        EXPECT_EQ(data, h.read ? "" : old_bytes);
        EXPECT_EQ(Write_File(file, "new"), h.save);
        EXPECT_EQ(bytes_at(QFile::encodeName(file)), h.save ? left : "new");
        // Let go within the wait: what waited goes through, and fewer bytes
        // written in place leave no old tail.
        std::thread let_go([held] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::close(held);
        });
        if (h.read) EXPECT_EQ(Read_File(file, 1 << 20, data), 0);
        if (h.read) EXPECT_EQ(data, old_bytes);
        EXPECT_EQ(Write_File(file, "new"), 0);
        let_go.join();
        EXPECT_EQ(bytes_at(QFile::encodeName(other)), "new");
        EXPECT_EQ(::access(temp, F_OK), -1);
        ASSERT_EQ(Write_File(file, old_bytes), 0);
    }

    // Another instance renames its temporary file over the file while this
    // one waits: this one then saves into a temporary file of its own, and
    // the file keeps its rights.
    const QString lone = dir.filePath("lone.syx");
    const QByteArray lone_temp = QFile::encodeName(lone) + ".quorlen-tmp";
    ASSERT_EQ(Write_File(lone, "old"), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(lone), 0640), 0);
    const int theirs = ::open(lone_temp, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_EQ(Lock_Until(theirs, F_WRLCK, Lock_Clock::now()), 0);
    std::thread rename_over([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        (void)!::write(theirs, "theirs", 6);
        ::fchmod(theirs, 0640);
        ::rename(lone_temp, QFile::encodeName(lone));
        ::close(theirs);
    });
    EXPECT_EQ(Write_File(lone, "mine"), 0);
    rename_over.join();
    EXPECT_EQ(bytes_at(QFile::encodeName(lone)), "mine");
    EXPECT_EQ(QFileInfo(lone).permissions(), QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ReadUser | QFile::WriteUser |
                                                 QFile::ReadGroup);
    EXPECT_EQ(::access(lone_temp, F_OK), -1);

    // Links that run in a circle end the save and the read at once.
    ASSERT_EQ(::symlink("b", QFile::encodeName(dir.filePath("a"))), 0);
    ASSERT_EQ(::symlink("a", QFile::encodeName(dir.filePath("b"))), 0);
    EXPECT_EQ(Write_File(dir.filePath("a"), "x"), ELOOP);
    QByteArray data;
    EXPECT_EQ(Read_File(dir.filePath("a"), 10, data), ELOOP);

    // Names of 255 bytes that agree in all but their ends have temporary
    // files of their own: a journal left for one stays its own, and a file
    // of the user that looks like a cut one is nobody's temporary file.
    const QString prefix = dir.filePath(QString(243, 'L'));
    const QString a = prefix + QString(12, 'a'), b = prefix + QString(12, 'b');
    const QByteArray users = QFile::encodeName(prefix) + ".quorlen-tmp";
    ASSERT_EQ(Write_File(a, old_bytes), 0);
    ASSERT_EQ(::link(QFile::encodeName(a), QFile::encodeName(dir.filePath("a2"))), 0);
    ASSERT_TRUE(put(users, "user's", ::geteuid(), ::getegid(), 0644));
    ASSERT_EQ(killed_save(a, "new"), "killed");
    QStringList left = names_in(dir.path());
    EXPECT_EQ(Write_File(b, "b"), 0);
    left << b.mid(dir.path().size() + 1);
    QStringList now = names_in(dir.path());
    left.sort(), now.sort();
    EXPECT_EQ(now, left);
    EXPECT_EQ(Read_File(a, 1 << 20, data), 0);
    EXPECT_EQ(data, old_bytes);
    EXPECT_EQ(bytes_at(users), "user's");
    EXPECT_EQ(names_in(dir.path()).size(), left.size() - 1) << "the journal is spent";
}

// A save in place over a big file, and the put-back of one cut short, copy it
// a piece at a time.
TEST(FileWrites, ABigFileIsNeverWholeInMemory) {
    QTemporaryDir dir;
    const QString big = dir.filePath("big.syx");
    const QByteArray name = QFile::encodeName(big);
    ASSERT_TRUE(put(name, QByteArray(64 << 20, 'o'), ::getuid(), ::getgid(), 0644));
    ASSERT_EQ(::link(name, name + "2"), 0);
    const std::string met = as_user(0, 0, 0, [&] {
        struct rusage before {};
        struct rusage after {};
        ::getrusage(RUSAGE_SELF, &before);
        const std::string killed = killed_save(big, "NEWS");
        QByteArray head;
        const int read = Read_File(big, 4, head);
        const int save = Write_File(big, "NEWS");
        ::getrusage(RUSAGE_SELF, &after);
        const bool grew = after.ru_maxrss - before.ru_maxrss > 16 * 1024;
        return killed + ", read " + std::to_string(read) + " " + head.toStdString() + ", " +
               saved(save) + (grew ? ", grew" : "");
    });
    EXPECT_EQ(met, "killed, read 0 oooo, save 0");
    EXPECT_EQ(bytes_at(name + "2"), "NEWS");
}

// Bytes a user saves that look like a journal of the program's, naming the
// file and claiming set-id rights (a shared "tone" of another user), are
// saved like any, and after a kill never put over the file as if they were
// its journal.
TEST(FileWrites, BytesThatLookLikeAJournalAreNeverTakenForOne) {
    QTemporaryDir dir;
    const QByteArray x = QFile::encodeName(dir.filePath("x.syx"));
    const QByteArray mine = pattern(2048, 'x'), payload = pattern(2048, 'P');
    ASSERT_TRUE(put(x, mine, ::geteuid(), ::getegid(), 0755));
    struct stat st {};
    ASSERT_EQ(::stat(x, &st), 0);
    // Its old bytes: the file's first sector, then the sender's; its new
    // ones: the file with another first sector, so the file reads as cut.
    const QByteArray old_part = mine.left(512) + payload.mid(512),
                     new_part = QByteArray(512, 'Z') + mine.mid(512);
    struct {
        char mark[16];
        quint64 owner, ino, mode, old_size, new_size;
        char sum[16];
    } head{};
    std::memcpy(head.mark, "quorlen journal3", 16);
    head.owner = quint64(st.st_uid) << 32 | st.st_gid;
    head.ino = st.st_ino;
    head.mode = S_IFREG | 04755;
    head.old_size = head.new_size = 2048;
    std::memcpy(head.sum, QCryptographicHash::hash(old_part + new_part, QCryptographicHash::Md5),
                16);
    const QByteArray tone =
        QByteArray(reinterpret_cast<const char*>(&head), sizeof head) + old_part + new_part;
    // A save of them, killed, leaves the old file or the new one whole; one
    // that goes through reads back as it was. No file is made for them, nor
    // anything at a temporary name.
    EXPECT_EQ(killed_save(QFile::decodeName(x), tone), "killed");
    QByteArray data;
    EXPECT_EQ(Read_File(QFile::decodeName(x), 1 << 20, data), 0);
    EXPECT_TRUE(data == mine || data == tone) << "neither the old file nor the new one";
    ASSERT_EQ(::stat(x, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_EQ(Write_File(QFile::decodeName(x), tone), 0);
    EXPECT_EQ(Read_File(QFile::decodeName(x), 1 << 20, data), 0);
    EXPECT_EQ(data, tone);
    EXPECT_EQ(Write_File(dir.filePath("new.syx"), tone), EINVAL);
    EXPECT_EQ(Write_File(QFile::decodeName(x + ".quorlen-tmp"), "tone"), EINVAL);
    EXPECT_EQ(names_in(dir.path()), QStringList{"x.syx"});
}

// The label the system gives every file is given the new one too: such a
// file alone is replaced whole, not written in place.
TEST(FileWrites, ASecurityLabelAloneKeepsTheSaveWhole) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root sets a security label without its module";
    QTemporaryDir dir;
    const QByteArray f = QFile::encodeName(dir.filePath("f.syx"));
    const char label[] = "system_u:object_r:user_home_t:s0";
    ASSERT_TRUE(put(f, "old", 0, 0, 0644));
    ASSERT_EQ(::setxattr(f, "security.selinux", label, sizeof label, 0), 0);
    struct stat was {};
    struct stat now {};
    ASSERT_EQ(::stat(f, &was), 0);
    EXPECT_EQ(Write_File(QFile::decodeName(f), "new"), 0);
    ASSERT_EQ(::stat(f, &now), 0);
    EXPECT_FALSE(Same_File(was, now));
    EXPECT_EQ(bytes_at(f), "new");
}
