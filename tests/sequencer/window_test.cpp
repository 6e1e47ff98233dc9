#include "app/dlg.h"
#include "dialogs/file_dlg.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "help/help.h"
#include "midi/midi_setup.h"
#include "midi/sysex.h"
#include "seq_support.h"
#include "sequencer/oscillator.h"
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>

class SeqWindow : public SeqTest {
  protected:
    bool Cell_Shows(Sequencer& w, int i, int pic) {
        const QPixmap shown = w.Seq_Matrix->Picture().copy((i / 13) * 12, (i % 13) * 12, 10, 10);
        return Same_Image(shown, w.Seq_Pics[pic]->Picture());
    }
    void Click_Cell(Sequencer& w, int i, Qt::MouseButton b) {
        QTest::mousePress(w.Seq_Matrix, b, {}, QPoint((i / 13) * 12 + 5, (i % 13) * 12 + 5));
        QTest::mouseRelease(w.Seq_Matrix, b, {}, QPoint((i / 13) * 12 + 5, (i % 13) * 12 + 5));
    }
};

TEST_F(SeqWindow, OpeningKeepsRangeAndTempoAndResetsModeAndTransposition) {
    Seq_Range_Index = 1;
    Seq_Direction = 1;
    Seq_BPM = 75;
    Seq_Data[20] = 127;
    Seq_Data[21] = 63;
    Seq_Name = "dir/song.seq";
    Seq_Left = 1500; // twips
    Seq_Top = 300;
    Sequencer& w = Sequencer::get();
    EXPECT_EQ(Seq_Form_Open, 255);
    EXPECT_FALSE(w.frame()->isHidden());
    EXPECT_EQ(w.frame()->pos(), QPoint(100, 20));
    EXPECT_EQ(w.frame()->windowTitle(), "Sequencer - DIR/SONG.SEQ");
    EXPECT_EQ(Seq_Base_Note, 36);
    EXPECT_EQ(Seq_Direction, 0);
    EXPECT_EQ(w.Seq_Trans->currentText(), "C");
    EXPECT_EQ(w.Seq_Range->currentText(), "C1..C2");
    EXPECT_EQ(w.Seq_Tempo->value(), 75);
    EXPECT_EQ(w.Seq_Tempo_Label->text(), "75");
    EXPECT_EQ(Quorlen::get().Seq_Tmr->interval(), 100);
    EXPECT_TRUE(Cell_Shows(w, 20, 2));
    EXPECT_TRUE(Cell_Shows(w, 21, 3));
    EXPECT_TRUE(Cell_Shows(w, 22, 0));
    const Quorlen& m = Quorlen::get();
    EXPECT_EQ(w.Seq_Directions[0]->Tag, "1");
    EXPECT_TRUE(Same(w.Seq_Directions[0]->Picture(), m.LED[1]));
    for (int k : {1, 2, 7, 8, 9}) EXPECT_TRUE(Same(w.Seq_Directions[k]->Picture(), m.LED[0])) << k;
    for (int i = 0; i < 13; ++i)
        EXPECT_TRUE(Same(w.Seq_Keys[i]->Picture(), m.Seq_Keys[w.Seq_Keys[i]->Tag == "w" ? 0 : 1]))
            << i;
    // The window's places (a size of 0: not given). The grid holds whole cells of 12
    // (its design box is a pixel short: 95 x 155), and the range list is two pixels
    // wider than its 61 so that its entries show whole.
    std::vector<std::pair<QWidget*, QRect>> places = {{w.Seq_Matrix, {44, 20, 8 * 12, 13 * 12}},
                                                      {w.Seq_Range, {148, 77, 61 + 2, 0}},
                                                      {w.Seq_Trans, {213, 77, 51, 0}},
                                                      {w.Seq_Tempo, {148, 23, 117, 16}},
                                                      {w.Seq_Tempo_Label, {190, 4, 31, 14}},
                                                      {w.Seq_New, {2, 4, 38, 12}},
                                                      {w.Seq_New_Pic, {8, 3, 0, 0}},
                                                      {w.Seq_Start, {158, 170, 22, 22}},
                                                      {w.Seq_Start_Pic, {3, 3, 0, 0}},
                                                      {w.Seq_Stop, {184, 170, 22, 22}},
                                                      {w.Seq_Stop_Pic, {3, 3, 0, 0}},
                                                      {w.Seq_Pics[4], {79, 183, 10, 10}},
                                                      {w.Seq_Pics[5], {111, 183, 10, 10}},
                                                      {w.Seq_Pics[6], {51, 183, 10, 10}},
                                                      {w.Seq_Directions[0], {149, 125, 14, 14}},
                                                      {w.Seq_Directions[1], {190, 125, 14, 14}},
                                                      {w.Seq_Directions[2], {232, 125, 14, 14}},
                                                      {w.Seq_Directions[8], {149, 141, 14, 14}},
                                                      {w.Seq_Directions[9], {190, 141, 14, 14}},
                                                      {w.Seq_Directions[7], {232, 141, 14, 14}}};
    for (int i = 0; i < 13; ++i) places.push_back({w.Seq_Keys[12 - i], {2, 19 + 12 * i, 38, 12}});
    for (int i = 0; i < 8; ++i) places.push_back({w.Seq_Clock[i], {44 + 12 * i, 5, 10, 10}});
    for (size_t n = 0; n < places.size(); ++n) {
        const auto& [c, at] = places[n];
        EXPECT_EQ(c->pos(), at.topLeft()) << n;
        if (at.width() > 0) EXPECT_EQ(c->width(), at.width()) << n;
        if (at.height() > 0) EXPECT_EQ(c->height(), at.height()) << n;
    }
    EXPECT_TRUE(Same(w.Seq_Start_Pic->Picture(), m.Start_Enabled));
    EXPECT_TRUE(Same(w.Seq_Stop->Picture(), m.Button_Up3D));
    EXPECT_TRUE(Same_Image(w.Seq_Pics[5]->Picture(), w.Seq_Pics[2]->Picture()));
}

