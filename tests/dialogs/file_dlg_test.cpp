#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/save_as.h"
#include "app/settings.h"
#include "dialogs/fd_shared.h"
#include "dialogs/file_dlg.h"
#include "dialogs/input_dlg.h"
#include "dialogs/picture_buttons.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {
struct Asked {
    QString prompt, title, def;
};

class FileDlgTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\n");
        Start_Program();
        boxes.clear();
        tree = folder.filePath("Tree");
        QDir().mkpath(tree + "/sub/deeper");
        QDir().mkpath(tree + "/Empty");
        for (const char* f : {"a.syx", "B.SYX", "c.seq", "notes.txt", "sub/inner.syx"}) Touch(f);
        Dir_Tones = Dir_Sequences = tree;
    }
    void TearDown() override { Set_Input_Box_Hook({}); }
    void Touch(const QString& name) {
        QFile f(tree + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    File_Dlg& Open(const char* mode) {
        FD_Mode = mode;
        File_Dlg& d = File_Dlg::get();
        d.Form_Show();
        return d;
    }
    static QStringList Items(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
    static void Press(QListWidget* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        Press(list, list->row(found.first()));
    }
    static void Press(QListWidget* list, int row) {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    static void Click(QWidget* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    }
    // Types a name over the box's text key by key, as a person does.
    static void Key_In(QLineEdit* box, const QString& name) {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        for (const QChar c : name)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    static void Type_Ok(File_Dlg& d, const QString& name) {
        d.FD_FileName->setText(name);
        QTest::keyClick(d.FD_FileName, Qt::Key_Return);
    }
    // Answers the input box from a list; an empty answer is Cancel.
    void Answer_Input(QStringList answers) {
        Set_Input_Box_Hook([this, answers](Input_Dlg& d) mutable {
            asked.push_back({d.Input_Msg->text(), d.windowTitle(), d.Input_Textbox->text()});
            const QString a = answers.isEmpty() ? QString() : answers.takeFirst();
            if (a.isEmpty()) {
                d.Input_Cancel_Click();
            } else {
                d.Input_Textbox->setText(a);
                d.Input_OK_Click();
            }
        });
    }
    static void Settle() { QCoreApplication::processEvents(); }
    // The file of the file list's highlighted entry, or "".
    static QString Highlighted(File_Dlg& d) {
        const QListWidgetItem* item = d.FD_List_Files->currentItem();
        return item ? d.FD_List_Files->Path() + "/" + item->data(Fd::Path_Role).toString()
                    : QString();
    }

    QString tree;
    std::vector<Asked> asked;
};
} // namespace

TEST_F(FileDlgTest, OpenModeListsItsTypeAndAllFilesOnRequest) {
    // Only folders and regular files are listed: a pipe is no file to open.
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree + "/pipe.syx").constData(), 0644), 0);
    File_Dlg& d = Open("Open_SYX");
    EXPECT_EQ(d.windowTitle(), "Open Tone File");
    EXPECT_EQ(Dlg_Open, "File_Dlg");
    EXPECT_TRUE(FD_Form_Open);
    EXPECT_FALSE(Quorlen::get().Menu_File->isEnabled());
    EXPECT_TRUE(d.FD_SYX->isVisibleTo(&d));
    EXPECT_FALSE(d.FD_SEQ->isVisibleTo(&d));
    EXPECT_EQ(FD_Ext, ".syx");
    EXPECT_EQ(d.FD_List_Files->Path(), tree);
    EXPECT_EQ(Items(d.FD_List_Files), (QStringList{"a.syx", "B.SYX"}));
    EXPECT_EQ(d.FD_List_Filter->count(), 2);
    EXPECT_EQ(d.FD_List_Filter->itemText(0), "Sysex (*.SYX)");
    // The folder list: the path from the root down, then the subfolders.
    const QStringList dirs = Items(d.FD_List_Dirs);
    EXPECT_EQ(dirs.first(), "/");
    EXPECT_EQ(dirs.mid(dirs.indexOf("Tree")), (QStringList{"Tree", "Empty", "sub"}));
    EXPECT_EQ(d.FD_List_Drives->itemText(0), "/");

    d.FD_List_Filter->setCurrentIndex(1);
    emit d.FD_List_Filter->activated(1);
    EXPECT_EQ(Items(d.FD_List_Files), (QStringList{"a.syx", "B.SYX", "c.seq", "notes.txt"}));
    EXPECT_EQ(FD_Mode, "Open_SYX"); // its OK still opens tones

    // A wildcard name becomes the pattern; a missing file only selects the name.
    Type_Ok(d, "*.txt");
    EXPECT_EQ(d.FD_List_Files->Pattern(), "*.txt");
    EXPECT_EQ(Items(d.FD_List_Files), QStringList{"notes.txt"});
    Type_Ok(d, "missing");
    EXPECT_EQ(d.FD_FileName->text(), "missing.syx");
    EXPECT_EQ(d.FD_FileName->selectedText(), "missing.syx");
    EXPECT_TRUE(boxes.calls.empty());
    Type_Ok(d, "nowhere/x.syx");
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "nowhere/x.syx : Path not found");
    EXPECT_EQ(boxes.calls[0].style, Mb::OkOnly | Mb::Exclamation);
    EXPECT_TRUE(File_Dlg::loaded());
    // A folder part moves the file list there.
    Type_Ok(d, "sub/");
    EXPECT_EQ(d.FD_FileName->text(), "sub/");
    EXPECT_EQ(d.FD_List_Files->Path(), tree + "/sub");
    EXPECT_EQ(d.FD_List_Dirs->Path(), tree + "/sub"); // the files shown are the files used

    QTest::keyClick(d.FD_List_Files, Qt::Key_Escape);
    Settle();
    EXPECT_FALSE(File_Dlg::loaded());
    EXPECT_TRUE(Dlg_Open.isEmpty());
    EXPECT_FALSE(FD_Form_Open);
    EXPECT_TRUE(Quorlen::get().Menu_File->isEnabled());
    EXPECT_EQ(Dlg_Count, 0);
    EXPECT_EQ(Dir_Tones, tree + "/sub/"); // the folder shown is kept, with its separator
}

