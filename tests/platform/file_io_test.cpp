#include "platform/file_io.h"
#include "support/fixture.h"
#include "support/small_disk.h"
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The write as a second process of another user (root can become one).
int write_as(uid_t uid, gid_t gid, const QString& path, const QByteArray& data) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(255);
        ::_exit(Write_File(path, data));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

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
    enum Kind {
        Plain,
        No_Write_Bit,
        Not_Yours,
        Not_For_Owner,
        Others,
        Group,
        Hard_Link,
        Rel_Link,
        Abs_Link
    };
    const struct {
        Kind kind;
        const char* what;
        bool needs_root;
    } kinds[] = {
        {Plain, "plain", false},
        {No_Write_Bit, "mode 0444", false},
        {Not_Yours, "another user's, not writable by this one", true},
        {Not_For_Owner, "own, writable by others but not by its owner", true},
        {Others, "another user's, saved by root", true},
        {Group, "another user's, writable by the group", true},
        {Hard_Link, "hard link", false},
        {Rel_Link, "dangling relative links", false},
        {Abs_Link, "dangling absolute link", false},
    };
    enum Trouble { None, Full_Disk, Write_Fault, Sync_Fault, Stale, Stale_Then_Fault };
    const char* const troubles[] = {
        "none",        "full disk",       "failed write",
        "failed sync", "stale temporary", "stale temporary, failed write"};
    for (const auto& k : kinds) {
        if (k.needs_root && !root) continue;
        for (const Trouble t :
             {None, Full_Disk, Write_Fault, Sync_Fault, Stale, Stale_Then_Fault}) {
            if (t == Full_Disk && !disk.Mounted()) continue;
            SCOPED_TRACE(std::string(k.what) + ", " + troubles[t]);
            const QByteArray d = top + "/case";
            ASSERT_EQ(::mkdir(d, 0777), 0);
            ASSERT_EQ(::chmod(d, 0777), 0);
            const QByteArray file = d + "/t.syx";
            QByteArray saved_as = file;
            QList<QByteArray> names{file}, links;
            uid_t as_uid = 0, uid = ::geteuid();
            gid_t gid = ::getegid();
            mode_t mode = 0640;
            const bool dangling = k.kind == Rel_Link || k.kind == Abs_Link;
            if (!dangling) {
                QFile f(QFile::decodeName(file));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(old_bytes);
            }
            switch (k.kind) {
            case No_Write_Bit:
                mode = 0444;
                break;
            case Not_Yours:
                mode = 0644, as_uid = 1234;
                break;
            case Not_For_Owner:
                mode = 0464, uid = gid = as_uid = 1234;
                break;
            case Others:
                uid = gid = 1234;
                break;
            case Group:
                mode = 0664, uid = gid = 1234, as_uid = 1235;
                break;
            case Hard_Link:
                ASSERT_EQ(::link(file, d + "/other.syx"), 0);
                names << d + "/other.syx";
                break;
            case Rel_Link:
                ASSERT_EQ(::mkdir(d + "/sub", 0777), 0);
                ASSERT_EQ(::symlink("t.syx", d + "/first"), 0);
                ASSERT_EQ(::symlink("../first", d + "/sub/l.syx"), 0);
                saved_as = d + "/sub/l.syx";
                links = {saved_as, d + "/first"};
                break;
            case Abs_Link:
                ASSERT_EQ(::symlink(file, d + "/l.syx"), 0);
                saved_as = d + "/l.syx";
                links = {saved_as};
                break;
            default:
                break;
            }
            if (dangling) {
                const mode_t mask = ::umask(0);
                ::umask(mask);
                mode = 0666 & ~mask;
            } else {
                ASSERT_EQ(::chown(file, uid, gid), 0);
                ASSERT_EQ(::chmod(file, mode), 0);
            }
            names << links;
            const QStringList before = names_in(QFile::decodeName(d));
            if (t == Stale || t == Stale_Then_Fault) {
                QFile f(QFile::decodeName(file + ".quorlen-tmp"));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write("left by a crash");
                f.close();
                // Left by the user who saves.
                if (as_uid) ASSERT_EQ(::chown(file + ".quorlen-tmp", as_uid, 1234), 0);
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
            const QString path = QFile::decodeName(saved_as);
            const int e =
                as_uid ? write_as(as_uid, 1234, path, new_bytes) : Write_File(path, new_bytes);
            Set_Write_Fault(0);
            QFile::remove(disk.Path("filler"));

            const bool refused =
                k.kind == No_Write_Bit || k.kind == Not_Yours || k.kind == Not_For_Owner;
            const int expected = refused                   ? EACCES
                                 : t == Full_Disk          ? ENOSPC
                                 : t == None || t == Stale ? 0
                                                           : EIO;
            EXPECT_EQ(e, expected);
            for (const QByteArray& n : names)
                EXPECT_EQ(bytes_at(n), e ? (dangling ? "<none>" : old_bytes) : new_bytes)
                    << n.constData();
            QStringList after = before;
            if (dangling && e == 0) {
                after << "t.syx";
                after.sort();
            }
            EXPECT_EQ(names_in(QFile::decodeName(d)), after) << "only the names there were";
            struct stat st {};
            if (::stat(file, &st) == 0) {
                EXPECT_EQ(st.st_mode & 07777, mode);
                EXPECT_EQ(st.st_uid, uid);
                EXPECT_EQ(st.st_gid, gid);
                EXPECT_EQ(st.st_nlink, k.kind == Hard_Link ? 2u : 1u);
            }
            for (const QByteArray& l : links) {
                EXPECT_EQ(::lstat(l, &st), 0);
                EXPECT_TRUE(S_ISLNK(st.st_mode)) << l.constData();
            }
            Remove_Tree(QFile::decodeName(d));
        }
    }

    // A temporary file another instance is writing is never touched: the save
    // waits for it a while, then fails and leaves both files as they were.
    const QString file = dir.filePath("held.syx");
    ASSERT_EQ(Write_File(file, "old"), 0);
    const QByteArray temp = QFile::encodeName(file) + ".quorlen-tmp";
    const int held = ::open(temp, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::write(held, "theirs", 6), 6);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(Write_File(file, "new"), EBUSY);
    EXPECT_EQ(bytes_at(temp), "theirs");
    EXPECT_EQ(bytes_at(QFile::encodeName(file)), "old");
    // Once it is let go, the next save takes it over.
    ::close(held);
    EXPECT_EQ(Write_File(file, "new"), 0);
    EXPECT_EQ(bytes_at(QFile::encodeName(file)), "new");
    EXPECT_EQ(::access(temp, F_OK), -1);
}
