#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/settings.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "help/help.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/midi_setup.h"
#include "platform/host.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QTest>
#include <QTimer>

using Kind = FakeMidiHost::Event::Kind;

class LifecycleTest : public ProgramTest {
  protected:
    const QString configured = "[MIDI]\r\nOutput=Synth Out\r\nInput=Synth In\r\n";

    QStringList Midi_Boxes() const {
        QStringList out;
        for (const QString& t : boxes.texts())
            if (t.contains("MIDI")) out << t;
        return out;
    }
};

TEST_F(LifecycleTest, StartsWithoutAnyMidiDeviceAndANewTone) {
    midi.outs.clear();
    midi.ins.clear();
    Synth_Type = "Alpha Juno";
    Write_Settings("[MIDI]\r\nSynthesizer=Alpha Juno\r\n");
    Start_Program();
    Quorlen& main = Quorlen::get();
    EXPECT_FALSE(main.Is_Unloaded());
    EXPECT_EQ(Midi_Boxes(),
              QStringList({"No MIDI output device installed. MIDI functions disabled",
                           "No MIDI input device installed. MIDI functions disabled"}));
    EXPECT_FALSE(MIDI_Setup::loaded() && MIDI_Setup::get().isVisible());
    EXPECT_FALSE(main.Menu_MIDI->isEnabled());
    EXPECT_FALSE(main.Menu_Tone_Send->isEnabled());
    EXPECT_TRUE(main.Menu_File->isEnabled());
    EXPECT_FALSE(main.Menu_Edit_Undo->isEnabled());
    EXPECT_EQ(Tone_Name_Text, "NEW");
    EXPECT_TRUE(Tone_Saved);
    EXPECT_TRUE(Editor::get().Timer1->isActive());
    EXPECT_EQ(main.windowTitle(), "Quorlen");
    EXPECT_EQ(INI_File, folder.filePath("Quorlen.INI"));
}

TEST_F(LifecycleTest, UnconfiguredOutputOpensTheSetupBesideTheEditor) {
    Start_Program();
    EXPECT_TRUE(Midi_Boxes().contains("MIDI output device not configured - starting MIDI setup."));
    EXPECT_EQ(MIDI_Setup_Needed, 1);
    ASSERT_TRUE(MIDI_Setup::loaded());
    EXPECT_TRUE(MIDI_Setup::get().isVisible());
    EXPECT_TRUE(Tone_Saved) << "start-up went on behind the dialog";
    EXPECT_TRUE(Quorlen::get().Menu_MIDI->isEnabled() || !Dlg_Open.isEmpty());
}

TEST_F(LifecycleTest, ConfiguredNameInOtherCaseIsNotAvailable) {
    Write_Settings("[MIDI]\r\nOutput=SYNTH OUT\r\nInput=Synth In\r\n");
    Start_Program();
    EXPECT_TRUE(Midi_Boxes().contains(
        "MIDI output device (SYNTH OUT) not available - starting MIDI setup."));
    EXPECT_TRUE(MIDI_Setup::loaded() && MIDI_Setup::get().isVisible());
}

