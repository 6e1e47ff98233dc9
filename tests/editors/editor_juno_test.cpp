// The Alpha Juno editor through its widgets: keys, drags, readouts, repeat
// suppression, the envelope graph, the whole-tone redraw and synthesizer switching.
#include "editor_support.h"
#include "editors/editor_juno.h"
#include "midi/sysex.h"

class JunoTest : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        Synth_Type = "Alpha Juno";
        Set_Synth();
        Tone_New();
        QCoreApplication::processEvents();
        midi.take_sent();
    }
    static Editor_Juno& ej() { return Editor_Juno::get(); }
    static Pic_Control* jc(const char* name) {
        auto* c = ej().findChild<Pic_Control*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QString juno_name() { return ej().Tone_Name->text(); }
};

namespace {
// Each control's byte, its largest value and its cap Top at 0 and at that
// value, as the whole-tone redraw places them.
struct Cap {
    const char* name;
    int byte, max, at_0, at_max;
};
const Cap Caps[] = {
    {"DCO_EnvMode", 0, 3, 29, 59},        {"VCF_EnvMode", 1, 3, 164, 194},
    {"VCA_EnvMode", 2, 3, 164, 194},      {"DCO_Pulse", 3, 3, 59, 29},
    {"DCO_SawTooth", 4, 5, 79, 29},       {"DCO_Sub", 5, 5, 79, 29},
    {"DCO_Range", 6, 3, 29, 59},          {"DCO_SubLevel", 7, 3, 110, 80},
    {"DCO_NoiseLevel", 8, 3, 110, 80},    {"VCF_HPF", 9, 3, 246, 216},
    {"Chorus_OnOff", 10, 1, 382, 372},    {"DCO_LFO", 11, 127, 110, 30},
    {"DCO_Env", 12, 127, 110, 30},        {"DCO_After", 13, 127, 110, 30},
    {"DCO_PWM", 14, 127, 110, 30},        {"DCO_PWMRate", 15, 127, 110, 30},
    {"VCF_Freq", 16, 127, 246, 166},      {"VCF_Res", 17, 127, 246, 166},
    {"VCF_LFO", 18, 127, 246, 166},       {"VCF_ENV", 19, 127, 246, 166},
    {"VCF_Keyfollow", 20, 127, 246, 166}, {"VCF_After", 21, 127, 246, 166},
    {"VCA_Level", 22, 127, 246, 166},     {"VCA_After", 23, 127, 246, 166},
    {"LFO_Rate", 24, 127, 246, 166},      {"LFO_DelayTime", 25, 127, 246, 166},
    {"ENV_T1", 26, 127, 382, 302},        {"ENV_L1", 27, 127, 382, 302},
    {"ENV_T2", 28, 127, 382, 302},        {"ENV_L2", 29, 127, 382, 302},
    {"ENV_T3", 30, 127, 382, 302},        {"ENV_L3", 31, 127, 382, 302},
    {"ENV_T4", 32, 127, 382, 302},        {"ENV_Keyfollow", 33, 127, 382, 302},
    {"Chorus_Rate", 34, 127, 382, 302},   {"Bender_Range", 35, 12, 322, 298},
};
} // namespace

TEST_F(JunoTest, NewToneShowsTheJunoEditorWithItsCapsAtValueZero) {
    EXPECT_TRUE(ej().frame()->isVisible());
    EXPECT_FALSE(ed().frame()->isVisible());
    EXPECT_EQ(juno_name(), "NEW");
    EXPECT_EQ(Tone_Name_Text, "NEW");
    // Every fader at its base, the reversed levers at the top, the others at the bottom.
    ASSERT_EQ(std::size(Caps), 36u);
    for (const Cap& c : Caps) EXPECT_EQ(jc(c.name)->Top(), c.at_0) << c.name;
}

TEST_F(JunoTest, RedrawOfMaximaAndOfMidValuesAndOfBytesBeyondTheTravel) {
    Juno_Tone.fill(0);
    for (const Cap& c : Caps) Juno_Tone[c.byte] = static_cast<std::uint8_t>(c.max);
    Juno_Editor_Redraw();
    for (const Cap& c : Caps) EXPECT_EQ(jc(c.name)->Top(), c.at_max) << c.name;
    Juno_Tone[22] = 64; // (64 x 80) \ 127 = 40
    Juno_Tone[5] = 9;   // from a file: beyond the lever's travel, same formula
    EXPECT_EQ(Juno_Slider_Pos(22), 206);
    EXPECT_EQ(Juno_Switch_Pos(5), -11);
    EXPECT_EQ(Juno_Switch_Pos(40), 0);
    EXPECT_EQ(Juno_Switch_Pos(-1), 0);
    // Nothing is sent, shown as a readout or drawn by the redraw.
    EXPECT_TRUE(midi.take_sent().empty());
    EXPECT_FALSE(ej().PictureEnv->isVisible());
}

