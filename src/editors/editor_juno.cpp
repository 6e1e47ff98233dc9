#include "editors/editor_juno.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "editors/audition.h"
#include "editors/editor.h"
#include "editors/panel_paint.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

using J = Juno_Kind;
using EJ = Editor_Juno;

namespace {
constexpr std::array<const char*, 13> none{};
constexpr std::array<const char*, 13> digits4{"0", "1", "2", "3"};
constexpr std::array<const char*, 13> digits6{"0", "1", "2", "3", "4", "5"};
constexpr std::array<const char*, 13> range{"4'", "8'", "16'", "32'"};
constexpr std::array<const char*, 13> envmode{"ENV", "INV", "E+D", "I+D"};
constexpr std::array<const char*, 13> vcamode{"ENV", "GATE", "E+D", "G+D"};
constexpr std::array<const char*, 13> onoff{"OFF", "ON"};
constexpr std::array<const char*, 13> bend{"0",     nullptr, nullptr, nullptr, nullptr,
                                           nullptr, "6",     nullptr, nullptr, nullptr,
                                           nullptr, nullptr, "12"};
} // namespace

// Order of the whole-tone redraw, which is also the Tab order.
const std::array<Juno_Control_Spec, 36> Juno_Controls{{
    {"DCO_Range", &EJ::DCO_Range, 6, J::Lever, "bl", 29, 59, true, 3, 14, "RANGE", range},
    {"DCO_LFO", &EJ::DCO_LFO, 11, J::Fader, "bm", 30, 110, false, 127, 124, "LFO", none},
    {"DCO_Env", &EJ::DCO_Env, 12, J::Fader, "bm", 30, 110, false, 127, 158, "ENV", none},
    {"DCO_After", &EJ::DCO_After, 13, J::Fader, "bm", 30, 110, false, 127, 192, "AFTER", none},
    {"DCO_PWM", &EJ::DCO_PWM, 14, J::Fader, "bm", 30, 110, false, 127, 436, "PW", none},
    {"DCO_PWMRate", &EJ::DCO_PWMRate, 15, J::Fader, "bm", 30, 110, false, 127, 486, "PWM RT", none},
    {"DCO_EnvMode", &EJ::DCO_EnvMode, 0, J::Lever, "bl", 29, 59, true, 3, 66, "ENV MODE", envmode},
    {"DCO_Pulse", &EJ::DCO_Pulse, 3, J::Lever, "bl", 29, 59, false, 3, 232, "PLS", digits4},
    {"DCO_SawTooth", &EJ::DCO_SawTooth, 4, J::Lever, "bl", 29, 79, false, 5, 264, "SAW", digits6},
    {"DCO_Sub", &EJ::DCO_Sub, 5, J::Lever, "bl", 29, 79, false, 5, 296, "SUB", digits6},
    {"DCO_SubLevel", &EJ::DCO_SubLevel, 7, J::Lever, "bl", 80, 110, false, 3, 340, "SUB LVL",
     digits4},
    {"DCO_NoiseLevel", &EJ::DCO_NoiseLevel, 8, J::Lever, "bl", 80, 110, false, 3, 384, "NOISE",
     digits4},
    {"LFO_DelayTime", &EJ::LFO_DelayTime, 25, J::Fader, "bm", 166, 246, false, 127, 486, "DELAY",
     none},
    {"LFO_Rate", &EJ::LFO_Rate, 24, J::Fader, "bm", 166, 246, false, 127, 440, "RATE", none},
    {"VCF_HPF", &EJ::VCF_HPF, 9, J::Lever, "bl", 216, 246, false, 3, 12, "HPF", digits4},
    {"VCF_Freq", &EJ::VCF_Freq, 16, J::Fader, "bm", 166, 246, false, 127, 44, "FREQ", none},
    {"VCF_Res", &EJ::VCF_Res, 17, J::Fader, "bm", 166, 246, false, 127, 74, "RES", none},
    {"VCF_LFO", &EJ::VCF_LFO, 18, J::Fader, "bm", 166, 246, false, 127, 186, "LFO", none},
    {"VCF_ENV", &EJ::VCF_ENV, 19, J::Fader, "bm", 166, 246, false, 127, 156, "ENV", none},
    {"VCF_EnvMode", &EJ::VCF_EnvMode, 1, J::Lever, "bl", 165, 195, true, 3, 104, "MODE", envmode},
    {"VCF_Keyfollow", &EJ::VCF_Keyfollow, 20, J::Fader, "bm", 166, 246, false, 127, 216, "KEY",
     none},
    {"VCF_After", &EJ::VCF_After, 21, J::Fader, "bm", 166, 246, false, 127, 246, "AFTER", none},
    {"VCA_Level", &EJ::VCA_Level, 22, J::Fader, "bm", 166, 246, false, 127, 344, "LEVEL", none},
    {"VCA_EnvMode", &EJ::VCA_EnvMode, 2, J::Lever, "bl", 165, 195, true, 3, 280, "MODE", vcamode},
    {"VCA_After", &EJ::VCA_After, 23, J::Fader, "bm", 166, 246, false, 127, 382, "AFTER", none},
    {"Chorus_OnOff", &EJ::Chorus_OnOff, 10, J::Lever, "bl", 372, 382, false, 1, 258, "ON/OFF",
     onoff},
    {"Chorus_Rate", &EJ::Chorus_Rate, 34, J::Fader, "bm", 302, 382, false, 127, 306, "RATE", none},
    {"ENV_T1", &EJ::ENV_T1, 26, J::Fader, "bm", 302, 382, false, 127, 12, "T1", none},
    {"ENV_T2", &EJ::ENV_T2, 28, J::Fader, "bm", 302, 382, false, 127, 70, "T2", none},
    {"ENV_T3", &EJ::ENV_T3, 30, J::Fader, "bm", 302, 382, false, 127, 128, "T3", none},
    {"ENV_T4", &EJ::ENV_T4, 32, J::Fader, "bm", 302, 382, false, 127, 186, "T4", none},
    {"ENV_L1", &EJ::ENV_L1, 27, J::Fader, "bm", 302, 382, false, 127, 41, "L1", none},
    {"ENV_L2", &EJ::ENV_L2, 29, J::Fader, "bm", 302, 382, false, 127, 99, "L2", none},
    {"ENV_L3", &EJ::ENV_L3, 31, J::Fader, "bm", 302, 382, false, 127, 157, "L3", none},
    {"ENV_Keyfollow", &EJ::ENV_Keyfollow, 33, J::Fader, "bm", 302, 382, false, 127, 220, "KEY",
     none},
    {"Bender_Range", &EJ::Bender_Range, 35, J::Lever, "bl", 298, 322, false, 12, 342, "RANGE",
     bend},
}};

