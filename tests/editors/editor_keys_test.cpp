// Keys, mouse and drags on the JX-8P editor's controls, through the widgets.
#include "editor_support.h"
#include "midi/sysex.h"

TEST_F(EditorTest, FaderKeysStepClampShowAndSendEveryPress) {
    Pic_Control* cut = ctl("VCF_CutoffF");
    focus(cut);
    Tone_Data[34] = 120;
    // At a limit the same value goes out again: Up at 127, Down at 0.
    for (Key_Row r : {Key_Row{Qt::Key_PageUp, false, 127, "99"},
                      {Qt::Key_Up, false, 127, "99"},
                      {Qt::Key_PageDown, false, 111, "86"},
                      {Qt::Key_End, false, 0, "0"},
                      {Qt::Key_Down, false, 0, "0"},
                      {Qt::Key_Plus, true, 1, "0"},
                      {Qt::Key_Home, false, 127, "99"},
                      {Qt::Key_Minus, true, 126, "98"}}) {
        key(cut, r);
        EXPECT_EQ(Tone_Data[34], r.byte) << r.key;
        EXPECT_EQ(name_text(), r.shown) << r.key;
        EXPECT_EQ(cut->Top(), 112 - r.byte * 80 / 127) << r.key;
        EXPECT_EQ(midi.take_sent(), std::vector{param_msg(34, r.byte)}) << r.key;
    }

    // The main keyboard's + and - and other keys set nothing and send nothing.
    key(cut, Qt::Key_Plus);
    key(cut, Qt::Key_Minus);
    key(cut, Qt::Key_0);
    key(cut, Qt::Key_Left);
    EXPECT_EQ(Tone_Data[34], 126);
    EXPECT_TRUE(midi.take_sent().empty());
    EXPECT_FALSE(Tone_Saved);
}

TEST_F(EditorTest, FaderReadoutScaleAndReturnOfTheName) {
    Pic_Control* cut = ctl("VCF_CutoffF");
    focus(cut);
    Tone_Name_Text = "STRINGS";
    for (auto [byte, shown] : {std::pair{127, "99"}, {64, "49"}, {1, "0"}}) {
        ed().Tone_Param_Set(34, byte);
        EXPECT_EQ(name_text(), shown);
    }
    EXPECT_TRUE(Quorlen::get().Timer_Display->isActive());
    Quorlen::get().Timer_Display_Timer();
    EXPECT_EQ(name_text(), "STRINGS");
    EXPECT_FALSE(Quorlen::get().Timer_Display->isActive());

    // A lever shows nothing but keeps the readout two more seconds.
    ed().Tone_Param_Set(34, 127);
    Quorlen::get().Timer_Display->stop();
    Pic_Control* range = ctl("DCO1_Range");
    focus(range);
    key(range, Qt::Key_Up);
    EXPECT_EQ(name_text(), "99");
    EXPECT_TRUE(Quorlen::get().Timer_Display->isActive());

    // While a tone loads nothing is shown and the timer is left alone, but it is sent.
    Quorlen::get().Timer_Display_Timer();
    midi.take_sent();
    Tone_Loading = 255;
    ed().Tone_Param_Set(34, 5);
    Tone_Loading = 0;
    EXPECT_EQ(name_text(), "STRINGS");
    EXPECT_FALSE(Quorlen::get().Timer_Display->isActive());
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{param_msg(34, 5)});
}

