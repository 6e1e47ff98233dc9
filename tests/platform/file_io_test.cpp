#include "platform/file_io.h"
#include "support/fixture.h"
#include "support/small_disk.h"
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

    // A name of the longest length a file may have still has room for its temporary file.
    const QString longest = folder + '/' + QString(251, 'L') + ".syx";
    EXPECT_EQ(Write_File(longest, "long"), 0);
    EXPECT_EQ(Write_File(longest, "longer"), 0);
    EXPECT_EQ(Read_File(longest, 100, data), 0);
    EXPECT_EQ(data, "longer");
    EXPECT_EQ(Remove_File(longest), 0);

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
// become one); its exit code is the result, 1000 + the signal when killed.
int in_child(uid_t uid, gid_t gid, gid_t extra, const std::function<int()>& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const gid_t groups[] = {gid, extra};
        if (uid && (::setgroups(2, groups) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(255);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// A save killed halfway through writing its new bytes.
int killed_save(const QString& path, const QByteArray& data) {
    return in_child(0, 0, 0, [&] {
        Set_Write_Fault(Write_Fault_Kill, Write_Stage::Write);
        return Write_File(path, data);
    });
}

// fsync as the system does it, then failing where a test says so; the
// folders synced are noted.
int g_file_fsync_error = 0, g_folder_fsync_error = 0;
std::vector<ino_t> g_folders_synced;
} // namespace

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    const int r = real(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return r;
    if (S_ISDIR(st.st_mode)) g_folders_synced.push_back(st.st_ino);
    if (const int e = S_ISDIR(st.st_mode) ? g_folder_fsync_error : g_file_fsync_error) {
        errno = e;
        return -1;
    }
    return r;
}

TEST(FileWrites, WhatTheUserSetOnTheFileStaysAndAFailureLeavesItWhole) {
    QTemporaryDir dir;
    const auto remove = qScopeGuard([&dir] { Remove_Tree(dir.path()); });
    Small_Disk disk(dir.filePath("disk"));
    const bool root = ::geteuid() == 0;
    // Other users save in it too.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()), 0755), 0);
    const QByteArray top = QFile::encodeName(disk.Mounted() ? disk.Path("") : dir.path());
    // One page (tmpfs) more than the old bytes: the new ones fit only in part.
    const QByteArray old_bytes(4096, 'o'), new_bytes(8192, 'n');
    enum Links { No_Links, Hard_Link, Rel_Links, Abs_Link };
    enum Way { Refused, Rename, In_Place };
    // Owner and saver 0: this process, which must be root for any other.
    const struct {
        const char* what;
        mode_t mode;
        uid_t uid;
        gid_t gid;
        uid_t as_uid;
        gid_t as_gid;
        Links links;
        Way way;
    } kinds[] = {
        {"plain", 0640, 0, 0, 0, 0, No_Links, Rename},
        {"mode 0444", 0444, 0, 0, 0, 0, No_Links, Refused},
        {"another user's, not writable by this one", 0644, 0, 0, 1234, 1234, No_Links, Refused},
        {"own, writable by others but not by its owner", 0464, 1234, 1234, 1234, 1234, No_Links,
         Refused},
        {"another user's, saved by root", 0640, 1234, 1234, 0, 0, No_Links, Rename},
        {"another user's, writable by the group", 0664, 1234, 1234, 1235, 1234, No_Links, In_Place},
        {"another user's 0464, saved by root", 0464, 1234, 1234, 0, 0, No_Links, Rename},
        {"another user's 0464, saved by a member of its group", 0464, 1234, 1234, 1235, 1234,
         No_Links, In_Place},
        {"own, of another group of this user's", 0640, 1235, 1236, 1235, 1235, No_Links, Rename},
        {"hard link", 0640, 0, 0, 0, 0, Hard_Link, In_Place},
        {"dangling relative links", 0, 0, 0, 0, 0, Rel_Links, Rename},
        {"dangling absolute link", 0, 0, 0, 0, 0, Abs_Link, Rename},
    };
    enum Trouble {
        None,
        Full_Disk,
        Write_Fault,
        Sync_Fault,
        Fsync_Fails,
        Folder_Sync_Fails,
        Stale,
        Stale_Then_Fault,
        Killed,
        Killed_Twice,
        Stranger_Link,
        Stranger_Self,
        Stranger_User,
        Stranger_Symlink
    };
    const char* const troubles[] = {"none",
                                    "full disk",
                                    "failed write",
                                    "failed sync",
                                    "fsync fails",
                                    "folder sync fails",
                                    "stale temporary",
                                    "stale temporary, failed write",
                                    "killed while writing",
                                    "killed twice",
                                    "at the temporary name: another file's second name",
                                    "at the temporary name: the file's own second name",
                                    "at the temporary name: another user's file",
                                    "at the temporary name: a link"};
    for (const auto& k : kinds) {
        if ((k.uid || k.as_uid) && !root) continue;
        for (int ti = None; ti <= Stranger_Symlink; ++ti) {
            const auto t = Trouble(ti);
            const bool dangling = k.links == Rel_Links || k.links == Abs_Link;
            if ((t == Full_Disk && !disk.Mounted()) || (t == Stranger_User && !root) ||
                (t == Stranger_Self && dangling))
                continue;
            SCOPED_TRACE(std::string(k.what) + ", " + troubles[t]);
            const QByteArray d = top + "/case";
            ASSERT_EQ(::mkdir(d, 0777), 0);
            ASSERT_EQ(::chmod(d, 0777), 0);
            const QByteArray file = d + "/t.syx", temp = file + ".quorlen-tmp";
            QByteArray saved_as = file;
            QList<QByteArray> names{file}, links;
            const uid_t uid = k.uid ? k.uid : ::geteuid();
            const gid_t gid = k.uid ? k.gid : ::getegid();
            mode_t mode = k.mode;
            if (dangling) {
                const mode_t mask = ::umask(0);
                ::umask(mask);
                mode = 0666 & ~mask;
            } else {
                QFile f(QFile::decodeName(file));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(old_bytes);
                f.close();
                ASSERT_EQ(::chown(file, uid, gid), 0);
                ASSERT_EQ(::chmod(file, mode), 0);
            }
            if (k.links == Hard_Link) {
                ASSERT_EQ(::link(file, d + "/other.syx"), 0);
                names << d + "/other.syx";
            } else if (k.links == Rel_Links) {
                ASSERT_EQ(::mkdir(d + "/sub", 0777), 0);
                ASSERT_EQ(::symlink("t.syx", d + "/first"), 0);
                ASSERT_EQ(::symlink("../first", d + "/sub/l.syx"), 0);
                saved_as = d + "/sub/l.syx";
                links = {saved_as, d + "/first"};
            } else if (k.links == Abs_Link) {
                ASSERT_EQ(::symlink(file, d + "/l.syx"), 0);
                saved_as = d + "/l.syx";
                links = {saved_as};
            }
            names << links;
            // Whatever stands at the temporary name is somebody's, and stays as it is.
            const QByteArray victim = d + "/victim";
            if (t >= Stranger_Link) {
                QFile f(QFile::decodeName(victim));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write("victim's");
            }
            if (t == Stranger_Link) ASSERT_EQ(::link(victim, temp), 0);
            if (t == Stranger_Self) names << temp;
            if (t == Stranger_Self) ASSERT_EQ(::link(file, temp), 0);
            if (t == Stranger_User) ASSERT_EQ(::rename(victim, temp), 0);
            if (t == Stranger_User) ASSERT_EQ(::chown(temp, 1236, 1236), 0);
            if (t == Stranger_Symlink) ASSERT_EQ(::symlink(victim, temp), 0);
            const QStringList before = names_in(QFile::decodeName(d));
            if (t == Stale || t == Stale_Then_Fault) {
                QFile f(QFile::decodeName(temp));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write("left by a crash");
                f.close();
                // Left by the user who saves.
                if (k.as_uid) ASSERT_EQ(::chown(temp, k.as_uid, k.as_gid), 0);
            }
            if (t == Full_Disk) {
                QFile spare(disk.Path("spare"));
                ASSERT_TRUE(spare.open(QIODevice::WriteOnly));
                spare.write(old_bytes);
                spare.close();
                disk.Fill();
                spare.remove();
            }
            if (t == Write_Fault || t == Stale_Then_Fault) Set_Write_Fault(EIO, Write_Stage::Write);
            if (t == Sync_Fault) Set_Write_Fault(EIO, Write_Stage::Sync);
            g_file_fsync_error = t == Fsync_Fails ? EIO : 0;
            g_folder_fsync_error = t == Folder_Sync_Fails ? EIO : 0;
            struct stat folder {};
            ASSERT_EQ(::stat(d, &folder), 0);
            const QString path = QFile::decodeName(saved_as);
            const int e = in_child(k.as_uid, k.as_gid, 1236, [&] {
                // A save cut short: the next read finds the old file whole.
                for (int kill = 0; kill < (t == Killed ? 1 : t == Killed_Twice ? 2 : 0); ++kill) {
                    const bool killed = killed_save(path, new_bytes) == 1000 + SIGKILL;
                    if (killed != (k.way != Refused)) return 201;
                    if (k.way == In_Place && (bytes_at(file) == old_bytes || ::access(temp, F_OK)))
                        return 202; // nothing to put back
                }
                if (t == Killed || t == Killed_Twice) {
                    QByteArray got;
                    const int r = Read_File(path, 1 << 20, got);
                    if (dangling ? r != ENOENT : r != 0 || got != old_bytes) return 200;
                }
                g_folders_synced.clear();
                const int e = Write_File(path, new_bytes);
                const bool lasting = std::count(g_folders_synced.begin(), g_folders_synced.end(),
                                                folder.st_ino) == (k.way == Rename ? 1 : 0);
                return e == 0 && !lasting ? 203 : e;
            });
            Set_Write_Fault(0);
            g_file_fsync_error = g_folder_fsync_error = 0;
            QFile::remove(disk.Path("filler"));

            const bool renamed_then_failed = t == Folder_Sync_Fails && k.way == Rename;
            const int expected = k.way == Refused || t >= Stranger_Link ? EACCES
                                 : t == Full_Disk                       ? ENOSPC
                                 : t == Folder_Sync_Fails ? (renamed_then_failed ? EIO : 0)
                                 : t == None || t == Stale || t == Killed || t == Killed_Twice
                                     ? 0
                                     : EIO;
            EXPECT_EQ(e, expected);
            const bool new_there = e == 0 || renamed_then_failed;
            for (const QByteArray& n : names)
                EXPECT_EQ(bytes_at(n), new_there  ? new_bytes
                                       : dangling ? "<none>"
                                                  : old_bytes)
                    << n.constData();
            if (t >= Stranger_Link && t != Stranger_Self)
                EXPECT_EQ(bytes_at(t == Stranger_Symlink ? victim : temp), "victim's");
            QStringList after = before;
            if (dangling && new_there) {
                after << "t.syx";
                after.sort();
            }
            EXPECT_EQ(names_in(QFile::decodeName(d)), after) << "only the names there were";
            struct stat st {};
            if (::stat(file, &st) == 0) {
                EXPECT_EQ(st.st_mode & 07777, mode);
                EXPECT_EQ(st.st_uid, uid);
                EXPECT_EQ(st.st_gid, gid);
                EXPECT_EQ(st.st_nlink,
                          1u + (k.links == Hard_Link) + (t == Stranger_Self && !new_there));
            }
            for (const QByteArray& l : links) {
                EXPECT_EQ(::lstat(l, &st), 0);
                EXPECT_TRUE(S_ISLNK(st.st_mode)) << l.constData();
            }
            Remove_Tree(QFile::decodeName(d));
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
    const QByteArray old_bytes(10000, 'o');
    ASSERT_EQ(Write_File(file, old_bytes), 0);
    ASSERT_EQ(::link(QFile::encodeName(file), QFile::encodeName(other)), 0);
    // Held as the temporary file of this name, then as the file itself,
    // which is what a save through its other name holds.
    for (const QByteArray& lock : {temp, QFile::encodeName(other)}) {
        SCOPED_TRACE(lock.constData());
        const int held = ::open(lock, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        EXPECT_EQ(Write_File(file, "new"), EBUSY);
        EXPECT_EQ(bytes_at(QFile::encodeName(file)), old_bytes);
        // Let go within the wait: the save goes through, and fewer bytes
        // written in place leave no old tail.
        std::thread let_go([held] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::close(held);
        });
        EXPECT_EQ(Write_File(file, "new"), 0);
        let_go.join();
        EXPECT_EQ(bytes_at(QFile::encodeName(other)), "new");
        EXPECT_EQ(::access(temp, F_OK), -1);
        ASSERT_EQ(Write_File(file, old_bytes), 0);
    }

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
    ASSERT_EQ(Write_File(users, "user's"), 0);
    ASSERT_EQ(killed_save(a, "new"), 1000 + SIGKILL);
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
