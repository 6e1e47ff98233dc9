#include "midi/routines.h"
#include "platform/host.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(Routines, IncrementAndDecrement) {
    int v = 0;
    Var_Dec(v);
    EXPECT_EQ(v, 0);
    v = 1;
    Var_Dec(v);
    EXPECT_EQ(v, 0);
    unsigned char b = 127;
    Var_Dec(b);
    EXPECT_EQ(b, 126);
    b = 127;
    Var_Inc(b);
    EXPECT_EQ(b, 128);
}

TEST(Routines, AddBackslashTrimsAndAppendsTheSeparator) {
    QString p = "/tones ";
    EXPECT_EQ(Add_Backslash(p), "/tones/");
    EXPECT_EQ(p, "/tones/");
    p = "/tones/";
    EXPECT_EQ(Add_Backslash(p), "/tones/");
    p = "  /x";
    EXPECT_EQ(Add_Backslash(p), "/x/");
    p = " /y/ "; // ends in the separator once trailing blanks are gone: left as it was
    EXPECT_EQ(Add_Backslash(p), " /y/ ");
    p = "/Mixed/Case";
    EXPECT_EQ(Add_Backslash(p), "/Mixed/Case/");
}

TEST(Routines, FileExists) {
    QTemporaryDir dir;
    const QString file = dir.filePath("tone.syx");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(File_Exists(file));
    EXPECT_EQ(File_Err, 0);
    EXPECT_FALSE(File_Exists(dir.filePath("missing.syx")));
    EXPECT_EQ(File_Err, 53);
    EXPECT_TRUE(File_Exists(""));
    EXPECT_FALSE(File_Exists(dir.path() + "/")); // a folder is not a file
    EXPECT_FALSE(File_Exists(dir.path()));
    // Only a regular file is a file; a pipe is judged without opening it,
    // which would wait for a writer.
    const QString pipe = dir.filePath("pipe.syx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    for (const QString& special : {pipe, QString("/dev/null")}) {
        EXPECT_FALSE(File_Exists(special)) << special.toStdString();
        EXPECT_EQ(File_Err, 75);
    }
}

TEST(Routines, WinVersionReadsMajorDotTwoDigitMinor) {
    const struct {
        unsigned major, minor;
        double want;
    } rows[] = {{4, 10, 4.1}, {5, 1, 5.01}, {3, 95, 3.95}, {3, 10, 3.1}, {6, 0, 6.0}};
    for (const auto& r : rows) {
        Set_Host_Version_Override(r.major | (r.minor << 8));
        EXPECT_DOUBLE_EQ(Win_Version(), r.want) << r.major << "." << r.minor;
    }
    Set_Host_Version_Override(0);
}
