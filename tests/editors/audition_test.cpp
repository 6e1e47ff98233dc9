// The audition key and the editor's sequencer start and stop buttons.
#include "editor_support.h"
#include "editors/audition.h"
#include "editors/editor_juno.h"
#include "midi/sysex.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"

namespace {
std::string note(int status, int n, int v) {
    return std::string{static_cast<char>(status), static_cast<char>(n), static_cast<char>(v)};
}
bool shows(const Pic_Control* c, const QPixmap& pm) {
    return c->Picture().cacheKey() == pm.cacheKey();
}
} // namespace

class AuditionTest : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        // The fake keeps the port of the start-up's tone send open; the key opens it itself.
        MIDI_Out_Close_All();
        midi.take_sent();
    }
    static Quorlen& main() { return Quorlen::get(); }
    static void click(QWidget* w, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(w, b, {}, QPoint(5, 5));
    }
};

TEST_F(AuditionTest, EmptyFirstStepPlaysTheChordAndTheKeyStaysDownUntilARightRelease) {
    QTest::mousePress(ed().Keys_Pic, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(midi.count(FakeMidiHost::Event::Open), 1);
    EXPECT_EQ(midi.take_sent(), (std::vector<std::string>{note(0x90, 60, 90), note(0x90, 64, 90),
                                                          note(0x90, 67, 90), note(0x90, 72, 90)}));
    EXPECT_TRUE(shows(ed().Keys_Pic, main().Buttons[10]));
    QTest::mouseRelease(ed().Keys_Pic, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shows(ed().Keys_Pic, main().Buttons[10]));
    EXPECT_TRUE(midi.take_sent().empty());

    QTest::mousePress(ed().Keys_Pic, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{Bytes("B0 7B 00")});
    EXPECT_TRUE(shows(ed().Keys_Pic, main().Buttons[10]));
    QTest::mouseRelease(ed().Keys_Pic, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shows(ed().Keys_Pic, main().Buttons[9]));
}

TEST_F(AuditionTest, FilledFirstStepSendsItsThirteenNotesWithTheSequencersStatus) {
    Seq_Base_Note = 48;
    Seq_Data[12] = 127; // row 12: the base note
    Seq_Data[0] = 63;   // row 0: an octave up
    Seq_Data[13] = 127; // step 1 is not played
    Seq_Status = 0x92;
    click(ed().Keys_Pic);
    const auto sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 13u);
    for (int k = 0; k <= 12; ++k)
        EXPECT_EQ(sent[k], note(0x92, 60 - k, k == 0 ? 63 : k == 12 ? 127 : 0)) << k;
}

TEST_F(AuditionTest, StepNotesAndVelocitiesNeverPutAStatusByteOnTheWire) {
    Seq_Base_Note = 120; // rows 0..4 would be notes 132..128
    Seq_Data[12] = 200;  // a file may hold any byte
    click(ed().Keys_Pic);
    const auto sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent.front(), note(0x90, 127, 0));
    EXPECT_EQ(sent.back(), note(0x90, 120, 127));
}

