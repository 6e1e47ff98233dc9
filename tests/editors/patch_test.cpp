// The JX-8P patch window through its widgets: opening and position, faders,
// levers, light groups, the detune knob, messages and closing.
#include "editor_support.h"
#include "editors/patch.h"
#include "midi/sysex.h"
#include "sequencer/sequencer.h"
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

class PatchTest : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        Quorlen::get().Menu_Tone_Patch_Click();
        QCoreApplication::processEvents();
        ASSERT_TRUE(Patch::loaded());
        // The blink would change the lights under the checks.
        ed().Timer1->stop();
        midi.take_sent();
    }
    static Patch& pw() { return Patch::get(); }
    static int lit(const std::array<Pic_Control*, 6>& group, int n) {
        int found = -1, count = 0;
        for (int i = 0; i < n; ++i)
            if (group[i]->Picture().cacheKey() == Quorlen::get().LED[1].cacheKey()) {
                found = i;
                ++count;
            }
        return count == 1 ? found : -1 - count;
    }
    static int lit_keys() { return lit(pw().Key_Mode, 6); }
    static int lit_after() {
        std::array<Pic_Control*, 6> g{};
        std::copy(pw().After_Touch.begin(), pw().After_Touch.end(), g.begin());
        return lit(g, 4);
    }
    static void close_deferred() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

TEST_F(PatchTest, OpensWhereItWasAndKeepsItsPlaceOnlyWithSavePositions) {
    Patch::Unload();
    // The sequencer is in front when the window opens.
    QMdiArea* area = Quorlen::get().Mdi_Area();
    Quorlen::get().Menu_MIDI_Seq_Click();
    area->setActiveSubWindow(Sequencer::get().frame());
    Patch_Left = 1500; // twips: 100 by 50 pixels
    Patch_Top = 750;
    Quorlen::get().Menu_Tone_Patch_Click();
    EXPECT_EQ(Patch_Form_Open, 255);
    EXPECT_EQ(pw().frame()->windowTitle(), "Patch Parameter");
    EXPECT_EQ(pw().frame()->pos(), QPoint(100, 50));
    // 296 by 196 as asked, grown only where this frame would cut the 288 by 169 panel.
    EXPECT_EQ(pw().frame()->width(), 296);
    EXPECT_GE(pw().frame()->height(), 196);
    EXPECT_EQ(pw().size(), QSize(288, 169));
    EXPECT_TRUE(pw().frame()->isVisible());

    // Escape closes it; without Save Positions the place is not taken.
    pw().frame()->move(40, 30);
    focus(pw().Portamento_Time);
    ASSERT_EQ(area->activeSubWindow(), pw().frame());
    key(pw().Portamento_Time, Qt::Key_Escape);
    close_deferred();
    EXPECT_EQ(Patch_Form_Open, 0);
    EXPECT_FALSE(Patch::loaded());
    EXPECT_EQ(Patch_Left, 1500);
    // The window that was in front before comes back, not the first one made.
    EXPECT_EQ(area->activeSubWindow(), Sequencer::get().frame());

    Quorlen::get().Menu_Windows_SavePos->setChecked(true);
    Quorlen::get().Menu_Tone_Patch_Click();
    pw().frame()->move(40, 30);
    pw().frame()->close(); // the frame's own close box
    close_deferred();
    EXPECT_FALSE(Patch::loaded());
    EXPECT_EQ(Patch_Left, 600);
    EXPECT_EQ(Patch_Top, 450);

    // The main window's closing unloads it the same way.
    Quorlen::get().Menu_Tone_Patch_Click();
    EXPECT_EQ(pw().frame()->pos(), QPoint(40, 30));
    pw().frame()->move(10, 20);
    Patch::Unload();
    EXPECT_EQ(Patch_Form_Open, 0);
    EXPECT_EQ(Patch_Left, 150);
    EXPECT_EQ(Patch_Top, 300);
}

TEST_F(PatchTest, OpeningDependsOnTheSynthesizer) {
    Patch::Unload();
    Synth_Type = "MKS-70";
    Quorlen::get().Menu_Tone_Patch_Click();
    EXPECT_FALSE(Patch::loaded());
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Sorry, patch settings not available yet.");
    EXPECT_EQ(boxes.calls[0].style, Mb::OkOnly | Mb::Exclamation);
    Synth_Type = "Alpha Juno";
    Quorlen::get().Menu_Tone_Patch_Click();
    EXPECT_FALSE(Patch::loaded());
    EXPECT_EQ(boxes.calls.size(), 1u);
}