// ---- Envelope graph ----------------------------------------------------------------------

Env_Picture::Env_Picture(QWidget* parent) : QWidget(parent) {
    setObjectName("PictureEnv");
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Env_Picture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x10, 0x18, 0x12));
    p.setPen(QColor(0x5C, 0xA8, 0xE0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QPen(QColor(0x70, 0x78, 0x72), 1));
    p.drawLine(LineYaxis);
    p.drawLine(LineXaxis);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x7C, 0xFF, 0x9A), 2));
    for (const QLineF& l : LineEnv) p.drawLine(l);
}

// ---- Window ------------------------------------------------------------------------------

Editor_Juno::Editor_Juno() : Mdi_Form("Alpha Juno Tone Editor") {
    // Like the JX-8P editor, the panel fills the frame's document area.
    frame()->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    for (int i = 0; i < static_cast<int>(Juno_Controls.size()); ++i) {
        const Juno_Control_Spec& s = Juno_Controls[i];
        auto* c = new Pic_Control(this, this, s.name, s.tag, i);
        this->*(s.member) = c;
        by_param_[s.param] = c;
    }
    Mixer_DCO1 = new Pic_Control(this, nullptr, "Mixer_DCO1");
    Mixer_DCO2 = new Pic_Control(this, nullptr, "Mixer_DCO2");
    VCA_Dynamics = new Pic_Control(this, nullptr, "VCA_Dynamics");
    DCO_Dynamics = new Pic_Control(this, nullptr, "DCO_Dynamics");
    for (Pic_Control* c : {Mixer_DCO1, Mixer_DCO2, VCA_Dynamics, DCO_Dynamics}) c->hide();

    Build_Plate(this);

    // Last, so the graph lies over the panel controls while it shows.
    PictureEnv = new Env_Picture(this);
    PictureEnv->setGeometry(0, 136, 378, 135);
    PictureEnv->hide();
    setFixedSize(528, 412);
}

void Editor_Juno::Form_Load() {
    Pics_Editor_Juno();
    Audition_Attach({Keys_Pic, ED_Seq_Start, ED_Seq_Stop, ED_Seq_Start_Pic, ED_Seq_Stop_Pic});
    Blink_Phase = 0;
    Focus_Control = DCO_Range;
    Track_Activation();
}

void Editor_Juno::Form_Activate() {
    Blink_Phase = 0;
    Focus_Control = DCO_Range;
    Last_Param = 0;
    Last_Value = 0;
    if (!focusWidget()) DCO_Range->setFocus();
}

void Editor_Juno::Form_Deactivate() {
    Focus_Pic_Reset();
}

void Editor_Juno::paintEvent(QPaintEvent* e) {
    Panel_Paint::Paint_Window(this, e, panel_, [] { return Picture(Pic::Juno_Panel); });
}

