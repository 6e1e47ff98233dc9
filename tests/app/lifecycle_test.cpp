#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/settings.h"
#include "dialogs/file_dlg.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/patch.h"
#include "help/help.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/midi_setup.h"
#include "midi/tone_files.h"
#include "platform/host.h"
#include "sequencer/oscillator.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
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
    EXPECT_FALSE(main.Unloaded());
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
    EXPECT_TRUE(Quorlen::get().Unloaded());
    EXPECT_EQ(Settings_Text(), stored);
    EXPECT_TRUE(midi.events.empty());
}

TEST_F(LifecycleTest, LargeFontsScreenStarts) {
    Set_Screen_PPI_Override(120);
    Write_Settings(configured);
    Start_Program();
    EXPECT_FALSE(Quorlen::get().Unloaded());
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
    EXPECT_FALSE(Quorlen::get().Unloaded());
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
    EXPECT_TRUE(Quorlen::get().Unloaded());
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

// A window closed, or the program, while one of its handlers waits in a
// send: nothing is destroyed under the handler, which then stops; the window
// comes back fresh on the next access.
TEST_F(LifecycleTest, ClosedWhileAHandlerWaitsInASend) {
    using W = QPointer<QWidget>;
    struct Row {
        const char* what;
        std::function<W()> open;      // opens the window; the control whose handler runs
        std::function<W()> window;    // what must go: the window or its frame; none for the program
        Kind at;                      // the send whose yield lets the close in
        std::function<void(W)> act;   // the user's action: a handler that sends
        std::function<void(W)> close; // what comes while it waits
        std::function<void()> check;  // what must stand afterwards
    };
    auto key = [](QWidget* to, Qt::Key k) { QTest::keyClick(to, k); };
    auto patch_fader = [] {
        Quorlen::get().Menu_Tone_Patch_Click();
        return W(Patch::get().Portamento_Time);
    };
    auto tone_dialog = [this] {
        // A tone and its patch block: each goes out as it is read, and the
        // second send is a second yield of the same handler.
        std::string b = Bytes("F0 41 35 00 21 20 01");
        for (int i = 0; i < 59; ++i) b.push_back(static_cast<char>((5 + i * 3) & 0x7F));
        b += Bytes("F7 F0 41 36 00 21 30 01 00 02 01 10 02 00 03 01 04 00 05 20 06 40 F7");
        QFile f(folder.filePath("tone.syx"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(b));
        Dir_Tones = folder.path();
        AutoPlay_On = AutoSend_On = 1;
        Soundcheck_Mode = 0;
        FD_Mode = "Open_SYX";
        File_Dlg::get().Form_Show();
        return W(File_Dlg::peek());
    };
    auto no_window = [] { return W(); };
    auto file_dialog = [] { return W(File_Dlg::peek()); };
    auto program_ended = [this] {
        EXPECT_TRUE(Quorlen::get().Unloaded());
        EXPECT_TRUE(Settings_Text().contains("[Recent Files]")) << "the settings were not written";
    };
    auto dialog_gone = [] {
        EXPECT_TRUE(Dlg_Open.isEmpty());
        EXPECT_TRUE(Quorlen::get().Menu_File->isEnabled());
        EXPECT_TRUE(Editor::get().isEnabled());
    };
    const Row rows[] = {
        {"patch fader key, the program closed", patch_fader, no_window, Kind::Long,
         [&](W w) { key(w, Qt::Key_Up); }, [](W) { Quorlen::get().close(); }, program_ended},
        {"tone preview, the dialog's Escape", tone_dialog, file_dialog, Kind::Long,
         [](W) {
             File_Dlg& d = File_Dlg::get();
             const QListWidgetItem* item = d.FD_List_Files->findItems("tone.syx", {}).value(0);
             ASSERT_TRUE(item);
             QTest::mouseClick(d.FD_List_Files->viewport(), Qt::LeftButton, {},
                               d.FD_List_Files->visualItemRect(item).center());
         },
         [&](W w) { key(w, Qt::Key_Escape); },
         [&] {
             dialog_gone();
             File_Dlg::get().Form_Show();
             EXPECT_EQ(Dlg_Open, "File_Dlg");
             EXPECT_TRUE(File_Dlg::get().isVisible());
         }},
        {"tone opened by Return, the dialog's Escape", tone_dialog, file_dialog, Kind::Long,
         [&](W) {
             File_Dlg& d = File_Dlg::get();
             d.FD_FileName->setText("tone.syx");
             key(d.FD_FileName, Qt::Key_Return);
         },
         [&](W w) { key(w, Qt::Key_Escape); },
         [&] {
             dialog_gone();
             // The tone taken is not named after its file, nor listed, and
             // counts as unsaved.
             EXPECT_TRUE(Tone_File.isEmpty());
             EXPECT_EQ(Quorlen::get().windowTitle(), "Quorlen");
             EXPECT_FALSE(Tone_Saved);
             EXPECT_EQ(Tone_Loading, 0);
         }},
        {"oscillator start, its window closed",
         [] {
             Quorlen::get().Menu_MIDI_Osc_Click();
             Oscillator::get().Osc_Time->Set_Value(5);
             return W(Oscillator::get().Osc_Start);
         },
         [] { return W(Oscillator::get().frame()); }, Kind::Long,
         [](W) { Oscillator::get().Osc_Start_Click(); },
         [](W) { Oscillator::peek()->frame()->close(); },
         [] {
             QTest::qWait(40); // eight steps, were it stepping
             EXPECT_EQ(Osc_Step_Pos, 1);
         }},
        {"sequencer New, its window closed while the port closes",
         [] {
             Quorlen::get().Menu_MIDI_Seq_Click();
             Seq_Data[0] = 127;
             Seq_Saved = 0;
             MIDI_SendNote(60, 1); // the stop closes an open port, and waits there
             return W(Sequencer::get().Seq_New);
         },
         [] { return W(Sequencer::get().frame()); }, Kind::Short,
         [](W) { Sequencer::get().Seq_New_MouseDown(); },
         [](W) { Sequencer::peek()->frame()->close(); },
         [this] {
             EXPECT_TRUE(boxes.calls.empty()) << boxes.texts().join('|').toStdString();
             EXPECT_EQ(Seq_Data[0], 127) << "the sequence was cleared";
             EXPECT_EQ(Seq_Form_Open, 0);
         }},
        {"MIDI setup OK, its Escape while the port closes",
         [] {
             Quorlen::get().Menu_MIDI_Setup_Click();
             MIDI_Setup::get().Channel->setCurrentIndex(4);
             MIDI_SendNote(60, 1);
             return W(MIDI_Setup::get().Cmd_OK);
         },
         [] { return W(MIDI_Setup::peek()); }, Kind::Short,
         [](W) { MIDI_Setup::get().Cmd_OK_Click(); },
         [&](W) { key(MIDI_Setup::peek(), Qt::Key_Escape); },
         [&] {
             dialog_gone();
             EXPECT_TRUE(boxes.calls.empty()) << "a reminder after the dialog went";
             EXPECT_EQ(MIDI_Channel, 1);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Reset_Program();
        Write_Settings(configured);
        Start_Program();
        boxes.clear();
        const W control = row.open();
        ASSERT_FALSE(control.isNull());
        const W window = row.window();
        const bool goes = !window.isNull();
        size_t after = 0;
        bool posted = false;
        midi.on_event = [&](const FakeMidiHost::Event& e) {
            if (posted || e.kind != row.at) return;
            posted = true;
            QMetaObject::invokeMethod(
                qApp,
                [&] {
                    row.close(control);
                    after = midi.events.size();
                },
                Qt::QueuedConnection);
        };
        // The action runs as a handler of its control, as the event loop runs one.
        QMetaObject::invokeMethod(
            control, [&] { row.act(control); }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        midi.on_event = {};
        ASSERT_GT(after, 0u) << "the close did not come while the handler waited";
        // Whatever the closing sent, the handler sent nothing after it.
        for (size_t i = after; i < midi.events.size(); ++i)
            EXPECT_TRUE(midi.events[i].kind == Kind::Unprepare ||
                        midi.events[i].kind == Kind::Close)
                << "sent after the close: " << Hex_Of(midi.events[i].bytes);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (goes) EXPECT_TRUE(window.isNull()) << "the window lives on";
        row.check();
    }
}
