#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "sequencer/oscillator.h"
#include "support/fixture.h"
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <vector>

namespace {
using Steps = std::array<int, Osc_Steps>;

class OscTest : public ProgramTest {
  protected:
    Oscillator& Open() {
        Start_Program();
        Quorlen::get().Menu_MIDI_Osc_Click();
        return Oscillator::get();
    }
    // MIDI on and the output configured, so every send reaches the fake.
    Oscillator& Open_Sending() {
        Oscillator& o = Open();
        MIDI_Enabled = 1;
        AutoSend_On = 1;
        Set_Synth();
        midi.take_sent();
        return o;
    }
    Oscillator& Open_Shown() {
        Oscillator& o = Open();
        Quorlen::get().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Quorlen::get()));
        return o;
    }
    static void Pick(Oscillator& o, const QString& text) {
        const int i = o.Combo1->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        o.Combo1->setCurrentIndex(i);
    }
    static Steps Mirror(Steps s) {
        for (int& b : s) b = 127 - b;
        return s;
    }
    static Steps Values(const Oscillator& o) {
        Steps v{};
        for (int i = 0; i < Osc_Steps; ++i) v[i] = 127 - o.Osc_Level[i];
        return v;
    }
    static void Expect_Defaults(Oscillator& o);
};

const Steps Saw = {96, 89, 82, 75, 68, 61, 54, 47, 40, 96, 89, 82, 75, 68, 61, 54, 47, 40};
const Steps Ramp = {96, 92, 88, 84, 80, 76, 72, 68, 64, 60, 56, 52, 48, 44, 40, 36, 32, 28};
const Steps Square = {96, 96, 96, 96, 96, 96, 96, 96, 96, 32, 32, 32, 32, 32, 32, 32, 32, 32};
const Steps Triangle = {96, 89, 82, 75, 68, 61, 54, 47, 40, 33, 40, 47, 54, 61, 68, 75, 82, 89};
const Steps Sine = {63, 52, 42, 35, 31, 32, 36, 43, 53, 65, 76, 85, 92, 95, 94, 89, 81, 71};
const Steps Rectified = {63, 52, 42, 35, 31, 32, 36, 43, 53, 61, 50, 41, 34, 31, 32, 37, 45, 55};
const Steps Pulse = {32, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96, 96};
const Steps Alternating = {32, 96, 32, 96, 32, 96, 32, 96, 32, 96, 32, 96, 32, 96, 32, 96, 32, 96};
} // namespace

