// The menu commands: save prompts, stopping playback, undo, the windows they
// open and the reset of the window settings.
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "editors/editor.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "platform/host.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTimer>

using Kind = FakeMidiHost::Event::Kind;

class MenusTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\nChannel=1\n");
        Start_Program();
        ASSERT_EQ(MIDI_Enabled, 1);
        boxes.clear();
        midi.events.clear();
    }
    static Quorlen& m() { return Quorlen::get(); }
    // The one box asked, with its buttons and icon.
    void expect_box(const QString& text, int style) {
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, text);
        EXPECT_EQ(boxes.calls[0].style, style);
        EXPECT_EQ(boxes.calls[0].title, "Quorlen");
        boxes.clear();
    }
    static bool open_dialog_shown(const char* mode) {
        const bool shown = File_Dlg::loaded() && FD_Mode == mode && Dlg_Open == "File_Dlg";
        if (File_Dlg::loaded()) File_Dlg::get().Form_Unload();
        return shown;
    }
    static void make_unsaved_tone() {
        Tone_Data[34] = 99;
        Tone_Saved = false;
    }
};

TEST_F(MenusTest, NewToneAnsweredNoReplacesAndSendsTheTone) {
    make_unsaved_tone();
    boxes.answers = {Mb::No};
    m().Menu_File_SYX_New->trigger();
    expect_box("Save actual TONE first?", Mb::YesNo | Mb::Question);
    EXPECT_EQ(Tone_Data[34], 0);
    EXPECT_TRUE(Tone_Saved);
    EXPECT_EQ(Tone_Loading, 0);
    const auto sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].size(), 89u);
}

TEST_F(MenusTest, NewToneWhoseSaveAsIsCancelledKeepsTheTone) {
    make_unsaved_tone();
    boxes.answers = {Mb::Yes};
    m().Menu_File_SYX_New_Click();
    EXPECT_EQ(FD_Mode, "SaveAs_SYX"); // Save As ran; the fixture cancelled it
    EXPECT_EQ(Tone_Data[34], 99);
    EXPECT_FALSE(Tone_Saved);
    for (const std::string& x : midi.take_sent()) EXPECT_NE(x.size(), 89u) << "a tone was sent";
}

TEST_F(MenusTest, OpenToneAndOscillatorFileAskWithCancelAndOpenTheDialog) {
    for (const char* mode : {"Open_SYX", "Open_OSC"}) {
        const bool tone = QString(mode) == "Open_SYX";
        auto run = [tone] {
            if (tone)
                m().Menu_File_SYX_Open_Click();
            else
                m().Menu_File_Osc_Open_Click();
        };
        // Saved: no question.
        run();
        EXPECT_TRUE(boxes.calls.empty());
        EXPECT_TRUE(open_dialog_shown(mode)) << mode;

        make_unsaved_tone();
        boxes.answers = {Mb::Cancel};
        run();
        expect_box("Save actual TONE first?", Mb::YesNoCancel | Mb::Question);
        EXPECT_FALSE(File_Dlg::loaded());
        EXPECT_FALSE(Tone_Saved);

        // Yes, then Save As cancelled: no dialog for opening.
        boxes.answers = {Mb::Yes};
        run();
        boxes.clear();
        EXPECT_EQ(FD_Mode, "SaveAs_SYX");
        EXPECT_FALSE(File_Dlg::loaded());

        boxes.answers = {Mb::No};
        run();
        boxes.clear();
        EXPECT_TRUE(Tone_Saved);
        EXPECT_TRUE(open_dialog_shown(mode)) << mode;
        EXPECT_EQ(Tone_Data[34], 99); // loading is the dialog's work
    }
}

TEST_F(MenusTest, SaveToneWithoutARealFileNameGoesToSaveAs) {
    for (const char* name : {"", ".syx"}) {
        FD_Mode.clear();
        Tone_File = name;
        m().Menu_File_SYX_Save->setEnabled(true);
        m().Menu_File_SYX_Save->trigger();
        EXPECT_EQ(FD_Mode, "SaveAs_SYX") << name;
    }
}