TEST_F(AuditionTest, WithMidiDisabledTheLeftButtonDoesNothingAndTheRightStillCallsNotesOff) {
    MIDI_Enabled = 0;
    click(ed().Keys_Pic);
    EXPECT_TRUE(shows(ed().Keys_Pic, main().Buttons[9]));
    EXPECT_EQ(midi.count(FakeMidiHost::Event::Open), 0);
    // The right button reaches the all-notes-off routine, which sends only with MIDI on.
    SysEx_Str.clear();
    click(ed().Keys_Pic, Qt::RightButton);
    EXPECT_EQ(SysEx_Str, Bytes("B0 7B 00"));
    EXPECT_TRUE(midi.take_sent().empty());
    click(ed().Keys_Pic, Qt::MiddleButton);
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(AuditionTest, AKeyWhosePortWillNotOpenSendsNothingMore) {
    Seq_Data[5] = 127;
    midi.results[FakeMidiHost::Event::Open] = {4}; // the device is busy
    boxes.answers = {Mb::Ok};
    click(ed().Keys_Pic);
    EXPECT_EQ(boxes.calls.size(), 1u); // only the open's own box
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(AuditionTest, StartDoesNothingForANewSequenceAndPopsBackUp) {
    ASSERT_EQ(Seq_Loaded, 0);
    ASSERT_EQ(Seq_Saved, 255);
    QTest::mousePress(ed().ED_Seq_Start, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shows(ed().ED_Seq_Start, main().Button_Dn3D));
    EXPECT_EQ(ed().ED_Seq_Start_Pic->pos(), QPoint(4, 4));
    QTest::mouseRelease(ed().ED_Seq_Start, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shows(ed().ED_Seq_Start, main().Button_Up3D));
    EXPECT_EQ(ed().ED_Seq_Start_Pic->pos(), QPoint(3, 3));
    EXPECT_FALSE(main().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
}

TEST_F(AuditionTest, StartPlaysAnEditedSequenceFromStepZeroAndStaysDown) {
    Seq_Saved = 0;
    MIDI_Channel = 3;
    Seq_Step = 5;
    click(ed().ED_Seq_Start);
    EXPECT_TRUE(main().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 255);
    EXPECT_EQ(Seq_Step, 0);
    EXPECT_EQ(Seq_Status, 0x92);
    EXPECT_EQ(midi.count(FakeMidiHost::Event::Open), 1);
    EXPECT_TRUE(shows(ed().ED_Seq_Start, main().Button_Dn3D));

    // A loaded sequence plays too, even when unchanged.
    main().Seq_Tmr->stop();
    Seq_Saved = 255;
    Seq_Loaded = 255;
    click(ed().ED_Seq_Start);
    EXPECT_TRUE(main().Seq_Tmr->isActive());

    // With MIDI off the timer still runs; its ticks send nothing.
    main().Seq_Tmr->stop();
    MIDI_Enabled = 0;
    click(ed().ED_Seq_Start);
    EXPECT_TRUE(main().Seq_Tmr->isActive());
    main().Seq_Tmr->stop();
}

TEST_F(AuditionTest, StopSilencesClosesAndReleasesEverything) {
    Seq_Saved = 0;
    click(ed().ED_Seq_Start);
    click(ed().Keys_Pic);
    Sequencer::get();
    ASSERT_EQ(Seq_Form_Open, 255);
    Sequencer::get().Seq_Light(3, true);
    Sequencer::get().Start_Pressed();
    midi.take_sent();

    QTest::mousePress(ed().ED_Seq_Stop, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shows(ed().Keys_Pic, main().Buttons[9]));
    EXPECT_TRUE(shows(ed().ED_Seq_Stop, main().Button_Dn3D));
    EXPECT_EQ(ed().ED_Seq_Stop_Pic->pos(), QPoint(4, 4));
    QTest::mouseRelease(ed().ED_Seq_Stop, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shows(ed().ED_Seq_Stop, main().Button_Up3D));
    EXPECT_TRUE(shows(ed().ED_Seq_Start, main().Button_Up3D));
    EXPECT_EQ(ed().ED_Seq_Start_Pic->pos(), QPoint(3, 3));
    EXPECT_EQ(Sequencer::get().Seq_Start_Pic->pos(), QPoint(3, 3));
    EXPECT_FALSE(main().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
    EXPECT_EQ(Seq_Step, 0);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    const auto& light = Sequencer::get().Seq_Pics[0]->Picture();
    EXPECT_EQ(Sequencer::get().Seq_Clock[3]->Picture().cacheKey(), light.cacheKey());
    const auto sent = midi.take_sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), Bytes("B0 7B 00"));

    // Nothing playing: it still silences the instrument and closes the port.
    MIDI_Out_Open();
    click(ed().ED_Seq_Stop);
    EXPECT_EQ(midi.take_sent().front(), Bytes("B0 7B 00"));
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
}

TEST_F(AuditionTest, StopInReceiveModeLeavesTheSequenceRunning) {
    Seq_Saved = 0;
    click(ed().ED_Seq_Start);
    MIDI_Receiving = 1;
    click(ed().ED_Seq_Stop);
    EXPECT_TRUE(main().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 255);
    EXPECT_NE(MIDI_Out_Port.Handle, -1);
    MIDI_Receiving = 0;
    main().Seq_Tmr->stop();
}

TEST_F(AuditionTest, CaptionsFollowTheSequenceLooksAndTheWindowsButtons) {
    ED_Seq_Pics_On();
    EXPECT_TRUE(shows(ed().ED_Seq_Start_Pic, main().Start_Enabled));
    EXPECT_TRUE(shows(ed().ED_Seq_Stop_Pic, main().Stop_Enabled));
    ED_Seq_Pics_Off();
    EXPECT_TRUE(shows(ed().ED_Seq_Start_Pic, main().Start_Disabled));
    EXPECT_TRUE(shows(ed().ED_Seq_Stop_Pic, main().Stop_Disabled));

    // The sequencer window's start presses the editor's start; its stop
    // acts through the editor's stop and shows it released.
    Sequencer& w = Sequencer::get();
    w.Seq_Start_MouseDown();
    EXPECT_TRUE(shows(ed().ED_Seq_Start, main().Button_Dn3D));
    click(ed().Keys_Pic);
    w.Seq_Stop_Click();
    EXPECT_TRUE(shows(ed().ED_Seq_Start, main().Button_Up3D));
    EXPECT_TRUE(shows(ed().Keys_Pic, main().Buttons[9]));
}

TEST_F(AuditionTest, TheAlphaJunoKeyAndButtonsBehaveAsTheJx8pOnes) {
    Editor_Juno& juno = Editor_Juno::get();
    QTest::mousePress(juno.Keys_Pic, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(midi.take_sent(), (std::vector<std::string>{note(0x90, 60, 90), note(0x90, 64, 90),
                                                          note(0x90, 67, 90), note(0x90, 72, 90)}));
    EXPECT_TRUE(shows(juno.Keys_Pic, main().Buttons[10]));
    QTest::mousePress(juno.Keys_Pic, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{Bytes("B0 7B 00")});
    QTest::mouseRelease(juno.Keys_Pic, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(shows(juno.Keys_Pic, main().Buttons[9]));
}