// What a freshly loaded oscillator shows, on first opening and on reopening.
void OscTest::Expect_Defaults(Oscillator& o) {
    EXPECT_TRUE(o.frame()->isVisibleTo(&Quorlen::get()));
    EXPECT_EQ(Quorlen::get().Mdi_Area()->activeSubWindow(), o.frame());
    EXPECT_EQ(o.frame()->size(), QSize(394, 192));
    EXPECT_EQ(o.frame()->windowTitle(), "Oscillator");
    EXPECT_EQ(o.Osc_Param, 14);
    EXPECT_EQ(o.Combo1->count(), 27);
    EXPECT_EQ(o.Combo1->currentText(), "DCO1 LFO Mod Depth");
    EXPECT_EQ(o.Osc_Base, Saw);
    EXPECT_EQ(o.Osc_Pen, 33);
    EXPECT_EQ(o.Osc_Level,
              (Steps{95, 88, 81, 74, 67, 60, 53, 46, 39, 95, 88, 81, 74, 67, 60, 53, 46, 39}));
    EXPECT_EQ(o.VScrollA->Value(), 64);
    EXPECT_EQ(o.VScrollDelta->Value(), 0);
    EXPECT_EQ(o.Osc_Time->Value(), 500);
    EXPECT_EQ(o.Label1->text(), "500");
    EXPECT_EQ(o.Label3->text(), "0");
    EXPECT_EQ(o.Label4->text(), "64");
    EXPECT_EQ(o.Timer_Osc->interval(), 500);
    EXPECT_EQ(o.Timer_Osc->timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(o.Timer_Osc_Enabled());
    EXPECT_FALSE(o.Timer_Osc->isActive());
    EXPECT_TRUE(o.Osc_Invert->Tag.isEmpty());
    EXPECT_EQ(o.Osc_Wave[0]->Look_Index(), 3);
    EXPECT_EQ(o.Picture1->HLine.y1, 63);
    EXPECT_EQ(o.Picture1->VLine[16].x1, 119);

    // Places: left, top, width, height (0: not given).
    std::vector<std::pair<QWidget*, QRect>> places = {{o.Osc_Invert, {234, 52, 14, 14}},
                                                      {o.Combo1, {233, 25, 147, 0}},
                                                      {o.Picture1, {98, 5, 130, 130}},
                                                      {o.VScrollDelta, {9, 22, 15, 100}},
                                                      {o.VScrollA, {37, 22, 15, 100}},
                                                      {o.Osc_Time, {66, 22, 15, 100}},
                                                      {o.Osc_Start, {133, 138, 22, 22}},
                                                      {o.Osc_Stop, {163, 138, 22, 22}},
                                                      {o.Osc_Start->Caption(), {3, 3, 14, 14}},
                                                      {o.Osc_Stop->Caption(), {3, 3, 14, 14}},
                                                      {o.Label2, {306, 5, 22, 13}}};
    for (int i = 0; i < 10; ++i)
        places.push_back({o.Osc_Wave[i], {i % 2 ? 311 : 234, 74 + 16 * (i / 2), 14, 14}});
    // The centred numbers keep their centres, two pixels wider each side for three digits.
    for (auto [label, left] : {std::pair{o.Label1, 63}, {o.Label3, 7}, {o.Label4, 35}})
        places.push_back({label, QRect(left, 128, 19, 13).adjusted(-2, 0, 2, 0)});
    for (size_t n = 0; n < places.size(); ++n) {
        const auto& [c, at] = places[n];
        EXPECT_EQ(c->pos(), at.topLeft()) << n;
        EXPECT_EQ(c->width(), at.width()) << n;
        if (at.height() > 0) EXPECT_EQ(c->height(), at.height()) << n;
    }
}

TEST_F(OscTest, LoadsWithItsDefaults) {
    Expect_Defaults(Open());
}

TEST_F(OscTest, PresetsGiveTheirBasesPlainAndInverted) {
    Oscillator& o = Open();
    const std::vector<std::pair<int, Steps>> presets = {
        {0, Saw},  {1, Ramp},      {2, Square}, {3, Triangle},
        {4, Sine}, {5, Rectified}, {6, Pulse},  {7, Alternating}};
    for (const auto& [index, bases] : presets) {
        o.Osc_Wave_Click(index);
        EXPECT_EQ(o.Osc_Base, bases) << "preset " << index;
        EXPECT_EQ(o.Osc_Wave[index]->Look_Index(), 3);
        EXPECT_EQ(o.Osc_Wave[(index + 1) % 10]->Look_Index(), 0);
    }
    o.Osc_Wave_Click(1);
    EXPECT_EQ(o.Osc_Pen, 24);
    o.Osc_Wave_Click(3);
    EXPECT_EQ(o.Osc_Pen, 96);

    // Invert mirrors the shape at once, and every preset while it is on.
    o.Osc_Invert_Click();
    EXPECT_EQ(o.Osc_Invert->Tag, "1");
    EXPECT_EQ(o.Osc_Invert->Look_Index(), 4);
    EXPECT_EQ(o.Osc_Base, Mirror(Triangle));
    for (const auto& [index, bases] : presets) {
        o.Osc_Wave_Click(index);
        EXPECT_EQ(o.Osc_Base, Mirror(bases)) << "inverted preset " << index;
    }
    // The custom preset mirrors the shape once more on each click.
    o.Osc_Wave_Click(8);
    EXPECT_EQ(o.Osc_Base, Alternating);
    o.Osc_Invert_Click();
    EXPECT_EQ(o.Osc_Invert->Tag, "0");
    EXPECT_EQ(o.Osc_Invert->Look_Index(), 0);
    EXPECT_EQ(o.Osc_Base, Mirror(Alternating));
    o.Osc_Wave_Click(8);
    EXPECT_EQ(o.Osc_Base, Mirror(Alternating));
}

TEST_F(OscTest, RandomPresetStepsFromThePenAndStaysInRange) {
    Oscillator& o = Open();
    o.Osc_Wave_Click(9); // right after loading: the pen the sawtooth left
    EXPECT_EQ(o.Osc_Base[0], 33);
    for (int round = 0; round < 200; ++round) {
        const int first = static_cast<int>(std::nearbyint(o.Osc_Pen));
        o.Osc_Wave_Click(9);
        EXPECT_EQ(o.Osc_Base[0], first);
        for (int b : o.Osc_Base) {
            ASSERT_GE(b, 0);
            ASSERT_LE(b, 127);
        }
        ASSERT_GT(o.Osc_Pen, 0.0);
        ASSERT_LE(o.Osc_Pen, 127.0);
    }
}

TEST_F(OscTest, LevelsFollowAmplitudeAndOffset) {
    Oscillator& o = Open();
    o.Osc_Wave_Click(3); // triangle, bases 33..96
    for (int d = -64; d <= 64; ++d) {
        o.VScrollDelta->Set_Value(d);
        EXPECT_EQ(o.Picture1->HLine.y1, 63 - d);
        EXPECT_EQ(o.Label3->text(), QString::number(d));
        for (int a : {0, 64, 127}) {
            o.VScrollA->Set_Value(a);
            for (int i = 0; i < Osc_Steps; ++i) {
                const int want =
                    std::clamp(static_cast<int>(a / 64.0 * Triangle[i] + 63 - a - d), 0, 127);
                ASSERT_EQ(o.Osc_Level[i], want) << "a " << a << " d " << d << " step " << i;
                ASSERT_EQ(o.Picture1->Line1[i].y1, want);
            }
            if (a == 64 && d == 0) EXPECT_EQ(o.Osc_Level[9], 32); // base - 1
        }
    }
    // The loop ends at a 127, d 64: its low steps are clamped at 0.
    EXPECT_EQ(o.Osc_Level[9], 0);
}

TEST_F(OscTest, ConnectorsJoinOnlyDifferentNeighbours) {
    Oscillator& o = Open();
    o.Osc_Wave_Click(2); // square: one jump, between steps 8 and 9
    for (int i = 1; i < Osc_Steps; ++i) {
        const Osc_Line& c = o.Picture1->Line1[Osc_Steps + i];
        EXPECT_EQ(c.visible, i == 9) << i;
    }
    const Osc_Line& jump = o.Picture1->Line1[Osc_Steps + 9];
    EXPECT_EQ(jump.x1, 63);
    EXPECT_EQ(jump.y1, 31);
    EXPECT_EQ(jump.y2, 95);
    EXPECT_FALSE(o.Picture1->Line1[Osc_Steps].visible); // nothing before step 0
}

TEST_F(OscTest, DrawingSetsTheStepOfTheBandAndDerivesTheBases) {
    Oscillator& o = Open();
    o.Osc_Wave_Click(8);
    o.Osc_Wave_DblClick(8); // flat: base 64, level 63
    for (int b : o.Osc_Base) EXPECT_EQ(b, 64);
    EXPECT_EQ(o.Osc_Level[0], 63);

    for (int x : {14, 17, 20}) {
        o.Picture1_MouseMove(Qt::LeftButton, x, 10 + x);
        EXPECT_EQ(o.Osc_Level[2], 10 + x);
    }
    EXPECT_EQ(o.Osc_Level[1], 63);
    EXPECT_EQ(o.Osc_Level[3], 63);
    EXPECT_EQ(o.Label2->text(), "97");
    o.Picture1_MouseMove(Qt::LeftButton, 21, 5);
    EXPECT_EQ(o.Osc_Level[3], 5);
    o.Picture1_MouseMove(Qt::LeftButton, 119, 200); // right of the last band, below the area
    EXPECT_EQ(o.Osc_Level[17], 127);
    o.Picture1_MouseMove(Qt::LeftButton, 400, 0);
    EXPECT_EQ(o.Osc_Level[17], 0);
    const Steps before = o.Osc_Level;
    o.Picture1_MouseMove(Qt::LeftButton, -1, 100); // left of the area: no step
    EXPECT_EQ(o.Osc_Level, before);
    // Bases come back from the levels: (level + D + A - 63) / A * 64.
    EXPECT_EQ(o.Osc_Base[2], 31);
    EXPECT_EQ(o.Osc_Base[3], 6);
    EXPECT_EQ(o.Osc_Base[17], 1);

    // Another button moves nothing; no button or amplitude 0 does nothing at all.
    o.Picture1_MouseMove(Qt::RightButton, 30, 0);
    o.Picture1_MouseMove(Qt::LeftButton | Qt::RightButton, 30, 0);
    o.Picture1_MouseMove(Qt::NoButton, 30, 0);
    EXPECT_EQ(o.Osc_Level, before);
    o.VScrollA->Set_Value(0);
    o.Picture1_MouseMove(Qt::LeftButton, 30, 0);
    EXPECT_EQ(o.Osc_Level[4], 63);

    o.Picture1_MouseUp();
    EXPECT_EQ(o.Osc_Wave[8]->Look_Index(), 2);
    EXPECT_EQ(o.Osc_Wave[0]->Look_Index(), 0);
}

TEST_F(OscTest, DrawingFromClampedLevelsKeepsTheClamp) {
    Oscillator& o = Open();
    o.VScrollA->Set_Value(127);
    o.VScrollDelta->Set_Value(64);
    o.Osc_Wave_Click(2); // the low half of the square is clamped at 0
    EXPECT_EQ(o.Osc_Level[9], 0);
    o.Picture1_MouseMove(Qt::RightButton, 0, 0);
    // (0 + 64 + 127 - 63) / 127 * 64 = 64.50..., not the -64 of the unclamped level
    EXPECT_EQ(o.Osc_Base[9], 65);
    EXPECT_EQ(o.Osc_Level[9], 0);
}

TEST_F(OscTest, MouseOnTheDrawingAndTheButtons) {
    Oscillator& o = Open_Shown();
    QTest::mousePress(o.Picture1, Qt::LeftButton, {}, QPoint(1 + 15, 1 + 100));
    QTest::mouseRelease(o.Picture1, Qt::LeftButton, {}, QPoint(1 + 15, 1 + 100));
    EXPECT_EQ(o.Osc_Level[2], 100);
    EXPECT_EQ(o.Osc_Wave[8]->Look_Index(), 2);

    QTest::mouseClick(o.Osc_Wave[3], Qt::LeftButton);
    EXPECT_EQ(o.Osc_Base, Triangle);
    QTest::mouseClick(o.Osc_Invert, Qt::LeftButton);
    EXPECT_EQ(o.Osc_Base, Mirror(Triangle));
    // A double click on the custom button flattens the shape, Invert or not.
    QTest::mouseDClick(o.Osc_Wave[8], Qt::LeftButton);
    EXPECT_EQ(o.Osc_Base[0], 64);
    EXPECT_EQ(o.Osc_Level[0], 63);

    QTest::mousePress(o.Osc_Start, Qt::LeftButton);
    EXPECT_TRUE(o.Osc_Start->Shows_Pressed());
    EXPECT_EQ(o.Osc_Start->Caption()->pos(), QPoint(4, 4));
    QTest::mouseRelease(o.Osc_Start, Qt::LeftButton);
    EXPECT_TRUE(o.Timer_Osc->isActive());
    EXPECT_TRUE(o.Osc_Start->Shows_Pressed()); // stays down while running
    QTest::mouseClick(o.Osc_Stop, Qt::LeftButton);
    EXPECT_FALSE(o.Timer_Osc->isActive());
    EXPECT_FALSE(o.Osc_Start->Shows_Pressed());
    EXPECT_FALSE(o.Osc_Stop->Shows_Pressed());
    EXPECT_EQ(o.Osc_Start->Caption()->pos(), QPoint(3, 3));
}

TEST_F(OscTest, StartSendsTheSawtoothAndWrapsAfterStep17) {
    Oscillator& o = Open_Sending();
    o.Osc_Start_Click();
    EXPECT_TRUE(o.Timer_Osc->isActive());
    EXPECT_EQ(Osc_Step_Pos, 1);
    for (int i = 0; i < 18; ++i) o.Timer_Osc_Timer();
    EXPECT_EQ(Osc_Step_Pos, 1);
    const std::vector<std::string> sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 19u);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(sent[i], Bytes("F0 41 36 00 21 20 01 0E") + char(32 + i % 9 * 7) + '\xF7') << i;
    EXPECT_EQ(SysEx_Text, Hdr_Tone_IPR + "E 20 F7");
    EXPECT_EQ(o.Label2->text(), "32");
    EXPECT_EQ(o.Picture1->TimeLine.x1, 0);
    o.Timer_Osc_Timer();
    EXPECT_EQ(o.Picture1->TimeLine.x1, 7);

    // Start while running begins again at step 0; Stop puts the marker back.
    o.Osc_Start_Click();
    EXPECT_EQ(Osc_Step_Pos, 1);
    o.Osc_Stop_Click();
    EXPECT_FALSE(o.Timer_Osc->isActive());
    EXPECT_EQ(Osc_Step_Pos, 0);
    EXPECT_EQ(o.Picture1->TimeLine.x1, 0);
    // No note-off or all-notes-off from the oscillator.
    for (const FakeMidiHost::Event& e : midi.events) EXPECT_NE(e.kind, FakeMidiHost::Event::Short);
}

