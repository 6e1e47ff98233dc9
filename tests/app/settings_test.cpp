#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/settings.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "platform/host.h"
#include "platform/profile.h"
#include "support/fixture.h"
#include "support/small_disk.h"
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <cerrno>
#include <string_view>
#include <sys/stat.h>

namespace {
const QString Midi_Ok = "[MIDI]\r\nOutput=Synth Out\r\nInput=Synth In\r\n";
}

class SettingsTest : public ProgramTest {
  protected:
    SettingsTest() : old_cwd(QDir::currentPath()) {
        // The folders fall back to the current directory: make it one we know.
        QDir(folder.path()).mkdir("cwd");
        cwd = folder.filePath("cwd");
        QDir::setCurrent(cwd);
    }
    ~SettingsTest() override { QDir::setCurrent(old_cwd); }

    QString ini() const { return folder.filePath("Quorlen.INI"); }
    QString value(const char* section, const char* key) const {
        return Profile_Read(section, key, "<none>", ini());
    }
    QString touch(const QString& relative) {
        const QString path = folder.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }

    QString old_cwd, cwd;
};

TEST_F(SettingsTest, NoFileGivesTheDefaultsAndWritesEveryKeyInOrder) {
    Start_Program();
    Quorlen& m = Quorlen::get();
    const bool modern = Win_Version() >= 3.95;
    EXPECT_EQ(m.pos(), QPoint(0, 0));
    EXPECT_EQ(m.Outer_Size(), modern ? QSize(541, 508) : QSize(536, 502));
    EXPECT_EQ(m.windowState(), Qt::WindowNoState);
    EXPECT_EQ(AutoPlay_On, 1);
    EXPECT_EQ(AutoSend_On, 1);
    EXPECT_EQ(Soundcheck_Mode, 0);
    EXPECT_EQ(Soundcheck_Note, 24);
    EXPECT_EQ(Soundcheck_Velocity, 80);
    EXPECT_EQ(Synth_Type, "JX-8P");
    EXPECT_FALSE(m.Menu_Windows_SavePos->isChecked());
    EXPECT_FALSE(m.Menu_MIDI_Seq_Load->isChecked());
    EXPECT_FALSE(m.Menu_File_SYX_Trenn_1->isVisible());
    EXPECT_FALSE(m.Menu_File_Seq_Trenn_1->isVisible());
    // A folder is always kept with its separator, also the current directory.
    EXPECT_EQ(Dir_Tones, cwd + "/");
    EXPECT_EQ(Dir_Sequences, cwd + "/");
    EXPECT_EQ(Dir_Oscillators, cwd + "/");

    Patch_Left = 1234; // 82.26667 pixels
    Seq_Top = 30;
    Save_Settings();
    const QString w = modern ? "541" : "536", h = modern ? "508" : "502";
    // Left and Top are the frame's place; the offscreen screen draws a frame
    // round a window made before it is shown, so take the place it reports.
    const QString expected = "[Main Window]\r\nLeft=" + QString::number(m.x()) +
                             "\r\nTop=" + QString::number(m.y()) + "\r\nWidth=" + w +
                             "\r\nHeight=" + h +
                             "\r\nState=0\r\n\r\n"
                             "[MIDI]\r\nAutoplay=1\r\nAutosend=1\r\nSequence Preload=0\r\n"
                             "Soundcheck=0\r\nSoundcheck Note=24\r\nSoundcheck Velocity=80\r\n"
                             "Channel=1\r\nControl Channel=[Not used]\r\nSynthesizer=JX-8P\r\n\r\n"
                             "[Windows]\r\nFile Dialog Left=0\r\nFile Dialog Top=0\r\n"
                             "Patch Left=82.26667\r\nPatch Top=0\r\nSave Positions=0\r\n"
                             "Sequencer Left=0\r\nSequencer Top=2\r\n\r\n"
                             "[Recent Files]\r\nTones=" +
                             cwd + "/\r\nSequences=" + cwd + "/\r\nOscillators=" + cwd +
                             "/\r\nTone1=\r\nTone2=\r\nTone3=\r\nTone4=\r\n"
                             "Sequence1=\r\nSequence2=\r\nSequence3=\r\nSequence4=\r\n";
    EXPECT_EQ(Settings_Text().toStdString(), expected.toStdString());
}

