#include "platform/file_io.h"
#include "seq_support.h"
#include "support/small_disk.h"
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QScrollBar>
#include <cerrno>
#include <sys/stat.h>

class SeqFiles : public SeqTest {};

TEST_F(SeqFiles, ExactFileLoadsAndSavesBackByteForByte) {
    // Cells of every kind, a byte no edit can make (100, 255) among them.
    const QByteArray image = Image(30, 48, [](int i) {
        return i % 7 == 0 ? 127 : i % 11 == 0 ? 63 : i == 5 ? 100 : i == 6 ? 255 : 0;
    });
    Write("a.seq", image);
    Seq_Saved = 0;
    Load_SEQ(Path("a.seq"), "open");
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Seq_BPM, 30);
    EXPECT_EQ(Seq_Base_Note, 48);
    EXPECT_EQ(Seq_Range_Index, 2);
    EXPECT_EQ(Seq_Data[5], 100);
    EXPECT_EQ(Seq_Data[6], 255);
    EXPECT_EQ(Quorlen::get().Seq_Tmr->interval(), 250);
    EXPECT_EQ(Seq_File, Path("a.seq"));
    EXPECT_EQ(Seq_Name, "a.seq");
    EXPECT_EQ(Seq_Saved, 255);
    EXPECT_EQ(Seq_Loaded, 255);
    EXPECT_EQ(FD_Done, 255);
    EXPECT_TRUE(ED_Seq_Pics_Enabled);
    EXPECT_TRUE(Quorlen::get().Menu_File_Seq_Save->isEnabled());

    ASSERT_TRUE(Save_SEQ(Path("b.seq")));
    EXPECT_EQ(Read("b.seq"), image);
    EXPECT_EQ(Seq_File, Path("b.seq"));

    // An empty sequence round trips too.
    New_SEQ();
    Seq_Base_Note = 48;
    ASSERT_TRUE(Save_SEQ(Path("c.seq")));
    EXPECT_EQ(Read("c.seq"), Image(30, 48));
}

TEST_F(SeqFiles, HeaderIsSeqInAnyCaseAndAnyFourthCharacter) {
    QByteArray lower = Image(60, 36, [](int i) { return i == 0 ? 127 : 0; });
    lower.replace(0, 4, "seqX");
    Write("lower.seq", lower);
    Load_SEQ(Path("lower.seq"), "Open");
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Seq_BPM, 60);
    EXPECT_EQ(Seq_Data[0], 127);

    QByteArray swapped = Image(90, 60, [](int) { return 63; });
    swapped.replace(0, 4, "SQE1");
    Write("swapped.seq", swapped);
    Seq_Saved = 0;
    Load_SEQ(Path("swapped.seq"), "Open");
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Wrong SEQUENCE format!");
    EXPECT_EQ(boxes.calls[0].style, Mb::OkOnly | Mb::Critical);
    // Nothing of the sequence changed, and the earlier open still stands.
    EXPECT_EQ(Seq_BPM, 60);
    EXPECT_EQ(Seq_Data[0], 127);
    EXPECT_EQ(Seq_Data[1], 0);
    EXPECT_EQ(Seq_File, Path("lower.seq"));
    EXPECT_EQ(Seq_Saved, 0);
    EXPECT_EQ(Seq_Name, "lower.seq");
}

TEST_F(SeqFiles, LengthRules) {
    QByteArray longer = Image(40, 48, [](int i) { return i == 103 ? 127 : 0; });
    longer.append(QByteArray(90, char(127)));
    Write("long.seq", longer);
    Load_SEQ(Path("long.seq"), "Open");
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Seq_Data[103], 127);
    EXPECT_EQ(Seq_Data[102], 0);

    for (int size : {0, 4, 108, 109}) {
        boxes.clear();
        Write("short.seq", Image(99, 99, [](int) { return 63; }).left(size));
        Load_SEQ(Path("short.seq"), "Open");
        EXPECT_EQ(boxes.texts(), QStringList{"Wrong SEQUENCE format!"}) << size;
        EXPECT_EQ(Seq_BPM, 40) << size;
        // The preview stays silent and changes nothing either.
        boxes.clear();
        Load_SEQ(Path("short.seq"), "Soundcheck");
        EXPECT_TRUE(boxes.calls.empty()) << size;
        EXPECT_EQ(Seq_Data[0], 0) << size;
    }
    // Garbage and folders end with the boxes, never worse.
    boxes.clear();
    QByteArray garbage(5000, '\0');
    for (int i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 37);
    Write("garbage.seq", garbage);
    Load_SEQ(Path("garbage.seq"), "Open");
    QDir(folder.path()).mkdir("dir.seq");
    Load_SEQ(Path("dir.seq"), "Open");
    Load_SEQ(Path("missing.seq"), "Soundcheck");
    // A pipe or a device is refused unopened: opening a pipe waits for a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.seq")).constData(), 0644), 0);
    Load_SEQ(Path("pipe.seq"), "Open");
    Load_SEQ("/dev/zero", "Soundcheck");
    EXPECT_EQ(
        boxes.texts(),
        (QStringList{"Wrong SEQUENCE format!", "File not found: " + Path("dir.seq"),
                     "File not found: " + Path("missing.seq"), "Error 75: Path/File access error",
                     "Error 75: Path/File access error"}));
    EXPECT_EQ(boxes.calls[2].style, Mb::OkOnly);
    EXPECT_EQ(boxes.calls[3].style, Mb::OkOnly | Mb::Critical);
    EXPECT_EQ(Seq_BPM, 40);
}