Pic_Control* Editor_Juno::Param_Control(int p) const {
    return p >= 0 && p < static_cast<int>(by_param_.size()) ? by_param_[p] : nullptr;
}

const Juno_Control_Spec& Editor_Juno::Spec_Of(const Pic_Control* c) const {
    return Juno_Controls[c->Index];
}

// ---- Key rules ---------------------------------------------------------------------------

void Editor_Juno::Slider_KeyStep(int top, int bottom, int p, int key) {
    double v = Juno_Tone[p];
    if (Fader_Key_Step(v, key)) Tone_Param_Set(p, static_cast<int>(v));
    Slider_Redraw(top, bottom, p);
}

void Editor_Juno::Switch_KeyStep(int top, int bottom, int p, int key, bool reversed) {
    int v = Juno_Tone[p];
    // Keys name where the cap goes; a reversed lever counts the other way.
    const bool known = Lever_Key_Step(v, key, 1, reversed);
    v = std::min(v, Spec_Of(Param_Control(p)).max);
    if (known) Tone_Param_Set(p, v);
    Switch_Redraw(top, bottom, p);
}

// ---- Drag rules --------------------------------------------------------------------------

void Editor_Juno::Slider_Drag(int top, int bottom, int p, double y) {
    Tone_Param_Set(p, std::clamp(Round_Even(Juno_Tone[p] - y), 0, 127));
    Slider_Redraw(top, bottom, p);
}

void Editor_Juno::Switch_Drag(int top, int bottom, int p, double y, bool reversed) {
    const double moved = reversed ? Juno_Tone[p] + y / 20 : Juno_Tone[p] - y / 20;
    const int v = std::min(std::clamp(Round_Even(moved), 0, 127), Spec_Of(Param_Control(p)).max);
    Juno_Tone[p] = static_cast<std::uint8_t>(v);
    Switch_Redraw(top, bottom, p);
    if (Last_Param == p && std::abs(Last_Value - v) == 1) Tone_Param_Send(p);
    Tone_Saved = false;
    Last_Value = v;
    Last_Param = p;
}

// ---- Store, show and send ------------------------------------------------------------------

void Editor_Juno::Tone_Param_Set(int p, int value) {
    Juno_Tone[p] = static_cast<std::uint8_t>(value);
    if (Tone_Loading == 0) {
        Tone_Name->setText(QString::number(value));
        if (p >= 26 && p <= 33) Env_Redraw();
        Display_Timer_Restart();
    }
    Tone_Param_Send(p);
    Tone_Saved = false;
}

void Editor_Juno::Tone_Param_Send(int p) {
    Param_Send(Hdr_Tone_IPR, static_cast<unsigned>(p), Juno_Tone[p], Repeats::Skip);
}

// ---- Redraw of one control -------------------------------------------------------------------

// The window's handlers take their places from the table, as the panel does.
void Editor_Juno::Slider_Redraw(int, int, int p) {
    if (Pic_Control* c = Param_Control(p)) c->Set_Top(Juno_Cap_Top(Spec_Of(c), Juno_Tone[p]));
}

void Editor_Juno::Switch_Redraw(int, int, int p) {
    Pic_Control* c = Param_Control(p);
    if (!c) return;
    const int v = Juno_Tone[p];
    c->Set_Top(Juno_Cap_Top(Spec_Of(c), v));
    if (p == 35) {
        Tone_Name->setText(" " + QString::number(v));
        Display_Timer_Restart();
    }
}

void Editor_Juno::Env_Redraw() {
    PictureEnv->setVisible(true);
    const double h = std::nearbyint(PictureEnv->height() - 5.0);
    const double t1 = Juno_Tone[26], t2 = Juno_Tone[28], t3 = Juno_Tone[30], t4 = Juno_Tone[32];
    const double l1 = Juno_Tone[27], l2 = Juno_Tone[29], l3 = Juno_Tone[31];
    const QPointF pts[6] = {
        {5, h},
        {5 + t1 / 2, h - l1},
        {5 + (t1 + t2) / 2, h - l2},
        {5 + (t1 + t2 + t3) / 2, h - l3},
        {5 + (t1 + t2 + t3 + 100) / 2, h - l3}, // a fixed sustain
        {5 + (t1 + t2 + t3 + 100 + t4) / 2, h},
    };
    for (int k = 0; k < 5; ++k) PictureEnv->LineEnv[k] = QLineF(pts[k], pts[k + 1]);
    PictureEnv->update();
}

// ---- Events of the panel controls --------------------------------------------------------------

void Editor_Juno::Control_KeyDown(Pic_Control* c, int key, int) {
    const Juno_Control_Spec& s = Spec_Of(c);
    if (s.kind == J::Fader)
        Slider_KeyStep(s.travel_top, s.travel_bottom, s.param, key);
    else
        Switch_KeyStep(s.travel_top, s.travel_bottom, s.param, key, s.reversed);
}