TEST_F(MenusTest, NewSequenceWithEachAnswer) {
    Seq_Data[7] = 127;
    Seq_Saved = 0;
    boxes.answers = {Mb::Cancel};
    m().Menu_File_Seq_New->trigger();
    expect_box("Save actual SEQUENCE first?", Mb::YesNoCancel | Mb::Question);
    EXPECT_EQ(Seq_Data[7], 127);

    boxes.answers = {Mb::Yes}; // Save As cancelled
    m().Menu_File_Seq_New_Click();
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[1].text, "Sequence not saved.");
    EXPECT_EQ(boxes.calls[1].style, Mb::OkOnly | Mb::Exclamation);
    boxes.clear();
    EXPECT_EQ(Seq_Data[7], 127);
    EXPECT_EQ(Seq_Saved, 0);

    // After a successful open, a cancelled Save As is no save either.
    {
        QFile f(folder.filePath("open.seq"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SEQ1\x1E\x30") + QByteArray(104, '\0'));
    }
    Load_SEQ(folder.filePath("open.seq"), "Open");
    ASSERT_EQ(FD_Done, 255);
    Seq_Data[7] = 127;
    Seq_Saved = 0;
    boxes.clear();
    boxes.answers = {Mb::Yes};
    m().Menu_File_Seq_New_Click();
    EXPECT_EQ(boxes.texts().last(), "Sequence not saved.");
    EXPECT_EQ(Seq_Data[7], 127);

    boxes.answers = {Mb::No};
    m().Menu_File_Seq_New_Click();
    boxes.clear();
    EXPECT_EQ(Seq_Data[7], 0);
    EXPECT_EQ(Seq_Saved, 255);

    // A saved sequence is cleared without a question.
    Seq_Data[7] = 63;
    m().Menu_File_Seq_New_Click();
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Seq_Data[7], 0);

    // Enter in the real boxes gives their first answer.
    Set_MsgBox_Handler({});
    for (const int style : {Mb::YesNo | Mb::Question, Mb::YesNoCancel | Mb::Question}) {
        QTimer::singleShot(
            0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        EXPECT_EQ(Msg_Box("Save actual TONE first?", style), Mb::Yes) << style;
    }
    // Nothing after this may block on a real box.
    Set_MsgBox_Handler([](const MsgBoxCall&) { return int(Mb::Cancel); });
}

TEST_F(MenusTest, OpenSequenceAsksAndOpensTheDialog) {
    Seq_Saved = 0;
    boxes.answers = {Mb::Cancel};
    m().Menu_File_Seq_Open->trigger();
    expect_box("Save actual SEQUENCE first?", Mb::YesNoCancel | Mb::Question);
    EXPECT_FALSE(File_Dlg::loaded());

    boxes.answers = {Mb::Yes};
    m().Menu_File_Seq_Open_Click();
    boxes.clear();
    EXPECT_EQ(FD_Mode, "SaveAs_SEQ");
    EXPECT_FALSE(File_Dlg::loaded());

    boxes.answers = {Mb::No};
    m().Menu_File_Seq_Open_Click();
    boxes.clear();
    EXPECT_EQ(Seq_Saved, 255);
    EXPECT_TRUE(open_dialog_shown("Open_SEQ"));
}

TEST_F(MenusTest, CloseMidiOutputSilencesAndClosesAlsoWhenNothingPlays) {
    MIDI_Out_Open();
    midi.events.clear();
    m().Menu_MIDI_CloseOutput->trigger();
    EXPECT_EQ(midi.take_sent().front(), Bytes("B0 7B 00"));
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(midi.opened, 0);

    // The port refuses to close while playing: it is closed again until it is.
    MIDI_Out_Open();
    midi.results[Kind::Close] = {MidiResult::StillPlaying, MidiResult::StillPlaying};
    m().Menu_MIDI_CloseOutput_Click();
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
}

TEST_F(MenusTest, ClosingTheOutputOrOpeningFileToneStopsAPlayingSequence) {
    Editor& ed = Editor::get();
    for (int way = 0; way < 2; ++way) {
        Seq_Saved = 0;
        Seq_Play_Start();
        Seq_Step = 4;
        ed.ED_Seq_Start->Set_Picture(m().Button_Dn3D);
        ed.ED_Seq_Start_Pic->move(4, 4);
        midi.events.clear();
        if (way == 0)
            m().Menu_MIDI_CloseOutput_Click();
        else
            m().Menu_File_SYX_Click();
        EXPECT_FALSE(m().Seq_Tmr->isActive()) << way;
        EXPECT_EQ(Seq_Running, 0);
        EXPECT_EQ(Seq_Step, 0);
        EXPECT_EQ(MIDI_Out_Port.Handle, -1);
        EXPECT_EQ(ed.ED_Seq_Start->Picture().cacheKey(), m().Button_Up3D.cacheKey());
        EXPECT_EQ(ed.ED_Seq_Start_Pic->pos(), QPoint(3, 3));
        EXPECT_EQ(midi.take_sent().front(), Bytes("B0 7B 00"));
    }
    // The submenu opening with nothing playing does nothing.
    MIDI_Out_Open();
    midi.events.clear();
    m().Menu_File_SYX_Click();
    EXPECT_TRUE(midi.events.empty());
    EXPECT_NE(MIDI_Out_Port.Handle, -1);

    // The setup stops it too and shows the window's start released.
    Sequencer& w = Sequencer::get();
    w.Seq_Start_MouseDown();
    w.Seq_Start_Click();
    Seq_Step = 4;
    ASSERT_EQ(Seq_Running, 255);
    m().Menu_MIDI_Setup_Click();
    EXPECT_FALSE(m().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
    EXPECT_EQ(Seq_Step, 0);
    EXPECT_EQ(w.Seq_Start->Picture().cacheKey(), m().Button_Up3D.cacheKey());
    EXPECT_EQ(w.Seq_Start_Pic->pos(), QPoint(3, 3));
    EXPECT_EQ(Dlg_Open, "MIDI_Setup");
}

TEST_F(MenusTest, UndoRestoresAndTheSequencerCommandShowsTheWindow) {
    Tone_Saved = false;
    const JX8P_Tone_Params before = Tone_Data;
    m().Menu_Tone_Random->trigger();
    EXPECT_TRUE(m().Menu_Edit_Undo->isEnabled());
    EXPECT_NE(Tone_Data, before);
    m().Menu_Edit_Undo->trigger();
    EXPECT_EQ(Tone_Data, before);
    EXPECT_FALSE(m().Menu_Edit_Undo->isEnabled());

    m().Menu_MIDI_Seq->trigger();
    ASSERT_TRUE(Sequencer::loaded());
    EXPECT_FALSE(Sequencer::get().frame()->isHidden());
}

TEST_F(MenusTest, ReceiveAsksYesNoAndChangesNothingElse) {
    make_unsaved_tone();
    AutoSend_On = 1;
    boxes.answers = {Mb::No};
    m().Menu_Tone_Receive->trigger();
    expect_box("Save actual TONE first?", Mb::YesNo | Mb::Question);
    EXPECT_TRUE(Tone_Saved);
    EXPECT_EQ(MIDI_Receiving, 0);
    EXPECT_EQ(AutoSend_On, 1);
    EXPECT_EQ(Tone_Data[34], 99);
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(MenusTest, ResetSettingsAsksAndPutsTheWindowsInTheCorner) {
    Quorlen& main = m();
    // Sizes are outer sizes: the shown window has its frame.
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.resize(700, 600);
    main.move(40, 50);
    Seq_Left = FD_Top = Patch_Left = 3000;
    boxes.answers = {Mb::No};
    main.Menu_Windows_Reset->trigger();
    expect_box("Do you really want to RESET the window settings?", Mb::YesNo | Mb::Question);
    EXPECT_EQ(main.size(), QSize(700, 600));
    EXPECT_EQ(Seq_Left, 3000);

    boxes.answers = {Mb::Yes};
    main.Menu_Windows_Reset_Click();
    const bool old = Win_Version() < 3.95;
    EXPECT_EQ(main.frameGeometry().size(), old ? QSize(536, 502) : QSize(540, 506));
    EXPECT_EQ(main.pos(), QPoint(0, 0));
    for (int v : {FD_Left, FD_Top, Patch_Left, Patch_Top, Seq_Left, Seq_Top}) EXPECT_EQ(v, 1);

    // A large-fonts screen.
    ASSERT_GE(Host_Screen_Height(), 480);
    Screen_PPI = 120;
    boxes.answers = {Mb::Yes};
    main.Menu_Windows_Reset_Click();
    EXPECT_EQ(main.frameGeometry().size(), QSize(540, 516));
    EXPECT_EQ(main.pos(), QPoint(0, 0));
}