TEST_F(EditorTest, LeverKeysStepByQuartersAndThreeWayLeversStopAt64) {
    Pic_Control* range = ctl("DCO1_Range");
    focus(range);
    Tone_Data[11] = 0;
    std::vector<int> seen, tops;
    for (int i = 0; i < 5; ++i) {
        key(range, Qt::Key_Up);
        seen.push_back(Tone_Data[11]);
        tops.push_back(range->Top());
    }
    EXPECT_EQ(seen, (std::vector<int>{32, 64, 96, 127, 127}));
    EXPECT_EQ(tops, (std::vector<int>{52, 42, 32, 32, 32}));
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        key(range, Qt::Key_PageDown);
        seen.push_back(Tone_Data[11]);
    }
    EXPECT_EQ(seen, (std::vector<int>{95, 63, 31, 0}));
    EXPECT_EQ(range->Top(), 62);
    EXPECT_EQ(midi.take_sent().size(), 9u);
    key(range, Qt::Key_Left); // not a lever key
    EXPECT_TRUE(midi.take_sent().empty());

    // Byte 11 from 1: parameter "B", value "21".
    Tone_Data[11] = 1;
    pad(range, Qt::Key_Plus);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{Bytes("F0 41 36 00 21 20 01 0B 21 F7")});
    EXPECT_EQ(SysEx_Text, "F0 41 36 0 21 20 01 B 21 F7");

    Pic_Control* chorus = ctl("Chorus_Mode");
    focus(chorus);
    Tone_Data[43] = 0;
    seen.clear();
    for (int i = 0; i < 3; ++i) {
        key(chorus, Qt::Key_Up);
        seen.push_back(Tone_Data[43]);
    }
    EXPECT_EQ(seen, (std::vector<int>{32, 64, 64}));
    EXPECT_EQ(chorus->Top(), 398);
    key(chorus, Qt::Key_End);
    EXPECT_EQ(chorus->Top(), 418);
    key(chorus, Qt::Key_Home);
    EXPECT_EQ(Tone_Data[43], 64);
}

TEST_F(EditorTest, TuneKnobKeysWorkOnSemitonesAndReapplyOnAnyKey) {
    Pic_Control* tune = ctl("DCO1_Tune");
    focus(tune);
    EXPECT_EQ(Focus_Control, ed().DCO1_Tune_Knopf);
    // The byte before the key (-1: as the row before left it) and what the key leaves.
    struct Row {
        int before;
        Key_Row key;
        QPoint pointer;
    };
    const QPoint any(-1, -1);
    for (const Row& r : {Row{56, {Qt::Key_Down, false, 52, "-1"}, any},
                         {Tune_Semi_To_Value(-10), {Qt::Key_PageDown, false, 0, "-12"}, {9, 14}},
                         {-1, {Qt::Key_Home, false, 120, "12"}, {15, 14}},
                         {-1, {Qt::Key_0, false, 56, "0"}, {12, 5}},
                         {127, {Qt::Key_0, true, 56, "0"}, any},
                         // inside the 0 band: any key settles it on the band's lowest byte
                         {60, {Qt::Key_A, false, 56, "0"}, any},
                         {127, {Qt::Key_Right, false, 120, "12"}, any}}) {
        if (r.before >= 0) Tone_Data[13] = static_cast<std::uint8_t>(r.before);
        midi.take_sent();
        key(tune, r.key);
        EXPECT_EQ(Tone_Data[13], r.key.byte) << r.key.key;
        EXPECT_EQ(name_text(), r.key.shown) << r.key.key;
        EXPECT_EQ(midi.take_sent(), std::vector{param_msg(13, r.key.byte)}) << r.key.key;
        if (r.pointer != any) EXPECT_EQ(ed().DCO1_Tune_Knopf->pos(), r.pointer) << r.key.key;
    }
}