TEST_F(FileDlgTest, ClicksNameTheEntryAndUpClimbsToTheRoot) {
    FD_Selected.clear();
    File_Dlg& d = Open("Open_SEQ");
    EXPECT_EQ(d.windowTitle(), "Open Sequencer File");
    EXPECT_EQ(Items(d.FD_List_Files), QStringList{"c.seq"});
    QTest::mousePress(d.FD_Button_Updir, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(sounds.contains("beep"));
    EXPECT_EQ(d.FD_Button_Updir->Caption()->pos(), QPoint(4, 4));
    QTest::mouseRelease(d.FD_Button_Updir, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(d.FD_Button_Updir->Caption()->pos(), QPoint(3, 3));
    EXPECT_EQ(d.FD_List_Dirs->Path(), tree);

    Press(d.FD_List_Files, "c.seq");
    EXPECT_EQ(d.FD_FileName->text(), "c.seq");
    EXPECT_EQ(FD_Selected_Kind, "File");
    Press(d.FD_List_Dirs, "sub");
    EXPECT_EQ(FD_Selected, tree + "/sub");
    EXPECT_EQ(FD_Selected_Kind, "Dir");
    EXPECT_EQ(d.FD_List_Dirs->Path(), tree); // a click does not open it
    QTest::keyClick(d.FD_List_Dirs, Qt::Key_Space);
    EXPECT_EQ(d.FD_List_Dirs->Path(), tree + "/sub");
    EXPECT_EQ(d.FD_List_Files->Path(), tree + "/sub");

    Click(d.FD_Button_Updir);
    EXPECT_EQ(d.FD_List_Dirs->Path(), tree);
    EXPECT_EQ(FD_Selected, tree);
    d.FD_List_Dirs->Set_Path("/");
    Press(d.FD_List_Dirs, "/");
    Click(d.FD_Button_Updir);
    EXPECT_EQ(d.FD_List_Dirs->Path(), "/");

    for (auto [path, parent] : {std::pair{"/a/b", "/a/"}, {"/a", "/"}, {"/", "/"}}) {
        QString p = path;
        EXPECT_EQ(Parent_Dir(p), parent) << path;
    }
    d.Form_Unload();
}

TEST_F(FileDlgTest, NewFolderAsksAgainForATakenNameAndKeepsTheCase) {
    File_Dlg& d = Open("Open_SYX");
    Press(d.FD_List_Dirs, "Tree");
    Answer_Input({"sub", "Sub Two"});
    Click(d.FD_Button_Newdir);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "Create new folder");
    EXPECT_EQ(asked[0].def, "folder");
    EXPECT_EQ(asked[0].prompt, "Please enter a name for the new folder in:\n" + tree);
    EXPECT_EQ(asked[1].title, "Create new directory");
    EXPECT_EQ(asked[1].def, "sub");
    EXPECT_EQ(asked[1].prompt,
              "A folder or file of the given name already exists!!\n\nPlease enter another name:");
    EXPECT_TRUE(QFileInfo(tree + "/Sub Two").isDir());
    EXPECT_TRUE(Items(d.FD_List_Dirs).contains("Sub Two"));
    EXPECT_EQ(d.FD_Button_Newdir->Caption()->pos(), QPoint(3, 3));

    // After a file click the new folder goes into the listed folder.
    asked.clear();
    Press(d.FD_List_Files, "a.syx");
    Answer_Input({"x"});
    Click(d.FD_Button_Newdir);
    EXPECT_TRUE(QFileInfo(tree + "/x").isDir());
    // Cancel ends the asking.
    asked.clear();
    Answer_Input({"x", ""});
    Click(d.FD_Button_Newdir);
    EXPECT_EQ(asked.size(), 2u);
    d.Form_Unload();
}

TEST_F(FileDlgTest, DeleteAsksAndReportsWhatItCouldNotDo) {
    File_Dlg& d = Open("Open_SYX");
    Press(d.FD_List_Files, "a.syx");
    boxes.answers = {Mb::No};
    Click(d.FD_Button_Delete);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Delete " + tree + "/a.syx ?");
    EXPECT_EQ(boxes.calls[0].style, Mb::YesNo);
    EXPECT_TRUE(QFile::exists(tree + "/a.syx"));
    // A name typed over the clicked one: the question names the file that goes.
    boxes.clear();
    d.FD_FileName->setText("B.SYX");
    boxes.answers = {Mb::Yes};
    Click(d.FD_Button_Delete);
    EXPECT_EQ(boxes.texts(), QStringList{"Delete " + tree + "/B.SYX ?"});
    EXPECT_FALSE(QFile::exists(tree + "/B.SYX"));
    EXPECT_TRUE(QFile::exists(tree + "/a.syx"));
    EXPECT_EQ(Items(d.FD_List_Files), QStringList{"a.syx"});

    boxes.clear();
    Press(d.FD_List_Dirs, "sub");
    boxes.answers = {Mb::Yes};
    Click(d.FD_Button_Delete);
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[1].text, tree + "/sub could not be removed. The directory is not empty.");
    EXPECT_TRUE(QFileInfo(tree + "/sub").isDir());

    Press(d.FD_List_Dirs, "Empty");
    boxes.answers = {Mb::Yes};
    Click(d.FD_Button_Delete);
    EXPECT_FALSE(QFileInfo(tree + "/Empty").exists());
    EXPECT_FALSE(Items(d.FD_List_Dirs).contains("Empty"));
    EXPECT_EQ(FD_Selected, tree);

    // After a typed folder the file that goes is the one clicked in the list shown.
    Type_Ok(d, "sub/");
    Press(d.FD_List_Files, "inner.syx");
    boxes.clear();
    boxes.answers = {Mb::Yes};
    Click(d.FD_Button_Delete);
    EXPECT_EQ(boxes.texts(), QStringList{"Delete " + tree + "/sub/inner.syx ?"});
    EXPECT_FALSE(QFile::exists(tree + "/sub/inner.syx"));
    d.Form_Unload();
}

