#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "instrument/instrument.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "support/fixture.h"
#include <QAction>
#include <QDir>
#include <QFile>

class RecentTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\r\nOutput=Synth Out\r\nInput=Synth In\r\n");
        Start_Program();
        boxes.clear();
        for (const char* name : {"a.syx", "b.syx", "c.syx", "d.syx", "e.syx"}) files << touch(name);
    }
    QString touch(const QString& name, const std::string& bytes = {}) {
        const QString path = folder.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    QStringList list() const { return {Recent_Tone.begin(), Recent_Tone.end()}; }
    QStringList captions() const {
        QStringList out;
        for (QAction* a : Quorlen::get().Menu_File_SYX_N) out << (a->isVisible() ? a->text() : "-");
        return out;
    }
    QStringList files;
};

TEST_F(RecentTest, EntriesShiftAsLoadedAndSaved) {
    const QString &a = files[0], &b = files[1], &c = files[2], &d = files[3], &e = files[4];
    for (const QString& f : {a, b, c, d}) Recent_Tone_Add(f);
    EXPECT_EQ(list(), (QStringList{d, c, b, a}));
    Recent_Tone_Add(b); // entry 3 to the top, entry 4 stays
    EXPECT_EQ(list(), (QStringList{b, d, c, a}));
    Recent_Tone_Add(d); // entry 2
    EXPECT_EQ(list(), (QStringList{d, b, c, a}));
    Recent_Tone_Add("  " + d + " "); // entry 1, trimmed
    EXPECT_EQ(list(), (QStringList{d, b, c, a}));
    Recent_Tone_Add(a); // entry 4 moves to the top like a new name
    EXPECT_EQ(list(), (QStringList{a, d, b, c}));
    Recent_Tone_Add(e);
    EXPECT_EQ(list(), (QStringList{e, a, d, b}));
    EXPECT_EQ(captions(), (QStringList{"&1 " + e, "&2 " + a, "&3 " + d, "&4 " + b}));
    EXPECT_TRUE(Quorlen::get().Menu_File_SYX_Trenn_1->isVisible());
    // The tone list has its own twin for sequences.
    EXPECT_TRUE(Recent_Seq[0].isEmpty());
}

TEST_F(RecentTest, NamesDifferingInCaseAreDifferentFiles) {
    const QString upper = touch("A.syx");
    Recent_Tone_Add(files[0]);
    Recent_Tone_Add(upper);
    EXPECT_EQ(list(), (QStringList{upper, files[0], "", ""}));
}

TEST_F(RecentTest, VanishedFilesLeaveGapsUntilTheListShiftsOverThem) {
    // A file reached through a link is there as long as the file is.
    const QString link = folder.filePath("link.syx");
    ASSERT_TRUE(QFile::link(files[3], link));
    Recent_Tone = {files[0], files[1], files[2], link};
    QFile::remove(files[1]);
    Recent_Tone_Add("");
    EXPECT_EQ(list(), (QStringList{files[0], "", files[2], link}));
    EXPECT_EQ(captions(), (QStringList{"&1 " + files[0], "-", "&3 " + files[2], "&4 " + link}));
    Recent_Tone_Add(files[4]);
    EXPECT_EQ(list(), (QStringList{files[4], files[0], "", files[2]}));

    for (const QString& f : files) QFile::remove(f);
    Recent_Tone_Add("");
    EXPECT_EQ(list(), (QStringList{"", "", "", ""}));
    EXPECT_FALSE(Quorlen::get().Menu_File_SYX_Trenn_1->isVisible());
    EXPECT_EQ(captions(), (QStringList{"-", "-", "-", "-"}));
}

TEST_F(RecentTest, AmpersandInAPathIsShownAsText) {
    const QString path = touch("R&B.syx");
    Recent_Seq_Add(path);
    QString shown = path;
    shown.replace("&", "&&");
    EXPECT_EQ(Quorlen::get().Menu_File_Seq_N[0]->text(), "&1 " + shown);
    EXPECT_TRUE(Quorlen::get().Menu_File_Seq_Trenn_1->isVisible());
    EXPECT_EQ(Recent_Seq[0], path);

    // Bytes that are not UTF-8 show as a replacement character; a name no file
    // can have is not kept, since the settings could not hold it as it is.
    const QString foreign = folder.filePath(Name_From_Bytes("t\xE9.seq"));
    ASSERT_EQ(Write_File(foreign, "x"), 0);
    Recent_Seq_Add(foreign);
    EXPECT_EQ(Quorlen::get().Menu_File_Seq_N[0]->text(), "&1 " + Name_Shown(foreign));
    Recent_Seq_Add(folder.filePath(QString(QChar(0xD800)) + ".seq"));
    EXPECT_EQ(Recent_Seq[0], foreign);
}

TEST_F(RecentTest, ChoosingAnEntryOpensThatTone) {
    std::string image{'\xF0', '\x41', '\x35', '\x00', '\x21', '\x20', '\x01'};
    for (int i = 0; i < 59; ++i) image.push_back(static_cast<char>(i));
    image.push_back('\xF7');
    const QString tone = touch("tone.syx", image);
    Recent_Tone_Add(tone);
    Recent_Tone_Add(files[0]);
    Tone_Data.fill(99);
    Quorlen::get().Menu_File_SYX_N[1]->trigger();
    for (int i = 0; i < 59; ++i) EXPECT_EQ(Tone_Data[i], i);
    EXPECT_EQ(Tone_File, tone);
    EXPECT_EQ(list(), (QStringList{tone, files[0], "", ""}));

    // The fourth entry opens too.
    Recent_Tone = {files[0], files[1], files[2], tone};
    Tone_Data.fill(99);
    Tone_File.clear();
    Quorlen::get().Menu_File_SYX_N[3]->trigger();
    EXPECT_EQ(Tone_Data[58], 58);
    EXPECT_EQ(Tone_File, tone);

    // Unsaved edits are not replaced without the question File > Tone > Open asks.
    const struct {
        int answer;
        bool loaded;
    } asked[] = {{Mb::Cancel, false}, {Mb::No, true}};
    for (const auto& a : asked) {
        boxes.clear();
        Tone_Data.fill(99);
        Tone_Saved = false;
        boxes.answers = {a.answer};
        Quorlen::get().Menu_File_SYX_N[0]->trigger();
        EXPECT_EQ(boxes.texts(), QStringList{"Save actual TONE first?"});
        EXPECT_EQ(boxes.calls.at(0).style, Mb::YesNoCancel | Mb::Question);
        EXPECT_EQ(Tone_Data[58] == 58, a.loaded) << a.answer;
    }

    // An empty entry does nothing.
    boxes.clear();
    Recent_Tone[3].clear();
    Tone_File.clear();
    Menu_File_SYX_N_Click(4);
    Menu_File_Seq_N_Click(4);
    EXPECT_TRUE(Tone_File.isEmpty());
    EXPECT_TRUE(boxes.calls.empty());
}
