// Random tones: value ranges of each synthesizer, the name, undo and sending.
#include "editor_support.h"
#include "editors/random_tone.h"
#include "midi/sysex.h"
#include <QAction>
#include <set>

class RandomToneTest : public EditorTest {
  protected:
    void TearDown() override { Random_Tone_Rnd = saved_; }
    // Every draw answers r.
    void Script(double r) {
        Random_Tone_Rnd = [r] { return r; };
    }
    std::function<double()> saved_ = Random_Tone_Rnd;
};

namespace {
const std::array<int, 10> random_codes{43, 26, 39, 29, 40, 38, 62, 62, 62, 62};

void expect_random_name() {
    EXPECT_EQ(Tone_Name_Text, "RANDOM");
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(Tone_Data[i], "RANDOM     "[i]) << i;
}

int juno_top(int byte) {
    if (byte == 4 || byte == 5) return 5;
    if (byte == 10) return 1;
    if (byte == 35) return 11;
    return byte < 10 ? 3 : 126;
}
} // namespace

TEST_F(RandomToneTest, JX8PAndMKS70BytesStayBelow127AndThePatchIsReset) {
    for (const char* synth : {"JX-8P", "MKS-70"}) {
        Synth_Type = synth;
        Set_Synth();
        std::array<std::set<int>, 59> seen;
        for (int n = 0; n < 300; ++n) {
            Patch_Data.fill(33);
            Tone_Random();
            for (int b = 11; b <= 58; ++b) {
                ASSERT_LE(Tone_Data[b], 126) << synth << " byte " << b;
                seen[b].insert(Tone_Data[b]);
            }
            expect_random_name();
            for (int i = 0; i < 9; ++i) ASSERT_EQ(Patch_Data[i], i == 6 ? 64 : 0) << i;
        }
        // Drawn anew for every byte, not one value for the whole tone.
        for (int b = 11; b <= 58; ++b) EXPECT_GT(seen[b].size(), 50u) << b;
    }
}

TEST_F(RandomToneTest, TheEndsOfTheRangeAreReached) {
    Script(0.0);
    Tone_Random();
    for (int b = 11; b <= 58; ++b) EXPECT_EQ(Tone_Data[b], 0) << b;
    Script(0.999999);
    Tone_Random();
    for (int b = 11; b <= 58; ++b) EXPECT_EQ(Tone_Data[b], 126) << b;
    EXPECT_EQ(Tone_Data[10], 32);

    Synth_Type = "Alpha Juno";
    Set_Synth();
    Tone_Random();
    for (int b = 0; b <= 35; ++b) EXPECT_EQ(Juno_Tone[b], juno_top(b)) << b;
    Script(1.0); // a generator at its very end still stays inside
    Tone_Random();
    for (int b = 0; b <= 35; ++b) EXPECT_EQ(Juno_Tone[b], juno_top(b)) << b;
}

TEST_F(RandomToneTest, AlphaJunoValuesKeepTheirRangesAndTheNameCodes) {
    Synth_Type = "Alpha Juno";
    Set_Synth();
    Juno_Tone[46] = 7;
    Juno_Tone[48] = 9;
    int chorus_on = 0;
    for (int n = 0; n < 600; ++n) {
        Tone_Random();
        for (int b = 0; b <= 35; ++b) ASSERT_LE(Juno_Tone[b], juno_top(b)) << b;
        for (int i = 0; i < 10; ++i) ASSERT_EQ(Juno_Tone[36 + i], random_codes[i]) << i;
        chorus_on += Juno_Tone[10];
    }
    EXPECT_EQ(Juno_Tone[46], 7);
    EXPECT_EQ(Juno_Tone[48], 9);
    expect_random_name(); // the JX-8P record is renamed too
    // Chorus on with probability 1/3.
    EXPECT_GT(chorus_on, 120);
    EXPECT_LT(chorus_on, 280);
}

TEST_F(RandomToneTest, TwoCommandsAtOnceGiveDifferentTones) {
    Tone_Random();
    const JX8P_Tone_Params first = Tone_Data;
    Tone_Random();
    EXPECT_NE(first, Tone_Data);
}

TEST_F(RandomToneTest, UndoCopyOnlyOfAnUnsavedToneYetUndoIsEnabledEitherWay) {
    QAction* undo = Quorlen::get().Menu_Edit_Undo;
    EXPECT_FALSE(undo->isEnabled());
    Undo_Tone.fill(5);
    Tone_Saved = true; // as after File > Tone > New
    Tone_Random();
    EXPECT_EQ(Undo_Tone[20], 5);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(Tone_Saved);

    // Unsaved now: the random tone itself is kept for undo.
    const JX8P_Tone_Params before = Tone_Data;
    Patch_Data[2] = 77;
    const JX8P_Patch_Params patch_before = Patch_Data;
    Tone_Random();
    EXPECT_EQ(Undo_Tone, before);
    EXPECT_EQ(Undo_Patch, patch_before);
    midi.take_sent();
    Quorlen::get().Menu_Edit_Undo->trigger();
    EXPECT_EQ(Tone_Data, before);
    EXPECT_EQ(Patch_Data, patch_before);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(midi.take_sent().size(), 1u);
}

TEST_F(RandomToneTest, SentWhateverAutoSendSaysButNotWithoutMidi) {
    AutoSend_On = 0;
    midi.take_sent();
    Tone_Random();
    auto sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].size(), 89u);
    EXPECT_EQ(sent[0].substr(7, 10), "RANDOM    ");

    MIDI_Enabled = 0;
    Tone_Random();
    EXPECT_TRUE(midi.take_sent().empty());
    expect_random_name();
}

TEST_F(RandomToneTest, TheJX8PNameBoxShowsTheOldNameUntilTheDisplayTimerTicks) {
    for (int i = 0; i < 10; ++i) Tone_Data[i] = "PIANO     "[i];
    Editor_Redraw();
    Quorlen::get().Menu_Tone_Random->trigger();
    EXPECT_EQ(name_text(), "PIANO");
    EXPECT_EQ(Tone_Name_Text, "RANDOM");
    Quorlen::get().Timer_Display_Timer();
    EXPECT_EQ(name_text(), "RANDOM");
    // The panel shows the new values.
    EXPECT_EQ(ed().VCF_CutoffF->Top(), Slider_Pos(34));
}