TEST_F(JunoTest, NameFromCodesIsUpperCaseAndTrimmed) {
    const int codes[10] = {62, 64, 39, 30, 52 + 7, 62, 63, 26, 62, 70};
    for (int i = 0; i < 10; ++i) Juno_Tone[36 + i] = static_cast<std::uint8_t>(codes[i]);
    Juno_Editor_Redraw();
    EXPECT_EQ(Tone_Name_Text, "NE7 -A");
    EXPECT_EQ(juno_name(), "NE7 -A");
}

TEST_F(JunoTest, ReversedLeversRunTheOtherWayHomeAndEndAndMaxima) {
    Pic_Control* range = jc("DCO_Range");
    focus(range);
    Juno_Tone[6] = 2;
    // Towards the top the value falls, and 0 stays 0; the keypad's plus points upwards too.
    for (auto [k, byte, top] : {std::tuple{Qt::Key_Up, 1, 39},
                                {Qt::Key_Home, 0, 29},
                                {Qt::Key_Up, 0, 29},
                                {Qt::Key_End, 3, 59},
                                {Qt::Key_Plus, 2, 49}}) {
        if (k == Qt::Key_Plus)
            pad(range, k);
        else
            key(range, k);
        EXPECT_EQ(Juno_Tone[6], byte) << k;
        EXPECT_EQ(range->Top(), top) << k;
    }

    Pic_Control* pulse = jc("DCO_Pulse");
    focus(pulse);
    Juno_Tone[3] = 2;
    key(pulse, Qt::Key_Up);
    EXPECT_EQ(Juno_Tone[3], 3);
    EXPECT_EQ(pulse->Top(), 29);
    key(pulse, Qt::Key_PageUp); // at the maximum
    EXPECT_EQ(Juno_Tone[3], 3);

    // Home gives each lever its maximum and End 0, the reversed ones the other way.
    for (const Cap& c : Caps) {
        if (c.max == 127) continue;
        Pic_Control* w = jc(c.name);
        const bool reversed = c.at_max > c.at_0;
        focus(w);
        key(w, Qt::Key_Home);
        EXPECT_EQ(Juno_Tone[c.byte], reversed ? 0 : c.max) << c.name;
        key(w, Qt::Key_End);
        EXPECT_EQ(Juno_Tone[c.byte], reversed ? c.max : 0) << c.name;
        // Keys place a lever by its travel: for two modes a pixel off the whole-tone redraw.
        const auto& s = ej().Spec_Of(w);
        EXPECT_EQ(w->Top(), reversed ? s.travel_top + 30 : s.travel_bottom) << c.name;
    }
    // Other keys change nothing and send nothing.
    midi.take_sent();
    key(range, Qt::Key_Left);
    key(range, Qt::Key_Plus);
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(JunoTest, LeverKeysShowTheRawValueAndBendRangeTwice) {
    Pic_Control* bend = jc("Bender_Range");
    focus(bend);
    Juno_Tone[35] = 11;
    key(bend, Qt::Key_Up);
    EXPECT_EQ(Juno_Tone[35], 12);
    EXPECT_EQ(bend->Top(), 298);
    EXPECT_EQ(juno_name(), " 12"); // the lever's own readout comes last
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{juno_msg(35, 12)});
    key(bend, Qt::Key_Up); // 12 again: the same message is not sent twice
    EXPECT_EQ(Juno_Tone[35], 12);
    EXPECT_EQ(juno_name(), " 12");
    EXPECT_TRUE(midi.take_sent().empty());
    EXPECT_TRUE(Quorlen::get().Timer_Display->isActive());

    Pic_Control* hpf = jc("VCF_HPF");
    focus(hpf);
    key(hpf, Qt::Key_Up);
    EXPECT_EQ(juno_name(), "1");
}

TEST_F(JunoTest, FaderKeysAtTheLimitShowAndSendOnlyAChange) {
    Pic_Control* freq = jc("VCF_Freq");
    focus(freq);
    Juno_Tone[16] = 120;
    // Up at 127 and Down at 0 show the value again but send nothing new.
    for (Key_Row r : {Key_Row{Qt::Key_PageUp, false, 127, "127"},
                      {Qt::Key_Up, false, 127, "127", false},
                      {Qt::Key_PageDown, false, 111, "111"},
                      {Qt::Key_End, false, 0, "0"},
                      {Qt::Key_Down, false, 0, "0", false},
                      {Qt::Key_Plus, true, 1, "1"},
                      {Qt::Key_Home, false, 127, "127"},
                      {Qt::Key_Minus, true, 126, "126"}}) {
        Quorlen::get().Timer_Display->stop();
        key(freq, r);
        EXPECT_EQ(Juno_Tone[16], r.byte) << r.key;
        EXPECT_EQ(juno_name(), r.shown) << r.key;
        EXPECT_TRUE(Quorlen::get().Timer_Display->isActive()) << r.key;
        EXPECT_EQ(freq->Top(), 246 - r.byte * 80 / 127) << r.key;
        const auto sent = r.sent ? std::vector{juno_msg(16, r.byte)} : std::vector<std::string>{};
        EXPECT_EQ(midi.take_sent(), sent) << r.key;
    }
    EXPECT_FALSE(Tone_Saved);

    // The example of the message layout: byte 16 at 100 on channel 1.
    ej().Tone_Param_Set(16, 100);
    EXPECT_EQ(Hex_Of(midi.take_sent().at(0)), "F0 41 36 00 23 20 01 10 64 F7");
}