TEST_F(PatchTest, FaderKeysReSendOnEveryKeyAndShowTheScaledValue) {
    Pic_Control* porta = pw().Portamento_Time;
    focus(porta);
    Patch_Data[1] = 120;
    // Pages are 10; a key at the limit, or of no meaning (Left), sends the value again.
    for (Key_Row r : {Key_Row{Qt::Key_PageUp, false, 127, "99"},
                      {Qt::Key_Up, false, 127, "99"},
                      {Qt::Key_Left, false, 127, "99"},
                      {Qt::Key_PageDown, false, 117, "91"},
                      {Qt::Key_End, false, 0, "0"},
                      {Qt::Key_Down, false, 0, "0"}}) {
        key(porta, r);
        EXPECT_EQ(Patch_Data[1], r.byte) << r.key;
        EXPECT_EQ(name_text(), r.shown) << r.key;
        EXPECT_EQ(porta->Top(), 108 - r.byte * 80 / 127) << r.key;
        EXPECT_EQ(midi.take_sent(), std::vector{patch_msg(1, r.byte)}) << r.key;
    }
    EXPECT_FALSE(Tone_Saved);

    // A press re-applies the value; a drag moves it by the pointer's height.
    Pic_Control* lfo = pw().Pitch_Bend_LFO;
    focus(lfo);
    Patch_Data[5] = 64;
    press(lfo);
    EXPECT_EQ(name_text(), "49");
    drag_to(lfo, 4, -10.5);
    EXPECT_EQ(Patch_Data[5], 74);
    EXPECT_EQ(lfo->Top(), 108 - (74 * 80) / 127);
    drag_to(lfo, 4, 300);
    EXPECT_EQ(Patch_Data[5], 0);
    release(lfo);
    EXPECT_EQ(midi.take_sent(),
              (std::vector<std::string>{patch_msg(5, 64), patch_msg(5, 74), patch_msg(5, 0)}));
}

TEST_F(PatchTest, BendLeverStepsQuartersStaysInRangeAndDragsInBands) {
    Pic_Control* bend = pw().Pitch_Bend_Range;
    focus(bend);
    EXPECT_EQ(bend->Top(), 58);
    std::vector<int> values;
    for (int i = 0; i < 4; ++i) {
        key(bend, Qt::Key_Up);
        values.push_back(Patch_Data[0]);
    }
    EXPECT_EQ(values, (std::vector<int>{32, 64, 96, 96})); // at the top nothing moves
    EXPECT_EQ(bend->Top(), 28);
    EXPECT_EQ(midi.take_sent().back(), patch_msg(0, 96)); // but the value is still sent
    EXPECT_EQ(name_text(), "");                           // no readout
    key(bend, Qt::Key_PageDown);
    EXPECT_EQ(Patch_Data[0], 64);
    EXPECT_EQ(bend->Top(), 38);

    // A drag into a band gap leaves the cap; a later step cannot leave 0..127.
    Patch_Data[0] = 10;
    Patch_Redraw();
    Last_Param = 0;
    Last_Value = 10;
    midi.take_sent();
    press(bend);
    drag_to(bend, 4, 2);  // 8: a change of 2, not sent
    drag_to(bend, 4, 4);  // 4: a change of 4, not sent
    drag_to(bend, 4, -4); // 8 again
    EXPECT_TRUE(midi.take_sent().empty());
    drag_to(bend, 4, -112); // 120: in the gap above 111, the cap stays
    EXPECT_EQ(Patch_Data[0], 120);
    EXPECT_EQ(bend->Top(), 58);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{patch_msg(0, 120)});
    drag_to(bend, 4, 82); // 38: band 32-47
    EXPECT_EQ(bend->Top(), 48);
    drag_to(bend, 4, -82); // 120 again, cap kept at 48
    release(bend);
    key(bend, Qt::Key_Up);
    EXPECT_EQ(Patch_Data[0], 127);
    EXPECT_EQ(bend->Top(), 38);
    Patch_Data[0] = 20;
    key(bend, Qt::Key_Down); // cap at 38 goes to 48, byte would be -12
    EXPECT_EQ(Patch_Data[0], 0);
}

TEST_F(PatchTest, PortamentoSwitchTogglesOnEveryClickAndKey) {
    Pic_Control* sw = pw().Portamento_Switch;
    EXPECT_EQ(sw->Top(), 143);
    Patch_Data[2] = 30;
    press(sw);
    release(sw);
    EXPECT_EQ(Patch_Data[2], 94);
    EXPECT_EQ(sw->Top(), 133);
    key(sw, Qt::Key_Up); // the direction is not looked at
    EXPECT_EQ(Patch_Data[2], 30);
    EXPECT_EQ(sw->Top(), 143);
    key(sw, Qt::Key_Down);
    EXPECT_EQ(Patch_Data[2], 94);
    key(sw, Qt::Key_Home); // not one of its keys
    EXPECT_EQ(Patch_Data[2], 94);
    EXPECT_EQ(midi.take_sent(),
              (std::vector<std::string>{patch_msg(2, 94), patch_msg(2, 30), patch_msg(2, 94)}));
}