TEST_F(EditorTest, FineTuneKnobKeys) {
    Pic_Control* fine = ctl("DCO2_FTune");
    focus(fine);
    EXPECT_EQ(Focus_Control, ed().DCO2_FTune_Knopf);
    // As the tune knob's table, one value a step; any other key applies the byte again.
    struct Row {
        int before;
        Key_Row key;
        QPoint pointer;
    };
    const QPoint any(-1, -1);
    for (const Row& r : {Row{10, {Qt::Key_Up, false, 11, "-41"}, any},
                         {-1, {Qt::Key_Right, false, 12, "-40"}, any},
                         {-1, {Qt::Key_Down, false, 11, "-41"}, any},
                         {-1, {Qt::Key_Left, false, 10, "-42"}, any},
                         {-1, {Qt::Key_Plus, true, 11, "-41"}, any},
                         {-1, {Qt::Key_Minus, true, 10, "-42"}, any},
                         {-1, {Qt::Key_PageUp, false, 20, "-34"}, any},
                         {-1, {Qt::Key_PageDown, false, 10, "-42"}, any},
                         {-1, {Qt::Key_Plus, false, 10, "-42"}, any}, // the main keyboard's +
                         {0, {Qt::Key_Left, false, 0, "-50"}, any},
                         {5, {Qt::Key_PageDown, false, 0, "-50"}, any},
                         {-1, {Qt::Key_Home, false, 127, "50"}, {15, 14}},
                         {-1, {Qt::Key_Up, false, 127, "50"}, any},
                         {-1, {Qt::Key_End, false, 0, "-50"}, {9, 14}},
                         {10, {Qt::Key_0, false, 63, "0"}, {12, 5}},
                         {10, {Qt::Key_0, true, 63, "0"}, any},
                         {40, {Qt::Key_A, false, 40, "-18"}, any}}) {
        if (r.before >= 0) Tone_Data[20] = static_cast<std::uint8_t>(r.before);
        midi.take_sent();
        key(fine, r.key);
        EXPECT_EQ(Tone_Data[20], r.key.byte) << r.key.key;
        EXPECT_EQ(name_text(), r.key.shown) << r.key.key;
        EXPECT_EQ(midi.take_sent(), std::vector{param_msg(20, r.key.byte)}) << r.key.key;
        if (r.pointer != any) EXPECT_EQ(ed().DCO2_FTune_Knopf->pos(), r.pointer) << r.key.key;
    }
}

TEST_F(EditorTest, ToggleFlipsOnItsKeysAndClicksAndResendsOnOthers) {
    Pic_Control* mode = ctl("VCA_Mode");
    focus(mode);
    Tone_Name_Text = "X";
    ed().Tone_Name->setText("X");
    Tone_Data[58] = 10;
    key(mode, Qt::Key_Up);
    EXPECT_EQ(Tone_Data[58], 74);
    EXPECT_EQ(mode->Top(), 152);
    for (Qt::Key other : {Qt::Key_Q, Qt::Key_Left, Qt::Key_Right}) { // sent again, unchanged
        key(mode, other);
        EXPECT_EQ(Tone_Data[58], 74) << other;
        EXPECT_EQ(mode->Top(), 152) << other;
    }
    press(mode);
    release(mode);
    EXPECT_EQ(Tone_Data[58], 10);
    EXPECT_EQ(mode->Top(), 162);
    EXPECT_EQ(name_text(), "X");
    std::vector<std::string> want(4, param_msg(58, 74));
    want.push_back(param_msg(58, 10));
    EXPECT_EQ(midi.take_sent(), want);
    // 63 is still off: it turns on at 127, and back.
    Tone_Data[58] = 63;
    key(mode, Qt::Key_Up);
    EXPECT_EQ(Tone_Data[58], 127);
    EXPECT_EQ(mode->Top(), 152);
    key(mode, Qt::Key_Up);
    EXPECT_EQ(Tone_Data[58], 63);
    EXPECT_EQ(mode->Top(), 162);
    EXPECT_EQ(midi.take_sent(), (std::vector<std::string>{param_msg(58, 127), param_msg(58, 63)}));
    Tone_Data[58] = 64; // the first byte that is on
    Editor_Redraw();
    EXPECT_EQ(mode->Top(), 152);
}

TEST_F(EditorTest, MouseDownReappliesFadersAndKnobsButNotLevers) {
    Tone_Data[41] = 100;
    press(ctl("VCA_Level"));
    release(ctl("VCA_Level"));
    EXPECT_EQ(name_text(), "77");
    press(ctl("DCO1_Range"));
    release(ctl("DCO1_Range"));
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{param_msg(41, 100)});
}

