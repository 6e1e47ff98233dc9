#include "seq_support.h"

namespace {
// Cell (step, row) of the test grid: every step its own pattern, so that the
// notes of a tick name the step that played.
int Cell(int step, int row) {
    return row == step ? 127 : row == 12 - step ? 63 : 0;
}
} // namespace

class SeqPlay : public SeqTest {
  protected:
    void SetUp() override {
        SeqTest::SetUp();
        for (int s = 0; s < 8; ++s)
            for (int r = 0; r < 13; ++r)
                Seq_Data[s * 13 + r] = static_cast<std::uint8_t>(Cell(s, r));
        win = &Sequencer::get();
        win->Select_Range(2); // base note 48
        midi.take_sent();
    }
    // One tick; returns the step it played, after checking its 13 notes and
    // that its light alone is lit.
    int Tick() {
        Seq_Tmr_Timer();
        const std::vector<std::string> sent = midi.take_sent();
        EXPECT_EQ(sent.size(), 13u);
        int step = -1;
        for (int s = 0; s < 8; ++s)
            if (Same(win->Seq_Clock[s]->Picture(), win->Seq_Pics[1]->Picture())) {
                EXPECT_EQ(step, -1) << "two lights on";
                step = s;
            }
        EXPECT_GE(step, 0) << "no light on";
        if (step < 0 || sent.size() != 13) return step;
        for (int k = 0; k < 13; ++k)
            EXPECT_EQ(Hex_Of(sent[k]),
                      Hex_Of(std::string{char(0x90), char(48 + 12 - k), char(Cell(step, k))}))
                << "step " << step << " row " << k;
        return step;
    }
    std::vector<int> Run(int ticks) {
        std::vector<int> steps;
        for (int i = 0; i < ticks; ++i) steps.push_back(Tick());
        return steps;
    }
    Sequencer* win = nullptr;
};

TEST_F(SeqPlay, IntervalIs7500OverTempoHalvesToEven) {
    const std::pair<int, int> cases[] = {{1, 7500}, {8, 938}, {24, 312}, {30, 250}, {40, 188},
                                         {60, 125}, {90, 83}, {120, 62}, {0, 7500}, {-5, 7500}};
    for (auto [bpm, ms] : cases) EXPECT_EQ(Seq_Interval(bpm), ms) << bpm;
    win->Seq_Tempo->setValue(120);
    EXPECT_EQ(win->Seq_Tempo_Label->text(), "120");
    EXPECT_EQ(Quorlen::get().Seq_Tmr->interval(), 62);
    EXPECT_EQ(Quorlen::get().Seq_Tmr->timerType(), Qt::PreciseTimer);
}

TEST_F(SeqPlay, ForwardPlaysZeroToSevenAndTurnsOffTheEarlierLight) {
    win->Seq_Light(5, true); // left from before
    Seq_Step_Prev = 5;
    win->Seq_Directions_Click(0);
    win->Seq_Start_Click();
    EXPECT_TRUE(Quorlen::get().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 255);
    midi.take_sent();
    EXPECT_EQ(Run(17), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7, 0}));
}

TEST_F(SeqPlay, BackwardPlaysSevenToZeroAndWraps) {
    win->Seq_Directions_Click(1);
    EXPECT_EQ(Seq_Direction, 1);
    win->Seq_Start_Click();
    EXPECT_EQ(Seq_Step, 7);
    midi.take_sent();
    EXPECT_EQ(Run(17), (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0, 7, 6, 5, 4, 3, 2, 1, 0, 7}));
}

TEST_F(SeqPlay, BackAndForthPlaysEachEndOncePerTurn) {
    win->Seq_Directions_Click(2);
    win->Seq_Start_Click();
    midi.take_sent();
    EXPECT_EQ(Run(30), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1, 0,
                                         1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1, 0, 1}));
}

TEST_F(SeqPlay, RandomStepNeverDrawsSevenAndDrawsTheDirectionEachTick) {
    win->Seq_Directions_Click(7);
    EXPECT_EQ(Seq_Direction, 0);
    win->Seq_Start_Click();
    midi.take_sent();
    // Per tick: a direction, then the next step (Int(7 r)).
    Script_Rnd({0.9, 0.0, 0.1, 0.99, 0.6, 0.5, 0.2, 0.3});
    // Backward first: step 0 plays and the next is drawn as 0; forward from
    // 0, then 6 is drawn; and so on.
    EXPECT_EQ(Run(8), (std::vector<int>{0, 0, 6, 3, 2, 0, 6, 3}));
    // With real draws: only step 0..6 after the first, whatever the direction.
    Seq_Rnd = saved_rnd;
    const std::vector<int> steps = Run(200);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), 7), 0);
    EXPECT_GT(std::set<int>(steps.begin(), steps.end()).size(), 5u);
}

TEST_F(SeqPlay, RandomDirectionDrawsBeforeEveryStep) {
    win->Seq_Directions_Click(8);
    win->Seq_Start_Click();
    midi.take_sent();
    // Forward twice, backward four times (through the wrap to 7), forward
    // three times (through the wrap to 0), then the script again.
    Script_Rnd({0.1, 0.2, 0.7, 0.8, 0.9, 0.6, 0.3, 0.0, 0.4});
    EXPECT_EQ(Run(18), (std::vector<int>{0, 1, 2, 1, 0, 7, 6, 7, 0, 1, 2, 3, 2, 1, 0, 0, 1, 2}));
}