TEST_F(FileDlgTest, DriveThatHasGoneAsksToRetryAndPutsTheOldDriveBack) {
    File_Dlg& d = Open("Open_SYX");
    const QString old = FD_Drive;
    const QString gone = folder.filePath("Volume");
    QDir().mkpath(gone);
    d.FD_List_Drives->addItem(gone);
    QDir().rmdir(gone);
    const int i = d.FD_List_Drives->count() - 1;
    d.FD_List_Drives->setCurrentIndex(i);
    boxes.answers = {Mb::Retry, Mb::Cancel};
    emit d.FD_List_Drives->activated(i);
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].text, "Drive not ready or unavailable.");
    EXPECT_EQ(boxes.calls[0].style, Mb::RetryCancel | Mb::Critical);
    EXPECT_EQ(d.FD_List_Drives->Drive(), old);
    EXPECT_EQ(FD_Drive, old);
    // The root is always there.
    d.FD_List_Drives->setCurrentIndex(0);
    emit d.FD_List_Drives->activated(0);
    EXPECT_EQ(d.FD_List_Dirs->Path(), "/");
    EXPECT_EQ(FD_Drive, "/");
    d.Form_Unload();
}

TEST_F(FileDlgTest, SaveToneAsksBeforeOverwritingAndRestoresTheTone) {
    AutoSend_On = 1;
    Tone_Data[20] = 5;
    File_Dlg& d = Open("SaveAs_SYX");
    EXPECT_EQ(d.windowTitle(), "Save Tone File");
    Tone_Data[20] = 99; // what a preview would have done meanwhile
    const int sent = midi.count(FakeMidiHost::Event::Long);

    Type_Ok(d, "*.SyX");
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Tone_Data[20], 99); // no restore for the pattern
    EXPECT_EQ(d.FD_FileName->selectedText(), "*.SyX");

    boxes.answers = {Mb::No};
    Type_Ok(d, "a");
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "File exists: " + tree + "/a.syx Overwrite?");
    EXPECT_EQ(boxes.calls[0].style, Mb::YesNo | Mb::Critical);
    EXPECT_EQ(boxes.calls[0].title, "Write TONE file");
    EXPECT_TRUE(Tone_File.isEmpty()); // declined: a later Save must not write it
    EXPECT_EQ(Tone_Data[20], 5);
    EXPECT_GT(midi.count(FakeMidiHost::Event::Long), sent); // restored and sent
    EXPECT_TRUE(File_Dlg::loaded());

    // Names keep their extension and case; a written file closes the dialog.
    boxes.clear();
    for (const char* name : {"Test.x", "a.b.syx"}) {
        File_Dlg& again = Open("SaveAs_SYX");
        again.FD_FileName->setText(name);
        Tone_Saved = false;
        again.FD_Button_Ok_Click();
        Settle();
        EXPECT_EQ(Tone_File, tree + "/" + name);
        EXPECT_TRUE(Tone_Saved);
        EXPECT_TRUE(QFileInfo(tree + "/" + name).isFile());
        EXPECT_FALSE(File_Dlg::loaded());
    }
    EXPECT_TRUE(boxes.calls.empty());

    // A name with a dot but no extension of its own gets the type list's.
    File_Dlg& t = Open("SaveAs_SYX");
    t.FD_List_Filter->setCurrentIndex(0);
    emit t.FD_List_Filter->activated(0);
    t.FD_FileName->setText("my.tone");
    t.FD_Button_Ok_Click();
    Settle();
    EXPECT_EQ(Tone_File, tree + "/my.tone.SYX");
    EXPECT_TRUE(QFileInfo(tree + "/my.tone.SYX").isFile());

    // A folder is no file to write.
    File_Dlg& e = Open("SaveAs_SYX");
    e.FD_FileName->setText("sub/");
    e.FD_Button_Ok_Click();
    EXPECT_EQ(boxes.texts(), QStringList{"Error 75: Path/File access error"});
    EXPECT_TRUE(QFileInfo(tree + "/sub").isDir());

    // A double click chooses the file as OK does.
    boxes.clear();
    boxes.answers = {Mb::No};
    Press(e.FD_List_Files, "B.SYX");
    emit e.FD_List_Files->itemDoubleClicked(e.FD_List_Files->currentItem());
    EXPECT_EQ(boxes.texts(), QStringList{"File exists: " + tree + "/B.SYX Overwrite?"});

    // Escape: no restore.
    Tone_Data[20] = 77;
    QTest::keyClick(e.FD_FileName, Qt::Key_Escape);
    Settle();
    EXPECT_FALSE(File_Dlg::loaded());
    EXPECT_EQ(Tone_Data[20], 77);

    // The Alpha Juno's tone comes back, its name in the settings in any case.
    Synth_Type = "alpha juno";
    Juno_Tone[3] = 5;
    File_Dlg& j = Open("SaveAs_SYX");
    Juno_Tone[3] = 99;
    boxes.answers = {Mb::No};
    Type_Ok(j, "a");
    EXPECT_EQ(Juno_Tone[3], 5);
}