TEST_F(SettingsTest, FileOfTheOldSystemLoadsInAnyLetterCase) {
    const QString tone = touch("Tones/Bass One.syx"); // case kept
    const QString seq = touch("seqs/a.seq");
    const QString cr = touch("cr\r.syx");             // never kept
    const QString pipe = folder.filePath("pipe.syx"); // never waited on
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    Write_Settings("[main window]\r\nLEFT=82.26667\r\ntop=-40\r\nWidth=600.4\r\nHEIGHT=450\r\n"
                   "state=0\r\n"
                   "[WINDOWS]\r\nsave positions=1\r\npatch left=82.26667\r\nPatch Top=10\r\n"
                   "File Dialog Left=-3\r\nSEQUENCER LEFT=2\r\n"
                   "[midi]\r\nOUTPUT=Synth Out\r\ninput=Synth In\r\nsynthesizer=MKS-70\r\n"
                   "autoplay=0\r\nAutosend=1\r\nSEQUENCE PRELOAD=1\r\nsoundcheck=1\r\n"
                   "Soundcheck Note=60\r\nSoundcheck Velocity=127\r\n"
                   "[recent files]\r\ntone1=" +
                   tone + "\r\nTONE2=" + folder.filePath("gone.syx") + "\r\nTone3=" + cr +
                   "\r\nTone4=" + pipe + "\r\nsequence3=" + seq + "\r\nTONES=" +
                   folder.filePath("Tones") + "\r\nsequences=" + folder.filePath("seqs/") + "\r\n");
    Start_Program();
    EXPECT_TRUE(boxes.texts().filter("MIDI").isEmpty()); // the device keys were found
    Quorlen& m = Quorlen::get();
    EXPECT_EQ(m.pos(), QPoint(82, 0)); // fractional pixels, negative top to 0
    EXPECT_EQ(m.size(), QSize(600, 450));
    EXPECT_TRUE(m.Menu_Windows_SavePos->isChecked());
    EXPECT_EQ(Patch_Left, 1234);
    EXPECT_EQ(Patch_Top, 150);
    EXPECT_EQ(FD_Left, -45);
    EXPECT_EQ(Seq_Left, 30);
    EXPECT_EQ(Synth_Type, "MKS-70");
    EXPECT_EQ(AutoPlay_On, 0);
    EXPECT_TRUE(m.Menu_MIDI_Seq_Load->isChecked());
    EXPECT_EQ(Soundcheck_Mode, 1);
    EXPECT_EQ(Soundcheck_Note, 60);
    EXPECT_EQ(Soundcheck_Velocity, 127);
    // A vanished file leaves its place empty; the menu shows what exists.
    EXPECT_EQ(Recent_Tone[0], tone);
    EXPECT_TRUE(Recent_Tone[1].isEmpty());
    EXPECT_TRUE(Recent_Tone[2].isEmpty());
    EXPECT_TRUE(Recent_Tone[3].isEmpty());
    EXPECT_EQ(Recent_Seq[2], seq);
    EXPECT_EQ(m.Menu_File_SYX_N[0]->text(), "&1 " + tone);
    EXPECT_FALSE(m.Menu_File_SYX_N[1]->isVisible());
    EXPECT_TRUE(m.Menu_File_Seq_Trenn_1->isVisible());
    EXPECT_EQ(Dir_Tones, folder.filePath("Tones") + "/");
    EXPECT_EQ(Dir_Sequences, folder.filePath("seqs") + "/");

    // Written back: the key's stored letter case stays, the values are ours.
    Save_Settings();
    EXPECT_TRUE(Settings_Text().contains("patch left=82.26667\r\n"));
    EXPECT_TRUE(Settings_Text().contains("TONES=" + folder.filePath("Tones") + "/\r\n"));
    EXPECT_EQ(value("Main Window", "Left"), "82");
    EXPECT_EQ(value("Main Window", "Top"), "0");
    EXPECT_EQ(value("MIDI", "Input"), "Synth In");
    EXPECT_EQ(value("Recent Files", "Tone2"), "");
}

TEST_F(SettingsTest, PositionsAreReadOnlyWhenSaved) {
    Write_Settings(Midi_Ok + "[Windows]\r\nSave Positions=0\r\nPatch Left=300\r\n");
    Start_Program();
    EXPECT_EQ(Patch_Left, 0);
    Save_Settings();
    EXPECT_EQ(value("Windows", "Patch Left"), "0");
}