TEST_F(SeqWindow, GridClicksWithEachButton) {
    Sequencer& w = Sequencer::get();
    ED_Seq_Pics_Off();
    Click_Cell(w, 40, Qt::LeftButton);
    EXPECT_EQ(Seq_Data[40], 127);
    EXPECT_TRUE(Cell_Shows(w, 40, 2));
    EXPECT_EQ(Seq_Saved, 0);
    EXPECT_TRUE(ED_Seq_Pics_Enabled);
    Click_Cell(w, 40, Qt::LeftButton);
    EXPECT_EQ(Seq_Data[40], 0);
    EXPECT_TRUE(Cell_Shows(w, 40, 0));
    Seq_Data[103] = 127;
    Click_Cell(w, 103, Qt::RightButton);
    EXPECT_EQ(Seq_Data[103], 63);
    EXPECT_TRUE(Cell_Shows(w, 103, 3));
    Click_Cell(w, 103, Qt::RightButton);
    EXPECT_EQ(Seq_Data[103], 0);
    // A file's odd byte: left clears 200, sets 100 to full; right sets soft.
    Seq_Data[0] = 200;
    Seq_Data[1] = 100;
    Click_Cell(w, 0, Qt::LeftButton);
    Click_Cell(w, 1, Qt::RightButton);
    EXPECT_EQ(Seq_Data[0], 0);
    EXPECT_EQ(Seq_Data[1], 63);
    // The middle button changes nothing but still marks the sequence unsaved.
    Seq_Data[50] = 63;
    Seq_Saved = 255;
    Click_Cell(w, 50, Qt::MiddleButton);
    EXPECT_EQ(Seq_Data[50], 63);
    EXPECT_EQ(Seq_Saved, 0);
    // With MIDI disabled the editor's buttons are not switched on.
    MIDI_Enabled = 0;
    ED_Seq_Pics_Off();
    Click_Cell(w, 2, Qt::LeftButton);
    EXPECT_FALSE(ED_Seq_Pics_Enabled);
    // Clicks beside the grid, its far corner included, change no cell and nothing else.
    const Seq_Grid before = Seq_Data;
    Seq_Saved = 255;
    w.Seq_Matrix_MouseDown(1, 0, 96, 5);
    w.Seq_Matrix_MouseDown(1, 0, 5, 156);
    w.Seq_Matrix_MouseDown(1, 0, 96, 156);
    w.Seq_Matrix_MouseDown(1, 0, -1, 5);
    EXPECT_EQ(Seq_Data, before);
    EXPECT_EQ(Seq_Saved, 255);
}