TEST_F(SeqPlay, RandomAtTheEndsDrawsOnlyAtZeroAndSeven) {
    win->Seq_Directions_Click(9);
    win->Seq_Start_Click();
    midi.take_sent();
    // Draws when the step about to play is 0 (forward), 7 (backward), 0
    // (forward) and 7 (backward); each end sounds once per turn.
    Script_Rnd({0.2, 0.8, 0.3, 0.6});
    EXPECT_EQ(Run(24), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3,
                                         2, 1, 0, 1, 2, 3, 4, 5, 6, 7, 6, 5}));
}

TEST_F(SeqPlay, StopsLeaveNoLightOnAndEndPlaying) {
    win->Seq_Start_Click();
    Run(11);
    Seq_Play_Stop();
    for (int s = 0; s < 8; ++s)
        EXPECT_TRUE(Same(win->Seq_Clock[s]->Picture(), win->Seq_Pics[0]->Picture())) << s;
    EXPECT_FALSE(Quorlen::get().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
    EXPECT_EQ(Seq_Step, 0);
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);

    // The window's Stop: lights off, notes off, Start shown released.
    midi.take_sent();
    win->Seq_Start_MouseDown();
    EXPECT_TRUE(Same(win->Seq_Start->Picture(), Quorlen::get().Button_Dn3D));
    EXPECT_EQ(win->Seq_Start_Pic->pos(), QPoint(4, 4));
    win->Seq_Start_Click();
    Run(3);
    win->Seq_Stop_Click();
    EXPECT_FALSE(Quorlen::get().Seq_Tmr->isActive());
    EXPECT_EQ(Seq_Running, 0);
    for (int s = 0; s < 8; ++s)
        EXPECT_TRUE(Same(win->Seq_Clock[s]->Picture(), win->Seq_Pics[0]->Picture())) << s;
    EXPECT_TRUE(Same(win->Seq_Start->Picture(), Quorlen::get().Button_Up3D));
    EXPECT_EQ(win->Seq_Start_Pic->pos(), QPoint(3, 3));
    const std::vector<std::string> sent = midi.take_sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(Hex_Of(sent[0]), "B0 7B 00");
}

TEST_F(SeqPlay, PreviewStartUsesTheChannelAndLoadsTheWindowOnTheFirstTick) {
    Sequencer::Unload();
    ASSERT_EQ(Seq_Form_Open, 0);
    Seq_Direction = 1;
    MIDI_Channel = 3;
    Seq_Play_Start();
    EXPECT_EQ(Seq_Status, 0x92);
    EXPECT_EQ(Seq_Running, 255);
    EXPECT_TRUE(Quorlen::get().Seq_Tmr->isActive());
    midi.take_sent();
    Seq_Tmr_Timer();
    EXPECT_EQ(Seq_Form_Open, 255);
    EXPECT_EQ(Seq_Direction, 0); // the window's load chose forward
    std::vector<std::string> sent = midi.take_sent();
    ASSERT_GE(sent.size(), 13u);
    // The load's range list silenced the channel first, then step 0 played.
    EXPECT_EQ(Hex_Of(sent.back()), "92 30 3F");
    EXPECT_EQ(Hex_Of(sent[sent.size() - 13]), "92 3C 7F");
    Seq_Play_Stop();
}

TEST_F(SeqPlay, WithMidiDisabledTheLightsMoveButNothingIsSent) {
    win->Seq_Start_Click();
    MIDI_Enabled = 0;
    midi.take_sent();
    Seq_Tmr_Timer();
    Seq_Tmr_Timer();
    EXPECT_TRUE(midi.take_sent().empty());
    EXPECT_TRUE(Same(win->Seq_Clock[1]->Picture(), win->Seq_Pics[1]->Picture()));
    EXPECT_TRUE(Same(win->Seq_Clock[0]->Picture(), win->Seq_Pics[0]->Picture()));
}

TEST_F(SeqPlay, NotesStayWithinMidiWhateverTheFileHeld) {
    Seq_Data.fill(0);
    Seq_Data[0] = 200; // row 0: note base + 12, past the last note
    Seq_Data[11] = 200;
    Seq_Data[12] = 100;
    Seq_Base_Note = 120; // rows 0..4 would be notes 128..132
    win->Seq_Start_Click();
    midi.take_sent();
    Seq_Tmr_Timer();
    const std::vector<std::string> sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(Hex_Of(sent[0]), "90 7F 00");
    EXPECT_EQ(Hex_Of(sent[6]), "90 79 7F");
    EXPECT_EQ(Hex_Of(sent[7]), "90 78 64");
}

TEST_F(SeqPlay, ATickReopensAPortClosedUnderIt) {
    win->Seq_Start_Click();
    MIDI_Out_Close();
    midi.take_sent();
    Seq_Tmr_Timer();
    EXPECT_NE(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(midi.take_sent().size(), 13u);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(SeqPlay, TheMainWindowsTimerDrivesTheTick) {
    Quorlen::get().Seq_Tmr->setInterval(1);
    win->Seq_Start_Click();
    midi.take_sent();
    QTRY_VERIFY_WITH_TIMEOUT(!midi.sent().empty(), 2000);
    win->Seq_Stop_Click();
}