TEST_F(EditorTest, FaderDragMovesByThePointerHeightInsideTheCap) {
    Pic_Control* lvl = ctl("VCA_Level");
    Tone_Data[41] = 64;
    ed().Slider_Redraw(32, 112, 41);
    press(lvl);
    midi.take_sent();
    drag_to(lvl, 5, 10);
    EXPECT_EQ(Tone_Data[41], 54);
    EXPECT_EQ(lvl->Top(), 112 - (54 * 80) / 127);
    drag_to(lvl, 5, -30.5); // above the cap: up
    EXPECT_EQ(Tone_Data[41], 84);
    drag_to(lvl, 5, -200);
    EXPECT_EQ(Tone_Data[41], 127);
    drag_to(lvl, 5, 300);
    EXPECT_EQ(Tone_Data[41], 0);
    EXPECT_EQ(midi.take_sent(), (std::vector<std::string>{param_msg(41, 54), param_msg(41, 84),
                                                          param_msg(41, 127), param_msg(41, 0)}));
    // Moves without a button do nothing.
    release(lvl);
    QTest::mouseMove(lvl, QPoint(5, -20));
    EXPECT_EQ(Tone_Data[41], 0);
}

TEST_F(EditorTest, LeverDragSendsOnlyBigStepsOnTheSameLever) {
    Pic_Control* wave = ctl("DCO1_Waveform");
    Pic_Control* range = ctl("DCO1_Range");
    Tone_Data[12] = 0;
    Tone_Data[11] = 64;
    Last_Param = 0;
    press(wave);
    drag_to(wave, 4, -40); // first step on this lever: stored, not sent
    EXPECT_EQ(Tone_Data[12], 40);
    EXPECT_EQ(wave->Top(), 52);
    EXPECT_EQ(name_text(), QString());
    drag_to(wave, 4, -4); // a step of 4: not sent
    drag_to(wave, 4, -5); // a step of 5: sent
    EXPECT_EQ(Tone_Data[12], 49);
    release(wave);
    press(range);
    drag_to(range, 4, 10); // another lever: not sent
    EXPECT_EQ(Tone_Data[11], 54);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{param_msg(12, 49)});
    EXPECT_FALSE(Tone_Saved);

    // A 3-way lever shows the band a drag leaves at once.
    Pic_Control* lfo = ctl("LFO_Waveform");
    Tone_Data[44] = 0;
    press(lfo);
    drag_to(lfo, 4, -20);
    EXPECT_EQ(Tone_Data[44], 20);
    EXPECT_EQ(lfo->Top(), 397);
    drag_to(lfo, 4, -30);
    EXPECT_EQ(lfo->Top(), 387);
    drag_to(lfo, 4, -60);
    EXPECT_EQ(Tone_Data[44], 110);
    EXPECT_EQ(lfo->Top(), 377);
}

TEST_F(EditorTest, KnobDragCountsFromTheLastXUntilTheKnobLosesFocus) {
    Pic_Control* tune = ctl("DCO2_Tune");
    Tone_Data[19] = 56;
    press(tune, 0, 10);
    EXPECT_EQ(Focus_Control, ed().DCO2_Tune_Knopf);
    drag_to(tune, 8, 10); // X' = 2: two semitones up
    EXPECT_EQ(Tone_Data[19], Tune_Semi_To_Value(2));
    EXPECT_EQ(name_text(), "2");
    release(tune);
    press(tune, 8, 10);
    drag_to(tune, 12, 10); // measured from 8: one more
    EXPECT_EQ(Tone_Data[19], Tune_Semi_To_Value(3));
    release(tune);

    focus(ctl("DCO2_LFO")); // losing the focus resets the origin
    EXPECT_EQ(Drag_Last_X, 0);
    press(tune, 12, 10);
    drag_to(tune, 12, 10); // X' = 3 from 0
    EXPECT_EQ(Tone_Data[19], Tune_Semi_To_Value(6));
    // X' = X / 4 rounded, halves to the even neighbour: X and the semitones it leaves.
    for (auto [x, semitones] :
         {std::pair{10, 5}, {14, 7}, {6, 5}, {2, 3}, {-2, 3}, {-6, 1}, {-10, 1}, {9, 5}}) {
        drag_to(tune, x, 10);
        EXPECT_EQ(Tone_Data[19], Tune_Semi_To_Value(semitones)) << x;
    }
    release(tune);

    Pic_Control* fine = ctl("DCO2_FTune");
    Tone_Data[20] = 63;
    press(fine, 0, 10);
    drag_to(fine, 7, 10);
    EXPECT_EQ(Tone_Data[20], 70);
    drag_to(fine, 2, 10);
    EXPECT_EQ(Tone_Data[20], 65);
    EXPECT_EQ(name_text(), "1");
    drag_to(fine, -300, 10);
    EXPECT_EQ(Tone_Data[20], 0);
}