TEST_F(OscTest, EachTargetKindSendsItsMessages) {
    Oscillator& o = Open_Sending();
    o.Osc_Wave_Click(8);
    o.Osc_Wave_DblClick(8); // every step sends 64

    for (const char* target :
         {"VCF Cutoff", "Mixer DCO1 <-> DCO2", "Portamento Time", "Bend LFO Depth"}) {
        Pick(o, target);
        o.Osc_Step();
    }
    EXPECT_EQ(midi.take_sent(), (std::vector<std::string>{Bytes("F0 41 36 00 21 20 01 22 40 F7"),
                                                          Bytes("F0 41 36 00 21 20 01 1C 40 F7"),
                                                          Bytes("F0 41 36 00 21 20 01 1D 3F F7"),
                                                          Bytes("F0 41 36 00 21 30 01 01 40 F7"),
                                                          Bytes("F0 41 36 00 21 30 01 05 40 F7")}));

    // Notes: a note-on of the value at velocity 127, even with auto-send off.
    AutoSend_On = 0;
    Pick(o, "MIDI notes");
    o.Picture1_MouseMove(Qt::LeftButton, 40, 67); // step 5 sends 60
    Osc_Step_Pos = 5;
    o.Osc_Step();
    EXPECT_EQ(midi.take_sent(), std::vector<std::string>{Bytes("90 3C 7F")});
    // The tone targets follow auto-send, and nothing at all goes with MIDI off.
    Pick(o, "LFO Rate");
    o.Osc_Step();
    MIDI_Enabled = 0;
    AutoSend_On = 1;
    Pick(o, "MIDI notes");
    o.Osc_Step();
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(OscTest, ChannelAndSynthesizerComeFromTheHeaders) {
    Oscillator& o = Open_Sending();
    MIDI_Channel = 3;
    // The synthesizer, the target, the sawtooth's step (values 32, 39, ... 88) and
    // what goes out. The Alpha Juno has no patch message: those targets send nothing.
    struct Row {
        const char* synth;
        const char* target;
        int step;
        std::vector<const char*> sent;
    };
    for (const Row& r : {Row{"MKS-70", "VCF Cutoff", 0, {"F0 41 36 02 24 20 01 22 20 F7"}},
                         {"MKS-70", "DCO2 Fine Tune", 3, {"F0 41 36 02 24 20 01 14 35 F7"}},
                         {"MKS-70",
                          "Mixer DCO1 <-> DCO2",
                          1,
                          {"F0 41 36 02 24 20 01 1C 27 F7", "F0 41 36 02 24 20 01 1D 58 F7"}},
                         {"MKS-70", "Portamento Time", 2, {"F0 41 36 02 24 30 01 01 2E F7"}},
                         {"MKS-70", "Bend LFO Depth", 8, {"F0 41 36 02 24 30 01 05 58 F7"}},
                         {"MKS-70", "MIDI notes", 2, {"92 2E 7F"}},
                         {"Alpha Juno", "Mixer DCO2", 0, {"F0 41 36 02 23 20 01 1D 20 F7"}},
                         {"Alpha Juno", "Portamento Time", 0, {}},
                         {"Alpha Juno", "Bend LFO Depth", 0, {}},
                         {"Alpha Juno", "MIDI notes", 2, {"92 2E 7F"}}}) {
        Synth_Type = r.synth;
        Set_Synth();
        Pick(o, r.target);
        Osc_Step_Pos = static_cast<std::uint8_t>(r.step);
        o.Osc_Step();
        std::vector<std::string> want;
        for (const char* m : r.sent) want.push_back(Bytes(m));
        EXPECT_EQ(midi.take_sent(), want) << r.synth << " " << r.target;
    }
}

TEST_F(OscTest, StepTimeZeroStandsStill) {
    Oscillator& o = Open();
    o.Osc_Time->Set_Value(0);
    EXPECT_EQ(o.Label1->text(), "0");
    o.Osc_Start_Click();
    EXPECT_TRUE(o.Timer_Osc_Enabled());
    EXPECT_FALSE(o.Timer_Osc->isActive());
    o.Osc_Time->Set_Value(20);
    EXPECT_TRUE(o.Timer_Osc->isActive());
    EXPECT_EQ(o.Timer_Osc->interval(), 20);
    o.Osc_Time->Set_Value(999);
    EXPECT_EQ(o.Timer_Osc->interval(), 999);
    o.Osc_Stop_Click();
    o.Osc_Time->Set_Value(100);
    EXPECT_FALSE(o.Timer_Osc->isActive());
}

TEST_F(OscTest, ClosingStopsAndReopeningGivesTheDefaults) {
    Oscillator* first = &Open();
    first->VScrollA->Set_Value(100);
    first->VScrollDelta->Set_Value(-20);
    first->Osc_Time->Set_Value(30);
    first->Osc_Invert_Click();
    Pick(*first, "MIDI notes");
    first->Osc_Start_Click();
    QPointer<QTimer> timer = first->Timer_Osc;

    first->frame()->close();
    EXPECT_FALSE(Oscillator::loaded());
    EXPECT_FALSE(timer->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(timer.isNull());

    Quorlen::get().Menu_MIDI_Osc_Click();
    Expect_Defaults(Oscillator::get());
    int oscillators = 0;
    for (QMdiSubWindow* w : Quorlen::get().Mdi_Area()->subWindowList())
        oscillators += qobject_cast<Oscillator*>(w->widget()) != nullptr;
    EXPECT_EQ(oscillators, 1);
}

TEST_F(OscTest, MainWindowClosingStopsTheOscillator) {
    Oscillator& o = Open();
    o.Osc_Start_Click();
    QPointer<QTimer> timer = o.Timer_Osc;
    ASSERT_TRUE(Quorlen::get().Form_Unload());
    EXPECT_FALSE(Oscillator::loaded());
    EXPECT_TRUE(timer.isNull() || !timer->isActive());
}

TEST_F(OscTest, KeepsSteppingWhileADialogIsOpen) {
    Oscillator& o = Open();
    o.Osc_Start_Click();
    Dlg_Begin(nullptr, "Test");
    EXPECT_TRUE(o.isEnabled());
    EXPECT_TRUE(o.Timer_Osc->isActive());
    Dlg_End();
}

TEST_F(OscTest, DrawsItsLinesInTheirColours) {
    Oscillator& o = Open_Shown();
    const QImage area = o.Picture1->grab().toImage();
    ASSERT_EQ(area.size(), QSize(130, 130));
    auto at = [&area](int x, int y) { return area.pixelColor(1 + x, 1 + y); };
    EXPECT_EQ(at(3, 95), QColor(0, 255, 255));    // step 0 of the sawtooth
    EXPECT_EQ(at(63, 70), QColor(0, 255, 255));   // the connector up to step 9
    EXPECT_EQ(at(0, 10), QColor(0, 255, 0));      // the marker at step 0
    EXPECT_EQ(at(7, 10), QColor(128, 128, 128));  // grid
    EXPECT_EQ(at(30, 63), QColor(128, 128, 128)); // offset line
    EXPECT_EQ(at(3, 10), QColor(Qt::black));
    if (const QByteArray dir = qgetenv("QUORLEN_SHOTS"); !dir.isEmpty()) {
        o.Osc_Start_Click();
        o.Timer_Osc_Timer();
        o.Timer_Osc_Timer();
        o.frame()->grab().save(QString::fromLocal8Bit(dir) + "/oscillator.png");
        o.Osc_Stop_Click();
    }
}

TEST_F(OscTest, ScrollBarArrowsMoveTowardsTheirEnds) {
    Oscillator& o = Open_Shown();
    QTest::mouseClick(o.VScrollA, Qt::LeftButton, {}, QPoint(7, 4)); // the top arrow
    EXPECT_EQ(o.VScrollA->Value(), 65);
    QTest::mouseClick(o.VScrollDelta, Qt::LeftButton, {}, QPoint(7, 95)); // the bottom arrow
    EXPECT_EQ(o.VScrollDelta->Value(), -1);
    QTest::mouseClick(o.Osc_Time, Qt::LeftButton, {}, QPoint(7, 30)); // above the handle
    EXPECT_EQ(o.Osc_Time->Value(), 550);
}