TEST_F(SeqWindow, KeysPlayTheirNoteAndSilenceOnTheRightButton) {
    Sequencer& w = Sequencer::get();
    midi.take_sent();
    const Quorlen& m = Quorlen::get();
    QTest::mousePress(w.Seq_Keys[7], Qt::LeftButton);
    EXPECT_TRUE(Same(w.Seq_Keys[7]->Picture(), m.Seq_Keys[2]));
    QTest::mouseRelease(w.Seq_Keys[7], Qt::LeftButton);
    EXPECT_TRUE(Same(w.Seq_Keys[7]->Picture(), m.Seq_Keys[0]));
    QTest::mousePress(w.Seq_Keys[6], Qt::RightButton);
    EXPECT_TRUE(Same(w.Seq_Keys[6]->Picture(), m.Seq_Keys[3]));
    QTest::mouseRelease(w.Seq_Keys[6], Qt::RightButton);
    EXPECT_TRUE(Same(w.Seq_Keys[6]->Picture(), m.Seq_Keys[1]));
    const std::vector<std::string> sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(Hex_Of(sent[0]), "90 37 7F"); // 48 + 7
    EXPECT_EQ(Hex_Of(sent[1]), "B0 7B 00");
    EXPECT_EQ(MIDI_Out_Port.Handle != -1, true);
    MIDI_Enabled = 0;
    QTest::mouseClick(w.Seq_Keys[0], Qt::LeftButton);
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(SeqWindow, LettersChooseTheTranspositionByShiftState) {
    Sequencer& w = Sequencer::get();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QString want;
    };
    const Case cases[] = {
        {Qt::Key_C, Qt::ShiftModifier, "C#"},
        {Qt::Key_C, Qt::AltModifier, "C+"},
        {Qt::Key_C, Qt::ControlModifier, "C+"}, // Ctrl+C does nothing
        {Qt::Key_C, Qt::ShiftModifier | Qt::AltModifier, "C+"},
        {Qt::Key_C, {}, "C"},
        {Qt::Key_D, {}, "D"},
        {Qt::Key_D, Qt::ShiftModifier, "D#"},
        {Qt::Key_D, Qt::ControlModifier, "D"},
        {Qt::Key_E, Qt::ShiftModifier, "E"},
        {Qt::Key_F, Qt::ShiftModifier, "F#"},
        {Qt::Key_F, Qt::AltModifier, "F"},
        {Qt::Key_G, Qt::ShiftModifier, "G#"},
        {Qt::Key_G, {}, "G"},
        {Qt::Key_A, Qt::ShiftModifier, "A#"},
        {Qt::Key_A, {}, "A"},
        {Qt::Key_B, Qt::ShiftModifier, "B"},
        {Qt::Key_C, {}, "C"},
        {Qt::Key_H, {}, "B"},
        {Qt::Key_I, {}, "B"},
        {Qt::Key_1, {}, "B"},
    };
    for (const Case& c : cases) {
        QTest::keyClick(&w, c.key, c.mods);
        EXPECT_EQ(w.Seq_Trans->currentText(), c.want) << c.key << " " << int(c.mods);
    }
    EXPECT_EQ(Seq_Base_Note, 48 + 11);
    // The letters act while a list has the focus too, and do not search it.
    QTest::keyClick(w.Seq_Range, Qt::Key_C, Qt::ShiftModifier);
    EXPECT_EQ(w.Seq_Trans->currentText(), "C#");
    EXPECT_EQ(w.Seq_Range->currentIndex(), 2);
    EXPECT_EQ(Seq_Base_Note, 49);
}