TEST_F(FileDlgTest, SaveAsWaitsForTheDialogAndCancelLeavesTheToneUnsaved) {
    Tone_Saved = false;
    QTimer::singleShot(0, [] {
        ASSERT_TRUE(File_Dlg::loaded());
        File_Dlg& d = File_Dlg::get();
        QTest::mouseClick(d.FD_Button_Cancel, Qt::LeftButton, {}, QPoint(10, 10));
    });
    EXPECT_FALSE(SaveAs_SYX());
    EXPECT_FALSE(File_Dlg::loaded());
    EXPECT_FALSE(Tone_Saved);
    EXPECT_TRUE(Dlg_Open.isEmpty());

    // Saving under a new name closes the dialog once the tone is saved.
    QTimer::singleShot(0, [] {
        File_Dlg& d = File_Dlg::get();
        d.FD_FileName->setText("fresh");
        d.FD_Button_Ok_Click();
        if (File_Dlg::loaded())
            File_Dlg::get().Form_Unload(); // a failed save must not hang the test
    });
    EXPECT_TRUE(SaveAs_SYX());
    EXPECT_EQ(Tone_File, tree + "/fresh.syx");
    EXPECT_TRUE(QFile::exists(tree + "/fresh.syx"));
    EXPECT_TRUE(Tone_Saved);
    EXPECT_EQ(FD_Done, 255);
    // The caption names the file that Save now writes.
    EXPECT_EQ(Quorlen::get().windowTitle(), "Quorlen - " + Tone_File);
    EXPECT_TRUE(Quorlen::get().Menu_File_SYX_Save->isEnabled());
}

// A write that fails is no save, also when nothing was unsaved before: the
// dialog stays with the name selected, and the file name, the saved flag,
// the captions and the recent files stay; a later Save writes the old file.
TEST_F(FileDlgTest, FailedSaveAsKeepsTheDialogAndTheOldFile) {
    for (const char* pipe : {"/pipe.syx", "/pipe.seq"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(tree + pipe).constData(), 0644), 0);
    // Files that allow no writing, whoever saves: asked about, then refused.
    for (const char* ro : {"ro.syx", "ro.seq"}) {
        Touch(ro);
        ASSERT_EQ(::chmod(QFile::encodeName(tree + "/" + ro).constData(), 0444), 0);
    }
    QDir().mkpath(tree + "/fold.syx");
    QDir().mkpath(tree + "/fold.seq");
    const QString too_long(260, 'n');
    const struct {
        bool tone;
        int fault;         // every write fails with it, or 0
        const char* where; // the folder listed, below the tree; "gone" vanishes
        QString name;
        QString text;
        bool new_tone = false; // no file yet, and so no Save
    } cases[] = {
        {true, ENOSPC, "", "new", "Error 61: Disk full"},
        {true, ENOSPC, "", "new", "Error 61: Disk full", true},
        {true, 0, "gone", "new", "Error 76: Path not found"},
        {true, 0, "", "pipe", "Error 75: Path/File access error"},
        // The sequence writer's failure is the dialog's, named as typed.
        {false, ENOSPC, "", "new", "new.seq : Disk full"},
        {false, ENOSPC, "", "gone/x", "gone/x.seq : Disk full"},
        {false, 0, "gone", "new", "new.seq : Path not found"},
        {false, 0, "", "gone/x", "gone/x.seq : Path not found"},
        {false, 0, "", "pipe", "pipe.seq : Path/File access error"},
        {true, 0, "", "ro", "Error 70: Permission denied"},
        {false, 0, "", "ro", "ro.seq : Permission denied"},
        // A folder, a name too long: the tone writer's box; the sequence's as before.
        {true, 0, "", "fold", "Error 75: Path/File access error"},
        {true, 0, "", too_long, "Wrong filename!"},
        {true, 0, "", too_long, "Wrong filename!", true},
        {false, 0, "", "fold", "fold.seq : Path/File access error"},
        {false, 0, "", too_long, too_long + ".seq : Bad file name or number"},
    };
    AutoSend_On = 1;
    Sequencer& w = Sequencer::get();
    for (const auto& c : cases) {
        const QString row = c.text + (c.new_tone ? " new tone" : "");
        Tone_File = tree + "/a.syx";
        Seq_File = tree + "/c.seq";
        Seq_Name = "c.seq";
        Tone_Saved = true;
        Seq_Saved = 255;
        w.Set_Caption(Seq_Caption());
        Set_Program_Title("Quorlen - " + Tone_File);
        Quorlen::get().Menu_File_SYX_Save->setEnabled(true);
        if (c.new_tone) Tone_New();
        const QString title = Quorlen::get().windowTitle();
        const auto recent_tone = Recent_Tone, recent_seq = Recent_Seq;
        QDir().mkpath(tree + "/gone");
        boxes.clear();
        Tone_Data[20] = 5;
        Set_Dlg_Wait_Hook([&] {
            File_Dlg& d = File_Dlg::get();
            Tone_Data[20] = 99; // what a preview would have done meanwhile
            const int sent = midi.count(FakeMidiHost::Event::Long);
            d.FD_List_Dirs->Set_Path(tree + "/" + c.where);
            if (c.fault == 0) QDir(tree + "/gone").removeRecursively();
            const QString existing = tree + "/" + c.name + (c.tone ? ".syx" : ".seq");
            const bool asked = Path_Kind(existing) == Path_Type::File;
            if (asked) boxes.answers = {Mb::Yes};
            Set_Write_Fault(c.fault);
            Type_Ok(d, c.name);
            Set_Write_Fault(0);
            Settle();
            QStringList want{c.text};
            if (asked) want.prepend("File exists: " + existing + " Overwrite?");
            EXPECT_EQ(boxes.texts(), want);
            if (!boxes.calls.empty()) {
                EXPECT_EQ(boxes.calls.back().style,
                          Mb::OkOnly | (c.tone ? Mb::Critical : Mb::Exclamation));
                EXPECT_EQ(boxes.calls.back().title, Program_Title);
            }
            // A tone asked about comes back, written or not, and is sent.
            EXPECT_EQ(Tone_Data[20], c.tone ? 5 : 99) << row.toStdString();
            EXPECT_EQ(midi.count(FakeMidiHost::Event::Long) > sent, c.tone);
            EXPECT_TRUE(File_Dlg::loaded()) << row.toStdString();
            EXPECT_EQ(d.FD_FileName->selectedText(), d.FD_FileName->text());
            QTest::keyClick(d.FD_FileName, Qt::Key_Escape);
        });
        EXPECT_FALSE(c.tone ? SaveAs_SYX() : SaveAs_SEQ()) << row.toStdString();
        Set_Dlg_Wait_Hook({});
        EXPECT_EQ(Tone_File, c.new_tone ? QString() : tree + "/a.syx");
        EXPECT_EQ(Seq_File, tree + "/c.seq");
        EXPECT_TRUE(Tone_Saved);
        EXPECT_EQ(Seq_Saved, 255);
        EXPECT_EQ(Quorlen::get().windowTitle(), title) << row.toStdString();
        EXPECT_EQ(Quorlen::get().Menu_File_SYX_Save->isEnabled(), !c.new_tone);
        EXPECT_EQ(w.frame()->windowTitle(), "Sequencer - C.SEQ");
        EXPECT_EQ(Recent_Tone, recent_tone);
        EXPECT_EQ(Recent_Seq, recent_seq);
        EXPECT_FALSE(QFile::exists(tree + "/new.syx") || QFile::exists(tree + "/new.seq"));
        for (const char* ro : {"/ro.syx", "/ro.seq"}) {
            struct stat st {};
            EXPECT_EQ(::stat(QFile::encodeName(tree + ro).constData(), &st), 0);
            EXPECT_EQ(st.st_size, 1);
            EXPECT_EQ(st.st_mode & 07777, 0444u) << ro;
        }

        if (c.new_tone) continue; // its Save asks for a name
        if (c.tone)
            Quorlen::get().Menu_File_SYX_Save_Click();
        else
            Quorlen::get().Menu_File_Seq_Save_Click();
        EXPECT_EQ(QFileInfo(c.tone ? Tone_File : Seq_File).size(), c.tone ? 89 : 110)
            << row.toStdString();
    }
}