TEST_F(SeqFiles, TempoIsKeptWithin1To120) {
    Write("fast.seq", Image(200, 48));
    Load_SEQ(Path("fast.seq"), "Open");
    EXPECT_EQ(Seq_BPM, 120);
    EXPECT_EQ(Quorlen::get().Seq_Tmr->interval(), 62);

    // A tempo of 0 loads whole, played and shown as the slowest tempo.
    Write("zero.seq", Image(0, 60, [](int i) { return i == 50 ? 127 : 0; }));
    Load_SEQ(Path("zero.seq"), "Open");
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Seq_BPM, 1);
    EXPECT_EQ(Seq_Base_Note, 60);
    EXPECT_EQ(Seq_Data[50], 127);
    EXPECT_EQ(Seq_File, Path("zero.seq"));
    EXPECT_EQ(Quorlen::get().Seq_Tmr->interval(), 7500);
    Sequencer& w = Sequencer::get();
    EXPECT_EQ(w.Seq_Tempo->value(), 1);
    EXPECT_EQ(w.Seq_Tempo_Label->text(), "1");
}

TEST_F(SeqFiles, RangeIndexFromBaseNoteRoundsHalvesToEven) {
    const std::pair<int, int> cases[] = {{42, 2}, {30, 0}, {18, 0}, {6, 2},   {48, 2},
                                         {54, 2}, {78, 4}, {0, 2},  {255, 19}};
    for (auto [base, range] : cases) {
        Write("r.seq", Image(30, base));
        Load_SEQ(Path("r.seq"), "Soundcheck");
        EXPECT_EQ(Seq_Base_Note, base);
        EXPECT_EQ(Seq_Range_Index, range) << base;
    }
}

TEST_F(SeqFiles, OpenIntoTheOpenWindowKeepsTheWindowsTransposition) {
    Sequencer& w = Sequencer::get();
    w.Select_Trans(2); // "D"
    midi.events.clear();
    Write("w.seq", Image(90, 36, [](int i) { return i == 13 ? 127 : 0; }));
    Load_SEQ(Path("w.seq"), "Open");
    EXPECT_EQ(w.Seq_Tempo->value(), 90);
    EXPECT_EQ(w.Seq_Tempo_Label->text(), "90");
    EXPECT_EQ(w.Seq_Range->currentIndex(), 1);
    EXPECT_EQ(Seq_Base_Note, 38);
    EXPECT_EQ(w.frame()->windowTitle(), "Sequencer - W.SEQ");
    // The range list's handler silenced the notes.
    EXPECT_EQ(Hex_Of(midi.take_sent().at(0)), "B0 7B 00");
    EXPECT_TRUE(Same_Image(w.Seq_Matrix_Image.copy(12, 0, 10, 10), w.Seq_Pics[2]->Picture()));

    // A base note past the last range selects the last one.
    Write("high.seq", Image(90, 90));
    Load_SEQ(Path("high.seq"), "Open");
    EXPECT_EQ(Seq_Range_Index, 6);
    EXPECT_EQ(w.Seq_Range->currentIndex(), 4);
    EXPECT_EQ(Seq_Base_Note, 74);

    // A preview leaves the window's lists and caption alone.
    Write("p.seq", Image(20, 90));
    Load_SEQ(Path("p.seq"), "Soundcheck");
    EXPECT_EQ(Seq_Base_Note, 90);
    EXPECT_EQ(w.Seq_Tempo->value(), 90);
    EXPECT_EQ(w.frame()->windowTitle(), "Sequencer - HIGH.SEQ");
}