TEST_F(SeqWindow, RangeSilencesTheNotesAndTranspositionDoesNot) {
    Sequencer& w = Sequencer::get();
    midi.take_sent();
    w.Select_Trans(4);
    EXPECT_TRUE(midi.take_sent().empty());
    EXPECT_EQ(Seq_Base_Note, 52);
    w.Select_Range(4);
    EXPECT_EQ(Seq_Base_Note, 76);
    const std::vector<std::string> sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Hex_Of(sent[0]), "B0 7B 00");
}

TEST_F(SeqWindow, StartWithMidiDisabledOnlyPopsTheButtonBackUp) {
    MIDI_Enabled = 0;
    Sequencer& w = Sequencer::get();
    const Quorlen& m = Quorlen::get();
    EXPECT_TRUE(Same(w.Seq_Start_Pic->Picture(), m.Start_Disabled));
    EXPECT_TRUE(Same(w.Seq_Stop_Pic->Picture(), m.Stop_Disabled));
    QTest::mousePress(w.Seq_Start, Qt::LeftButton);
    EXPECT_TRUE(Same(w.Seq_Start->Picture(), m.Button_Dn3D));
    QTest::mouseRelease(w.Seq_Start, Qt::LeftButton);
    EXPECT_TRUE(Same(w.Seq_Start->Picture(), m.Button_Up3D));
    EXPECT_EQ(w.Seq_Start_Pic->pos(), QPoint(3, 3));
    EXPECT_FALSE(m.Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
}

TEST_F(SeqWindow, StartAndStopButtonsByMouse) {
    Sequencer& w = Sequencer::get();
    const Quorlen& m = Quorlen::get();
    QTest::mouseClick(w.Seq_Start, Qt::LeftButton);
    EXPECT_TRUE(m.Seq_Tmr->isActive());
    EXPECT_TRUE(Same(w.Seq_Start->Picture(), m.Button_Dn3D)); // stays pressed while playing
    QTest::mousePress(w.Seq_Stop, Qt::LeftButton);
    EXPECT_TRUE(Same(w.Seq_Stop->Picture(), m.Button_Dn3D));
    EXPECT_EQ(w.Seq_Stop_Pic->pos(), QPoint(4, 4));
    QTest::mouseRelease(w.Seq_Stop, Qt::LeftButton);
    EXPECT_TRUE(Same(w.Seq_Stop->Picture(), m.Button_Up3D));
    EXPECT_TRUE(Same(w.Seq_Start->Picture(), m.Button_Up3D));
    EXPECT_FALSE(m.Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
}

TEST_F(SeqWindow, DirectionButtonsByMouse) {
    Sequencer& w = Sequencer::get();
    QTest::mouseClick(w.Seq_Directions[1], Qt::LeftButton);
    EXPECT_EQ(Seq_Direction, 1);
    EXPECT_EQ(w.Seq_Directions[1]->Tag, "1");
    EXPECT_EQ(w.Seq_Directions[0]->Tag, "0");
    QTest::mouseClick(w.Seq_Directions[9], Qt::LeftButton);
    EXPECT_EQ(Seq_Direction, 0);
    EXPECT_TRUE(w.Direction_On(9));
    EXPECT_FALSE(w.Direction_On(1));
    EXPECT_TRUE(Same(w.Seq_Directions[9]->Picture(), Quorlen::get().LED[1]));
}

TEST_F(SeqWindow, NewWithEachAnswer) {
    Sequencer& w = Sequencer::get();
    auto edited = [] {
        Seq_Data.fill(0);
        Seq_Data[9] = 127;
        Seq_Saved = 0;
    };
    edited();
    boxes.answers = {Mb::Cancel};
    QTest::mouseClick(w.Seq_New, Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), QStringList{"Save actual SEQUENCE first?"});
    EXPECT_EQ(boxes.calls[0].style, Mb::YesNoCancel | Mb::Question);
    EXPECT_EQ(Seq_Data[9], 127);
    EXPECT_EQ(Seq_Saved, 0);
    EXPECT_TRUE(Same(w.Seq_New->Picture(), Quorlen::get().Seq_Keys[0]));
    EXPECT_EQ(w.Seq_New_Pic->pos(), QPoint(8, 3));

    // Yes, and the save did not happen: nothing is cleared.
    boxes.clear();
    boxes.answers = {Mb::Yes};
    QTest::mouseClick(w.Seq_New, Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), (QStringList{"Save actual SEQUENCE first?", "Sequence not saved."}));
    EXPECT_EQ(boxes.calls[1].style, Mb::OkOnly | Mb::Exclamation);
    EXPECT_EQ(Seq_Data[9], 127);

    boxes.clear();
    boxes.answers = {Mb::No};
    QTest::mouseClick(w.Seq_New, Qt::LeftButton);
    EXPECT_EQ(Seq_Data[9], 0);
    EXPECT_EQ(Seq_Saved, 255);

    // A saved sequence is cleared without a question, and playing stops.
    Seq_Data[9] = 127;
    w.Seq_Start_Click();
    boxes.clear();
    QTest::mouseClick(w.Seq_New, Qt::LeftButton);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Seq_Data[9], 0);
    EXPECT_FALSE(Quorlen::get().Seq_Tmr->isActive());
}