void Editor_Juno::Control_MouseMove(Pic_Control* c, int button, int, double, double y) {
    if (button <= 0) return;
    const Juno_Control_Spec& s = Spec_Of(c);
    if (s.kind == J::Fader)
        Slider_Drag(s.travel_top, s.travel_bottom, s.param, y);
    else
        Switch_Drag(s.travel_top, s.travel_bottom, s.param, y, s.reversed);
}

// ---- Name box ----------------------------------------------------------------------------------

// ---- Whole tone
// ----------------------------------------------------------------------------------

namespace {
const Juno_Control_Spec* spec_of_byte(int p) {
    for (const Juno_Control_Spec& s : Juno_Controls)
        if (s.param == p) return &s;
    return nullptr;
}
} // namespace

int Juno_Cap_Top(const Juno_Control_Spec& s, int v) {
    if (s.kind == J::Fader) return Fader_Top(s.travel_bottom, v);
    const int step = (s.travel_bottom - s.travel_top) / s.max;
    return s.reversed ? s.travel_top + step * v : s.travel_bottom - step * v;
}

int Juno_Slider_Pos(int p) {
    const Juno_Control_Spec* s = spec_of_byte(p);
    // A byte that is no fader takes the envelope row's bottom.
    const int bottom = s && s->kind == J::Fader ? s->travel_bottom : 382;
    const int v = p >= 0 && p < static_cast<int>(Juno_Tone.size()) ? Juno_Tone[p] : 0;
    return Fader_Top(bottom, v);
}

int Juno_Switch_Pos(int p) {
    const Juno_Control_Spec* s = spec_of_byte(p);
    if (!s || s->kind != J::Lever) return 0;
    const int top = Juno_Cap_Top(*s, Juno_Tone[p]);
    // The filter and amplifier mode levers sit a pixel higher here than their keys put them.
    return p == 1 || p == 2 ? top - 1 : top;
}

void Juno_Editor_Redraw() {
    Editor_Juno& ed = Editor_Juno::get();
    for (const Juno_Control_Spec& s : Juno_Controls)
        (ed.*(s.member))
            ->Set_Top(s.kind == J::Fader ? Juno_Slider_Pos(s.param) : Juno_Switch_Pos(s.param));

    QString name;
    name.reserve(Juno_Name_Length);
    for (int i = 0; i < Juno_Name_Length; ++i)
        name += QChar(static_cast<char16_t>(Juno_Code_To_Char(Juno_Tone[Juno_Name_First + i])));
    Tone_Name_Text = Ascii_Upper(Blanks_Trimmed(name));
    ed.Tone_Name->setText(Tone_Name_Text);
    // A new tone reached the instrument whole: the next single message must go
    // out even when it repeats the last one sent before.
    SysEx_Text.clear();
}

// ---- Pictures
// ------------------------------------------------------------------------------------

void Pics_Editor_Juno() {
    Editor_Juno& ed = Editor_Juno::get();
    const Quorlen& m = Quorlen::get();
    ed.Keys_Pic->Set_Picture(m.Buttons[9]);
    ed.ED_Seq_Start->Set_Picture(m.Button_Up3D);
    ed.ED_Seq_Stop->Set_Picture(m.Button_Up3D);
    ed.ED_Seq_Start_Pic->Set_Picture(m.Start_Disabled);
    ed.ED_Seq_Stop_Pic->Set_Picture(m.Stop_Disabled);
    ed.PictureEnv->move(0, 136);
    for (const Juno_Control_Spec& s : Juno_Controls) {
        Pic_Control* c = ed.*(s.member);
        c->Set_Picture(m.Buttons[s.kind == J::Fader ? 6 : 0]);
        c->setGeometry(s.left, Juno_Cap_Top(s, 0), 16, 16);
    }
    ed.Keys_Pic->setGeometry(252, 107, 43, 22);
    ed.ED_Seq_Start->setGeometry(226, 107, 22, 22);
    ed.ED_Seq_Stop->setGeometry(299, 107, 22, 22);
    ed.ED_Seq_Start_Pic->setGeometry(3, 3, 16, 16);
    ed.ED_Seq_Stop_Pic->setGeometry(3, 3, 16, 16);
    ed.Pic_Quorlen->setGeometry(417, 274, 110, 50);
    ed.Pic_Orvel->setGeometry(433, 326, 79, 14);
    ed.Tone_Name->setGeometry(380, 378, 121, 18);
    ed.Pic_Quorlen->Set_Picture(Picture(Pic::Quorlen_Logo));
    ed.Pic_Orvel->Set_Picture(Picture(Pic::Juno_Orvel_Logo));
}