TEST_F(SettingsTest, LargeFontsConvertWithTwelveTwipsPerPixel) {
    Set_Screen_PPI_Override(120);
    Write_Settings(Midi_Ok + "[Windows]\r\nSave Positions=1\r\nPatch Left=82.26667\r\n");
    Start_Program();
    EXPECT_EQ(Patch_Left, 987);
    Save_Settings();
    EXPECT_EQ(value("Windows", "Patch Left"), "82.25");
}

TEST_F(SettingsTest, MaximizedWindowKeepsTheStoredSize) {
    Write_Settings(Midi_Ok + "[Main Window]\r\nLeft=10\r\nTop=20\r\nWidth=600.5\r\nHeight=450\r\n"
                             "State=2\r\n");
    Start_Program();
    Quorlen& m = Quorlen::get();
    EXPECT_TRUE(m.windowState() & Qt::WindowMaximized);
    Save_Settings();
    EXPECT_EQ(value("Main Window", "State"), "2");
    EXPECT_EQ(value("Main Window", "Width"), "600.5"); // never written by us
    EXPECT_EQ(value("Main Window", "Height"), "450");
}

TEST_F(SettingsTest, BadValuesLeaveTheSettingAsItWas) {
    const QString long_synth(200, 'Z');
    Write_Settings(Midi_Ok +
                   "[Main Window]\r\nLeft=abc\r\nTop=1e400\r\nWidth=-500\r\nHeight=\r\n"
                   "State=7\r\n"
                   "[Windows]\r\nSave Positions=1\r\nPatch Left=99999\r\nPatch Top=x1\r\n"
                   "Sequencer Left= 12 \r\n"
                   "[MIDI]\r\nSoundcheck Note=300\r\nSoundcheck Velocity=-1\r\n"
                   "Synthesizer=" +
                   long_synth + "\r\n[Recent Files]\r\nTones=\x01\x02garbage\r\n");
    Start_Program();
    Quorlen& m = Quorlen::get();
    EXPECT_EQ(m.pos(), QPoint(0, 0));
    EXPECT_EQ(m.size(), QSize(541, 508)); // the window's own size
    EXPECT_EQ(m.windowState(), Qt::WindowNoState);
    EXPECT_EQ(Patch_Left, 0);
    EXPECT_EQ(Patch_Top, 0);
    EXPECT_EQ(Seq_Left, 180);
    EXPECT_EQ(Soundcheck_Note, 24);
    EXPECT_EQ(Soundcheck_Velocity, 80);
    EXPECT_EQ(Synth_Type, long_synth); // values are read whole
    EXPECT_EQ(Dir_Tones, cwd + "/");
}

TEST_F(SettingsTest, WindowPlaceAndSizeLimits) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QString keys;
        QPoint pos;
        QSize size;
    } rows[] = {
        // Far beyond the screen, or too near its edge to grab: back to the corner.
        {"Left=50000\r\nTop=90000", {0, 0}, {541, 508}},
        {"Left=" + QString::number(area.right() - 20), {area.left(), 0}, {541, 508}},
        {"Left=" + QString::number(area.right() - 40), {area.right() - 40, 0}, {541, 508}},
        // Sizes up to 100000 pixels are kept; one more is refused.
        {"Width=100000\r\nHeight=100000", {0, 0}, {100000, 100000}},
        {"Width=100001\r\nHeight=100001", {0, 0}, {541, 508}},
    };
    for (const auto& r : rows) {
        Reset_Program();
        Set_Program_Folder(folder.path());
        Write_Settings(Midi_Ok + "[Main Window]\r\n" + r.keys + "\r\n");
        Start_Program();
        EXPECT_EQ(Quorlen::get().pos(), r.pos) << r.keys.toStdString();
        EXPECT_EQ(Quorlen::get().size(), r.size) << r.keys.toStdString();
    }
}

TEST_F(SettingsTest, FolderWithoutFilesFallsBackToTheCurrentDirectory) {
    QDir(folder.path()).mkdir("Empty");
    touch("cwd/x.syx");
    Write_Settings(Midi_Ok + "[Recent Files]\r\nTones=" + folder.filePath("Empty") +
                   "\r\nSequences=" + folder.filePath("Missing") + "\r\n");
    Start_Program();
    EXPECT_EQ(Dir_Tones, cwd + "/");
    EXPECT_EQ(Dir_Sequences, cwd + "/");
    EXPECT_EQ(Dir_Oscillators, cwd + "/");
}