TEST_F(PatchTest, LightGroupsSelectStepJumpAndStayLit) {
    Pic_Control* k3 = pw().Key_Mode[3];
    QTest::mouseClick(k3, Qt::LeftButton);
    EXPECT_EQ(Patch_Data[3], 4);
    EXPECT_EQ(Key_Mode_Index, 3);
    EXPECT_EQ(lit_keys(), 3);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{patch_msg(3, 4)});
    key(k3, Qt::Key_Up);
    EXPECT_EQ(Key_Mode_Index, 2);
    EXPECT_EQ(Patch_Data[3], 2);
    for (int i = 0; i < 4; ++i) key(k3, Qt::Key_PageUp);
    EXPECT_EQ(Key_Mode_Index, 0);
    for (int i = 0; i < 7; ++i) key(k3, Qt::Key_Down);
    EXPECT_EQ(Key_Mode_Index, 5);
    EXPECT_EQ(Patch_Data[3], 6);
    EXPECT_EQ(lit_keys(), 5);

    Pic_Control* a0 = pw().After_Touch[0];
    QTest::mouseClick(a0, Qt::LeftButton);
    key(a0, Qt::Key_Down); // stays at 0
    EXPECT_EQ(After_Touch_Index, 0);
    key(a0, Qt::Key_Up); // upwards is the next button
    key(a0, Qt::Key_Up);
    key(a0, Qt::Key_Up);
    key(a0, Qt::Key_Up);
    EXPECT_EQ(After_Touch_Index, 3);
    EXPECT_EQ(Patch_Data[4], 4);
    EXPECT_EQ(lit_after(), 3);
    EXPECT_GT(pw().After_Touch[0]->Top(), pw().After_Touch[3]->Top());

    // Leaving the group keeps both selected lights lit.
    focus(pw().UDTune);
    EXPECT_EQ(lit_keys(), 5);
    EXPECT_EQ(lit_after(), 3);

    // Tab and Shift+Tab jump by the groups' own rules.
    focus(pw().Key_Mode[0]);
    EXPECT_EQ(Focus_Control.data(), pw().Key_Mode[5]);
    key(pw().Key_Mode[0], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), pw().After_Touch[3]);
    key(pw().After_Touch[3], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), pw().UDTune);
    focus(pw().After_Touch[1]);
    key(pw().After_Touch[1], Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), pw().Key_Mode[5]);
    key(pw().Key_Mode[5], Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), pw().Pitch_Bend_Range);
    EXPECT_EQ(lit_keys(), 5);
    EXPECT_EQ(lit_after(), 3);

    // Bytes no button produces light button 0; the selection follows the lights.
    Patch_Data[3] = 3;
    Patch_Data[4] = 7;
    Patch_Redraw();
    EXPECT_EQ(lit_keys(), 0);
    EXPECT_EQ(lit_after(), 0);
    focus(pw().Key_Mode[2]);
    focus(pw().Portamento_Time);
    EXPECT_EQ(lit_keys(), 0);
    EXPECT_EQ(lit_after(), 0);
}

TEST_F(PatchTest, DetuneKnobKeysDragAndPointer) {
    Pic_Control* knob = pw().UDTune;
    Pic_Control* ptr = pw().UDTune_Knopf;
    focus(knob);
    EXPECT_EQ(Focus_Control.data(), ptr);
    Patch_Data[6] = 64;
    key(knob, Qt::Key_Up);
    EXPECT_EQ(Patch_Data[6], 65);
    EXPECT_EQ(name_text(), "1");
    key(knob, Qt::Key_Left);
    key(knob, Qt::Key_Left);
    EXPECT_EQ(Patch_Data[6], 63);
    key(knob, Qt::Key_End);
    key(knob, Qt::Key_Down);
    EXPECT_EQ(Patch_Data[6], 0);
    EXPECT_EQ(name_text(), "-50");
    EXPECT_EQ(ptr->pos(), QPoint(9, 14)); // 150 degrees the other way
    key(knob, Qt::Key_Home);
    EXPECT_EQ(name_text(), "50");
    EXPECT_EQ(ptr->pos(), QPoint(15, 14)); // +50: 150 degrees clockwise from the top
    key(knob, Qt::Key_0);
    EXPECT_EQ(Patch_Data[6], 63);
    EXPECT_EQ(name_text(), "0");
    EXPECT_EQ(ptr->pos(), QPoint(12, 5)); // straight up

    // On the pointer the arrows step nothing but the value goes out again.
    focus(ptr);
    midi.take_sent();
    key(ptr, Qt::Key_Up);
    key(ptr, Qt::Key_Right);
    EXPECT_EQ(Patch_Data[6], 63);
    EXPECT_EQ(midi.take_sent(), (std::vector<std::string>{patch_msg(6, 63), patch_msg(6, 63)}));
    pad(ptr, Qt::Key_Plus);
    key(ptr, Qt::Key_PageUp);
    EXPECT_EQ(Patch_Data[6], 74);

    // A drag counts one value per pixel from the last X of any knob drag (0 after focus).
    focus(knob);
    press(knob, 10, 10);
    drag_to(knob, 10, 10);
    EXPECT_EQ(Patch_Data[6], 84);
    drag_to(knob, 4, 10);
    EXPECT_EQ(Patch_Data[6], 78);
    drag_to(knob, 4, 12); // same X: no change
    EXPECT_EQ(Patch_Data[6], 78);
    release(knob);
}