TEST_F(FileDlgTest, SaveSequenceAsksWithItsOwnName) {
    QTimer::singleShot(0, [this] {
        File_Dlg& d = File_Dlg::get();
        EXPECT_EQ(d.windowTitle(), "Save Sequencer File");
        EXPECT_TRUE(d.FD_SEQ->isVisibleTo(&d));
        Type_Ok(d, "*.seq");
        EXPECT_TRUE(boxes.calls.empty());
        boxes.answers = {Mb::No};
        Type_Ok(d, "c");
        EXPECT_EQ(boxes.calls.at(0).text, "File exists: " + tree + "/c.seq Overwrite?");
        EXPECT_TRUE(Seq_File.isEmpty()); // declined: a later Save must not write it
        EXPECT_TRUE(File_Dlg::loaded());
        d.close(); // the close box
    });
    SaveAs_SEQ();
    EXPECT_FALSE(File_Dlg::loaded());
    EXPECT_EQ(Dir_Sequences, tree + "/");

    // A written sequence is named without the folder's separator.
    QTimer::singleShot(0, [] {
        File_Dlg& d = File_Dlg::get();
        Type_Ok(d, "song");
    });
    SaveAs_SEQ();
    EXPECT_EQ(Seq_File, tree + "/song.seq");
    EXPECT_EQ(Seq_Name, "song.seq");
}

TEST_F(FileDlgTest, SavingTheOldToneWhileOpeningAFileOfTwoTones) {
    auto tone = [](int seed) {
        std::string b = Bytes("F0 41 35 00 21 20 01");
        for (int i = 0; i < 59; ++i) b.push_back(static_cast<char>(seed + i));
        return b + '\xF7';
    };
    const std::string patch =
        Bytes("F0 41 36 00 21 30 01 00 01 01 02 02 03 03 04 04 05 05 06 06 07 F7");
    {
        QFile f(tree + "/two.syx");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(tone(10) + patch + tone(20)));
    }
    // Yes to saving the old tone, then the save written, cancelled, or
    // failed and then cancelled.
    for (const int write : {1, 0, -1}) {
        AutoSend_On = 1;
        Undo_Tone.fill(77); // bytes of an earlier Save As: they must not come back
        Undo_Patch.fill(77);
        midi.events.clear();
        boxes.clear();
        boxes.answers = {Mb::Yes};
        Tone_Saved = true;
        Set_Dlg_Wait_Hook([write] {
            File_Dlg& d = File_Dlg::get();
            EXPECT_EQ(d.windowTitle(), "Save Tone File");
            Set_Write_Fault(write < 0 ? ENOSPC : 0);
            if (write != 0) Type_Ok(d, "first");
            Set_Write_Fault(0);
            if (write <= 0) QTest::keyClick(d.FD_FileName, Qt::Key_Escape);
        });
        File_Dlg& d = Open("Open_SYX");
        Type_Ok(d, "two.syx");
        Settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList texts{"File contains another TONE. Save old TONE first?"};
        if (write < 0) texts << "Error 61: Disk full";
        EXPECT_EQ(boxes.texts(), texts);
        EXPECT_FALSE(File_Dlg::loaded());
        EXPECT_TRUE(Dlg_Open.isEmpty());
        EXPECT_EQ(Tone_File, tree + "/two.syx");
        EXPECT_EQ(Tone_Data[0], 20);
        EXPECT_EQ(Patch_Data[6], 7);
        for (const std::string& m : midi.sent())
            if (m.size() > 7) EXPECT_TRUE(m[7] == 10 || m[7] == 20) << Hex_Of(m);
        QFile first(tree + "/first.syx");
        EXPECT_EQ(first.exists(), write > 0);
        if (write > 0) {
            ASSERT_TRUE(first.open(QIODevice::ReadOnly));
            EXPECT_EQ(first.readAll().toStdString(), tone(10) + patch);
            QFile::remove(tree + "/first.syx");
        }
    }
}