TEST_F(LifecycleTest, ConfiguredDevicesStartQuietly) {
    // With preload on, the most recent sequence comes in at start-up.
    QByteArray seq("SEQ1");
    seq.append(char(90)).append(char(48)).append(104, char(0));
    seq[6] = char(127);
    QFile f(folder.filePath("song.seq"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(seq);
    f.close();
    Write_Settings(configured + "Channel=5\r\nSequence Preload=1\r\n[Recent Files]\r\nSequence1=" +
                   f.fileName() + "\r\n");
    Start_Program();
    EXPECT_TRUE(Midi_Boxes().isEmpty());
    EXPECT_EQ(MIDI_Enabled, 1);
    EXPECT_FALSE(MIDI_Setup::loaded());
    EXPECT_TRUE(Quorlen::get().Menu_Tone_Send->isEnabled());
    EXPECT_EQ(Seq_Loaded, 255);
    EXPECT_EQ(Seq_Data[0], 127);
    EXPECT_EQ(Seq_BPM, 90);
    EXPECT_EQ(Seq_Status, 0x94); // its notes go out on the channel before any start
}

TEST_F(LifecycleTest, UnsupportedScreenIsRefusedWithoutQuestionsOrSettingsDamage) {
    Set_Screen_PPI_Override(144);
    const QString stored = "[Main Window]\r\nLeft=82.26667\r\n" + configured;
    Write_Settings(stored);
    Tone_Saved = false;
    Seq_Saved = 0;
    Start_Program();
    ASSERT_GE(boxes.calls.size(), 1u);
    const MsgBoxCall& refusal = boxes.calls.back();
    EXPECT_EQ(refusal.text,
              "Unsupported system font size: 144 ppi (pixel per inch).\r"
              "Please set the font size to 'small fonts' (96 ppi) or 'large fonts (120 ppi).\r\r"
              "For additional informations, see the README.TXT file.");
    EXPECT_EQ(refusal.style, Mb::OkOnly | Mb::Critical);
    EXPECT_TRUE(Quorlen::get().Is_Unloaded());
    EXPECT_EQ(Settings_Text(), stored);
    EXPECT_TRUE(midi.events.empty());
}

TEST_F(LifecycleTest, LargeFontsScreenStarts) {
    Set_Screen_PPI_Override(120);
    Write_Settings(configured);
    Start_Program();
    EXPECT_FALSE(Quorlen::get().Is_Unloaded());
    EXPECT_FLOAT_EQ(Screen_Scale, 1.25f);
}

TEST_F(LifecycleTest, ClosingAsksToneThenSequenceAndCancelKeepsRunning) {
    Write_Settings(configured);
    Start_Program();
    boxes.clear();
    Tone_Saved = false;
    Seq_Saved = 0;
    boxes.answers = {Mb::Cancel, Mb::No};
    EXPECT_FALSE(Quorlen::get().Form_Unload());
    EXPECT_EQ(boxes.texts(),
              QStringList({"Save actual TONE first?", "Save actual SEQUENCE first?"}));
    EXPECT_EQ(boxes.calls[0].style, Mb::YesNoCancel | Mb::Question);
    EXPECT_EQ(boxes.calls[0].title, "Quorlen");
    EXPECT_FALSE(Quorlen::get().Is_Unloaded());
    EXPECT_FALSE(Tone_Saved);
    EXPECT_EQ(Seq_Saved, 255);

    // A Yes whose Save As does not happen keeps the program running too.
    boxes.clear();
    boxes.answers = {Mb::Yes};
    EXPECT_FALSE(Quorlen::get().Form_Unload());
    EXPECT_EQ(boxes.texts(), QStringList({"Save actual TONE first?"}));

    boxes.clear();
    boxes.answers = {Mb::No};
    EXPECT_TRUE(Quorlen::get().Form_Unload());
    EXPECT_TRUE(Quorlen::get().Is_Unloaded());
}

TEST_F(LifecycleTest, ClosingStopsPlayingAndSilencesBeforeAsking) {
    Write_Settings(configured);
    Start_Program();
    Quorlen& main = Quorlen::get();
    MIDI_SendNote(60, 100);
    Sequencer::get();
    ASSERT_EQ(Seq_Form_Open, 255);
    Seq_Running = 255;
    main.Seq_Tmr->start();
    Tone_Saved = false;
    bool silencedFirst = false, timerStopped = false;
    Set_MsgBox_Handler([&](const MsgBoxCall&) {
        silencedFirst = !midi.sent().empty() && Hex_Of(midi.sent().back()) == "B0 7B 00";
        timerStopped = !main.Seq_Tmr->isActive();
        return static_cast<int>(Mb::Cancel);
    });
    EXPECT_FALSE(main.Form_Unload());
    EXPECT_TRUE(silencedFirst);
    EXPECT_TRUE(timerStopped);
    EXPECT_EQ(Seq_Form_Open, 0) << "closed before the question and stays closed";
    EXPECT_FALSE(Sequencer::loaded());
}

TEST_F(LifecycleTest, UnloadStopsTimersAndClosesTheOutput) {
    Write_Settings(configured);
    Start_Program();
    Quorlen& main = Quorlen::get();
    MIDI_SendNote(60, 100);
    ASSERT_NE(MIDI_Out_Port.Handle, -1);
    main.Timer_Display->start();
    EXPECT_TRUE(main.Form_Unload());
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(midi.opened, 0);
    EXPECT_FALSE(main.Timer_Display->isActive());
    EXPECT_FALSE(Editor::get().Timer1->isActive());
}

TEST_F(LifecycleTest, FrameClickSoundsOnlyWhileADialogIsOpen) {
    Write_Settings(configured);
    Start_Program();
    Quorlen& main = Quorlen::get();
    main.show();
    QWidget* area = main.Mdi_Area()->viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(500, 400));
    EXPECT_TRUE(sounds.isEmpty());
    Dlg_Open = "File_Dlg";
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(500, 400));
    EXPECT_EQ(sounds, QStringList({"SystemDefault", "beep"}));
}

TEST_F(LifecycleTest, DisplayTimerPutsTheNameBack) {
    Write_Settings(configured);
    Start_Program();
    Quorlen& main = Quorlen::get();
    Tone_Name_Text = "BRASS";
    Editor::get().Tone_Name->setText("127");
    Editor_Juno::get().PictureEnv->show();
    main.Timer_Display->start();
    main.Timer_Display_Timer();
    EXPECT_FALSE(main.Timer_Display->isActive()) << "one-shot";
    EXPECT_EQ(Editor::get().Tone_Name->text(), "BRASS");
    EXPECT_EQ(Editor_Juno::get().Tone_Name->text(), "BRASS");
    EXPECT_TRUE(Editor_Juno::get().PictureEnv->isHidden());

    FD_Form_Open = true;
    Editor::get().Tone_Name->setText("5");
    main.Timer_Display_Timer();
    EXPECT_EQ(Soundcheck_Wait, 1);
    main.Timer_Display_Timer();
    EXPECT_EQ(Soundcheck_Wait, 0);
    EXPECT_EQ(Editor::get().Tone_Name->text(), "5");

    FD_Form_Open = false;
    Dlg_Open = "Help";
    main.Timer_Display_Timer();
    EXPECT_EQ(Help::get().HName->text(), "Waiting...");
    EXPECT_EQ(Editor::get().Tone_Name->text(), "5");
}

TEST_F(LifecycleTest, MissingDisplayFontIsReportedOnceAndNotRemoved) {
    Write_Settings(configured);
    Start_Program();
    int fontBoxes = 0;
    for (const MsgBoxCall& c : boxes.calls)
        if (c.text.startsWith("Error: Could not load font ")) {
            ++fontBoxes;
            EXPECT_TRUE(c.text.endsWith("/JX8P.FNT\nUsing default font."));
            EXPECT_EQ(c.style, Mb::OkOnly | Mb::Critical);
        }
    EXPECT_EQ(fontBoxes, 1);
    EXPECT_FALSE(Font_Loaded);
    boxes.clear();
    EXPECT_TRUE(Quorlen::get().Form_Unload());
    EXPECT_TRUE(boxes.calls.empty());
}