TEST_F(SettingsTest, UnreadableFileGivesDefaultsAndAFailedSaveIsToldOnce) {
    // A folder, a pipe that start-up must not wait on, and a file too large
    // to read, in the file's place: none is replaced.
    enum Kind { Folder, Pipe, Huge };
    for (const Kind kind : {Folder, Pipe, Huge}) {
        Reset_Program();
        Set_Program_Folder(folder.path());
        QFile::remove(ini());
        QDir(folder.path()).rmdir("Quorlen.INI");
        if (kind == Pipe) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(ini()).constData(), 0644), 0);
        } else if (kind == Huge) {
            QFile f(ini());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            ASSERT_TRUE(f.resize(Profile_Max_Size + 1)); // sparse: takes no room
        } else {
            QDir(folder.path()).mkdir("Quorlen.INI");
        }
        Start_Program();
        EXPECT_EQ(Soundcheck_Note, 24);
        EXPECT_EQ(Synth_Type, "JX-8P");
        boxes.clear();
        Save_Settings();
        ASSERT_EQ(boxes.calls.size(), 1u) << kind;
        EXPECT_TRUE(boxes.calls[0].text.contains("settings could not be saved"));
        EXPECT_EQ(QFileInfo(ini()).isFile(), kind == Huge);
        if (kind == Huge) EXPECT_EQ(QFileInfo(ini()).size(), Profile_Max_Size + 1);
    }
    QFile::remove(ini());
}

