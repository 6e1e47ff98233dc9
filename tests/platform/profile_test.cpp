#include "platform/file_io.h"
#include "platform/profile.h"
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QString read_all(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
void put_bytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
void write_all(const QString& path, const QString& text) {
    put_bytes(path, text.toUtf8());
}
QByteArray bytes_of(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
const QByteArray Bom = "\xEF\xBB\xBF";
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

    const struct {
        QByteArray file;
        QString expected; // the value of k in section A
    } rows[] = {
        {"[A]\r\nx=1\r\n[B]\r\nk=2\r\n", "dflt"}, // not from a later section
        {"[A]\r\nk=\"\"\r\n", ""},
        {"[A]\nk=1\nK = 2\n[a]\nk=3\n", "1"}, // the first of a key given twice
        {Bom + "[A]\r\nk=1\r\n", "1"},        // past a byte-order mark
        {"[A]\r\nk=" + Bom + "1\r\n", QChar(0xFEFF) + QString("1")}, // a value keeps its own
    };
    for (const auto& r : rows) {
        put_bytes(ini, r.file);
        EXPECT_EQ(Profile_Read("a", "K", "dflt", ini), r.expected) << r.file.toStdString();
    }
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

    const struct {
        QByteArray before, value, after; // k written into section A
    } rows[] = {
        {"[A]\r\nx=1\r\n[B]\r\nk=2\r\n", "3", "[A]\r\nx=1\r\nk=3\r\n[B]\r\nk=2\r\n"},
        {"[A]\nk=1\nK = 2\n", "3", "[A]\nk=3\nK = 2\n"},
        {"[A]\r\nk = 1\r\n", "1", "[A]\r\nk = 1\r\n"}, // unchanged, blanks and all
        {Bom + "[A]\r\nk=1\r\n", "2", Bom + "[A]\r\nk=2\r\n"},
        {Bom, "1", Bom + "[A]\r\nk=1\r\n"},
        {Bom + "\r\n", "1", Bom + "\r\n[A]\r\nk=1\r\n"},
    };
    for (const auto& r : rows) {
        put_bytes(ini, r.before);
        ASSERT_TRUE(Profile_Write("A", "k", r.value, ini));
        EXPECT_EQ(bytes_of(ini), r.after) << r.before.toStdString();
    }
}

TEST(Profile, CreatesTheFileAndRefusesAnUnwritablePlace) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("new.ini");
    ASSERT_TRUE(Profile_Write("Main Window", "Left", "0", ini));
    EXPECT_EQ(read_all(ini), "[Main Window]\r\nLeft=0\r\n");
    EXPECT_FALSE(Profile_Write("A", "b", "c", dir.filePath("no/such/folder/x.ini")));
}

