#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "support/fixture.h"
#include "support/small_disk.h"
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace {
using Bytes_ = std::string;
constexpr std::array<std::uint8_t, 7> No_Patch{};

JX8P_Tone_Params tone_of(std::uint8_t seed) {
    JX8P_Tone_Params t{};
    for (int i = 0; i < 59; ++i) t[i] = static_cast<std::uint8_t>((seed + i * 3) & 0x7F);
    return t;
}

std::array<std::uint8_t, 7> patch_of(std::uint8_t seed) {
    std::array<std::uint8_t, 7> p{};
    for (int i = 0; i <= 6; ++i) p[i] = static_cast<std::uint8_t>((seed + i * 11) & 0x7F);
    return p;
}

// The file images of those: the tone's bytes, the patch's as number and value pairs.
Bytes_ jx_tone(int channel, std::uint8_t seed) {
    const JX8P_Tone_Params t = tone_of(seed);
    return Bytes("F0 41 35") + static_cast<char>(channel - 1) + Bytes("21 20 01") +
           Bytes_(t.begin(), t.begin() + 59) + '\xF7';
}

Bytes_ jx_patch(int channel, std::uint8_t seed) {
    Bytes_ b = Bytes("F0 41 36") + static_cast<char>(channel - 1) + Bytes("21 30 01");
    for (int i = 0; i <= 6; ++i) b += {static_cast<char>(i), static_cast<char>(patch_of(seed)[i])};
    return b + '\xF7';
}

Bytes_ juno_tone(std::uint8_t seed, const Bytes_& head = Bytes("F0 41 35 00 23 20 01")) {
    Bytes_ b = head;
    for (int i = 0; i < 49; ++i) b.push_back(static_cast<char>((seed + i * 5) & 0x3F));
    b.push_back('\xF7');
    return b;
}

std::array<std::uint8_t, 7> patch_now() {
    std::array<std::uint8_t, 7> p{};
    std::copy_n(Patch_Data.begin(), 7, p.begin());
    return p;
}

Bytes_ file_bytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray a = f.readAll();
    return Bytes_(a.constData(), static_cast<size_t>(a.size()));
}
} // namespace

class ToneFilesTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\r\nOutput=Synth Out\r\nInput=Synth In\r\n");
        Start_Program();
        ASSERT_EQ(MIDI_Enabled, 1);
        boxes.clear();
        midi.events.clear();
        AutoSend_On = 0;
    }

    QString write_file(const QString& name, const Bytes_& bytes) {
        const QString path = folder.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    void expect_nothing_loaded(const char* what) {
        EXPECT_EQ(Tone_Data, tone_of(99)) << what;
        EXPECT_EQ(SYX_Tone_Found, 0) << what;
        EXPECT_EQ(FD_Done, 0) << what;
        EXPECT_TRUE(Tone_File.isEmpty()) << what;
        EXPECT_TRUE(Recent_Tone[0].isEmpty()) << what;
    }
};