TEST_F(SettingsTest, FailedWriteAtExitKeepsTheOldFileAndSaysSo) {
    const QString text = Midi_Ok + "[MIDI]\r\nSoundcheck Note=36\r\n";
    Write_Settings(text);
    Start_Program();
    Soundcheck_Note = 60;
    const struct {
        int error;
        Write_Stage stage;
    } faults[] = {{ENOSPC, Write_Stage::Start},
                  {EROFS, Write_Stage::Start},
                  {EIO, Write_Stage::Start},
                  {EIO, Write_Stage::Write},
                  {EIO, Write_Stage::Sync}};
    for (const auto& f : faults) {
        boxes.clear();
        Set_Write_Fault(f.error, f.stage);
        Save_Settings();
        Set_Write_Fault(0);
        EXPECT_EQ(boxes.texts(), QStringList{"The settings could not be saved to " + ini() + "."});
        EXPECT_EQ(Settings_Text(), text);
    }
    // A file that allows no writing is left as it is, also by root.
    const QByteArray name = QFile::encodeName(ini());
    ASSERT_EQ(::chmod(name, 0444), 0);
    boxes.clear();
    Save_Settings();
    EXPECT_EQ(boxes.texts(), QStringList{"The settings could not be saved to " + ini() + "."});
    EXPECT_EQ(Settings_Text(), text);
    struct stat st {};
    ASSERT_EQ(::stat(name, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    ASSERT_EQ(::chmod(name, 0644), 0);

    // A real full disk, then a read-only one.
    Small_Disk disk(folder.filePath("disk"));
    SKIP_WITHOUT_SMALL_DISK(disk);
    INI_File = disk.Path("Quorlen.INI");
    {
        QFile f(INI_File);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    disk.Fill();
    for (const bool read_only : {false, true}) {
        if (read_only) ASSERT_TRUE(disk.Read_Only());
        boxes.clear();
        Save_Settings();
        EXPECT_EQ(boxes.calls.size(), 1u);
        QFile f(INI_File);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(f.readAll()), text);
        QStringList left = QDir(disk.Path("")).entryList(QDir::Files);
        left.sort();
        EXPECT_EQ(left, (QStringList{"Quorlen.INI", "filler"}));
    }
}

TEST_F(SettingsTest, ForeignBytesStayAndLineBreaksNeverReachTheFile) {
    using namespace std::string_view_literals;
    constexpr std::string_view raw = "[Kl\xe4nge]\r\nName=Gr\xfc\xdf \x80\x00\xff\r\n\r\n"sv;
    const QByteArray foreign(raw.data(), static_cast<qsizetype>(raw.size()));
    // A byte-order mark hides no section and stays.
    const QByteArray start = "\xEF\xBB\xBF" + Midi_Ok.toUtf8();
    {
        QFile f(ini());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(start + foreign);
    }
    Start_Program();
    EXPECT_TRUE(boxes.texts().filter("MIDI").isEmpty());
    // A file whose name holds a line break, or ends in a blank the settings
    // would trim, is opened and saved, but not kept: it would come back as
    // another file.
    touch("x.syx");
    for (const QString name :
         {u"x\n[MIDI]\nChannel=9\n.syx"_qs, u"x\r.syx"_qs, u"x.syx "_qs, u"x.syx\u00A0"_qs}) {
        const QString odd = folder.filePath(name);
        Tone_File = odd;
        Save_SYX();
        EXPECT_TRUE(Tone_Saved);
        EXPECT_TRUE(QFileInfo(odd).isFile());
        EXPECT_TRUE(Recent_Tone[0].isEmpty()) << name.toStdString();
        Recent_Seq_Add(odd);
        EXPECT_TRUE(Recent_Seq[0].isEmpty()) << name.toStdString();
    }
    Dir_Tones = folder.filePath("a\r\nb/");
    for (int run = 0; run < 2; ++run) Save_Settings();
    QFile f(ini());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    EXPECT_TRUE(after.startsWith(start));
    EXPECT_TRUE(after.contains(foreign));
    EXPECT_EQ(after.count("[MIDI]"), 1);
    EXPECT_FALSE(after.contains("Channel=9"));
    EXPECT_EQ(value("Recent Files", "Tones"), "<none>");
}

TEST_F(SettingsTest, RefusedStartUpLeavesTheFileAlone) {
    const QString text = Midi_Ok + "[MIDI]\r\nSoundcheck Note=61\r\n";
    Write_Settings(text);
    Set_Screen_PPI_Override(144);
    Start_Program();
    EXPECT_TRUE(Quorlen::get().Unloaded());
    EXPECT_EQ(Settings_Text(), text);
    // Settings never read are never written, whoever asks.
    INI_File = ini();
    ASSERT_FALSE(Settings_Loaded);
    Save_Settings();
    EXPECT_EQ(Settings_Text(), text);
}

TEST_F(SettingsTest, SettingsSurviveARoundTrip) {
    Write_Settings(Midi_Ok + "[Main Window]\r\nWidth=700\r\nHeight=560\r\n");
    Start_Program();
    // The stored size is the outer one, frame included, also once the frame is known.
    Quorlen& main = Quorlen::get();
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_NE(main.frameGeometry().size(), main.size()); // the screen gives windows a frame
    EXPECT_EQ(main.frameGeometry().size(), QSize(700, 560));
    const QString tone = touch("a.syx");
    Recent_Tone_Add(tone);
    // Names that are not UTF-8 come back as the same files.
    const QString odd = folder.filePath(Name_From_Bytes("T\xF6ne"));
    const QString odd_tone = odd + '/' + Name_From_Bytes("b\xE9.syx");
    ASSERT_EQ(Make_Folder(odd), 0);
    ASSERT_EQ(Write_File(odd_tone, "x"), 0);
    Recent_Tone_Add(odd_tone);
    Dir_Tones = odd + '/';
    Soundcheck_Note = 72;
    Soundcheck_Velocity = 100;
    Soundcheck_Mode = 1;
    Synth_Type = "Alpha Juno";
    Quorlen::get().Menu_Windows_SavePos->setChecked(true);
    Seq_Left = 450;
    Quorlen::get().move(33, 44);
    // What an exit cut short left beside the file goes with the next save.
    QFile stale(folder.filePath("Quorlen.INI.quorlen-tmp"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("[MIDI]\r\nSoundcheck Note=1\r\n");
    stale.close();
    Save_Settings();
    // Settings are written once, in one piece: nothing but the file is left beside it.
    QStringList left = QDir(folder.path()).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{"Quorlen.INI", "a.syx"}));
    EXPECT_EQ(value("Main Window", "Width"), "700");
    EXPECT_EQ(value("Main Window", "Height"), "560");

    Reset_Program();
    Set_Program_Folder(folder.path());
    Start_Program();
    EXPECT_EQ(Soundcheck_Note, 72);
    EXPECT_EQ(Soundcheck_Velocity, 100);
    EXPECT_EQ(Soundcheck_Mode, 1);
    EXPECT_EQ(Synth_Type, "Alpha Juno");
    EXPECT_EQ(Seq_Left, 450);
    EXPECT_EQ(Recent_Tone[0], odd_tone);
    EXPECT_EQ(Recent_Tone[1], tone);
    EXPECT_EQ(Dir_Tones, odd + '/');
    EXPECT_EQ(Quorlen::get().pos(), QPoint(33, 44));
}