TEST(Profile, LinesNotChangedKeepTheirBytesWhateverTheirEncoding) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("Q.INI");
    const auto write_bytes = [&ini](const QByteArray& bytes) { put_bytes(ini, bytes); };
    const auto bytes = [&ini] { return bytes_of(ini); };
    // Latin-1 in a section not ours, mixed line breaks, no break at the end.
    write_bytes("; kept\n[Kl\xe4nge]\nName=Gr\xfc\xdf\n\n[MIDI]\nChannel = 1\r\nOutput=Out\n"
                "[Other]\nx=\xff\xfe");
    Profile p(ini);
    ASSERT_EQ(p.state(), Profile::State::Read);
    EXPECT_EQ(p.Read("midi", "CHANNEL", "x"), "1");
    EXPECT_TRUE(p.Write("MIDI", "Channel", "9"));
    EXPECT_TRUE(p.Write("MIDI", "Output", "Out")); // as it was: the line is not touched
    EXPECT_TRUE(p.Write("MIDI", "Autosend", "0"));
    EXPECT_TRUE(p.Write("MIDI", "Autosend", "1")); // the last value counts
    EXPECT_TRUE(p.Write("Recent Files", "Tone1", "/a"));
    EXPECT_EQ(p.Read("MIDI", "Autosend", "x"), "1");
    EXPECT_EQ(p.Save(), 0);
    EXPECT_EQ(bytes(), QByteArray("; kept\n[Kl\xe4nge]\nName=Gr\xfc\xdf\n\n[MIDI]\nChannel=9\r\n"
                                  "Output=Out\nAutosend=1\n[Other]\nx=\xff\xfe\n\n"
                                  "[Recent Files]\nTone1=/a\n"));
    // Names that are not UTF-8 are written and read back as their own bytes.
    const QString foreign = Name_From_Bytes("/t\xe9.syx");
    ASSERT_TRUE(Profile_Write("Recent Files", "Tone2", foreign, ini));
    EXPECT_TRUE(bytes().endsWith("Tone2=/t\xe9.syx\n"));
    EXPECT_EQ(Profile_Read("Recent Files", "Tone2", "", ini), foreign);
    EXPECT_TRUE(Profile_Write("Other", "x", Profile_Read("Other", "x", "", ini), ini));
    EXPECT_TRUE(bytes().contains("x=\xff\xfe\n"));

    // A binary file gains only the lines written.
    QByteArray blob(200 * 1024, '\0');
    std::uint32_t r = 1;
    for (char& c : blob) c = static_cast<char>((r = r * 1103515245u + 12345u) >> 24);
    write_bytes(blob);
    ASSERT_TRUE(Profile_Write("MIDI", "Channel", "9", ini));
    const QByteArray after = bytes();
    EXPECT_TRUE(after.startsWith(blob));
    EXPECT_LE(after.size(), blob.size() + 24);
    EXPECT_EQ(Profile_Read("MIDI", "Channel", "x", ini), "9");

    // A file cut after the CR of its last CR LF gets only the LF, once: the
    // line keeps its bytes and no empty line appears between added keys.
    for (const char* last : {"[MIDI]\r\nOutput=Out\r", "[MIDI]\nOutput=Out\r"}) {
        write_bytes(last);
        Profile p(ini);
        p.Write("MIDI", "Channel", "9");
        p.Write("MIDI", "Autosend", "1");
        p.Write("Recent Files", "Tone1", "/a");
        ASSERT_EQ(p.Save(), 0);
        const QByteArray br = QByteArray(last).contains("\r\n") ? "\r\n" : "\n";
        EXPECT_EQ(bytes(), last + ("\nChannel=9" + br + "Autosend=1" + br + br + "[Recent Files]" +
                                   br + "Tone1=/a" + br));
    }
}

TEST(Profile, LineBreaksAndFilesThatCannotBeReadAreNeverWritten) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("Q.INI");
    write_all(ini, "[Recent Files]\r\nTone1=/a.syx\r\n");
    // Nor is a name no file can have: it could not come back as it was.
    for (const QString& value : {QString("x\n[MIDI]\nChannel=9\n.syx"), QString("x\r.syx"),
                                 QString(QChar(0xD800)) + ".syx"})
        EXPECT_FALSE(Profile_Write("Recent Files", "Tone1", value, ini));
    EXPECT_FALSE(Profile_Write("MIDI\n", "Channel", "9", ini));
    EXPECT_EQ(read_all(ini), "[Recent Files]\r\nTone1=/a.syx\r\n");

    // A pipe is not waited on and not replaced; nor is a file of absurd size.
    const QString pipe = dir.filePath("pipe.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    const QString huge = dir.filePath("huge.ini");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(Profile_Max_Size + 1)); // sparse: takes no room
    }
    for (const QString& file : {pipe, huge}) {
        EXPECT_EQ(Profile(file).state(), Profile::State::Unreadable);
        EXPECT_EQ(Profile_Read("MIDI", "Channel", "dflt", file), "dflt");
        EXPECT_FALSE(Profile_Write("MIDI", "Channel", "9", file));
        Profile p(file);
        EXPECT_TRUE(p.Write("MIDI", "Channel", "9"));
        EXPECT_NE(p.Save(), 0);
    }
    EXPECT_FALSE(QFileInfo(pipe).isFile());
    EXPECT_EQ(QFileInfo(huge).size(), Profile_Max_Size + 1);
}