TEST_F(FileDlgTest, KeptPositionAndAltKeys) {
    Quorlen::get().Menu_Windows_SavePos->setChecked(true);
    FD_Left = 40 * 15;
    FD_Top = 30 * 15;
    File_Dlg& d = Open("Open_SYX");
    EXPECT_EQ(d.pos(), QPoint(40, 30));
    d.move(50, 60);
    QTest::keyClick(d.FD_FileName, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(d.focusWidget(), d.FD_List_Files);
    QTest::keyClick(d.FD_List_Files, Qt::Key_Z, Qt::AltModifier);
    EXPECT_EQ(d.focusWidget(), d.FD_FileName);
    d.Form_Unload();
    EXPECT_EQ(FD_Left, 50 * 15);
    EXPECT_EQ(FD_Top, 60 * 15);
}

TEST_F(FileDlgTest, NamesThatAreNotUtf8AreOpenedSavedOverAndDeleted) {
    // Names from older systems: shown with a replacement character, used by their bytes.
    const QByteArray root = QFile::encodeName(tree);
    const QByteArray file = root + "/A\xE9.syx", in_folder = root + "/D\xF6/in\xFF.syx";
    ASSERT_EQ(::mkdir((root + "/D\xF6").constData(), 0755), 0);
    auto write = [](const QByteArray& path, int seed) {
        std::string b = Bytes("F0 41 35 00 21 20 01");
        for (int i = 0; i < 59; ++i) b.push_back(static_cast<char>(seed + i));
        b += '\xF7';
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, b.data(), b.size()), static_cast<ssize_t>(b.size()));
        ::close(fd);
    };
    auto size_of = [](const QByteArray& path) {
        struct stat st {};
        return ::stat(path.constData(), &st) == 0 ? static_cast<int>(st.st_size) : -1;
    };
    write(file, 10);
    write(in_folder, 20);
    const QString shown = u"A\uFFFD.syx"_qs;

    File_Dlg& d = Open("Open_SYX");
    EXPECT_EQ(Items(d.FD_List_Files), (QStringList{"a.syx", shown, "B.SYX"}));
    Press(d.FD_List_Files, shown);
    EXPECT_EQ(d.FD_FileName->text(), shown);
    QTest::keyClick(d.FD_FileName, Qt::Key_Return);
    Settle();
    EXPECT_FALSE(File_Dlg::loaded());
    EXPECT_EQ(Tone_Data[0], 10);
    QByteArray bytes;
    EXPECT_TRUE(Name_To_Bytes(Tone_File, bytes));
    EXPECT_EQ(bytes, file);
    EXPECT_TRUE(boxes.calls.empty()) << boxes.texts().join('|').toStdString();

    // Saved over by its own bytes, after a question that shows the name.
    Tone_Data[0] = 33;
    File_Dlg& s = Open("SaveAs_SYX");
    Press(s.FD_List_Files, shown);
    boxes.answers = {Mb::Yes};
    QTest::keyClick(s.FD_FileName, Qt::Key_Return);
    Settle();
    EXPECT_EQ(boxes.texts(), QStringList{"File exists: " + tree + "/" + shown + " Overwrite?"});
    EXPECT_EQ(size_of(file), 89);
    EXPECT_EQ(Folder_Entries(tree, false).size(), 5) << "no second file";
    EXPECT_EQ(Quorlen::get().windowTitle(), "Quorlen - " + tree + "/" + shown);

    // A folder of such a name is opened, and its files used.
    File_Dlg& o = Open("Open_SYX");
    Press(o.FD_List_Dirs, u"D\uFFFD"_qs);
    QTest::keyClick(o.FD_List_Dirs, Qt::Key_Space);
    EXPECT_EQ(Items(o.FD_List_Files), QStringList{u"in\uFFFD.syx"_qs});
    Press(o.FD_List_Files, u"in\uFFFD.syx"_qs);
    EXPECT_EQ(Tone_Data[0], 20);
    o.FD_Button_Ok_Click();
    Settle();
    EXPECT_TRUE(Name_To_Bytes(Tone_File, bytes));
    EXPECT_EQ(bytes, in_folder);

    // Deleted by its bytes.
    File_Dlg& x = Open("Open_SYX");
    x.FD_List_Dirs->Set_Path(tree);
    Press(x.FD_List_Files, shown);
    boxes.clear();
    boxes.answers = {Mb::Yes};
    Click(x.FD_Button_Delete);
    EXPECT_EQ(boxes.texts(), QStringList{"Delete " + tree + "/" + shown + " ?"});
    EXPECT_EQ(size_of(file), -1);
    EXPECT_EQ(Items(x.FD_List_Files), (QStringList{"a.syx", "B.SYX"}));
    x.Form_Unload();

    // Of names that look alike, the one highlighted is opened, stays
    // highlighted when it is no tone file, and is deleted; a real U+FFFD
    // is listed last.
    const QByteArray alike = root + "/A\xEA.syx", real = root + "/A\xEF\xBF\xBD.syx";
    write(file, 10);
    for (const QByteArray& empty : {alike, real})
        ASSERT_EQ(::close(::open(empty.constData(), O_WRONLY | O_CREAT, 0644)), 0);
    File_Dlg& t = Open("Open_SYX");
    ASSERT_EQ(Items(t.FD_List_Files), (QStringList{"a.syx", shown, shown, shown, "B.SYX"}));
    Press(t.FD_List_Files, 2);
    boxes.clear();
    QTest::keyClick(t.FD_FileName, Qt::Key_Return);
    EXPECT_EQ(boxes.texts(), QStringList{"Wrong MIDI system exclusive data!"});
    EXPECT_EQ(t.FD_List_Files->currentRow(), 2);
    boxes.answers = {Mb::Yes};
    Click(t.FD_Button_Delete);
    EXPECT_EQ(size_of(file), 67);
    EXPECT_EQ(size_of(alike), -1);
    // Delete again: the file just deleted, never a look-alike, whatever row
    // the list makes current after its refresh.
    t.FD_List_Files->setCurrentRow(1);
    boxes.clear();
    boxes.answers = {Mb::Yes};
    Click(t.FD_Button_Delete);
    EXPECT_EQ(boxes.texts().last(), tree + "/" + shown + " could not be deleted.");
    EXPECT_EQ(size_of(file), 67);
    EXPECT_EQ(size_of(real), 0);
    // A click on a look-alike then means that one, and only it.
    Press(t.FD_List_Files, 2);
    boxes.answers = {Mb::Yes};
    Click(t.FD_Button_Delete);
    EXPECT_EQ(size_of(real), -1);
    EXPECT_EQ(size_of(file), 67);
    t.Form_Unload();
}