TEST_F(JunoTest, RepeatSuppressionReachesAcrossEveryBuilderOfMessages) {
    // Another builder sent this very text last: it is not sent again.
    SysEx_Text = Param_Msg_Text(Hdr_Tone_IPR, 17, 40);
    ej().Tone_Param_Set(17, 40);
    EXPECT_TRUE(midi.take_sent().empty());
    // A different message in between lets it go out again.
    SysEx_Text = "F0 41 36 0 21 20 01 B 21 F7";
    ej().Tone_Param_Set(17, 40);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{juno_msg(17, 40)});
    // The JX-8P editor sends every time, whatever was sent before.
    Synth_Type = "JX-8P";
    Set_Synth();
    ed().Tone_Param_Set(34, 5);
    ed().Tone_Param_Set(34, 5);
    EXPECT_EQ(midi.take_sent().size(), 2u);

    // A whole new tone reached the instrument: the same single message is needed again.
    Synth_Type = "Alpha Juno";
    Set_Synth();
    ej().Tone_Param_Set(17, 40);
    midi.take_sent();
    Juno_Editor_Redraw();
    ej().Tone_Param_Set(17, 40);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{juno_msg(17, 40)});

    // Auto-send off: stored, nothing sent.
    AutoSend_On = 0;
    ej().Tone_Param_Set(17, 41);
    EXPECT_EQ(Juno_Tone[17], 41);
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(JunoTest, FaderDragRoundsHalvesToEvenAndClamps) {
    Pic_Control* res = jc("VCF_Res");
    focus(res);
    press(res);
    Juno_Tone[17] = 50;
    drag_to(res, 4, 2.5); // 47.5 goes to 48
    EXPECT_EQ(Juno_Tone[17], 48);
    drag_to(res, 4, 3.5); // 44.5 goes to 44
    EXPECT_EQ(Juno_Tone[17], 44);
    EXPECT_EQ(res->Top(), 246 - (44 * 80) / 127);
    drag_to(res, 4, -500);
    EXPECT_EQ(Juno_Tone[17], 127);
    drag_to(res, 4, 500);
    EXPECT_EQ(Juno_Tone[17], 0);
    EXPECT_EQ(juno_name(), "0");
    release(res);
    // A move without a button changes nothing; a press alone sends nothing.
    midi.take_sent();
    QTest::mouseMove(res, QPoint(4, 12));
    press(res);
    release(res);
    EXPECT_EQ(Juno_Tone[17], 0);
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(JunoTest, LeverDragStepsTwentyPixelsAndSendsOnlyStepsOfOne) {
    Pic_Control* saw = jc("DCO_SawTooth");
    focus(saw);
    ej().Form_Activate(); // Last_Param = Last_Value = 0
    press(saw);
    // One step a 20 pixels, halves to even; only a step of exactly one on the
    // same lever is sent. Y, the byte it leaves, and whether it went out.
    struct Row {
        double y;
        int byte;
        bool sent;
    };
    for (Row r : {Row{-20, 1, false}, // the last drag was on another lever
                  {-20, 2, true},
                  {-40, 4, false}, // two steps in one move: stored and shown only
                  {-20, 5, true},
                  {-100, 5, false}, // the maximum holds
                  {9, 5, false},    // under half a step
                  {10, 4, true},    // 4.5 goes to 4: one step down
                  {40, 2, false},
                  {9, 2, false}, // no step: not sent, although that message would be new
                  {-30, 4, false},
                  {20, 3, true}}) {
        drag_to(saw, 4, r.y);
        EXPECT_EQ(Juno_Tone[4], r.byte) << r.y;
        EXPECT_EQ(saw->Top(), 79 - 10 * r.byte) << r.y;
        EXPECT_EQ(midi.take_sent(),
                  r.sent ? std::vector{juno_msg(4, r.byte)} : std::vector<std::string>{})
            << r.y;
        EXPECT_FALSE(Tone_Saved);
    }
    release(saw);

    // A reversed lever counts up as the pointer goes down; right after
    // activation DCO_EnvMode (byte 0) sends its first step to 1.
    Pic_Control* env = jc("DCO_EnvMode");
    focus(env);
    ej().Form_Activate();
    midi.take_sent();
    press(env);
    drag_to(env, 4, 20);
    EXPECT_EQ(Juno_Tone[0], 1);
    EXPECT_EQ(env->Top(), 39);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{juno_msg(0, 1)});
    release(env);
    // A lever drag shows no readout.
    EXPECT_EQ(juno_name(), "NEW");
}