TEST_F(PatchTest, MessagesKeepFormat21OnEveryChannelAndSynthesizer) {
    MIDI_Channel = 16;
    Synth_Type = "MKS-70";
    Set_Synth();
    Pic_Control* lfo = pw().Pitch_Bend_LFO;
    focus(lfo);
    Patch_Data[5] = 10;
    key(lfo, Qt::Key_Up);
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{patch_msg(5, 11, 15)});
    EXPECT_EQ(SysEx_Text, "F0 41 36 F 21 30 01 5 B F7");
    // Auto-send off, or a tone being loaded: stored; no readout while loading.
    AutoSend_On = 0;
    key(lfo, Qt::Key_Up);
    EXPECT_EQ(Patch_Data[5], 12);
    EXPECT_TRUE(midi.take_sent().empty());
    AutoSend_On = 1;
    Quorlen::get().Timer_Display_Timer();
    Tone_Loading = 255;
    pw().Patch_Param_Set(5, 40);
    Tone_Loading = 0;
    EXPECT_NE(name_text(), "31");
    EXPECT_FALSE(Quorlen::get().Timer_Display->isActive());
    EXPECT_EQ(midi.take_sent().size(), 1u);
}

TEST_F(PatchTest, NewToneRedrawsTheOpenWindow) {
    Patch_Data = {127, 127, 100, 6, 4, 64, 127, 0, 0};
    Patch_Redraw();
    EXPECT_EQ(pw().Pitch_Bend_Range->Top(), 28);
    EXPECT_EQ(pw().Portamento_Time->Top(), 28);
    EXPECT_EQ(pw().Portamento_Switch->Top(), 133);
    EXPECT_EQ(pw().Pitch_Bend_LFO->Top(), 68);
    EXPECT_EQ(lit_keys(), 5);
    EXPECT_EQ(lit_after(), 3);
    Tone_New();
    // Every control where a new patch puts it: faders at 0, levers down, the
    // knob centred; a height of 0 is the control's own design size.
    std::vector<std::pair<Pic_Control*, QRect>> places = {
        {pw().Pitch_Bend_Range, {117, 58, 16, 16}}, {pw().Portamento_Time, {20, 108, 0, 0}},
        {pw().Portamento_Switch, {20, 143, 0, 0}},  {pw().Pitch_Bend_LFO, {86, 108, 0, 0}},
        {pw().UDTune, {161, 133, 28, 26}},          {pw().UDTune_Knopf, {12, 5, 4, 4}}};
    for (int i = 0; i < 6; ++i) places.push_back({pw().Key_Mode[i], {152, 17 + 15 * i, 14, 14}});
    for (int i = 0; i < 4; ++i)
        places.push_back({pw().After_Touch[i], {222, 17 + 15 * (3 - i), 14, 14}});
    for (const auto& [c, at] : places) {
        EXPECT_EQ(c->pos(), at.topLeft()) << c->objectName().toStdString();
        if (at.height() > 0) EXPECT_EQ(c->size(), at.size()) << c->objectName().toStdString();
    }
    EXPECT_EQ(lit_keys(), 0);
    EXPECT_TRUE(pw().UDTune_Knopf->isVisible());

    // Undo and a random tone redraw it too.
    Undo_Patch = {127, 127, 100, 6, 4, 64, 127, 0, 0};
    Undo_Restore();
    EXPECT_EQ(pw().Pitch_Bend_Range->Top(), 28);
    EXPECT_EQ(lit_keys(), 5);
    Quorlen::get().Menu_Tone_Random_Click(); // the patch back to zeros
    EXPECT_EQ(pw().Pitch_Bend_Range->Top(), 58);
    EXPECT_EQ(pw().Portamento_Time->Top(), 108);
    EXPECT_EQ(lit_keys(), 0);
}