// Of two names that differ only in blanks at their ends, a no-break space
// or a folder's trailing blank, the entry highlighted is the file used.
TEST_F(FileDlgTest, LookAlikeNamesEachMeanTheirOwnFile) {
    auto tone = [](int seed) {
        std::string b = Bytes("F0 41 35 00 21 20 01");
        for (int i = 0; i < 59; ++i) b.push_back(static_cast<char>(seed + i));
        return QByteArray::fromStdString(b + '\xF7');
    };
    auto put = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    auto first_byte = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? static_cast<int>(f.readAll().at(7)) : -1;
    };
    const struct {
        const char* folder; // the chosen file's folder; its twin's is the same trimmed
        QString chosen, twin;
    } pairs[] = {
        {"tones", " B.SYX", "B.SYX"},
        {"tones", u"A.SYX\u00A0"_qs, "A.SYX"},
        {"sp ", "B.SYX", "B.SYX"},
    };
    // A folder the lists move to after the click: there the name is read as typed.
    const QString other = tree + "/other";
    put(other + "/B.SYX", tone(30));
    put(other + "/ B.SYX", tone(40));
    enum Act { Preview, Ok, Save_As, Delete, Move, Delete_Move, Delete_Retype };
    for (const auto& p : pairs)
        for (const Act act : {Preview, Ok, Save_As, Delete, Move, Delete_Move, Delete_Retype}) {
            const QString dir = tree + "/" + p.folder;
            const QString chosen = dir + "/" + p.chosen;
            const QString twin = QString(tree + "/" + p.folder).trimmed() + "/" + p.twin;
            const std::string row = (chosen + " act " + QString::number(act)).toStdString();
            put(chosen, tone(10));
            put(twin, tone(20));
            Dir_Tones = dir;
            Tone_Data[0] = 0;
            Tone_File.clear();
            boxes.clear();
            boxes.answers = {Mb::Yes};
            if (act == Save_As) Tone_Data[0] = 33;
            File_Dlg& d = Open(act == Save_As ? "SaveAs_SYX" : "Open_SYX");
            d.FD_List_Filter->setCurrentIndex(1); // all files: ".SYX" and a blank
            emit d.FD_List_Filter->activated(1);
            Press(d.FD_List_Files, p.chosen);
            if (act == Preview) EXPECT_EQ(Tone_Data[0], 10) << row;
            if (act == Ok || act == Save_As) QTest::keyClick(d.FD_FileName, Qt::Key_Return);
            if (act == Ok) {
                EXPECT_EQ(Tone_File, chosen) << row;
                EXPECT_EQ(Tone_Data[0], 10) << row;
            }
            if (act == Save_As) {
                EXPECT_EQ(boxes.texts(), QStringList{"File exists: " + chosen + " Overwrite?"});
                EXPECT_EQ(first_byte(chosen), 33) << row;
            }
            if (act == Delete) {
                // Delete again, nothing clicked or typed since: the file just
                // deleted, never its twin. OK reads the box as typed.
                Click(d.FD_Button_Delete);
                boxes.answers = {Mb::Yes};
                Click(d.FD_Button_Delete);
                EXPECT_EQ(boxes.texts(),
                          (QStringList{"Delete " + chosen + " ?", "Delete " + chosen + " ?",
                                       chosen + " could not be deleted."}));
                EXPECT_FALSE(QFile::exists(chosen)) << row;
                QTest::keyClick(d.FD_FileName, Qt::Key_Return);
                const QString typed = dir + "/" + Blanks_Trimmed(p.chosen);
                EXPECT_EQ(Tone_File, QFile::exists(typed) ? typed : QString()) << row;
            }
            if (act == Move) {
                d.FD_List_Dirs->Set_Path(other);
                QTest::keyClick(d.FD_FileName, Qt::Key_Return);
                const QString typed = other + "/" + Blanks_Trimmed(p.chosen);
                EXPECT_EQ(Tone_File, QFile::exists(typed) ? typed : QString()) << row;
            }
            if (act == Delete_Move || act == Delete_Retype) {
                // After a delete, another folder or the name typed anew: the
                // box is read as typed, by Delete and by OK.
                Click(d.FD_Button_Delete);
                if (act == Delete_Move) d.FD_List_Dirs->Set_Path(other);
                if (act == Delete_Retype) Key_In(d.FD_FileName, p.chosen);
                const QString typed =
                    (act == Delete_Move ? other : dir) + "/" + Blanks_Trimmed(p.chosen);
                boxes.answers = {Mb::No};
                Click(d.FD_Button_Delete);
                EXPECT_EQ(boxes.texts(),
                          (QStringList{"Delete " + chosen + " ?", "Delete " + typed + " ?"}))
                    << row;
                QTest::keyClick(d.FD_FileName, Qt::Key_Return);
                EXPECT_EQ(Tone_File, QFile::exists(typed) ? typed : QString()) << row;
            }
            EXPECT_EQ(first_byte(twin), 20) << row;
            if (File_Dlg::loaded()) d.Form_Unload();
            // The folder shown is the one kept.
            EXPECT_EQ(Dir_Tones, (act == Move || act == Delete_Move ? other : dir) + "/") << row;
            Settle();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }

    // A typed name loses its blanks, also before a folder part; the entry
    // highlighted is the file opened.
    put(tree + "/tones/sub/inner.syx", tone(50));
    for (const auto& [typed, file, seed] :
         {std::tuple{" B.SYX", "B.SYX", 20}, {" sub/inner.syx", "sub/inner.syx", 50}}) {
        Dir_Tones = tree + "/tones";
        File_Dlg& d = Open("Open_SYX");
        Type_Ok(d, typed);
        EXPECT_EQ(Tone_File, tree + "/tones/" + file) << typed;
        EXPECT_EQ(Tone_Data[0], seed) << typed;
        EXPECT_EQ(Highlighted(d), Tone_File) << typed;
        Settle();
    }
}