TEST_F(JunoTest, EnvelopeGraphFollowsTimesAndLevelsAndHidesWithTheReadout) {
    auto* env = ej().PictureEnv;
    EXPECT_FALSE(env->isVisible());
    Pic_Control* l1 = jc("ENV_L1");
    focus(l1);
    key(l1, Qt::Key_Up);
    EXPECT_EQ(Juno_Tone[27], 1);
    EXPECT_EQ(Juno_Tone[26], 0);
    EXPECT_TRUE(env->isVisible());
    // All zero but L1 = 1: a flat line from (5, 130) to (55, 130) after the first rise.
    EXPECT_EQ(env->LineEnv[0], QLineF(5, 130, 5, 129));
    EXPECT_EQ(env->LineEnv[3], QLineF(5, 130, 55, 130));
    Quorlen::get().Timer_Display_Timer();
    EXPECT_FALSE(env->isVisible());
    EXPECT_EQ(juno_name(), "NEW");

    const int t[4] = {21, 40, 7, 127}, l[3] = {127, 64, 33};
    for (int k = 0; k < 4; ++k) Juno_Tone[26 + 2 * k] = static_cast<std::uint8_t>(t[k]);
    for (int k = 0; k < 3; ++k) Juno_Tone[27 + 2 * k] = static_cast<std::uint8_t>(l[k]);
    Pic_Control* keyf = jc("ENV_Keyfollow");
    focus(keyf);
    key(keyf, Qt::Key_Up); // also draws the graph, which does not depend on it
    const QPointF p[6] = {{5, 130}, {15.5, 3}, {35.5, 66}, {39, 97}, {89, 97}, {152.5, 130}};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(env->LineEnv[k], QLineF(p[k], p[k + 1])) << k;

    // While a tone loads: stored and sent, no readout, no graph.
    Quorlen::get().Timer_Display_Timer();
    midi.take_sent();
    Tone_Loading = 255;
    ej().Tone_Param_Set(26, 3);
    Tone_Loading = 0;
    EXPECT_FALSE(env->isVisible());
    EXPECT_EQ(juno_name(), "NEW");
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{juno_msg(26, 3)});
}

TEST_F(JunoTest, FocusHighlightBlinksAndIsRestoredOnEveryControl) {
    Pic_Control* bend = jc("Bender_Range");
    focus(bend);
    EXPECT_EQ(Focus_Control.data(), bend);
    Blink_Phase = 0;
    ed().Timer1_Timer();
    EXPECT_EQ(bend->Picture().cacheKey(), Quorlen::get().Buttons[1].cacheKey());
    Pic_Control* t1 = jc("ENV_T1");
    focus(t1);
    EXPECT_EQ(bend->Picture().cacheKey(), Quorlen::get().Buttons[0].cacheKey());
    Blink_Phase = 0;
    ed().Timer1_Timer();
    EXPECT_EQ(t1->Picture().cacheKey(), Quorlen::get().Buttons[7].cacheKey());
}

TEST_F(JunoTest, SwitchingSynthesizersShowsTheMatchingEditorAndKeepsBothTones) {
    Juno_Tone[16] = 77;
    Juno_Editor_Redraw();
    Synth_Type = "JX-8P";
    Set_Synth();
    EXPECT_TRUE(ed().frame()->isVisible());
    EXPECT_FALSE(ej().frame()->isVisible());
    Tone_Data[34] = 99;
    Synth_Type = "Alpha Juno";
    Set_Synth();
    EXPECT_TRUE(ej().frame()->isVisible());
    EXPECT_FALSE(ed().frame()->isVisible());
    EXPECT_FALSE(Quorlen::get().Menu_Tone_Patch->isEnabled());
    EXPECT_EQ(Juno_Tone[16], 77);
    EXPECT_EQ(Tone_Data[34], 99);
    EXPECT_EQ(jc("VCF_Freq")->Top(), Juno_Slider_Pos(16));
}

TEST_F(JunoTest, NameBoxOpensTheNameWindowOnlyWithoutADialog) {
    // The box is read-only: clicks and keys never change the text.
    QTest::mouseClick(ej().Tone_Name, Qt::LeftButton);
    QTest::keyClick(ej().Tone_Name, Qt::Key_A);
    EXPECT_EQ(juno_name(), "NEW");
    EXPECT_EQ(ej().Tone_Name->font().family(), Editor::get().Tone_Name->font().family());
}