TEST_F(SeqFiles, PreviewReplacesTheSequenceButNotItsFileAndDrawsWhenTheDialogIsOpen) {
    Seq_File = Path("kept.seq");
    Seq_Saved = 0;
    int drawn = 0;
    FD_SEQ_Preview_Draw = [&drawn] { ++drawn; };
    Write("p.seq", Image(45, 48, [](int i) { return i == 3 ? 63 : 0; }));
    Load_SEQ(Path("p.seq"), "Soundcheck");
    EXPECT_EQ(Seq_Data[3], 63);
    EXPECT_EQ(Seq_BPM, 45);
    EXPECT_EQ(Seq_Loaded, 255);
    EXPECT_EQ(Seq_File, Path("kept.seq"));
    EXPECT_EQ(Seq_Saved, 0);
    EXPECT_EQ(FD_Done, 0);
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(Seq_Form_Open, 0);
    FD_Form_Open = true;
    Load_SEQ(Path("p.seq"), "Soundcheck");
    EXPECT_EQ(drawn, 1);
}

TEST_F(SeqFiles, PreviewPaintPutsEachCellOnAnEightPixelGrid) {
    std::array<QPixmap, 4> pics;
    const QColor colours[4] = {Qt::gray, Qt::black, Qt::red, Qt::yellow};
    for (int k = 0; k < 4; ++k) {
        pics[k] = QPixmap(7, 7);
        pics[k].fill(colours[k]);
    }
    Seq_Grid grid{};
    grid[0] = 127;
    grid[14] = 63;   // step 1, row 1
    grid[103] = 100; // drawn as empty
    QImage img(67, 107, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        Seq_Preview_Paint(p, grid, pics);
    }
    EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(9, 9), QColor(Qt::yellow));
    EXPECT_EQ(img.pixelColor(7 * 8 + 1, 12 * 8 + 1), QColor(Qt::gray));
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::white));
}

TEST_F(SeqFiles, SaveWritesExactly110BytesOverALongerFileAndOpensTheWindow) {
    Write("old.seq", QByteArray(300, 'x'));
    Seq_Data[7] = 127;
    Seq_BPM = 77;
    Seq_Base_Note = 40;
    Seq_Saved = 0;
    ASSERT_EQ(Seq_Form_Open, 0);
    const QByteArray image = Seq_File_Image();
    ASSERT_TRUE(Save_SEQ(Path("old.seq")));
    EXPECT_EQ(Read("old.seq"), image);
    EXPECT_EQ(Read("old.seq").size(), 110);
    EXPECT_EQ(Seq_Saved, 255);
    EXPECT_EQ(Seq_Name, "old.seq");
    EXPECT_EQ(Seq_Form_Open, 255);
    EXPECT_EQ(Sequencer::get().frame()->windowTitle(), "Sequencer - OLD.SEQ");
    EXPECT_TRUE(Quorlen::get().Menu_File_Seq_Save->isEnabled());

    Seq_Data.fill(0);
    Load_SEQ(Path("old.seq"), "Open");
    EXPECT_EQ(Seq_Data[7], 127);
    EXPECT_EQ(Seq_BPM, 77);
}

TEST_F(SeqFiles, FailedSaveKeepsTheOldFileAndSaysSo) {
    Write("keep.seq", Image(30, 48));
    Seq_File = Path("keep.seq");
    Seq_Saved = 0;
    Seq_Data[0] = 127;
    // A name that is a folder, and a file in a folder that does not exist.
    QDir(folder.path()).mkdir("sub");
    EXPECT_FALSE(Save_SEQ(Path("sub")));
    EXPECT_FALSE(Save_SEQ(Path("nowhere/x.seq")));
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith(Path("sub") + " : "));
    EXPECT_EQ(boxes.calls[0].style, Mb::OkOnly | Mb::Critical);
    EXPECT_EQ(Seq_Saved, 0);
    EXPECT_EQ(Seq_File, Path("keep.seq"));
    EXPECT_EQ(Read("keep.seq"), Image(30, 48));
    EXPECT_FALSE(QFile::exists(Path("nowhere/x.seq")));

    // The menu's Save reports the same way.
    Seq_File = Path("nowhere/y.seq");
    boxes.clear();
    Quorlen::get().Menu_File_Seq_Save_Click();
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(Seq_Saved, 0);

    // Writes that fail half-way.
    Seq_File = Path("keep.seq");
    for (const auto& [error, text] :
         {std::pair{ENOSPC, "Disk full"}, std::pair{EROFS, "Permission denied"}}) {
        boxes.clear();
        Set_Write_Fault(error);
        Quorlen::get().Menu_File_Seq_Save_Click();
        Set_Write_Fault(0);
        EXPECT_EQ(boxes.texts(), QStringList{Path("keep.seq") + " : " + text});
        EXPECT_EQ(Seq_Saved, 0);
    }
    EXPECT_EQ(Read("keep.seq"), Image(30, 48));

    // A real full disk, then a read-only one.
    Small_Disk disk(Path("disk"));
    SKIP_WITHOUT_SMALL_DISK(disk);
    const QString kept = disk.Path("keep.seq");
    {
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Image(30, 48));
    }
    disk.Fill();
    for (const bool read_only : {false, true}) {
        if (read_only) ASSERT_TRUE(disk.Read_Only());
        boxes.clear();
        EXPECT_FALSE(Save_SEQ(kept));
        EXPECT_EQ(boxes.texts(),
                  QStringList{kept + (read_only ? " : Permission denied" : " : Disk full")});
        EXPECT_EQ(Seq_Saved, 0);
        EXPECT_EQ(Seq_File, Path("keep.seq"));
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), Image(30, 48));
        QStringList left = QDir(disk.Path("")).entryList(QDir::Files);
        left.sort();
        EXPECT_EQ(left, (QStringList{"filler", "keep.seq"}));
    }
}