// Typed names: a pattern for hidden files, a replacement character that is
// no highlighted file's, and the longest name part the system takes.
TEST_F(FileDlgTest, TypedNamesMeanWhatIsTyped) {
    Touch(".hidden.syx");
    File_Dlg& d = Open("Open_SYX");
    EXPECT_FALSE(Items(d.FD_List_Files).contains(".hidden.syx"));
    Type_Ok(d, ".*");
    EXPECT_EQ(Items(d.FD_List_Files), QStringList{".hidden.syx"});
    d.Form_Unload();
    Settle();

    const QByteArray odd = QFile::encodeName(tree) + "/dup\xE9.syx";
    ASSERT_EQ(::close(::open(odd.constData(), O_WRONLY | O_CREAT, 0644)), 0);
    File_Dlg& t = Open("Open_SYX");
    Press(t.FD_List_Files, u"dup\uFFFD.syx"_qs);
    for (const QString& typed : {u"dup\uFFFD.syx"_qs, u"dup\uFFFD.SYX"_qs}) {
        Key_In(t.FD_FileName, typed);
        ASSERT_EQ(t.FD_FileName->text(), typed);
        boxes.clear();
        boxes.answers = {Mb::Yes};
        Click(t.FD_Button_Delete);
        EXPECT_EQ(boxes.texts().last(), tree + "/" + typed + " could not be deleted.");
        Tone_File.clear();
        t.FD_Button_Ok_Click();
        EXPECT_TRUE(Tone_File.isEmpty());
    }
    EXPECT_EQ(::access(odd.constData(), F_OK), 0);
    t.Form_Unload();
    Settle();

    // A real U+FFFD typed is that file, also for the entry highlighted.
    Touch(u"dup\uFFFD.syx"_qs);
    File_Dlg& r = Open("Open_SYX");
    Type_Ok(r, u"dup\uFFFD.syx"_qs);
    EXPECT_EQ(Highlighted(r), tree + u"/dup\uFFFD.syx"_qs);
    r.Form_Unload();
    Settle();

    // 255 bytes are the most a name part may have.
    for (const int length : {255, 256}) {
        File_Dlg& s = Open("SaveAs_SYX");
        boxes.clear();
        Type_Ok(s, QString(length - 4, 'b') + ".syx");
        Settle();
        EXPECT_EQ(File_Dlg::loaded(), length == 256);
        EXPECT_EQ(boxes.calls.size(), length == 256 ? 1u : 0u);
        if (File_Dlg::loaded()) s.Form_Unload();
        Settle();
    }

    // In the root a name, typed with its folder or without, has one
    // separator. Last: the dialog now starts there, and nothing is saved there.
    ASSERT_FALSE(QFileInfo::exists("/no-such.syx"));
    File_Dlg& o = Open("Open_SYX");
    Press(o.FD_List_Files, "a.syx");
    o.FD_List_Dirs->Set_Path("/");
    for (const QString& typed : {u"no-such"_qs, u"/no-such"_qs}) {
        boxes.clear();
        boxes.answers = {Mb::No};
        Key_In(o.FD_FileName, typed);
        Click(o.FD_Button_Delete);
        QTest::keyClick(o.FD_FileName, Qt::Key_Return);
        EXPECT_EQ(boxes.texts(), QStringList{"Delete /no-such ?"});
        EXPECT_EQ(Fd::full_name(), "/no-such.syx");
    }
    o.Form_Unload();
    Settle();
    File_Dlg& v = Open("SaveAs_SYX");
    v.FD_List_Dirs->Set_Path("/");
    boxes.clear();
    boxes.answers = {Mb::No};
    Type_Ok(v, tree + "/a");
    EXPECT_EQ(boxes.texts(), QStringList{"File exists: " + tree + "/a.syx Overwrite?"});
    v.Form_Unload();
    Settle();
}