TEST_F(SeqWindow, ClosingStopsPlayingAndKeepsRangeAndPosition) {
    Quorlen& m = Quorlen::get();
    m.Menu_Windows_SavePos->setChecked(true);
    Sequencer& w = Sequencer::get();
    w.Select_Range(3);
    w.frame()->move(30, 40);
    w.Seq_Start_Click();
    midi.take_sent();
    w.frame()->close();
    EXPECT_EQ(Seq_Form_Open, 0);
    EXPECT_FALSE(Sequencer::loaded());
    EXPECT_FALSE(m.Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
    EXPECT_EQ(Seq_Range_Index, 3);
    EXPECT_EQ(Seq_Left, 450);
    EXPECT_EQ(Seq_Top, 600);
    const std::vector<std::string> sent = midi.take_sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(Hex_Of(sent.back()), "B0 7B 00");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // It opens again where it was, with the kept range.
    Sequencer& again = Sequencer::get();
    EXPECT_EQ(again.frame()->pos(), QPoint(30, 40));
    EXPECT_EQ(again.Seq_Range->currentIndex(), 3);

    // Its close box while a dialog is open unloads it just the same and
    // leaves the dialog's hold on the program alone.
    again.Seq_Start_Click();
    m.Menu_Help_About_Click();
    ASSERT_EQ(Dlg_Open, "Help");
    again.frame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Seq_Form_Open, 0);
    EXPECT_FALSE(Sequencer::loaded());
    EXPECT_FALSE(m.Seq_Tmr->isActive());
    EXPECT_EQ(Dlg_Open, "Help");
    EXPECT_FALSE(m.Menu_File->isEnabled());
    QTest::keyClick(&Help::get(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Dlg_Open.isEmpty());
    EXPECT_TRUE(m.Menu_File->isEnabled());
    EXPECT_FALSE(Sequencer::loaded()); // the dialog's end does not bring it back

    // The main window's closing unloads it too.
    Sequencer::get();
    Sequencer::Unload();
    EXPECT_EQ(Seq_Form_Open, 0);
}

// Closing a dialog leaves the sequencer (or the oscillator) in front of the
// editor in which the user worked before.
TEST_F(SeqWindow, DialogsLeaveTheSequencerOrOscillatorInFront) {
    Write("s.seq", Image(30, 48));
    Quorlen& m = Quorlen::get();
    m.show();
    auto open_seq = [] {
        Quorlen::get().Menu_File_Seq_Open_Click();
        return &File_Dlg::get();
    };
    const struct {
        const char* name;
        std::function<void()> run;
    } rows[] = {
        {"sequence Open, Enter",
         [&] {
             File_Dlg* d = open_seq();
             d->FD_FileName->setText("s.seq");
             QTest::keyClick(d->FD_FileName, Qt::Key_Return);
         }},
        {"sequence Open, double click",
         [&] {
             File_Dlg* d = open_seq();
             QListWidgetItem* item = d->FD_List_Files->findItems("s.seq", Qt::MatchExactly).at(0);
             d->FD_List_Files->setCurrentItem(item);
             emit d->FD_List_Files->itemPressed(item);
             emit d->FD_List_Files->itemDoubleClicked(item);
         }},
        {"sequence Open, OK",
         [&] {
             File_Dlg* d = open_seq();
             d->FD_FileName->setText("s.seq");
             QTest::mouseClick(d->FD_Button_Ok, Qt::LeftButton, {}, QPoint(5, 5));
         }},
        {"tone Open, Escape",
         [&] {
             m.Menu_File_SYX_Open_Click();
             QTest::keyClick(File_Dlg::get().FD_FileName, Qt::Key_Escape);
         }},
        {"sequence Save As, Cancel",
         [&] {
             Set_Dlg_Wait_Hook([] {
                 QTest::mouseClick(File_Dlg::get().FD_Button_Cancel, Qt::LeftButton, {},
                                   QPoint(5, 5));
             });
             m.Menu_File_Seq_SaveAs_Click();
             Set_Dlg_Wait_Hook({});
         }},
        {"MIDI setup",
         [&] {
             m.Menu_MIDI_Setup_Click();
             MIDI_Setup::get().close();
         }},
        {"help",
         [&] {
             m.Menu_Help_About_Click();
             QTest::keyClick(&Help::get(), Qt::Key_Escape);
         }},
    };
    auto settle = [] {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    };
    // With the oscillator open instead of the sequencer, and over the Alpha Juno editor, too.
    const std::pair<const char*, bool> modes[] = {
        {"JX-8P", false}, {"JX-8P", true}, {"Alpha Juno", false}, {"Alpha Juno", true}};
    for (const auto& [synth, osc] : modes)
        for (const auto& r : rows) {
            // The user worked in the editor, then opened the window from the menu.
            if (Sequencer::loaded()) Sequencer::get().frame()->close();
            if (Oscillator::loaded()) Oscillator::get().frame()->close();
            Synth_Type = synth;
            Set_Synth();
            settle();
            if (Synth_Type == "Alpha Juno")
                Editor_Juno::get().VCF_Freq->setFocus();
            else
                Editor::get().DCO1_Range->setFocus();
            if (osc)
                m.Menu_MIDI_Osc_Click();
            else
                m.Menu_MIDI_Seq_Click();
            settle();
            QMdiSubWindow* window = osc ? Oscillator::get().frame() : Sequencer::get().frame();
            r.run();
            settle();
            EXPECT_TRUE(Dlg_Open.isEmpty()) << r.name;
            QList<QMdiSubWindow*> shown;
            for (QMdiSubWindow* w : m.Mdi_Area()->subWindowList(QMdiArea::StackingOrder))
                if (w->isVisible()) shown << w;
            ASSERT_FALSE(shown.isEmpty());
            EXPECT_EQ(shown.last(), window) << r.name << (osc ? " (oscillator) " : " ") << synth;
        }
}
