#include "platform/profile.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString read_all(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
void write_all(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}
} // namespace

TEST(Profile, ReadsSectionsAndKeysWithoutRegardToCase) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("Q.INI");
    write_all(ini, "; comment\r\n[Main Window]\r\nLeft = "
                   "82.26667\r\n\r\n[midi]\r\nOUTPUT=UM-ONE:UM-ONE MIDI 1 20:0\r\n"
                   "Name=\"  padded  \"\r\nEmpty=\r\n");
    EXPECT_EQ(Profile_Read("main window", "left", "0", ini), "82.26667");
    EXPECT_EQ(Profile_Read("MIDI", "Output", "x", ini), "UM-ONE:UM-ONE MIDI 1 20:0");
    EXPECT_EQ(Profile_Read("MIDI", "Name", "x", ini), "  padded  ");
    EXPECT_EQ(Profile_Read("MIDI", "Empty", "x", ini), "");
    EXPECT_EQ(Profile_Read("MIDI", "Left", "dflt", ini), "dflt") << "keys belong to their section";
    EXPECT_EQ(Profile_Read("MIDI", "Output", "dflt", dir.filePath("none.ini")), "dflt");
    const QString longValue(300, 'x');
    write_all(ini, "[A]\nk=" + longValue + "\n");
    EXPECT_EQ(Profile_Read("A", "k", "", ini), longValue) << "values are read whole";
}

TEST(Profile, WritingKeepsEverythingElse) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("Q.INI");
    write_all(ini, "; kept\r\n[MIDI]\r\nINPUT=In\r\nOUTPUT=Out\r\n\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(Profile_Write("midi", "Output", "New Out", ini));
    ASSERT_TRUE(Profile_Write("MIDI", "Channel", "16", ini));
    ASSERT_TRUE(Profile_Write("Recent Files", "Tone1", "/a/b.syx", ini));
    EXPECT_EQ(
        read_all(ini),
        "; kept\r\n[MIDI]\r\nINPUT=In\r\nOUTPUT=New Out\r\nChannel=16\r\n\r\n[Other]\r\nx=1\r\n"
        "\r\n[Recent Files]\r\nTone1=/a/b.syx\r\n");
}

TEST(Profile, CreatesTheFileAndRefusesAnUnwritablePlace) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("new.ini");
    ASSERT_TRUE(Profile_Write("Main Window", "Left", "0", ini));
    EXPECT_EQ(read_all(ini), "[Main Window]\r\nLeft=0\r\n");
    EXPECT_FALSE(Profile_Write("A", "b", "c", dir.filePath("no/such/folder/x.ini")));
}