// The caption names the file a Save would write: below the sequences folder
// by its path there, elsewhere by its own name; "Sequencer" when there is none.
TEST_F(SeqFiles, CaptionNamesTheFileThatSaveWouldWrite) {
    Write("kept.seq", Image(30, 48));
    Write("bad.seq", "SEQ1");
    Write("p.seq", Image(40, 48));
    QDir(folder.path()).mkpath("sub/songs");
    Write("sub/two.seq", Image(30, 48));
    const QString songs = Path("sub/songs/");
    const struct {
        const char* what;
        std::function<void()> act;
        QString caption;
    } cases[] = {
        {"failed open", [&] { Load_SEQ(Path("bad.seq"), "Open"); }, "Sequencer - KEPT.SEQ"},
        {"missing file", [&] { Load_SEQ(Path("gone.seq"), "Open"); }, "Sequencer - KEPT.SEQ"},
        {"preview", [&] { Load_SEQ(Path("p.seq"), "Soundcheck"); }, "Sequencer - KEPT.SEQ"},
        {"failed save", [&] { Save_SEQ(Path("nowhere/x.seq")); }, "Sequencer - KEPT.SEQ"},
        {"open below", [&] { Load_SEQ(Path("sub/two.seq"), "Open"); }, "Sequencer - SUB/TWO.SEQ"},
        {"open elsewhere",
         [&] {
             Dir_Sequences = songs;
             Load_SEQ(Path("sub/two.seq"), "Open");
         },
         "Sequencer - TWO.SEQ"},
        {"saved elsewhere",
         [&] {
             Dir_Sequences = songs;
             Save_SEQ(Path("one.seq"));
         },
         "Sequencer - ONE.SEQ"},
        {"new", [] { New_SEQ(); }, "Sequencer"},
    };
    for (const auto& c : cases) {
        Dir_Sequences = folder.path() + "/";
        Load_SEQ(Path("kept.seq"), "Open");
        ASSERT_EQ(Sequencer::get().frame()->windowTitle(), "Sequencer - KEPT.SEQ");
        c.act();
        EXPECT_EQ(Sequencer::get().frame()->windowTitle(), c.caption) << c.what;
        Sequencer::Unload();
        EXPECT_EQ(Sequencer::get().frame()->windowTitle(), c.caption) << c.what << ", reopened";
    }
}

TEST_F(SeqFiles, NewClearsTheSequenceAndTheTempoShown) {
    Sequencer& w = Sequencer::get();
    w.Seq_Tempo->setValue(120);
    Seq_Data.fill(127);
    Seq_Saved = 0;
    Seq_Loaded = 255;
    Seq_Name = "x.seq";
    Seq_File = Path("x.seq");
    Seq_Step = 5;
    ED_Seq_Pics_On();
    New_SEQ();
    EXPECT_EQ(std::count(Seq_Data.begin(), Seq_Data.end(), 0), 104);
    EXPECT_EQ(Seq_Step, 0);
    EXPECT_EQ(Seq_Saved, 255);
    EXPECT_EQ(Seq_Loaded, 0);
    EXPECT_EQ(Seq_Name, "");
    EXPECT_EQ(Seq_File, Path("x.seq"));
    EXPECT_EQ(Seq_Range_Index, 2);
    EXPECT_FALSE(ED_Seq_Pics_Enabled);
    EXPECT_FALSE(Quorlen::get().Menu_File_Seq_Save->isEnabled());
    EXPECT_EQ(Seq_BPM, 30);
    EXPECT_EQ(w.Seq_Tempo_Label->text(), "30");
    EXPECT_EQ(Quorlen::get().Seq_Tmr->interval(), 250);
    EXPECT_TRUE(Same_Image(w.Seq_Matrix_Image.copy(0, 0, 10, 10), w.Seq_Pics[0]->Picture()));
}