TEST_F(EditorTest, NothingIsSentWithAutoSendOffOrMidiDisabled) {
    Pic_Control* cut = ctl("VCF_CutoffF");
    focus(cut);
    AutoSend_On = 0;
    key(cut, Qt::Key_Up);
    AutoSend_On = 1;
    MIDI_Enabled = 0;
    key(cut, Qt::Key_Up);
    key(ctl("VCA_Mode"), Qt::Key_Up);
    EXPECT_EQ(Tone_Data[34], 2);
    EXPECT_EQ(name_text(), "1");
    EXPECT_TRUE(midi.sent().empty());
}

TEST_F(EditorTest, MksHeadersGoOutOnTheChosenChannel) {
    Synth_Type = "MKS-70";
    MIDI_Channel = 3;
    Set_Synth();
    Pic_Control* res = ctl("VCF_Res");
    focus(res);
    key(res, Qt::Key_Home);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{Bytes("F0 41 36 02 24 20 01 23 7F F7")});
}

TEST_F(EditorTest, TabWalksThePanelAndTheBlinkFollowsTheFocus) {
    Pic_Control* range = ctl("DCO1_Range");
    focus(range);
    key(range, Qt::Key_Tab);
    Pic_Control* wave = ctl("DCO1_Waveform");
    EXPECT_EQ(QApplication::focusWidget(), wave);
    EXPECT_EQ(Focus_Control, wave);
    const Quorlen& m = Quorlen::get();
    EXPECT_EQ(range->Picture().cacheKey(), m.Buttons[0].cacheKey()); // plain again

    Blink_Phase = 0;
    ed().Timer1_Timer();
    EXPECT_EQ(Blink_Phase, 1);
    EXPECT_EQ(wave->Picture().cacheKey(), m.Buttons[1].cacheKey());
    ed().Timer1_Timer();
    EXPECT_EQ(Blink_Phase, 0);
    EXPECT_EQ(wave->Picture().cacheKey(), m.Buttons[0].cacheKey());

    // The blink also gives the help row: four controls have one, the others none.
    struct Case {
        const char* name;
        int plain, help;
    };
    for (Case c : {Case{"DCO1_Range", 0, 1}, Case{"DCO1_Waveform", 0, 2}, Case{"DCO1_Tune", 4, 3},
                   Case{"DCO1_LFO", 6, 4}, Case{"DCO2_Crossmod", 2, 0}, Case{"VCF_Res", 6, 0},
                   Case{"DCO2_Tune", 4, 0}}) {
        Pic_Control* w = ctl(c.name);
        focus(w);
        Pic_Control* shown = w->Knob_Pointer ? w->Knob_Pointer : w;
        Blink_Phase = 0;
        Help_Index = -1;
        ed().Timer1_Timer();
        EXPECT_EQ(shown->Picture().cacheKey(), m.Buttons[c.plain + 1].cacheKey()) << c.name;
        EXPECT_EQ(Help_Index, c.help) << c.name;
        Focus_Pic_Reset();
        EXPECT_EQ(shown->Picture().cacheKey(), m.Buttons[c.plain].cacheKey()) << c.name;
    }
}