TEST_F(ToneFilesTest, JxFileOfAnyChannelOpensToneAndPatch) {
    for (int channel : {1, 5, 16}) {
        MIDI_Channel = 3;
        const QString path =
            write_file(QString("Ch%1.syx").arg(channel),
                       jx_tone(channel, channel) + jx_patch(channel, 40 + channel));
        Tone_Loading = 255;
        Load_SYX(path, "open"); // the mode in any letter case
        EXPECT_EQ(Tone_Data, tone_of(channel));
        EXPECT_EQ(patch_now(), patch_of(40 + channel));
        EXPECT_EQ(SYX_Tone_Found, 255);
        EXPECT_TRUE(SYX_Tone_First);
        EXPECT_EQ(FD_Done, 255);
        EXPECT_EQ(Tone_Loading, 0);
        EXPECT_EQ(Tone_File, path);
        EXPECT_EQ(Recent_Tone[0], path);
        EXPECT_EQ(Quorlen::get().windowTitle(), "Quorlen - " + path);
        EXPECT_TRUE(Quorlen::get().Menu_File_SYX_Save->isEnabled());
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ToneFilesTest, AutoSendSendsTheToneBeforeAndAfterThePatchValues) {
    Patch_Data.fill(0);
    const QString path = write_file("t.syx", jx_tone(1, 7) + jx_patch(1, 50));
    AutoSend_On = 1;
    Load_SYX(path, "Open");
    const auto sent = midi.sent();
    ASSERT_EQ(sent.size(), 2u);
    // The first image carries the new tone with the old patch, the second the new patch.
    EXPECT_EQ(sent[0].substr(7, 59), jx_tone(1, 7).substr(7, 59));
    EXPECT_EQ(sent[0][75], 0);
    EXPECT_EQ(sent[1].substr(0, 89), jx_tone(1, 7) + jx_patch(1, 50));

    midi.events.clear();
    AutoSend_On = 0;
    Load_SYX(path, "Open");
    EXPECT_TRUE(midi.sent().empty());
}

TEST_F(ToneFilesTest, SecondToneInFileAsksAndReplacesTheFirst) {
    const QString path =
        write_file("two.syx", jx_tone(1, 10) + jx_patch(1, 60) + jx_tone(1, 20) + jx_patch(1, 70));
    for (int answer : {Mb::No, Mb::Yes}) {
        boxes.clear();
        boxes.answers = {answer};
        Tone_Saved = false;
        Load_SYX(path, "Open");
        EXPECT_EQ(boxes.texts(), QStringList{"File contains another TONE. Save old TONE first?"});
        EXPECT_EQ(boxes.calls.at(0).style, Mb::YesNo | Mb::Question);
        // Either answer loads the second tone; its patch block does not begin the file.
        EXPECT_EQ(Tone_Data, tone_of(20));
        EXPECT_EQ(patch_now(), patch_of(60));
        EXPECT_EQ(FD_Done, 255);
        EXPECT_EQ(Tone_In_File, 0);
    }
}

TEST_F(ToneFilesTest, PreviewOfTwoTonesAsksWhetherToLoadTheSecond) {
    const QString path =
        write_file("two.syx", jx_tone(1, 10) + jx_patch(1, 60) + jx_tone(1, 20) + jx_patch(1, 70));
    boxes.answers = {Mb::No};
    Tone_Loading = 0;
    Load_SYX(path, "Soundcheck");
    ASSERT_EQ(boxes.texts(), QStringList{"File contains another TONE. Load it?"});
    EXPECT_EQ(Tone_Data, tone_of(10));
    EXPECT_EQ(patch_now(), patch_of(60));
    EXPECT_EQ(SYX_Tone_Found, 255);
    EXPECT_EQ(FD_Done, 0);
    EXPECT_EQ(Tone_Loading, 255); // readouts stay off after a preview
    EXPECT_TRUE(Tone_File.isEmpty());

    boxes.clear();
    boxes.answers = {Mb::Yes};
    Load_SYX(path, "Soundcheck");
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(Tone_Data, tone_of(20));
}

TEST_F(ToneFilesTest, ToneIsFoundBehindOtherMessagesButItsPatchBlockOnlyAtTheStart) {
    Patch_Data.fill(0);
    // A patch block before the tone is passed over.
    Load_SYX(write_file("a.syx", jx_patch(1, 60) + jx_tone(1, 30)), "Open");
    EXPECT_EQ(Tone_Data, tone_of(30));
    EXPECT_EQ(patch_now(), No_Patch);

    // An unknown message (and stray bytes) first: the tone loads, its patch block does not.
    const Bytes_ unknown = Bytes("00 7F F0 41 36 00 23 20 01 05 10 F7");
    Load_SYX(write_file("b.syx", unknown + jx_tone(2, 31) + jx_patch(2, 61)), "Open");
    EXPECT_EQ(Tone_Data, tone_of(31));
    EXPECT_FALSE(SYX_Tone_First);
    EXPECT_EQ(patch_now(), No_Patch);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ToneFilesTest, FileWithoutToneIsRefusedOnOpenOnly) {
    Tone_Data = tone_of(99);
    const QString path = write_file("p.syx", jx_patch(1, 1) + Bytes("F0 41 35 00 23 20 01 F7"));
    Load_SYX(path, "Soundcheck");
    EXPECT_TRUE(boxes.calls.empty());
    Load_SYX(path, "Open");
    EXPECT_EQ(boxes.texts(), QStringList{"Wrong MIDI system exclusive data!"});
    EXPECT_EQ(boxes.calls.at(0).style, Mb::Critical);
    expect_nothing_loaded("no tone");
}

TEST_F(ToneFilesTest, AlphaJunoFileIsCheckedForLengthAndEndByte) {
    Synth_Type = "Alpha Juno";
    AutoSend_On = 1;
    // Any first seven bytes are accepted.
    const Bytes_ good = juno_tone(3, Bytes("01 02 03 04 05 06 07"));
    Load_SYX(write_file("j.syx", good), "Open");
    for (int i = 0; i < 49; ++i) EXPECT_EQ(Juno_Tone[i], static_cast<std::uint8_t>(good[7 + i]));
    EXPECT_EQ(FD_Done, 255);
    EXPECT_EQ(midi.sent().size(), 1u);
    EXPECT_TRUE(boxes.calls.empty());

    const Juno_Tone_Params before = Juno_Tone;
    Bytes_ bad_end = juno_tone(9);
    bad_end.back() = '\x00';
    const struct {
        Bytes_ bytes;
        const char* text;
    } cases[] = {{bad_end, "Wrong file header!"},
                 {juno_tone(9) + Bytes("F7"), "Wrong file length!"},
                 {jx_tone(1, 1) + jx_patch(1, 1), "Wrong file length!"},
                 {Bytes_(), "Wrong file length!"}};
    for (const auto& c : cases) {
        boxes.clear();
        Load_SYX(write_file("bad.syx", c.bytes), "Open");
        EXPECT_EQ(boxes.texts(), QStringList{c.text});
        EXPECT_EQ(boxes.calls.at(0).style, Mb::Critical);
        EXPECT_EQ(boxes.calls.at(0).title, "Load Alpha Juno SYX file");
        EXPECT_EQ(Juno_Tone, before);
        EXPECT_EQ(FD_Done, 0);
    }
}

TEST_F(ToneFilesTest, SavedFileOfEachSynthesizerLoadsBack) {
    for (const char* synth : {"JX-8P", "MKS-70", "Alpha Juno"}) {
        Synth_Type = synth;
        MIDI_Channel = 5;
        const bool juno = Synth_Is(Synth_Type, "Alpha Juno");
        Tone_Data = tone_of(12);
        for (int i = 0; i <= 6; ++i) Patch_Data[i] = patch_of(44)[i];
        for (int i = 0; i < 49; ++i) Juno_Tone[i] = static_cast<std::uint8_t>(i);
        // An older, longer file leaves no tail behind.
        const QString path = write_file(QString("%1.syx").arg(synth), Bytes_(300, '\x55'));
        Tone_File = path;
        Tone_Saved = false;
        Quorlen::get().Menu_Edit_Undo->setEnabled(true);
        Save_SYX();
        EXPECT_TRUE(Tone_Saved) << synth;
        EXPECT_FALSE(Quorlen::get().Menu_Edit_Undo->isEnabled());
        EXPECT_EQ(Recent_Tone[0], path);
        const Bytes_ image = file_bytes(path);
        if (juno) {
            ASSERT_EQ(image.size(), 57u);
            EXPECT_EQ(Hex_Of(image.substr(0, 7)), "F0 41 35 04 23 20 01");
        } else {
            // Always the JX-8P format, also for the MKS-70.
            ASSERT_EQ(image, jx_tone(5, 12) + jx_patch(5, 44)) << synth;
        }

        Tone_Data.fill(0);
        Patch_Data.fill(0);
        Juno_Tone.fill(0);
        MIDI_Channel = 1;
        Load_SYX(path, "Open");
        EXPECT_EQ(FD_Done, 255) << synth;
        if (juno) {
            for (int i = 0; i < 49; ++i) EXPECT_EQ(Juno_Tone[i], i);
        } else {
            EXPECT_EQ(Tone_Data, tone_of(12));
            EXPECT_EQ(patch_now(), patch_of(44));
        }
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ToneFilesTest, DamagedFilesEndTheLoadCleanly) {
    const Bytes_ tone = jx_tone(1, 40);
    const struct {
        Bytes_ bytes;
        bool box;
    } cases[] = {
        {Bytes_(), true},           // empty
        {Bytes("F0 41 35"), true},  // ends inside the header
        {tone.substr(0, 40), true}, // ends inside the tone
        {Bytes("F0"), true},        // a lone start byte
    };
    for (const auto& c : cases) {
        Tone_Data = tone_of(99);
        boxes.clear();
        Load_SYX(write_file("cut.syx", c.bytes), "Open");
        EXPECT_EQ(boxes.texts(), QStringList{"Wrong MIDI system exclusive data!"});
        expect_nothing_loaded("cut");
    }

    // What was read before the cut stays; the cut tone asks nothing.
    Patch_Data.fill(0);
    boxes.clear();
    Load_SYX(write_file("cut2.syx", tone + jx_patch(1, 9).substr(0, 12)), "Open");
    EXPECT_EQ(Tone_Data, tone_of(40));
    EXPECT_EQ(patch_now(), No_Patch);
    Load_SYX(write_file("cut3.syx", tone + jx_tone(1, 41).substr(0, 50)), "Open");
    EXPECT_EQ(Tone_Data, tone_of(40));
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(FD_Done, 255);
}

TEST_F(ToneFilesTest, MissingFolderAndUnreadableFilesChangeNothing) {
    Tone_Data = tone_of(99);
    Load_SYX(folder.filePath("gone.syx"), "Open");
    EXPECT_TRUE(boxes.calls.empty()); // a missing file is passed over silently
    expect_nothing_loaded("missing");

    QDir(folder.path()).mkdir("dir.syx");
    Load_SYX(folder.filePath("dir.syx"), "Soundcheck");
    EXPECT_TRUE(boxes.calls.empty());
    Load_SYX(folder.filePath("dir.syx"), "Open");
    EXPECT_EQ(boxes.texts(), QStringList{"Error 75: Path/File access error"});
    expect_nothing_loaded("folder");

    // A pipe is refused without waiting for a writer; a device too.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("pipe.syx")).constData(), 0644), 0);
    for (const QString& special : {folder.filePath("pipe.syx"), QString("/dev/zero")}) {
        boxes.clear();
        Load_SYX(special, "Soundcheck");
        EXPECT_TRUE(boxes.calls.empty());
        Load_SYX(special, "Open");
        EXPECT_EQ(boxes.texts(), QStringList{"Error 75: Path/File access error"});
        expect_nothing_loaded("special");
    }

    // Opens, but every read fails.
    boxes.clear();
    Load_SYX("/proc/self/mem", "Open");
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("Error ")) << boxes.calls[0].text.toStdString();
    EXPECT_EQ(boxes.calls[0].style, Mb::Critical);
    expect_nothing_loaded("unreadable");
}

TEST_F(ToneFilesTest, BytesBeyondTheReadPositionAreNeverLookedAt) {
    // A tone at the start of a big file loads.
    Load_SYX(write_file("big1.syx", jx_tone(1, 50) + Bytes_(40000, '\0')), "Open");
    EXPECT_EQ(Tone_Data, tone_of(50));

    // A tone past 32767 bytes, or running over that mark, is not reached.
    for (size_t lead : {size_t{40000}, size_t{32767 - 30}}) {
        Tone_Data = tone_of(99);
        Tone_File.clear();
        Recent_Tone.fill(QString());
        boxes.clear();
        Load_SYX(write_file("big2.syx", Bytes_(lead, '\0') + jx_tone(1, 51)), "Open");
        EXPECT_EQ(boxes.texts(), QStringList{"Wrong MIDI system exclusive data!"});
        expect_nothing_loaded("far");
    }
    // The Alpha Juno length check still sees a long file as too long.
    Synth_Type = "Alpha Juno";
    boxes.clear();
    Load_SYX(write_file("big3.syx", juno_tone(1) + Bytes_(40000, '\0')), "Open");
    EXPECT_EQ(boxes.texts(), QStringList{"Wrong file length!"});
}

TEST_F(ToneFilesTest, FailedSaveKeepsTheOldFileAndTheToneUnsaved) {
    const QString old = write_file("old.syx", Bytes("01 02 03"));
    QDir(folder.path()).mkdir("sub.syx");
    // A file that allows no writing is refused, whoever runs the program.
    const QString read_only = write_file("ro.syx", Bytes("01 02 03"));
    ASSERT_TRUE(QFile::setPermissions(read_only, QFile::ReadOwner | QFile::ReadGroup));
    const struct {
        QString path;
        QString text;
    } cases[] = {
        {read_only, "Error 70: Permission denied"},
        {folder.filePath("no/such/folder/t.syx"), "Error 76: Path not found"},
        {folder.filePath("sub.syx"), "Error 75: Path/File access error"},
        {QString(), "Wrong filename!"},
        {folder.filePath(QString(300, 'x') + ".syx"), "Wrong filename!"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        Tone_Saved = false;
        Recent_Tone.fill(QString());
        Tone_File = c.path;
        Save_SYX();
        EXPECT_EQ(boxes.texts(), QStringList{c.text});
        EXPECT_EQ(boxes.calls.at(0).style, Mb::Critical);
        EXPECT_FALSE(Tone_Saved);
        EXPECT_TRUE(Recent_Tone[0].isEmpty());
        EXPECT_EQ(File_Err, 0);
    }
    EXPECT_EQ(file_bytes(old), Bytes("01 02 03"));
    EXPECT_EQ(file_bytes(read_only), Bytes("01 02 03"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(read_only).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0440u);
    EXPECT_TRUE(QFileInfo(folder.filePath("sub.syx")).isDir());

    // Writes that fail half-way, on any disk, and a pipe in the file's place.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("pipe.syx")).constData(), 0644), 0);
    const struct {
        int error;
        QString path, text;
    } failing[] = {
        {ENOSPC, old, "Error 61: Disk full"},
        {EROFS, old, "Error 70: Permission denied"},
        {EIO, old, "Error 57: Device I/O error"},
        {0, folder.filePath("pipe.syx"), "Error 75: Path/File access error"},
    };
    for (const auto& c : failing) {
        boxes.clear();
        Tone_Saved = false;
        Tone_File = c.path;
        Set_Write_Fault(c.error);
        Quorlen::get().Menu_File_SYX_Save_Click();
        Set_Write_Fault(0);
        EXPECT_EQ(boxes.texts(), QStringList{c.text});
        EXPECT_FALSE(Tone_Saved) << c.text.toStdString();
        EXPECT_TRUE(Recent_Tone[0].isEmpty());
    }
    EXPECT_EQ(file_bytes(old), Bytes("01 02 03"));
    EXPECT_FALSE(QFileInfo(folder.filePath("pipe.syx")).isFile());
    QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::System);
    left.removeAll("Quorlen.INI");
    EXPECT_EQ(left, (QStringList{"old.syx", "pipe.syx", "ro.syx"})) << "no temporary file is left";
}

TEST_F(ToneFilesTest, FullOrReadOnlyDiskKeepsTheOldFileAndTheToneUnsaved) {
    Small_Disk disk(folder.filePath("disk"));
    SKIP_WITHOUT_SMALL_DISK(disk);
    const Bytes_ before = Bytes("F0 41 35 00 21 20 01 10 11 12 13 14 15 16 17 18 F7");
    const QString file = disk.Path("old.syx");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before.data(), static_cast<qint64>(before.size()));
    }
    disk.Fill();
    for (const bool read_only : {false, true}) {
        if (read_only) ASSERT_TRUE(disk.Read_Only());
        boxes.clear();
        Tone_Saved = false;
        Tone_File = file;
        Save_SYX();
        EXPECT_EQ(boxes.texts(),
                  QStringList{read_only ? "Error 70: Permission denied" : "Error 61: Disk full"});
        EXPECT_EQ(boxes.calls.at(0).style, Mb::Critical);
        EXPECT_FALSE(Tone_Saved);
        EXPECT_TRUE(Recent_Tone[0].isEmpty());
        EXPECT_EQ(file_bytes(file), before);
        EXPECT_EQ(QDir(disk.Path("")).entryList(QDir::Files), (QStringList{"filler", "old.syx"}));
    }
}
