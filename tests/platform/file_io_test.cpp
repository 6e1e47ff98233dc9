#include "platform/file_io.h"
#include "support/fixture.h"
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
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

    EXPECT_EQ(Remove_File(file), 0);
    EXPECT_EQ(Path_Kind(file), Path_Type::None);
    EXPECT_EQ(Remove_File(file), ENOENT);
    EXPECT_EQ(Remove_File(folder + "/link.syx"), 0);
    EXPECT_EQ(Make_Folder(folder + '/' + Name_From_Bytes("n\xFF")), 0);
    EXPECT_EQ(::access(root + "/D\xF6/n\xFF", F_OK), 0);
    EXPECT_EQ(Remove_Folder(folder), ENOTEMPTY);
}
